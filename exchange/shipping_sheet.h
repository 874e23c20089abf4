#pragma once

#include "exchange/sheet_rows.h"

#include <QString>

class Connection;

// The sheet the platforms take back for bulk shipping: one row per logged
// page with a waybill number, of one run or printed from a day on, titled
// as their uploads name the columns. Pages without an order number come
// last, marked in a column of their own.
namespace ShippingSheet {

inline const QString defaultCourier = QStringLiteral(u"顺丰速运");

// Titles first; `run` empty: the pages printed from `since` ("YYYY-MM-DD") on.
// Throws StoreError.
SheetRows rows(Connection& connection, const QString& run, const QString& since,
               const QString& courier = defaultCourier);
// Into `name`: comma-separated UTF-8 text with a byte-order mark when
// `csv` (".csv" appended unless there), else an .xlsx workbook (".xlsx"
// appended unless there). Gives the file written; throws CommandError.
QString write(const SheetRows& rows, const QString& name, bool csv);

} // namespace ShippingSheet
