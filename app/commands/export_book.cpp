#include "app/commands/export_book.h"

#include "exchange/exchange_commands.h"
#include "exchange/sheet_error.h"
#include "store/plain_text.h"

#include <QFile>
#include <QTextStream>

namespace Commands {

namespace {

bool csv(const QCommandLineParser& p)
{
    return p.value(QStringLiteral("format")) == QLatin1String("csv");
}

} // namespace

Export::Export()
    : Command(QStringLiteral("export"), QStringLiteral("[--format csv] NAME"),
              QStringLiteral("write the address book to NAME.xls (or NAME.xlsx, NAME.csv as "
                             "named); with --format csv to NAME.csv, or to standard output "
                             "without NAME"),
              -1)
{
}

QList<QCommandLineOption> Export::options() const
{
    return {valued(QStringLiteral("format"), QStringLiteral("csv"),
                   QStringLiteral("comma-separated UTF-8 text instead of a workbook"))};
}

QString Export::check(const QCommandLineParser& p) const
{
    if (p.isSet(QStringLiteral("format")) && !csv(p))
        return QStringLiteral("--format takes csv");
    if (p.positionalArguments().size() > 1 || (!csv(p) && p.positionalArguments().isEmpty()))
        return QStringLiteral("export wants NAME (or --format csv without it)");
    return {};
}

int Export::run(const QCommandLineParser& p, const StoreSession& store) const
{
    const QString name = p.positionalArguments().value(0);
    if (!name.isEmpty() || !csv(p)) {
        out() << PlainText::oneLine(ExchangeCommands::exportAddressBook(store, name, csv(p)))
              << '\n';
        return 0;
    }
    out().flush();
    QFile file;
    if (!file.open(stdout, QIODevice::WriteOnly))
        throw SheetError(QStringLiteral(u"导出失败：%1").arg(file.errorString()));
    ExchangeCommands::addressBookCsv(store, [&](const QByteArray& piece) {
        if (file.write(piece) != piece.size())
            throw SheetError(QStringLiteral(u"导出失败：%1").arg(file.errorString()));
    });
    return 0;
}

} // namespace Commands
