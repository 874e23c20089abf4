#include "app/commands/import_sheet.h"

#include "app/terminal_progress.h"
#include "exchange/exchange_commands.h"

#include <QTextStream>

namespace Commands {

Import::Import()
    : Command(QStringLiteral("import"), QStringLiteral("FILE"),
              QStringLiteral("replace the imported list by Sheet1 of FILE (without one: its first "
                             "sheet), or by the rows of a .csv"),
              1)
{
}

int Import::run(const QCommandLineParser& p, const StoreSession& store) const
{
    TerminalProgress progress(QStringLiteral("rows"));
    const QString report =
        ExchangeCommands::importSheet(store, p.positionalArguments().first(),
                                      [&](int done, int total) { progress(done, total); });
    out() << report << '\n';
    return 0;
}

} // namespace Commands
