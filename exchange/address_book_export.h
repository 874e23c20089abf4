#pragma once

#include "exchange/sheet_rows.h"

#include <QString>

class Dataset;

// The export of "数据导出": a title row of the dataset's column names, then
// its rows in its own order, into a new workbook's sheet "Sheet1".
namespace AddressBookExport {

// The name written for the name chosen in the save dialog: ".xls" is
// appended unless it already ends in ".xls" or ".xlsx" (any case); an
// ".xlsx" name gets an .xlsx workbook.
QString fileName(const QString& chosen);

// The title row and every row, in the dataset's order. Throws SheetError
// for a text a spreadsheet cell cannot hold.
SheetRows rows(const Dataset& recipients);

// Writes the file and returns its name; the dataset's cursor ends on its
// last row. Throws SheetError, before writing anything when the rows do
// not fit the sheet.
QString run(Dataset& recipients, const QString& chosen);

// The same rows as comma-separated UTF-8 with a byte order mark, into NAME
// (".csv" appended unless it ends so); the same refusals. Returns the file.
QString runCsv(Dataset& recipients, const QString& chosen);

} // namespace AddressBookExport
