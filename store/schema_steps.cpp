#include "store/schema_steps.h"

#include "store/connection.h"
#include "store/schema.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QSqlQuery>
#include <algorithm>
#include <optional>

namespace SchemaSteps {

namespace {

QStringList tableNames(Connection& connection)
{
    QStringList names;
    QSqlQuery q = connection.run(Statements::tableNames(connection.dialect()));
    while (q.next())
        names << q.value(0).toString();
    return names;
}

// 0 for a store that carries no version: one from before versions, or
// none of ours. Nothing when the role may not read it (on the server a
// failed read would end the transaction it is in).
std::optional<int> storedVersion(Connection& connection, const QStringList& names)
{
    const SqlDialect& dialect = connection.dialect();
    if (dialect.isServer() && !names.contains(Schema::versionTable))
        return 0;
    try {
        QSqlQuery q = connection.run(Statements::selectVersion(dialect));
        if (!q.next())
            return 0;
        const int stored = q.value(0).toInt();
        if (!dialect.isServer())
            return (stored & ~0xFFFF) == Schema::fileFormat ? stored & 0xFFFF : 0;
        return stored;
    } catch (const StoreError&) {
        return std::nullopt;
    }
}

bool holdsTable(const Connection& connection, const QStringList& names, const QString& table)
{
    // SQLite's table names ignore case, the server's quoted ones do not.
    return names.contains(table, connection.dialect().isServer() ? Qt::CaseSensitive
                                                                 : Qt::CaseInsensitive);
}

QStringList missingTables(const Connection& connection, const QStringList& names)
{
    QStringList missing;
    for (const Schema::Table& t : Schema::tables())
        if (!holdsTable(connection, names, t.name))
            missing << t.name;
    return missing;
}

void createIfMissing(Connection& connection, const QStringList& names, const QString& table)
{
    if (!holdsTable(connection, names, table))
        connection.execute(Statements::createTable(connection.dialect(), table));
}

// Step N brings a store of version N-1 to N. A step looks before it
// changes anything, so taking it again (a table dropped by hand, two desks
// at once) does no harm. A new step goes at the end with the next number;
// a table added to Schema::tables() needs one that creates it where it is
// missing, a column one that adds it where tableColumns() lacks it.
struct Step {
    int version;
    void (*take)(Connection& connection, const QStringList& names);
};

// 2: the print log, on a database from before it.
void addPrintLog(Connection& connection, const QStringList& names)
{
    createIfMissing(connection, names, Schema::printLogTable);
}

// 3: order numbers beside the imported rows, waybill numbers beside the log.
void addNumberTables(Connection& connection, const QStringList& names)
{
    createIfMissing(connection, names, Schema::importedOrdersTable);
    createIfMissing(connection, names, Schema::waybillNumbersTable);
}

// 4: what finds a logged page's template again.
void addPrintLogTemplate(Connection& connection, const QStringList&)
{
    QSqlQuery q =
        connection.run(Statements::tableColumns(connection.dialect(), Schema::printLogTable));
    while (q.next())
        if (q.value(0).toString() == Schema::printLogTemplateColumn)
            return;
    connection.execute(
        Statements::addColumn(Schema::printLogTable, Schema::printLogTemplateColumn));
}

// 5: the numbers' indexes; a program from before them reads and writes the
// table as it did.
void addNumberIndexes(Connection& connection, const QStringList&)
{
    for (const Statement& s : Statements::createIndexes(Schema::waybillNumbersTable))
        connection.execute(s);
}

const Step steps[] = {
    {2, addPrintLog},
    {3, addNumberTables},
    {4, addPrintLogTemplate},
    {5, addNumberIndexes},
};

void writeVersion(Connection& connection, int version)
{
    const SqlDialect& dialect = connection.dialect();
    if (dialect.isServer() && !tableNames(connection).contains(Schema::versionTable))
        connection.execute(Statements::createVersionTable());
    for (const Statement& s : Statements::writeVersion(dialect, version))
        connection.execute(s);
}

// The server's first line, without its level and the statement quoted
// after it: "permission denied for schema public".
QString reason(const QString& engineText)
{
    QString line = engineText.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (line.startsWith(QLatin1String("ERROR:")))
        line = line.mid(6).trimmed();
    return line;
}

} // namespace

int current()
{
    return std::end(steps)[-1].version;
}

void stamp(Connection& connection)
{
    writeVersion(connection, current());
}

State bringUpToDate(Connection& connection)
{
    State state;
    try {
        QStringList names = tableNames(connection);
        const QStringList missing = missingTables(connection, names);
        if (std::any_of(missing.cbegin(), missing.cend(), Schema::isWaybillTable))
            return state;
        const std::optional<int> readable = storedVersion(connection, names);
        // A role that may not read the version takes the steps, which look first.
        int version = readable.value_or(0);
        if (version >= current() && missing.isEmpty())
            return state;
        connection.beginWriting();
        try {
            if (const QString lock = connection.dialect().lockSchema(); !lock.isEmpty())
                connection.execute({lock, {}});
            // Another desk may have done it while this one waited.
            names = tableNames(connection);
            if (readable)
                version = storedVersion(connection, names).value_or(0);
            // A table missing though the version has it: every step again.
            const int from = missingTables(connection, names).isEmpty() ? version : 1;
            for (const Step& step : steps)
                if (step.version > from)
                    step.take(connection, names);
            if (version < current())
                writeVersion(connection, current());
            connection.commit();
        } catch (...) {
            connection.rollback();
            throw;
        }
        names = tableNames(connection);
        state.missing = missingTables(connection, names);
    } catch (const StoreError& e) {
        state.failure = reason(e.text());
        try {
            state.missing = missingTables(connection, tableNames(connection));
        } catch (const StoreError&) {
            // Nothing can be read: every statement will say so itself.
        }
    }
    return state;
}

} // namespace SchemaSteps
