#pragma once

#include "exchange/sheet_rows.h"

#include <QString>

// Writes an .xlsx workbook with one worksheet "Sheet1" through libxlsxwriter.
namespace XlsxWriter {

constexpr int maxRows = 1048576;
constexpr int maxCellChars = 32767;

// Throws SheetError when the rows do not fit or the file cannot be written;
// a file already there is then left as it was.
void write(const QString& path, const SheetRows& rows);

} // namespace XlsxWriter
