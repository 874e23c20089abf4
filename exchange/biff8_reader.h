#pragma once

#include <QByteArray>
#include <QString>

class SheetCells;

// Reads one worksheet of a BIFF8 (Excel 97-2003) workbook stream as text.
namespace Biff8Reader {

// Hands every cell of the sheet named `sheetName`, else of the first visible
// worksheet, to `cells` and returns the name of the sheet read. Throws
// SheetError for a damaged or encrypted workbook or one without a
// worksheet, SheetTooLarge beyond SheetLimits.
QString readSheet(const QByteArray& workbookStream, const QString& sheetName, SheetCells& cells);

} // namespace Biff8Reader
