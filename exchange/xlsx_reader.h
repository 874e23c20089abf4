#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>
#include <QString>

// Reads one worksheet of an Office Open XML workbook (.xlsx) as text.
namespace XlsxReader {

// Throws SheetError for a damaged workbook or a missing sheet.
SheetRows readSheet(const QByteArray& file, const QString& sheetName);

} // namespace XlsxReader
