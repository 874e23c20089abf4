#pragma once

#include "exchange/sheet_rows.h"

#include <QString>
#include <functional>

class Connection;
class RecipientSheet;

// The import of "导 入": the whole sheet is read first, then the content of
// table excel is replaced in one transaction, so an import that fails at
// any step leaves the rows of the previous one.
class SheetImport {
public:
    enum class Outcome { Imported, NoPath, Unreadable, NoConnection, NotWritten };

    explicit SheetImport(Connection& connection) : m_connection(connection) {}

    // Told of the rows written now and then while they go in.
    using Progress = std::function<void(int done, int total)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Where a successful run() puts the rows excel held before it, for
    // "撤销导入"; left alone when the import fails.
    void keepPrevious(SheetRows* previous) { m_previous = previous; }

    // Reads the file named by the path box text (blanks around it ignored),
    // reconnects the connection and replaces the rows of excel.
    Outcome run(const QString& pathText);
    // Reconnects and puts `rows` back as the whole content of excel, in one
    // transaction like an import; throws StoreError.
    static void restore(Connection& connection, const SheetRows& rows);

    // The workbook's sheet that was read; empty for comma-separated text.
    QString sheet() const { return m_sheet; }

    static QString message(Outcome outcome);    // the window's text for it
    QString detail() const { return m_detail; } // why it failed, for logs
    // Why a sheet was refused, in words for the user; empty for a sheet
    // that is damaged or no list.
    QString reason() const { return m_reason; }
    int importedRows() const { return m_rows; }
    // Imported rows whose mobile number an earlier row of the list has.
    int repeatedMobiles() const { return m_repeatedMobiles; }
    // Lines above the column titles that were not imported.
    int skippedLines() const { return m_skippedLines; }
    // message() with, under it, why it failed or how many rows came in.
    QString report(Outcome outcome) const;

private:
    Connection& m_connection;
    SheetRows* m_previous = nullptr;
    Progress m_progress;
    QString m_sheet;
    QString m_detail;
    QString m_reason;
    int m_rows = 0;
    int m_repeatedMobiles = 0;
    int m_skippedLines = 0;
};
