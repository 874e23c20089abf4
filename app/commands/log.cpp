#include "app/commands/log.h"

#include "store/connection.h"
#include "store/plain_text.h"
#include "waybill/print_log.h"

#include <QDate>
#include <QTextStream>

namespace Commands {

Log::Log()
    : Command(QStringLiteral("log"), QStringLiteral("[--since DATE]"),
              QStringLiteral("the pages printed, newest first: number, time, window, printer or "
                             "file, recipient's name, mobile and address, tab-separated"))
{
}

QList<QCommandLineOption> Log::options() const
{
    return {valued(QStringLiteral("since"), QStringLiteral("DATE"),
                   QStringLiteral("only pages printed on DATE (YYYY-MM-DD) or later"))};
}

QString Log::check(const QCommandLineParser& p) const
{
    if (QString why = Command::check(p); !why.isEmpty())
        return why;
    return sinceError(p);
}

int Log::run(const QCommandLineParser& p, const StoreSession& store) const
{
    Connection connection(store);
    connection.open();
    // One page a line, whatever the texts hold.
    const auto field = PlainText::oneLine;
    // Written as read: the log is never held whole.
    PrintLog::visit(connection, {}, {}, {}, value(p, "since"), [&field](const PrintLogEntry& e) {
        out() << e.number << '\t' << field(e.printedAt) << '\t' << field(e.window) << '\t'
              << field(e.destination) << '\t' << field(e.name) << '\t' << field(e.mobile) << '\t'
              << field(e.address) << '\n';
    });
    return 0;
}

} // namespace Commands
