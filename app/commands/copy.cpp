#include "app/commands/copy.h"

#include "maintenance/store_copy.h"

#include <QTextStream>

namespace Commands {

Copy::Copy()
    : Command(QStringLiteral("copy"), QStringLiteral("--from STORE --to STORE"),
              QStringLiteral("copy every row from one store to another that holds none; a store "
                             "is a data.mdb path or postgresql://user@host:port/dbname (tables "
                             "made where missing); prints the rows copied"))
{
}

QList<QCommandLineOption> Copy::options() const
{
    return {
        valued(QStringLiteral("from"), QStringLiteral("STORE"), QStringLiteral("the store read")),
        valued(QStringLiteral("to"), QStringLiteral("STORE"),
               QStringLiteral("the store written, without rows"))};
}

QString Copy::check(const QCommandLineParser& p) const
{
    if (QString why = Command::check(p); !why.isEmpty())
        return why;
    if (value(p, "from").isEmpty() || value(p, "to").isEmpty())
        return QStringLiteral("copy wants --from STORE and --to STORE");
    return {};
}

int Copy::run(const QCommandLineParser& p, const StoreSession&) const
{
    out() << StoreCopy::copy(value(p, "from"), value(p, "to")) << '\n';
    return 0;
}

} // namespace Commands
