#pragma once

#include "exchange/sheet_rows.h"

#include <QString>

// Writes an .xlsx workbook with one worksheet "Sheet1" through libxlsxwriter.
namespace XlsxWriter {

constexpr int maxRows = 1048576;
constexpr int maxCellChars = 32767;

// Into `path` (SheetFile::write copies it into place). Throws SheetError when
// the rows do not fit or the file cannot be written; what the library wrote
// is left for the caller to discard.
void write(const QString& path, const SheetSource& rows);

} // namespace XlsxWriter
