#pragma once

#include "exchange/csv_writer.h"

#include <QString>

class Dataset;

// The export of "数据导出": a title row of the dataset's column names, then
// its rows in its own order, into a new workbook's sheet "Sheet1".
namespace AddressBookExport {

// The save dialog's types, .xls first: "Name (*.xls);;...;;Name (*.csv)".
QString fileTypes();

// The name written for the name chosen in the save dialog: a name that
// ends in ".xls", ".xlsx" or ".csv" (any case) is written so, whatever the
// type; any other gets the extension of `type` (one of fileTypes(); .xls
// when none). The extension decides the file's format.
QString fileName(const QString& chosen, const QString& type = {});

// Writes the file, in the format its name gives, and returns its name; the
// dataset's cursor ends on its last row. Throws SheetError, leaving no file
// and an existing one as it was, for a text a spreadsheet cell cannot hold
// or rows that do not fit the sheet.
QString run(Dataset& recipients, const QString& chosen, const QString& type = {});

// The same rows as comma-separated UTF-8 with a byte order mark, into NAME
// (".csv" appended unless it ends so); the same refusals. Returns the file.
QString runCsv(Dataset& recipients, const QString& chosen);

// The same rows as comma-separated UTF-8, to `out` a piece at a time; the
// same refusals, before any of it.
void writeCsv(const Dataset& recipients, const CsvWriter::Out& out);

} // namespace AddressBookExport
