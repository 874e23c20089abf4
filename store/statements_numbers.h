#pragma once

#include "store/sql_dialect.h"
#include "store/statement.h"

#include <QList>
#include <QStringList>

// The statements on the order numbers of imported rows and on the runs and
// waybill numbers of logged pages. A row of excel and a page of the log
// are matched by their place in insertion order (行, 页), which copies,
// backups and restores keep where the store's row identities are not.
namespace NumberStatements {

Statement deleteImportedOrders();
// The row identity of each imported row that has an order, its order
// number and shop.
Statement selectImportedOrders(const SqlDialect& dialect);

// How many pages the log holds, and the highest run so far.
Statement countPrintLog();
Statement lastRun();
// Taken before counting the log: another desk's pages cannot come between.
QString lockLog(const SqlDialect& dialect);
// `rows` rows of 页, 批次, 订单编号, 店铺, 运单号.
QString insertWaybillNumbers(int rows);

// 运单号 and 页 of the pages that carry one of `numbers`.
Statement selectUsedNumbers(const QStringList& numbers);
// The pages of run `run` in print order: 页, 订单编号, 运单号, recipient's
// name and mobile.
Statement selectRunPages(const SqlDialect& dialect, const QString& run);
// Gives page `page` the number, only while it has none.
Statement attachNumber(const QString& page, const QString& number);
// Takes the number back from the page, only while it has that one.
Statement detachNumber(const QString& page, const QString& number);
// Log number (the store's identity), run, order number, waybill number and
// shop of the listed pages, at least one.
Statement selectNumbersOf(const SqlDialect& dialect, const QList<qlonglong>& numbers);
// Log number, 订单编号 and 运单号 of the pages from log number `first` on
// that have either; only those pages are numbered, after counting the ones
// before.
Statement selectNumbersFrom(const SqlDialect& dialect, qlonglong first);
// Log numbers of the pages whose order or waybill number contains `text`.
Statement selectPagesWithNumber(const SqlDialect& dialect, const QString& text);
// 订单编号, 运单号, 收件人姓名, 手机号码 of the pages with a waybill number, of run
// `run` or, without one, printed from `since` on; those with an order
// number first, each part in print order.
Statement selectShipping(const SqlDialect& dialect, const QString& run, const QString& since);

} // namespace NumberStatements
