#include "exchange/xlsx_writer.h"

#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "exchange/xlsx_escape.h"
#include "store/temporary_files.h"

#include <QFile>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace {

void writeBook(const QString& path, const SheetRows& rows)
{
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE; // rows go out in order; keeps 65k rows small
    lxw_workbook* book = workbook_new_opt(name.constData(), &options);
    if (!book)
        throw SheetError("xlsx: cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    lxw_error error = sheet ? LXW_NO_ERROR : LXW_ERROR_MEMORY_MALLOC_FAILED;
    for (qsizetype r = 0; r < rows.size() && error == LXW_NO_ERROR; ++r) {
        for (qsizetype c = 0; c < rows[r].size() && error == LXW_NO_ERROR; ++c) {
            if (rows[r][c].isEmpty())
                continue;
            error = worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                           XlsxEscape::encode(rows[r][c]).toUtf8().constData(),
                                           nullptr);
        }
    }
    const lxw_error closed = workbook_close(book);
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR)
        throw SheetError(std::string("xlsx: ") + lxw_strerror(error));
}

} // namespace

namespace XlsxWriter {

void write(const QString& path, const SheetRows& rows)
{
    if (rows.size() > maxRows)
        throw SheetError("xlsx: more rows than a sheet holds");
    for (const QStringList& r : rows)
        for (const QString& cell : r)
            if (cell.size() > maxCellChars)
                throw SheetError("xlsx: a cell holds more than 32767 characters");

    // The library writes the workbook even when a cell failed; it goes to a
    // scratch folder of ours so that a failure leaves an existing file as it
    // was, and a killed run leaves nothing the next start does not remove.
    QTemporaryDir scratch(TemporaryFiles::scratchTemplate());
    if (!scratch.isValid())
        throw SheetError("xlsx: " + scratch.errorString().toStdString());
    const QString bookPath = scratch.filePath(QStringLiteral("book.xlsx"));
    writeBook(bookPath, rows);
    QFile written(bookPath);
    if (!written.open(QIODevice::ReadOnly))
        throw SheetError("xlsx: " + written.errorString().toStdString());
    const QByteArray book = written.readAll();
    SheetFile::save(path, book);
}

} // namespace XlsxWriter
