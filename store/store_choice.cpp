#include "store/store_choice.h"

#include "store/connection_recipe.h"
#include "store/data_folder.h"

#include <QFile>
#include <QStandardPaths>

namespace StoreChoice {

namespace {

std::optional<ServerAddress>& chosen()
{
    static std::optional<ServerAddress> address;
    return address;
}

} // namespace

std::optional<ServerAddress> server()
{
    return chosen();
}

void setServer(const std::optional<ServerAddress>& address)
{
    chosen() = address;
}

QString storeName()
{
    return chosen() ? chosen()->display() : ConnectionRecipe::databasePath();
}

QString missingDatabaseAdvice()
{
    return chosen() ? QString()
                    : DataFolder::missingDatabaseAdvice(ConnectionRecipe::databasePath());
}

QString configFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/sfwaybill/sfwaybill.conf");
}

namespace {

StoreChoiceError fileError(const QString& why)
{
    return StoreChoiceError(configFile() + QStringLiteral(": ") + why, false, why);
}

} // namespace

QString configuredUrl()
{
    QString url;
    QFile file(configFile());
    if (!file.exists())
        return url;
    if (!file.open(QIODevice::ReadOnly))
        throw fileError(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("database"))
            url = line.mid(eq + 1).trimmed();
    }
    return url;
}

void choose(const QString& optionUrl)
{
    const QString url = optionUrl.isEmpty() ? configuredUrl() : optionUrl;
    if (url.isEmpty()) {
        setServer(std::nullopt);
        return;
    }
    QString why;
    const std::optional<ServerAddress> address = ServerAddress::parse(url, &why);
    if (!address) {
        if (optionUrl.isEmpty())
            throw fileError(why);
        throw StoreChoiceError(why, true);
    }
    setServer(address);
}

} // namespace StoreChoice
