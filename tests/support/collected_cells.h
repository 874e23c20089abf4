#pragma once

#include "exchange/sheet_rows.h"

#include <QString>
#include <functional>

class SheetCells;

// What the sheet readers find, as rows of texts for comparing.
namespace CollectedCells {

// Every non-empty cell a reader hands out, rows padded with "" on the left.
SheetRows of(const std::function<void(SheetCells&)>& read);
// Every non-empty cell of Sheet1 of a file.
SheetRows inFile(const QString& path);
// The ten recipient columns of the rows the import takes from a file.
SheetRows recipientsInFile(const QString& path);

} // namespace CollectedCells
