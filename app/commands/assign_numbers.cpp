#include "app/commands/assign_numbers.h"

#include "store/connection.h"
#include "store/plain_text.h"
#include "waybill/number_assignment.h"

#include <QTextStream>
#include <unistd.h>

namespace Commands {

namespace {

// A scanner's double read: a number this run's pages already hold.
bool givenToThisRun(const NumberAssignment& assignment, const QString& number)
{
    for (const NumberAssignment::Page& page : assignment.pages())
        if (page.waybillNumber == number)
            return true;
    return false;
}

} // namespace

AssignNumbers::AssignNumbers()
    : Command(QStringLiteral("assign-numbers"), QStringLiteral("--run N"),
              QStringLiteral("give the pages of run N the waybill numbers on standard input, one "
                             "a line, in print order; prints page, number, order and name of "
                             "each, on standard error each number refused (exit 1); from a "
                             "file or a pipe the first refused number other than a repeat "
                             "ends it"))
{
}

QList<QCommandLineOption> AssignNumbers::options() const
{
    return {valued(QStringLiteral("run"), QStringLiteral("N"), QStringLiteral("the run"))};
}

QString AssignNumbers::check(const QCommandLineParser& p) const
{
    if (QString why = Command::check(p); !why.isEmpty())
        return why;
    if (value(p, "run").isEmpty())
        return QStringLiteral("assign-numbers wants --run N");
    return {};
}

int AssignNumbers::run(const QCommandLineParser& p, const StoreSession& store) const
{
    Connection connection(store);
    connection.open();
    NumberAssignment assignment(connection, value(p, "run"));
    // At a terminal the shipper sees a refusal and scans the form again; a
    // file has no second scan, and its next numbers would each land on the
    // page before their own.
    const bool rescanned = isatty(STDIN_FILENO) == 1;
    QTextStream in(stdin);
    int refused = 0;
    QString line;
    while (in.readLineInto(&line)) {
        if (line.trimmed().isEmpty())
            continue;
        const int page = assignment.next();
        if (const QString why = assignment.attach(line); !why.isEmpty()) {
            err() << PlainText::oneLine(why) << '\n';
            ++refused;
            if (!rescanned && !givenToThisRun(assignment, line.trimmed())) {
                if (page >= 0 && page < assignment.pages().size())
                    err() << QStringLiteral(u"从第 %1 页起未填运单号").arg(page + 1) << '\n';
                break;
            }
            continue;
        }
        const NumberAssignment::Page& done = assignment.pages().at(page);
        out() << page + 1 << '\t' << done.waybillNumber << '\t'
              << PlainText::oneLine(done.orderNumber) << '\t' << PlainText::oneLine(done.name)
              << '\n';
    }
    err().flush();
    return refused > 0 ? 1 : 0;
}

} // namespace Commands
