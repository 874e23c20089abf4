#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>
#include <QString>

class SheetCells;

// A sheet file of any kind the program takes: the reader is chosen by the
// file's content (compound file, zip, else comma-separated text), the
// writer by the name (".xlsx", else .xls).
namespace SheetFile {

inline const QString sheetName = QStringLiteral("Sheet1");

// Hands every cell of the sheet to `cells`: of a workbook the sheet named
// sheetName, else its first visible worksheet. Returns the name of the
// sheet read; empty for comma-separated text. Throws SheetError for a file
// that cannot be read or holds no worksheet, SheetTooLarge beyond
// SheetLimits.
QString read(const QString& path, SheetCells& cells);
QString readBytes(const QByteArray& file, SheetCells& cells);

// Throws SheetError; an .xls refuses more than 65,536 rows before writing.
void write(const QString& path, const SheetRows& rows);

bool isXlsxName(const QString& path);

// Writes a whole file or, failing, leaves an existing one as it was.
// Throws SheetError with the system's reason.
void save(const QString& path, const QByteArray& bytes);

} // namespace SheetFile
