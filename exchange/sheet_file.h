#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>
#include <QString>

// A sheet file of any kind the program takes: the reader is chosen by the
// file's content (compound file, zip, else comma-separated text), the
// writer by the name (".xlsx", else .xls).
namespace SheetFile {

inline const QString sheetName = QStringLiteral("Sheet1");

// Throws SheetError for a file that cannot be read or holds no such sheet.
SheetRows read(const QString& path);
SheetRows readBytes(const QByteArray& file);

// Throws SheetError; an .xls refuses more than 65,536 rows before writing.
void write(const QString& path, const SheetRows& rows);

bool isXlsxName(const QString& path);

} // namespace SheetFile
