#include "store/table_query.h"

Statement TableQuery::select(const SqlDialect& dialect) const
{
    if (column.isEmpty())
        return {dialect.selectWithIdentity(table, {}), {}};
    const QString compared =
        ignoringSpacesAndDashes
            ? QStringLiteral("replace(replace(%1, ' ', ''), '-', '')").arg(column)
            : column;
    return {dialect.selectWithIdentity(table, dialect.contains(compared)),
            {QVariant(QLatin1Char('%') + text + QLatin1Char('%'))}};
}
