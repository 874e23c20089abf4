#include "store/store_tables.h"

#include "store/connection.h"
#include "store/schema.h"
#include "store/store_error.h"

#include <QSqlQuery>

namespace StoreTables {

QStringList present(Connection& connection)
{
    const QString text =
        connection.dialect().isServer()
            ? QStringLiteral("select 1 from information_schema.tables where table_name = ? and "
                             "table_schema = current_schema()")
            : QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?");
    QStringList found;
    for (const Schema::Table& t : Schema::tables()) {
        QSqlQuery q = connection.run({text, {t.name}});
        if (q.next())
            found << t.name;
    }
    return found;
}

void create(Connection& connection)
{
    connection.beginTransaction();
    try {
        const QStringList there = present(connection);
        if (!there.isEmpty())
            throw StoreError(QStringLiteral("%1 already holds %2; nothing was changed")
                                 .arg(connection.path(), there.join(QStringLiteral(", "))));
        for (const QString& create : Schema::createStatements(connection.dialect()))
            connection.execute({create, {}});
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}

bool ensureNumberTables(Connection& connection)
{
    const QStringList there = present(connection);
    if (there.contains(Schema::importedOrdersTable) && there.contains(Schema::waybillNumbersTable))
        return true;
    try {
        for (const QString& create : Schema::createNumberTables(connection.dialect()))
            connection.execute({create, {}});
    } catch (const StoreError&) {
        return false;
    }
    return true;
}

} // namespace StoreTables
