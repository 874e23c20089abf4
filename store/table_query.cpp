#include "store/table_query.h"

Statement TableQuery::select(const SqlDialect& dialect) const
{
    const QString condition =
        containsColumn.isEmpty() ? QString() : dialect.contains(containsColumn);
    return {dialect.selectWithIdentity(table, condition), bindings};
}
