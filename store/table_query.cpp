#include "store/table_query.h"

Statement TableQuery::select(const QString& identity) const
{
    QString text = identity.isEmpty() ? QStringLiteral("select * from %1").arg(table)
                                      : QStringLiteral("select %1, * from %2").arg(identity, table);
    if (!condition.isEmpty())
        text += QStringLiteral(" where ") + condition;
    return {text, bindings};
}
