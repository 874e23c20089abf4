#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The tables of data.mdb (and of a server store): the three the waybills
// read, every column text, in the order "select *" returns (the export and
// the import rely on it), and the print log.
namespace Schema {

inline const QString senderTable = QStringLiteral("outrxx");
inline const QString recipientTable = QStringLiteral("inrxx");
inline const QString importedTable = QStringLiteral("excel");
// One row per page sent to a printer or a PDF, holding what the page
// printed, so that it prints again the same after the rows changed.
inline const QString printLogTable = QStringLiteral("printlog");
// Beside the imported rows, whose table keeps its shape: the order number
// and shop of row 行 (from 1, in the rows' insertion order, which copies
// and backups keep).
inline const QString importedOrdersTable = QStringLiteral("excel_orders");
// Beside the print log: for page 页 (from 1, in the log's insertion order)
// its run, the order it was printed for and the waybill form's number.
inline const QString waybillNumbersTable = QStringLiteral("printlog_numbers");

const QStringList& senderColumns();    // eleven columns of outrxx
const QStringList& recipientColumns(); // ten columns of inrxx and excel

// When, which window, where to, the shifts (whole pixels) and the font; the
// recipient's name, mobile and address to find a page by; then all columns
// of the sender and of the recipient, each set in one text, tab-separated
// ("\t" and "\\" stand for a tab and a backslash in a value), which keeps
// the values written per page few; last, what finds the page's template
// again (a built-in one's name or a file's path; "" for the window's own).
const QStringList& printLogColumns();
inline constexpr int printLogMetaColumns = 6;
inline const QString printLogTemplateColumn = QStringLiteral(u"模板");
const QStringList& importedOrdersColumns(); // 行, 订单编号, 店铺
const QStringList& waybillNumbersColumns(); // 页, 批次, 订单编号, 店铺, 运单号

struct Table {
    QString name;
    QStringList columns;
};
// Every table the program keeps; creation, backups and copies go through
// this one list, so a table added here exists on both stores. Stores made
// before a table or a column was added get it by a step of SchemaSteps.
const QList<Table>& tables();
// The columns of one of those tables; empty for another name.
QStringList columnsOf(const QString& table);

// What finds a page by its place, its run or its waybill number without
// reading the whole numbers table: a scanned number is looked up, and its
// page written, once per number.
struct Index {
    QString name;
    QString table;
    QString column;
};
const QList<Index>& indexes();

// The three tables every store of ours holds, from before any version.
bool isWaybillTable(const QString& table);

// Where a store keeps the version of this shape (SchemaSteps): on the
// server a table of its own, outside tables(); a file in its header's
// application id, "SF" and the version in the low 16 bits (its user
// version counts restores, see Connection::generation).
inline const QString versionTable = QStringLiteral("schemaversion");
inline constexpr int fileFormat = 0x5346 << 16;

} // namespace Schema
