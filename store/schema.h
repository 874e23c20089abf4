#pragma once

#include "store/sql_dialect.h"

#include <QList>
#include <QString>
#include <QStringList>

// The tables of data.mdb (and of a server store). Every column is text; the
// order is the order "select *" returns, which the export and the import
// rely on.
namespace Schema {

inline const QString senderTable = QStringLiteral("outrxx");
inline const QString recipientTable = QStringLiteral("inrxx");
inline const QString importedTable = QStringLiteral("excel");

const QStringList& senderColumns();    // eleven columns of outrxx
const QStringList& recipientColumns(); // ten columns of inrxx and excel

struct Table {
    QString name;
    QStringList columns;
};
// Every table the program keeps; creation, backups and copies go through
// this one list, so a table added here exists on both stores.
const QList<Table>& tables();
// The columns of one of those tables; empty for another name.
QStringList columnsOf(const QString& table);

// Creates the empty tables on an open connection.
QStringList createStatements(const SqlDialect& dialect = SqlDialect());

} // namespace Schema
