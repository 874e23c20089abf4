#include "store/statements_numbers.h"

#include "store/schema.h"

#include <algorithm>

namespace NumberStatements {

namespace {

// The log with each page's place in insertion order as n and its identity
// as k.
QString numberedLog(const SqlDialect& dialect)
{
    return QStringLiteral(u"(SELECT %1 AS k, row_number() OVER (ORDER BY %1) AS n, 打印时间, "
                          u"收件人姓名, 手机号码 FROM %2) p JOIN %3 w ON w.页 = CAST(p.n AS TEXT)")
        .arg(dialect.rowIdentity(), Schema::printLogTable, Schema::waybillNumbersTable);
}

// The log from identity `first` (bound twice) on, each page's place
// found by counting the ones before: a look at the newest pages does not
// number the whole log.
QString numberedLogFrom(const SqlDialect& dialect)
{
    return QStringLiteral(u"(SELECT %1 AS k, (SELECT count(*) FROM %2 WHERE %1 < ?) + "
                          u"row_number() OVER (ORDER BY %1) AS n FROM %2 WHERE %1 >= ?) p JOIN "
                          u"%3 w ON w.页 = CAST(p.n AS TEXT)")
        .arg(dialect.rowIdentity(), Schema::printLogTable, Schema::waybillNumbersTable);
}

QVariantList bound(const QList<qlonglong>& numbers)
{
    QVariantList values;
    for (qlonglong n : numbers)
        values << n;
    return values;
}

} // namespace

Statement deleteImportedOrders()
{
    return {QStringLiteral("DELETE FROM %1").arg(Schema::importedOrdersTable), {}};
}

Statement selectImportedOrders(const SqlDialect& dialect)
{
    return {QStringLiteral(u"SELECT e.k, o.订单编号, o.店铺 FROM (SELECT %1 AS k, row_number() "
                           u"OVER (ORDER BY %1) AS n FROM %2) e JOIN %3 o ON o.行 = CAST(e.n AS "
                           u"TEXT)")
                .arg(dialect.rowIdentity(), Schema::importedTable, Schema::importedOrdersTable),
            {}};
}

Statement countPrintLog()
{
    return {QStringLiteral("SELECT count(*) FROM %1").arg(Schema::printLogTable), {}};
}

Statement lastRun()
{
    return {QStringLiteral(u"SELECT max(CAST(批次 AS bigint)) FROM %1")
                .arg(Schema::waybillNumbersTable),
            {}};
}

QString lockLog(const SqlDialect& dialect)
{
    return dialect.isServer() ? QStringLiteral("LOCK TABLE %1, %2 IN SHARE ROW EXCLUSIVE MODE")
                                    .arg(Schema::printLogTable, Schema::waybillNumbersTable)
                              : QString();
}

QString insertWaybillNumbers(int rows)
{
    const QString row = QLatin1Char('(') + SqlDialect::markers(5) + QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(Schema::waybillNumbersTable, SqlDialect::quotedList(Schema::waybillNumbersColumns()),
             QStringList(rows, row).join(QStringLiteral(", ")));
}

Statement selectUsedNumbers(const QStringList& numbers)
{
    QVariantList values;
    for (const QString& n : numbers)
        values << n;
    return {QStringLiteral(u"SELECT 运单号, 页 FROM %1 WHERE 运单号 IN (%2)")
                .arg(Schema::waybillNumbersTable, SqlDialect::markers(numbers.size())),
            values};
}

Statement selectRunPages(const SqlDialect& dialect, const QString& run)
{
    return {QStringLiteral(u"SELECT w.页, w.订单编号, w.运单号, p.收件人姓名, p.手机号码 FROM %1 "
                           u"WHERE w.批次 = ? ORDER BY CAST(w.页 AS bigint)")
                .arg(numberedLog(dialect)),
            {run}};
}

Statement attachNumber(const QString& page, const QString& number)
{
    return {QStringLiteral(u"UPDATE %1 SET 运单号 = ? WHERE 页 = ? AND coalesce(运单号, '') = ''")
                .arg(Schema::waybillNumbersTable),
            {number, page}};
}

Statement detachNumber(const QString& page, const QString& number)
{
    return {QStringLiteral(u"UPDATE %1 SET 运单号 = '' WHERE 页 = ? AND 运单号 = ?")
                .arg(Schema::waybillNumbersTable),
            {page, number}};
}

Statement selectNumbersOf(const SqlDialect& dialect, const QList<qlonglong>& numbers)
{
    const qlonglong first = *std::min_element(numbers.begin(), numbers.end());
    return {QStringLiteral(
                u"SELECT p.k, w.批次, w.订单编号, w.运单号, w.店铺 FROM %1 WHERE p.k IN (%2)")
                .arg(numberedLogFrom(dialect), SqlDialect::markers(numbers.size())),
            QVariantList{first, first} + bound(numbers)};
}

Statement selectNumbersFrom(const SqlDialect& dialect, qlonglong first)
{
    return {QStringLiteral(u"SELECT p.k, w.订单编号, w.运单号 FROM %1 WHERE coalesce(w.订单编号, "
                           u"'') <> '' OR coalesce(w.运单号, '') <> ''")
                .arg(numberedLogFrom(dialect)),
            {first, first}};
}

Statement selectPagesWithNumber(const SqlDialect& dialect, const QString& text)
{
    const QVariant pattern = QLatin1Char('%') + text + QLatin1Char('%');
    return {QStringLiteral("SELECT p.k FROM %1 WHERE %2 OR %3")
                .arg(numberedLog(dialect), dialect.contains(QStringLiteral(u"w.运单号")),
                     dialect.contains(QStringLiteral(u"w.订单编号"))),
            {pattern, pattern}};
}

Statement selectShipping(const SqlDialect& dialect, const QString& run, const QString& since)
{
    const QString which =
        run.isEmpty() ? QStringLiteral(u"p.打印时间 >= ?") : QStringLiteral(u"w.批次 = ?");
    return {
        QStringLiteral(u"SELECT w.订单编号, w.运单号, p.收件人姓名, p.手机号码 FROM %1 WHERE "
                       u"%2 AND coalesce(w.运单号, '') <> '' ORDER BY CASE WHEN "
                       u"coalesce(w.订单编号, '') = '' THEN 1 ELSE 0 END, CAST(w.页 AS "
                       u"bigint)")
            .arg(numberedLog(dialect), which),
        {run.isEmpty() ? QVariant(since.isNull() ? QStringLiteral("") : since) : QVariant(run)}};
}

} // namespace NumberStatements
