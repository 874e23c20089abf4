#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>

// Writes a BIFF8 workbook stream with one worksheet "Sheet1" holding every
// non-empty cell as a shared string, padded to 4096 bytes so the compound
// file needs no mini stream.
namespace Biff8Writer {

constexpr int maxRows = 65536;
constexpr int maxColumns = 256;
constexpr int maxCellChars = 32767; // what a spreadsheet keeps in a cell

// Throws SheetError when the rows do not fit a BIFF8 sheet.
QByteArray workbookStream(const SheetSource& rows);

} // namespace Biff8Writer
