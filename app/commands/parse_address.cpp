#include "app/commands/parse_address.h"

#include "records/address_parse_command.h"
#include "store/command_error.h"

#include <QFile>
#include <QTextStream>

namespace Commands {

ParseAddress::ParseAddress()
    : Command(QStringLiteral("parse-address"), QStringLiteral("[TEXT]"),
              QStringLiteral("split a recipient's text into fields (JSON); no TEXT: standard "
                             "input"),
              -1)
{
}

int ParseAddress::run(const QCommandLineParser& p, const StoreSession&) const
{
    const QStringList words = p.positionalArguments();
    QString text = words.join(u' ');
    if (words.isEmpty()) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            throw CommandError(
                QStringLiteral("cannot read standard input: %1").arg(in.errorString()));
        text = QString::fromUtf8(in.readAll());
    }
    out() << AddressParseCommand::json(text) << '\n';
    return 0;
}

} // namespace Commands
