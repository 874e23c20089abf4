#include "exchange/xlsx_writer.h"

#include "exchange/sheet_error.h"
#include "exchange/xlsx_escape.h"

#include <QFile>
#include <xlsxwriter.h>

namespace {

lxw_error writeRows(lxw_worksheet* sheet, const SheetSource& rows)
{
    for (int r = 0; r < rows.count(); ++r) {
        const QStringList row = rows.row(r);
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (row[c].size() > XlsxWriter::maxCellChars)
                throw SheetError("xlsx: a cell holds more than 32767 characters");
            if (row[c].isEmpty())
                continue;
            const lxw_error error =
                worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c),
                                       XlsxEscape::encode(row[c]).toUtf8().constData(), nullptr);
            if (error != LXW_NO_ERROR)
                return error;
        }
    }
    return LXW_NO_ERROR;
}

} // namespace

namespace XlsxWriter {

void write(const QString& path, const SheetSource& rows)
{
    if (rows.count() > maxRows)
        throw SheetError("xlsx: more rows than a sheet holds");
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook_options options{};
    // Each row goes to the library's temporary file once the next begins:
    // its memory stays flat however many rows there are.
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(name.constData(), &options);
    if (!book)
        throw SheetError("xlsx: cannot create the workbook");
    lxw_worksheet* sheet = workbook_add_worksheet(book, "Sheet1");
    lxw_error error = LXW_ERROR_MEMORY_MALLOC_FAILED;
    try {
        if (sheet)
            error = writeRows(sheet, rows);
    } catch (...) {
        workbook_close(book); // the only way to free it
        throw;
    }
    const lxw_error closed = workbook_close(book);
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR)
        throw SheetError(std::string("xlsx: ") + lxw_strerror(error));
}

} // namespace XlsxWriter
