#include "store/table_query.h"

namespace {

QString condition(const TableQuery& query, const SqlDialect& dialect)
{
    if (query.column.isEmpty())
        return {};
    return dialect.contains(
        query.ignoringSpacesAndDashes
            ? QStringLiteral("replace(replace(%1, ' ', ''), '-', '')").arg(query.column)
            : query.column);
}

} // namespace

Statement TableQuery::select(const SqlDialect& dialect) const
{
    if (column.isEmpty())
        return {dialect.selectWithIdentity(table, {}), {}};
    return {dialect.selectWithIdentity(table, condition(*this, dialect)),
            {QVariant(QLatin1Char('%') + text + QLatin1Char('%'))}};
}

Statement TableQuery::selectAfter() const
{
    const SqlDialect file(SqlDialect::Kind::File);
    Statement part = select(file);
    const QString after = QStringLiteral("rowid > ?");
    const QString where =
        column.isEmpty() ? after : QStringLiteral("%1 and %2").arg(condition(*this, file), after);
    part.text = file.selectWithIdentity(table, where) + QStringLiteral(" order by rowid limit ?");
    return part;
}
