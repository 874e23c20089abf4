#include "store/store_choice.h"

#include "store/server_address.h"
#include "store/store_error.h"

#include <QFile>
#include <QStandardPaths>

namespace StoreChoice {

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

// Read line by line, not by QSettings: an INI reader takes a ',' for a
// list (libpq's several hosts), a ';' for a comment, a backslash for an
// escape and a section for a prefix, so files desks use now would name
// another server.
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

StoreSession choose(const QString& folder, const QString& optionUrl)
{
    const QString url = optionUrl.isEmpty() ? configuredUrl() : optionUrl;
    if (url.isEmpty())
        return StoreSession(folder);
    try {
        return StoreSession(folder, ServerAddress::parse(url));
    } catch (const StoreError& e) {
        // Said of where the URL came from.
        if (optionUrl.isEmpty())
            throw fileError(e.text());
        throw StoreChoiceError(e.text(), true);
    }
}

} // namespace StoreChoice
