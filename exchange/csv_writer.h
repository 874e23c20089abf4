#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>
#include <functional>

// Rows as comma-separated UTF-8 text (RFC 4180): a field holding a comma,
// a quote or a line break is quoted, quotes doubled; lines end in CR LF.
// A text a spreadsheet program would take as a formula (=, +, -, @, tab or
// CR first) gets a leading ' so that it opens as text; so does one that
// already starts with ' before such a character, so that CsvReader, which
// takes one such ' away, reads back the same rows.
namespace CsvWriter {

// Hears the text a piece of whole rows at a time.
using Out = std::function<void(const QByteArray& piece)>;

void write(const SheetSource& rows, const Out& out);

// Whether `text` is one of those: any run of ' (none included), then one
// of the characters that start a formula.
bool looksLikeFormula(QStringView text);

} // namespace CsvWriter
