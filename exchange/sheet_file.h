#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>
#include <QString>

class SheetCells;

// A sheet file of any kind the program takes: the reader is chosen by the
// file's content (compound file, zip, else comma-separated text), the
// writer by the name (".xlsx", ".csv", else .xls).
namespace SheetFile {

inline const QString sheetName = QStringLiteral("Sheet1");

// Hands every cell of the sheet to `cells`: of a workbook the sheet named
// sheetName, else its first visible worksheet. Returns the name of the
// sheet read; empty for comma-separated text. Throws SheetError for a file
// that cannot be read or holds no worksheet, SheetTooLarge beyond
// SheetLimits.
QString read(const QString& path, SheetCells& cells);
QString readBytes(const QByteArray& file, SheetCells& cells);

// Comma-separated text is UTF-8 with a byte order mark, as spreadsheet
// programs expect of it. The file is staged beside `path` and takes its
// place only once whole: failing, it leaves an existing one as it was.
// Throws SheetError with the system's reason, or what a row threw; an .xls
// refuses more than 65,536 rows before reading any.
void write(const QString& path, const SheetSource& rows);

bool isXlsxName(const QString& path);
bool isCsvName(const QString& path);

} // namespace SheetFile
