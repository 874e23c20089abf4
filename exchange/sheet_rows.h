#pragma once

#include <QList>
#include <QStringList>

// One sheet as text: rows top to bottom, cells left to right; a missing cell
// and an empty cell are both "". Rows may have different lengths.
using SheetRows = QList<QStringList>;
