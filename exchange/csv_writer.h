#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>

// Rows as comma-separated UTF-8 text (RFC 4180): a field holding a comma,
// a quote or a line break is quoted, quotes doubled; lines end in CR LF.
// What CsvReader reads back as the same rows.
namespace CsvWriter {

QByteArray write(const SheetRows& rows);

} // namespace CsvWriter
