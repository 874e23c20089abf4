#pragma once

#include "exchange/sheet_rows.h"
#include "store/command_error.h"

#include <QString>
#include <functional>

class Connection;
class RecipientSheet;

// An import that did not replace the list: the text is what the window
// and the command line say, the detail why it failed.
class ImportError : public CommandError {
public:
    enum class Kind { NoPath, Unreadable, NoConnection, NotWritten };

    ImportError(Kind kind, const QString& text, const QString& detail = {})
        : CommandError(text, detail), m_kind(kind)
    {
    }
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};

// The import of "导 入": the whole sheet is read first, then the content of
// table excel is replaced in one transaction, so an import that fails at
// any step leaves the rows of the previous one.
class SheetImport {
public:
    explicit SheetImport(Connection& connection) : m_connection(connection) {}

    // Told of the rows written now and then while they go in.
    using Progress = std::function<void(int done, int total)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Where a successful run() puts the rows excel held before it, for
    // "撤销导入"; left alone when the import fails.
    void keepPrevious(SheetRows* previous) { m_previous = previous; }

    // Reads the file named by the path box text (blanks around it ignored),
    // reconnects the connection and replaces the rows of excel; throws
    // ImportError.
    void run(const QString& pathText);
    // Reconnects and puts `rows` back as the whole content of excel, in one
    // transaction like an import; throws StoreError.
    static void restore(Connection& connection, const SheetRows& rows);

    // The workbook's sheet that was read; empty for comma-separated text.
    QString sheet() const { return m_sheet; }

    // The first line of the text of a sheet that did not go in.
    static QString failureMessage();
    int importedRows() const { return m_rows; }
    // Imported rows whose mobile number an earlier row of the list has.
    int repeatedMobiles() const { return m_repeatedMobiles; }
    // Lines above the column titles that were not imported.
    int skippedLines() const { return m_skippedLines; }
    // What the window says of the last run: "批量导入EXCEL成功!" and how
    // many rows came in.
    QString report() const;

private:
    Connection& m_connection;
    SheetRows* m_previous = nullptr;
    Progress m_progress;
    QString m_sheet;
    int m_rows = 0;
    int m_repeatedMobiles = 0;
    int m_skippedLines = 0;
};
