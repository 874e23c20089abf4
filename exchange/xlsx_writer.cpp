#include "exchange/xlsx_writer.h"

#include "exchange/sheet_error.h"

#include <QFile>
#include <xlsxwriter.h>

namespace XlsxWriter {

void write(const QString& path, const SheetRows& rows)
{
    if (rows.size() > maxRows)
        throw SheetError("xlsx: more rows than a sheet holds");
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
                                           rows[r][c].toUtf8().constData(), nullptr);
        }
    }
    const lxw_error closed = workbook_close(book);
    if (error == LXW_NO_ERROR)
        error = closed;
    if (error != LXW_NO_ERROR)
        throw SheetError(std::string("xlsx: ") + lxw_strerror(error));
}

} // namespace XlsxWriter
