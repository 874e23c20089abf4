#include "exchange/shipping_sheet.h"

#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "store/command_error.h"
#include "store/connection.h"
#include "store/statements_numbers.h"
#include "store/store_error.h"
#include "store/store_tables.h"

#include <QSqlQuery>

namespace ShippingSheet {

SheetRows rows(Connection& connection, const QString& run, const QString& since,
               const QString& courier)
{
    SheetRows sheet{{QStringLiteral(u"订单编号"), QStringLiteral(u"物流公司"),
                     QStringLiteral(u"运单号"), QStringLiteral(u"收件人姓名"),
                     QStringLiteral(u"手机号码"), QStringLiteral(u"备注")}};
    if (!StoreTables::holdsNumbers(connection))
        throw StoreError(QStringLiteral(u"数据库中没有运单号表，也无法建立"));
    QSqlQuery q =
        connection.run(NumberStatements::selectShipping(connection.dialect(), run, since));
    while (q.next()) {
        const QString order = q.value(0).toString();
        sheet << QStringList{order,
                             courier,
                             q.value(1).toString(),
                             q.value(2).toString(),
                             q.value(3).toString(),
                             order.isEmpty() ? QStringLiteral(u"无订单编号") : QString()};
    }
    return sheet;
}

QString write(const SheetRows& rows, const QString& name, bool csv)
{
    const QString extension = csv ? QStringLiteral(".csv") : QStringLiteral(".xlsx");
    const QString path = name.endsWith(extension, Qt::CaseInsensitive) ? name : name + extension;
    try {
        SheetFile::write(path, rows);
    } catch (const SheetError& e) {
        throw CommandError(QStringLiteral(u"无法写入%1：%2").arg(path, e.text()));
    }
    return path;
}

} // namespace ShippingSheet
