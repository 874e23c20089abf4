#pragma once

#include "store/statement.h"
#include "store/table_query.h"

#include <QStringList>
#include <optional>

// Every statement the program runs against data.mdb or the server.
namespace Statements {

TableQuery selectSender();     // select * from outrxx
TableQuery selectRecipients(); // select * from inrxx
TableQuery selectImported();   // select * from excel
// Name, address and mobile of every recipient, to find one already there.
Statement selectRecipientKeys();

// Column contains the text anywhere; % in the text still matches any run.
TableQuery searchRecipientsByName(const QString& text);
TableQuery searchRecipientsByMobile(const QString& text);
TableQuery searchImportedByName(const QString& text);
TableQuery searchImportedByMobile(const QString& text);

Statement deleteImported(); // Delete From excel

// The print log. Rows are listed newest first, `identity` (the store's row
// identity) leading as the entry's number.
// `rows` rows of every column of the log, bound row after row; without the
// template's for a store that could not be given it.
QString insertPrintLog(int rows, bool withTemplate);
// Number, time, window, destination, name, mobile and address of each page
// whose name and mobile contain the texts and whose time starts with
// `date`; empty texts match everything. From `since` (a time or a date) on,
// among the numbers `among` selects when given, and at most `limit` of them
// when it is not -1.
Statement selectPrintLog(const SqlDialect& dialect, const QString& name, const QString& mobile,
                         const QString& date, const QString& since = {},
                         const std::optional<Statement>& among = std::nullopt,
                         qsizetype limit = -1);
// Whole rows, number first, of the given numbers.
Statement selectPrintLogPages(const QString& identity, const QList<qlonglong>& numbers,
                              bool withTemplate);
// Name, address and mobile of the pages printed from `since` on.
Statement selectPrintedRecipients(const QString& since);

// A dataset's row edits, the row addressed by the store's row identity.
Statement insertRow(const SqlDialect& dialect, const QString& table, const QStringList& columns,
                    const QVariantList& values);
// `rows` rows of `columns` in one statement, bound row after row; no
// identities come back.
QString insertRows(const QString& table, const QStringList& columns, int rows);
// The server's: rows of `columns` follow as COPY text data.
QString copyRows(const QString& table, const QStringList& columns);
Statement updateRow(const QString& table, const QStringList& columns, const QVariantList& values,
                    const QString& identity, const QVariant& row);
Statement deleteRow(const QString& table, const QString& identity, const QVariant& row);
Statement deleteRows(const QString& table, const QString& identity, const QVariantList& rows);
// The row under `row` as it is stored now, columns in the order given,
// locked on the server until the transaction ends.
Statement selectRowForChange(const SqlDialect& dialect, const QString& table,
                             const QStringList& columns, const QVariant& row);
// Every row with its identity first, columns in the order given.
Statement selectRowsForChange(const SqlDialect& dialect, const QString& table,
                              const QStringList& columns);

// Every row of a table, the columns given, in no particular order.
Statement selectColumns(const QString& table, const QStringList& columns);
// The same query returning no rows: whether it runs at all.
Statement noRows(Statement select);
Statement countRows(const QString& table);
Statement deleteAll(const QString& table);

// The schema. One of the program's tables (Schema::tables()), empty.
Statement createTable(const SqlDialect& dialect, const QString& table);
// Schema::indexes() of one table, each made only where it is missing.
QList<Statement> createIndexes(const QString& table);
// The names of the store's tables (on the server, of its current schema).
Statement tableNames(const SqlDialect& dialect);
// The names of a table's columns, in order.
Statement tableColumns(const SqlDialect& dialect, const QString& table);
Statement addColumn(const QString& table, const QString& column);
// The version of the tables' shape (SchemaSteps), see Schema::versionTable.
Statement selectVersion(const SqlDialect& dialect);
Statement createVersionTable(); // the server's
QList<Statement> writeVersion(const SqlDialect& dialect, int version);

// The file's engine.
// A number that a restore changes (Connection::generation).
Statement generation();
Statement setGeneration(int generation);
// A rollback journal keeps the database one file, as a backup copies it.
Statement rollbackJournal();
Statement fullSync();
// A number that changes whenever another connection commits a change.
Statement dataVersion();
Statement quickCheck();
Statement begin();
// Takes the write lock at once.
Statement beginWriting();
Statement commit();

// The server's: the reads of a transaction see one moment.
Statement readOnlySnapshot();

} // namespace Statements
