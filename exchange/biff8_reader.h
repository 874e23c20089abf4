#pragma once

#include <QByteArray>
#include <QString>

class SheetCells;

// Reads one worksheet of a BIFF8 (Excel 97-2003) workbook stream as text.
namespace Biff8Reader {

// Hands every cell of the sheet to `cells`. Throws SheetError for a damaged
// or encrypted workbook or a missing sheet, SheetTooLarge beyond SheetLimits.
void readSheet(const QByteArray& workbookStream, const QString& sheetName, SheetCells& cells);

} // namespace Biff8Reader
