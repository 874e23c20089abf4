#include "store/server_address.h"

#include "store/store_error.h"

#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

bool ServerAddress::looksLikeUrl(const QString& text)
{
    return text.startsWith(QLatin1String("postgresql://")) ||
           text.startsWith(QLatin1String("postgres://"));
}

ServerAddress ServerAddress::parse(const QString& url)
{
    if (!looksLikeUrl(url))
        throw StoreError(QStringLiteral("a database URL starts with postgresql://"));
    const QString noPassword =
        QStringLiteral("no password in the URL: put it in ~/.pgpass or PGPASSFILE");
    // Command lines and logs are readable by others. Looked for in the text
    // itself, so that a URL that does not read is refused for it too.
    // A password may hold a '/', which would end the authority early
    // ("alice:1234/S3cret@db"): everything before the last '@' counts.
    QString authority = url.section(QStringLiteral("://"), 1);
    if (const qsizetype end = authority.indexOf(QRegularExpression(QStringLiteral("[?#]")));
        end >= 0)
        authority.truncate(end);
    if (authority.contains(QLatin1Char('@')) &&
        authority.section(QLatin1Char('@'), 0, -2).contains(QLatin1Char(':')))
        throw StoreError(noPassword);
    const QUrl u(url, QUrl::StrictMode);
    // QUrl's reason quotes the whole text; only the reason itself is told.
    if (!u.isValid())
        throw StoreError(QStringLiteral("not a database URL: %1")
                             .arg(u.errorString().section(QStringLiteral("; source was"), 0, 0)));
    if (u.userInfo(QUrl::FullyEncoded).contains(QLatin1Char(':')))
        throw StoreError(noPassword);
    ServerAddress a;
    // Decoded whole: libpq wants the names themselves, not their escapes.
    a.user = u.userName(QUrl::FullyDecoded);
    a.host = u.host(QUrl::FullyDecoded);
    a.port = u.port(0);
    a.database = u.path(QUrl::FullyDecoded).mid(1);
    if (a.database.isEmpty() || a.database.contains(QLatin1Char('/')))
        throw StoreError(
            QStringLiteral("the URL names no database: postgresql://user@host:port/dbname"));
    const QUrlQuery query(u);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("host") && a.host.isEmpty())
            a.host = value;
        else if (key == QLatin1String("port") && a.port == 0)
            a.port = value.toInt();
        else if (key == QLatin1String("user") && a.user.isEmpty())
            a.user = value;
        else if (key == QLatin1String("password"))
            throw StoreError(noPassword);
        else
            throw StoreError(QStringLiteral("unknown URL parameter '%1'").arg(key));
    }
    if (a.port < 0 || a.port > 65535)
        throw StoreError(QStringLiteral("no port %1").arg(a.port));
    return a;
}

namespace {

// The characters that would end or change a part of the URL are escaped,
// so that the text reads back as the same address; the rest stays
// readable in messages.
QString escaped(const QString& part, const QString& delimiters)
{
    QString text;
    for (const QChar c : part) {
        if (c == QLatin1Char('%') || c.unicode() <= 0x20 || delimiters.contains(c))
            text += QString::fromLatin1(QUrl::toPercentEncoding(QString(c)));
        else
            text += c;
    }
    return text;
}

} // namespace

QString ServerAddress::display() const
{
    const QString delimiters = QStringLiteral(":/?#[]@&=+");
    const bool socket = host.startsWith(QLatin1Char('/'));
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += escaped(user, delimiters) + QLatin1Char('@');
    if (!socket)
        text += host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    if (port)
        text += QLatin1Char(':') + QString::number(port);
    text += QLatin1Char('/') + escaped(database, delimiters);
    if (socket)
        text += QStringLiteral("?host=") + escaped(host, QStringLiteral("?#[]&=+"));
    return text;
}
