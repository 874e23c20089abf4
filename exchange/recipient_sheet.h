#pragma once

#include "exchange/sheet_rows.h"

#include <QStringList>

// The ten recipient columns in a sheet: the first row holds the titles.
// Titles are compared without blanks (full-width ones too); a column is
// found by its own title first, else by the names order platforms use
// ("收货人", "手机", "收货地址"). Order and other columns do not matter.
namespace RecipientSheet {

// Other titles of each column, in schema order, most usual first.
const QList<QStringList>& otherTitles();

// Titles of one cell holding name, phone and address together.
const QStringList& combinedTitles();

// One list of ten texts per data row, in schema order. Only 收件人姓名 and
// 收件地址 must be there, unless a combined column is, which is split as a
// pasted text is; other missing columns are empty. Rows empty in all ten
// columns are left out (they would print blank waybills). Throws SheetError
// when the sheet is empty or a column it needs is missing.
SheetRows recipients(const SheetRows& sheet);

} // namespace RecipientSheet
