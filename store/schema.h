#pragma once

#include <QString>
#include <QStringList>

// The three tables of data.mdb. Every column is text; the order is the order
// "select *" returns, which the export and the import rely on.
namespace Schema {

inline const QString senderTable = QStringLiteral("outrxx");
inline const QString recipientTable = QStringLiteral("inrxx");
inline const QString importedTable = QStringLiteral("excel");

const QStringList& senderColumns();    // eleven columns of outrxx
const QStringList& recipientColumns(); // ten columns of inrxx and excel

// Creates the three empty tables on an open connection.
QStringList createStatements();

} // namespace Schema
