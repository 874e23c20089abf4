#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>

// Comma-separated text as a sheet: UTF-8 with or without a byte order mark,
// anything else read as GB18030 (what Chinese spreadsheet programs save).
namespace CsvReader {

SheetRows read(const QByteArray& file);

} // namespace CsvReader
