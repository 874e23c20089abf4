#pragma once

#include <QString>
#include <QStringList>

// The tables of data.mdb: the three the waybills read, every column text,
// in the order "select *" returns (the export and the import rely on it),
// and the print log.
namespace Schema {

inline const QString senderTable = QStringLiteral("outrxx");
inline const QString recipientTable = QStringLiteral("inrxx");
inline const QString importedTable = QStringLiteral("excel");
// One row per page sent to a printer or a PDF, holding what the page
// printed, so that it prints again the same after the rows changed.
inline const QString printLogTable = QStringLiteral("printlog");

const QStringList& senderColumns();    // eleven columns of outrxx
const QStringList& recipientColumns(); // ten columns of inrxx and excel

// When, which window, where to, the shifts (integers) and the font; the
// recipient's name, mobile and address to find a page by; then all columns
// of the sender and of the recipient, each set in one text, tab-separated
// ("\t" and "\\" stand for a tab and a backslash in a value), which keeps
// the values written per page few.
const QStringList& printLogColumns();
inline constexpr int printLogMetaColumns = 6;

// Creates the empty tables on an open connection.
QStringList createStatements();
// The print log alone, when it is not there yet: a database from before
// the log gets it on opening.
QString createPrintLog();

} // namespace Schema
