#include "store/store_options.h"

#include "store/data_folder.h"

#include <QCommandLineParser>

namespace StoreOptions {

const QCommandLineOption
    dataDir(QStringLiteral("data-dir"),
            QStringLiteral("use DIR/data.mdb instead of the current directory"),
            QStringLiteral("DIR"));
const QCommandLineOption userData(QStringLiteral("user-data"),
                                  QStringLiteral("use the data folder of the menu entry"));
const QCommandLineOption database(QStringLiteral("database"),
                                  QStringLiteral("use the PostgreSQL database at URL "
                                                 "(postgresql://user@host:port/dbname)"),
                                  QStringLiteral("URL"));

QList<QCommandLineOption> all()
{
    return {dataDir, userData, database};
}

std::optional<QString> folder(const QList<const QCommandLineParser*>& parsers)
{
    QString chosen;
    int named = 0;
    for (const QCommandLineParser* p : parsers) {
        for (const QString& value : p->values(dataDir)) {
            chosen = value;
            ++named;
        }
        if (p->isSet(userData)) {
            chosen = DataFolder::userFolder();
            ++named;
        }
    }
    if (named > 1 || (named == 1 && chosen.isEmpty()))
        return std::nullopt;
    return chosen;
}

std::optional<QString> databaseUrl(const QList<const QCommandLineParser*>& parsers)
{
    QStringList urls;
    for (const QCommandLineParser* p : parsers)
        urls += p->values(database);
    if (urls.size() > 1)
        return std::nullopt;
    return urls.value(0);
}

std::optional<Chosen> fromArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.addOptions(all());
    // The parser skips the first argument as the program's name.
    if (!parser.parse(QStringList{QString()} + arguments))
        return std::nullopt;
    const std::optional<QString> dir = folder({&parser});
    const std::optional<QString> url = databaseUrl({&parser});
    if (!dir || !url || (parser.isSet(database) && url->isEmpty()))
        return std::nullopt;
    return Chosen{*dir, *url};
}

} // namespace StoreOptions
