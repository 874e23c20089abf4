#pragma once

#include "exchange/sheet_rows.h"

// The ten recipient columns in a sheet: the first row holds the titles, each
// column is found by its exact title, order and other columns do not matter.
namespace RecipientSheet {

// One list of ten texts per data row, in schema order. Rows empty in all
// ten columns are left out (they would print blank waybills). Throws
// SheetError when the sheet is empty or a title is missing.
SheetRows recipients(const SheetRows& sheet);

} // namespace RecipientSheet
