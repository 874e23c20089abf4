#pragma once

#include "exchange/sheet_rows.h"

#include <QByteArray>
#include <QString>

// Reads one worksheet of a BIFF8 (Excel 97-2003) workbook stream as text.
namespace Biff8Reader {

// Throws SheetError for a damaged or encrypted workbook or a missing sheet.
SheetRows readSheet(const QByteArray& workbookStream, const QString& sheetName);

} // namespace Biff8Reader
