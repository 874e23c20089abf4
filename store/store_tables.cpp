#include "store/store_tables.h"

#include "store/connection.h"
#include "store/schema.h"
#include "store/schema_steps.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QSqlQuery>

namespace StoreTables {

QStringList present(Connection& connection)
{
    QStringList names;
    QSqlQuery q = connection.run(Statements::tableNames(connection.dialect()));
    while (q.next())
        names << q.value(0).toString();
    QStringList found;
    for (const Schema::Table& t : Schema::tables())
        if (names.contains(t.name))
            found << t.name;
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
        for (const Schema::Table& t : Schema::tables()) {
            connection.execute(Statements::createTable(connection.dialect(), t.name));
            for (const Statement& s : Statements::createIndexes(t.name))
                connection.execute(s);
        }
        SchemaSteps::stamp(connection);
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}

bool holdsNumbers(const Connection& connection)
{
    return connection.holds(Schema::importedOrdersTable) &&
           connection.holds(Schema::waybillNumbersTable);
}

} // namespace StoreTables
