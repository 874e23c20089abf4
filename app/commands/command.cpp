#include "app/commands/command.h"

#include "store/store_options.h"

#include <QDate>
#include <QTextStream>
#include <utility>

Command::Command(QString name, QString synopsis, QString summary, int operands)
    : m_name(std::move(name)), m_synopsis(std::move(synopsis)), m_summary(std::move(summary)),
      m_operands(operands)
{
}

QString Command::check(const QCommandLineParser& p) const
{
    const QStringList operands = p.positionalArguments();
    if (m_operands < 0 || operands.size() == m_operands)
        return {};
    return operands.size() < m_operands ? QStringLiteral("%1 is missing").arg(m_synopsis)
                                        : QStringLiteral("unexpected '%1'").arg(operands.last());
}

QString Command::usage() const
{
    QString text = QStringLiteral("usage: %1 %2 %3").arg(program, m_name, m_synopsis).trimmed();
    text += QStringLiteral("\n  %1\n").arg(m_summary);
    for (const QCommandLineOption& o : options() + StoreOptions::all()) {
        QString name = QStringLiteral("--") + o.names().constFirst();
        if (!o.valueName().isEmpty())
            name += QLatin1Char(' ') + o.valueName();
        text += QStringLiteral("    %1%2\n").arg(name, -22).arg(o.description());
    }
    return text;
}

QTextStream& Command::out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& Command::err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString Command::value(const QCommandLineParser& p, const char* option)
{
    return p.value(QString::fromLatin1(option));
}

QString Command::sinceError(const QCommandLineParser& p)
{
    if (p.isSet(QStringLiteral("since")) &&
        !QDate::fromString(value(p, "since"), Qt::ISODate).isValid())
        return QStringLiteral("--since wants a date as YYYY-MM-DD");
    return {};
}

QCommandLineOption Command::valued(const QString& name, const QString& valueName,
                                   const QString& text)
{
    return QCommandLineOption(name, text, valueName);
}
