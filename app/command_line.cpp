#include "app/command_line.h"

#include "store/store_choice.h"
#include "store/store_options.h"
#include "store/temporary_files.h"

#include <QFileInfo>
#include <QTextStream>
#include <algorithm>

namespace CommandLine {

namespace {

QString usage(const CommandSet& commands)
{
    QString text =
        QStringLiteral("usage: %1 [--data-dir DIR | --user-data | --database URL] COMMAND [ARGS]   "
                       "(COMMAND --help for its options; --version)\n"
                       "on data.mdb in the current directory unless a data folder or a "
                       "PostgreSQL database (postgresql://user@host:port/dbname; also the line "
                       "database=URL of ~/.config/sfwaybill/sfwaybill.conf) is named\n")
            .arg(Command::program);
    for (const auto& c : commands)
        text +=
            QStringLiteral("  %1\n      %2\n")
                .arg(QStringLiteral("%1 %2").arg(c->name(), c->synopsis()).trimmed(), c->summary());
    return text;
}

int wrongArguments(const QString& why, const QString& usageText)
{
    if (!why.isEmpty())
        Command::err() << Command::program << ": " << why << '\n';
    Command::err() << usageText;
    Command::err().flush();
    return 2;
}

int dispatch(const QStringList& arguments, const CommandSet& all, StoreSession& store)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));

    // QCommandLineParser skips the first argument as the program's name.
    QCommandLineParser global;
    global.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    global.addOptions(StoreOptions::all() + QList<QCommandLineOption>{help, version});
    if (!global.parse(QStringList{Command::program} + arguments))
        return wrongArguments(global.errorText(), usage(all));
    if (global.isSet(help)) {
        Command::out() << usage(all);
        return 0;
    }
    if (global.isSet(version)) {
        Command::out() << Command::program << ' ' << SF_VERSION << '\n';
        return 0;
    }
    const QStringList rest = global.positionalArguments();
    if (rest.isEmpty())
        return wrongArguments(QString(), usage(all));
    const auto named = std::find_if(all.begin(), all.end(),
                                    [&](const auto& c) { return c->name() == rest.first(); });
    if (named == all.end())
        return wrongArguments(QStringLiteral("no command '%1'").arg(rest.first()), usage(all));
    const Command& command = **named;

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(command.options() + StoreOptions::all() + QList<QCommandLineOption>{help});
    if (!parser.parse(QStringList{Command::program} + rest.mid(1)))
        return wrongArguments(parser.errorText(), command.usage());
    if (parser.isSet(help)) {
        Command::out() << command.usage();
        return 0;
    }
    const std::optional<QString> folder = StoreOptions::folder({&global, &parser});
    if (!folder)
        return wrongArguments(QStringLiteral("name one data folder"), command.usage());
    if (const QString why = command.check(parser); !why.isEmpty())
        return wrongArguments(why, command.usage());
    const std::optional<QString> url = StoreOptions::databaseUrl({&global, &parser});
    if (!url)
        return wrongArguments(QStringLiteral("name one database"), command.usage());
    try {
        store = StoreChoice::choose(*folder, *url);
    } catch (const StoreChoiceError& e) {
        // An empty --database falls back to the file, yet was an argument.
        if (global.isSet(StoreOptions::database) || parser.isSet(StoreOptions::database))
            return wrongArguments(e.fromOption() ? e.text() : e.detail(), command.usage());
        Command::err() << Command::program << ": " << e.text() << '\n';
        return 1;
    }
    // What a killed run of either program left beside the database.
    TemporaryFiles::removeLeftovers(QFileInfo(store.databasePath()).absolutePath());
    return command.run(parser, store);
}

} // namespace

bool drawsPages(const QStringList& arguments, const CommandSet& commands)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == QLatin1String("--data-dir") || arg == QLatin1String("--database")) {
            ++i;
        } else if (!arg.startsWith(QLatin1Char('-'))) {
            for (const auto& c : commands)
                if (c->name() == arg)
                    return c->drawsPages();
            return false;
        }
    }
    return false;
}

int run(const QStringList& arguments, const CommandSet& commands, StoreSession& store)
{
    const int status = dispatch(arguments, commands, store);
    Command::out().flush();
    return status;
}

} // namespace CommandLine
