#include "store/sql_dialect.h"

#include "store/schema.h"

QString SqlDialect::quoted(const QString& name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

QString SqlDialect::rowIdentity() const
{
    return isServer() ? QStringLiteral("id") : QStringLiteral("rowid");
}

QString SqlDialect::quotedList(const QStringList& names)
{
    QStringList quotedNames;
    for (const QString& n : names)
        quotedNames << quoted(n);
    return quotedNames.join(QStringLiteral(", "));
}

QString SqlDialect::markers(qsizetype count)
{
    return QStringList(count, QStringLiteral("?")).join(QStringLiteral(", "));
}

static QString columnList(const QString& table)
{
    return SqlDialect::quotedList(Schema::columnsOf(table));
}

QString SqlDialect::selectWithIdentity(const QString& table, const QString& condition) const
{
    const QString where = condition.isEmpty() ? QString() : QStringLiteral(" where ") + condition;
    if (!isServer())
        return QStringLiteral("select rowid, * from %1%2").arg(table, where);
    return QStringLiteral("select id, %1 from %2%3 order by id")
        .arg(columnList(table), table, where);
}

QString SqlDialect::selectRows(const QString& table) const
{
    return QStringLiteral("select %1 from %2 order by %3")
        .arg(columnList(table), table, rowIdentity());
}

QString SqlDialect::contains(const QString& column) const
{
    // SQLite's LIKE has no escape character unless one is named and folds
    // ASCII case only; ILIKE with an empty escape under the C collation
    // means the same on the server, whatever the database's locale folds.
    return isServer() ? column + QStringLiteral(" collate \"C\" ilike ? escape ''")
                      : column + QStringLiteral(" like ?");
}

QString SqlDialect::insertRow(const QString& table, const QStringList& columns) const
{
    QString text;
    if (columns.isEmpty()) {
        text = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
    } else {
        text = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(table, quotedList(columns), markers(columns.size()));
    }
    return isServer() ? text + QStringLiteral(" RETURNING id") : text;
}

QString SqlDialect::createTable(const QString& table, const QStringList& columns) const
{
    QStringList defs;
    for (const QString& c : columns)
        defs << quoted(c) + QStringLiteral(" TEXT");
    if (isServer())
        defs << QStringLiteral("id bigint generated always as identity primary key");
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(table, defs.join(QStringLiteral(", ")));
}

QString SqlDialect::lockForReplace(const QString& table) const
{
    return isServer() ? QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(table) : QString();
}

QString SqlDialect::lockSchema() const
{
    return isServer() ? QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(Schema::fileFormat)
                      : QString();
}
