#pragma once

#include <QByteArray>

class SheetCells;

// Comma-separated text as a sheet: UTF-8 with or without a byte order mark,
// anything else read as GB18030 (what Chinese spreadsheet programs save).
namespace CsvReader {

// Hands every cell to `cells`. Throws SheetError for text in neither
// encoding (a file that claims UTF-8 by its mark must be UTF-8).
void read(const QByteArray& file, SheetCells& cells);

} // namespace CsvReader
