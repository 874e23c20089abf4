#pragma once

#include <QByteArray>
#include <QString>

class SheetCells;

// Reads one worksheet of an Office Open XML workbook (.xlsx) as text.
namespace XlsxReader {

// Hands every cell of the sheet named `sheetName`, else of the first visible
// worksheet, to `cells` and returns the name of the sheet read. Throws
// SheetError for a damaged workbook or one without a worksheet,
// SheetTooLarge beyond SheetLimits.
QString readSheet(const QByteArray& file, const QString& sheetName, SheetCells& cells);

} // namespace XlsxReader
