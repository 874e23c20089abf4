#include "app/commands/ship_export.h"

#include "exchange/shipping_sheet.h"
#include "store/connection.h"
#include "store/plain_text.h"

#include <QTextStream>

namespace Commands {

ShipExport::ShipExport()
    : Command(QStringLiteral("ship-export"),
              QStringLiteral("[--run N | --since DATE] [--format csv] [--courier NAME] NAME"),
              QStringLiteral("the shipping sheet for the platforms (订单编号, 物流公司, 运单号, "
                             "收件人姓名, 手机号码) of the pages with a waybill number, to "
                             "NAME.xlsx or NAME.csv; prints the file written"),
              1)
{
}

QList<QCommandLineOption> ShipExport::options() const
{
    return {
        valued(QStringLiteral("run"), QStringLiteral("N"), QStringLiteral("the pages of run N")),
        valued(QStringLiteral("since"), QStringLiteral("DATE"),
               QStringLiteral("the pages printed on DATE (YYYY-MM-DD) or later")),
        valued(QStringLiteral("format"), QStringLiteral("csv"),
               QStringLiteral("UTF-8 comma-separated text (with a byte-order mark)")),
        valued(QStringLiteral("courier"), QStringLiteral("NAME"),
               QStringLiteral("the 物流公司 column (顺丰速运 unless given)"))};
}

QString ShipExport::check(const QCommandLineParser& p) const
{
    if (QString why = Command::check(p); !why.isEmpty())
        return why;
    if (p.isSet(QStringLiteral("run")) == p.isSet(QStringLiteral("since")))
        return QStringLiteral("ship-export wants either --run N or --since DATE");
    if (p.isSet(QStringLiteral("format")) && value(p, "format") != QLatin1String("csv"))
        return QStringLiteral("--format takes csv");
    return sinceError(p);
}

int ShipExport::run(const QCommandLineParser& p, const StoreSession& store) const
{
    Connection connection(store);
    connection.open();
    const QString courier =
        p.isSet(QStringLiteral("courier")) ? value(p, "courier") : ShippingSheet::defaultCourier;
    const SheetRows rows =
        ShippingSheet::rows(connection, value(p, "run"), value(p, "since"), courier);
    const bool csv = value(p, "format") == QLatin1String("csv");
    out() << PlainText::oneLine(ShippingSheet::write(rows, p.positionalArguments().first(), csv))
          << '\n';
    return 0;
}

} // namespace Commands
