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

bool configuredUrl(QString* url, QString* error)
{
    url->clear();
    QFile file(configFile());
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("database"))
            *url = line.mid(eq + 1).trimmed();
    }
    return true;
}

bool choose(const QString& optionUrl, QString* error)
{
    QString url = optionUrl;
    if (url.isEmpty() && !configuredUrl(&url, error))
        return false;
    if (url.isEmpty()) {
        setServer(std::nullopt);
        return true;
    }
    const std::optional<ServerAddress> address = ServerAddress::parse(url, error);
    if (!address)
        return false;
    setServer(address);
    return true;
}

} // namespace StoreChoice
