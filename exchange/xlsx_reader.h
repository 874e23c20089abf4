#pragma once

#include <QByteArray>
#include <QString>

class SheetCells;

// Reads one worksheet of an Office Open XML workbook (.xlsx) as text.
namespace XlsxReader {

// Hands every cell of the sheet to `cells`. Throws SheetError for a
// damaged workbook or a missing sheet, SheetTooLarge beyond SheetLimits.
void readSheet(const QByteArray& file, const QString& sheetName, SheetCells& cells);

} // namespace XlsxReader
