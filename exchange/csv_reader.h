#pragma once

#include <QByteArray>
#include <QIODevice>

class SheetCells;

// Comma-separated text as a sheet: UTF-8 with or without a byte order mark,
// anything else read as GB18030 (what Chinese spreadsheet programs save).
namespace CsvReader {

// Hands every cell to `cells`. Throws SheetError for text in neither
// encoding (a file that claims UTF-8 by its mark must be UTF-8).
void read(const QByteArray& file, SheetCells& cells);
// The same from an open file, read twice a piece at a time (once to tell
// the encoding, once to decode): never the whole text in memory.
void read(QIODevice& file, SheetCells& cells);

} // namespace CsvReader
