#include "store/statements.h"

#include "store/schema.h"

namespace Statements {

namespace {

TableQuery search(const QString& table, const QString& column, const QString& text)
{
    return {table, column, false, text};
}

// "138-1111 2222" is found by "13811112222" and the other way round.
TableQuery searchMobile(const QString& table, const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char(' ')).remove(QLatin1Char('-'));
    return {table, QStringLiteral(u"手机号码"), true, digits};
}

} // namespace

Statement selectRecipientKeys()
{
    return {QStringLiteral(u"select 收件人姓名, 收件地址, 手机号码 from inrxx"), {}};
}

TableQuery selectSender()
{
    return {Schema::senderTable};
}
TableQuery selectRecipients()
{
    return {Schema::recipientTable};
}
TableQuery selectImported()
{
    return {Schema::importedTable};
}

TableQuery searchRecipientsByName(const QString& text)
{
    return search(Schema::recipientTable, QStringLiteral(u"收件人姓名"), text);
}

TableQuery searchRecipientsByMobile(const QString& text)
{
    return searchMobile(Schema::recipientTable, text);
}

TableQuery searchImportedByName(const QString& text)
{
    return search(Schema::importedTable, QStringLiteral(u"收件人姓名"), text);
}

TableQuery searchImportedByMobile(const QString& text)
{
    return searchMobile(Schema::importedTable, text);
}

Statement deleteImported()
{
    return {QStringLiteral("Delete From excel"), {}};
}

namespace {

QStringList printLogColumns(bool withTemplate)
{
    QStringList columns = Schema::printLogColumns();
    if (!withTemplate)
        columns.removeLast();
    return columns;
}

} // namespace

QString insertPrintLog(int rows, bool withTemplate)
{
    return insertRows(Schema::printLogTable, printLogColumns(withTemplate), rows);
}

Statement selectPrintLog(const SqlDialect& dialect, const QString& name, const QString& mobile,
                         const QString& date, const QString& since,
                         const std::optional<Statement>& among, qsizetype limit)
{
    const auto contains = [](const QString& text) {
        return QVariant(QLatin1Char('%') + text + QLatin1Char('%'));
    };
    // The address book's "contains": a backslash is literal on both stores.
    Statement s{QStringLiteral(u"SELECT %1, 打印时间, 打印窗口, 打印到, 收件人姓名, 手机号码, "
                               u"收件地址 FROM %2 WHERE %3 AND %4 AND %5 AND 打印时间 >= ?")
                    .arg(dialect.rowIdentity(), Schema::printLogTable,
                         dialect.contains(QStringLiteral(u"收件人姓名")),
                         dialect.contains(QStringLiteral(u"手机号码")),
                         dialect.contains(QStringLiteral(u"打印时间"))),
                // A null text would bind as NULL, which nothing is >= to.
                {contains(name), contains(mobile), QVariant(date + QLatin1Char('%')),
                 QVariant(since.isNull() ? QStringLiteral("") : since)}};
    if (among) {
        s.text += QStringLiteral(" AND %1 IN (%2)").arg(dialect.rowIdentity(), among->text);
        s.bindings += among->bindings;
    }
    s.text += QStringLiteral(u" ORDER BY 打印时间 DESC, %1 DESC").arg(dialect.rowIdentity());
    if (limit >= 0)
        s.text += QStringLiteral(" LIMIT %1").arg(limit);
    return s;
}

Statement selectPrintLogPages(const QString& identity, const QList<qlonglong>& numbers,
                              bool withTemplate)
{
    QVariantList bound;
    for (qlonglong n : numbers)
        bound << n;
    return {QStringLiteral("SELECT %1, %2 FROM %3 WHERE %1 IN (%4)")
                .arg(identity, SqlDialect::quotedList(printLogColumns(withTemplate)),
                     Schema::printLogTable, SqlDialect::markers(numbers.size())),
            bound};
}

Statement selectPrintedRecipients(const QString& since)
{
    return {QStringLiteral(u"SELECT 收件人姓名, 收件地址, 手机号码 FROM %1 WHERE 打印时间 >= ?")
                .arg(Schema::printLogTable),
            {since}};
}

Statement insertRow(const SqlDialect& dialect, const QString& table, const QStringList& columns,
                    const QVariantList& values)
{
    return {dialect.insertRow(table, columns), values};
}

QString insertRows(const QString& table, const QStringList& columns, int rows)
{
    const QString row = QLatin1Char('(') + SqlDialect::markers(columns.size()) + QLatin1Char(')');
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table, SqlDialect::quotedList(columns),
             QStringList(rows, row).join(QStringLiteral(", ")));
}

QString copyRows(const QString& table, const QStringList& columns)
{
    return QStringLiteral("COPY %1 (%2) FROM STDIN")
        .arg(SqlDialect::quoted(table), SqlDialect::quotedList(columns));
}

Statement updateRow(const QString& table, const QStringList& columns, const QVariantList& values,
                    const QString& identity, const QVariant& row)
{
    QStringList sets;
    for (const QString& c : columns)
        sets << SqlDialect::quoted(c) + QStringLiteral(" = ?");
    Statement s{QStringLiteral("UPDATE %1 SET %2 WHERE %3 = ?")
                    .arg(table, sets.join(QStringLiteral(", ")), identity),
                values};
    s.bindings << row;
    return s;
}

Statement deleteRow(const QString& table, const QString& identity, const QVariant& row)
{
    return {QStringLiteral("DELETE FROM %1 WHERE %2 = ?").arg(table, identity), {row}};
}

Statement deleteRows(const QString& table, const QString& identity, const QVariantList& rows)
{
    return {QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                .arg(table, identity, SqlDialect::markers(rows.size())),
            rows};
}

Statement selectRowForChange(const SqlDialect& dialect, const QString& table,
                             const QStringList& columns, const QVariant& row)
{
    return {QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?%4")
                .arg(SqlDialect::quotedList(columns), table, dialect.rowIdentity(),
                     dialect.isServer() ? QStringLiteral(" FOR UPDATE") : QString()),
            {row}};
}

Statement selectRowsForChange(const SqlDialect& dialect, const QString& table,
                              const QStringList& columns)
{
    return {QStringLiteral("SELECT %1, %2 FROM %3")
                .arg(dialect.rowIdentity(), SqlDialect::quotedList(columns), table),
            {}};
}

Statement selectColumns(const QString& table, const QStringList& columns)
{
    return {QStringLiteral("SELECT %1 FROM %2")
                .arg(SqlDialect::quotedList(columns), SqlDialect::quoted(table)),
            {}};
}

Statement noRows(Statement select)
{
    select.text += QStringLiteral(" LIMIT 0");
    return select;
}

Statement countRows(const QString& table)
{
    return {QStringLiteral("SELECT count(*) FROM %1").arg(SqlDialect::quoted(table)), {}};
}

Statement deleteAll(const QString& table)
{
    return {QStringLiteral("DELETE FROM %1").arg(SqlDialect::quoted(table)), {}};
}

Statement createTable(const SqlDialect& dialect, const QString& table)
{
    return {dialect.createTable(table, Schema::columnsOf(table)), {}};
}

QList<Statement> createIndexes(const QString& table)
{
    QList<Statement> made;
    for (const Schema::Index& i : Schema::indexes())
        if (i.table == table)
            made.append({QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                             .arg(i.name, table, SqlDialect::quoted(i.column)),
                         {}});
    return made;
}

Statement tableNames(const SqlDialect& dialect)
{
    return {dialect.isServer()
                // What information_schema.tables lists, without the view:
                // on a new connection it took twice as long.
                ? QStringLiteral(
                      "SELECT c.relname FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n "
                      "ON n.oid = c.relnamespace WHERE n.nspname = current_schema() "
                      "AND c.relkind IN ('r', 'v', 'f', 'p') "
                      "AND NOT pg_catalog.pg_is_other_temp_schema(n.oid) "
                      "AND (pg_catalog.pg_has_role(c.relowner, 'USAGE') "
                      "OR pg_catalog.has_table_privilege(c.oid, "
                      "'SELECT, INSERT, UPDATE, DELETE, TRUNCATE, REFERENCES, TRIGGER') "
                      "OR pg_catalog.has_any_column_privilege(c.oid, "
                      "'SELECT, INSERT, UPDATE, REFERENCES'))")
                : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"),
            {}};
}

Statement tableColumns(const SqlDialect& dialect, const QString& table)
{
    return {dialect.isServer()
                ? QStringLiteral("SELECT column_name FROM information_schema.columns WHERE "
                                 "table_schema = current_schema() AND table_name = ? "
                                 "ORDER BY ordinal_position")
                : QStringLiteral("SELECT name FROM pragma_table_info(?)"),
            {table}};
}

Statement addColumn(const QString& table, const QString& column)
{
    return {
        QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 TEXT").arg(table, SqlDialect::quoted(column)),
        {}};
}

Statement selectVersion(const SqlDialect& dialect)
{
    return {dialect.isServer()
                ? QStringLiteral("SELECT max(version) FROM %1").arg(Schema::versionTable)
                : QStringLiteral("PRAGMA application_id"),
            {}};
}

Statement createVersionTable()
{
    return {QStringLiteral("CREATE TABLE %1 (version integer NOT NULL)").arg(Schema::versionTable),
            {}};
}

QList<Statement> writeVersion(const SqlDialect& dialect, int version)
{
    if (dialect.isServer())
        return {{QStringLiteral("DELETE FROM %1").arg(Schema::versionTable), {}},
                {QStringLiteral("INSERT INTO %1 (version) VALUES (?)").arg(Schema::versionTable),
                 {version}}};
    // A pragma takes no bound values.
    return {{QStringLiteral("PRAGMA application_id = %1").arg(Schema::fileFormat | version), {}}};
}

Statement generation()
{
    return {QStringLiteral("PRAGMA user_version"), {}};
}

Statement setGeneration(int generation)
{
    return {QStringLiteral("PRAGMA user_version = %1").arg(generation), {}};
}

Statement rollbackJournal()
{
    return {QStringLiteral("PRAGMA journal_mode=DELETE"), {}};
}

Statement fullSync()
{
    return {QStringLiteral("PRAGMA synchronous=FULL"), {}};
}

Statement dataVersion()
{
    return {QStringLiteral("PRAGMA data_version"), {}};
}

Statement quickCheck()
{
    return {QStringLiteral("PRAGMA quick_check"), {}};
}

Statement begin()
{
    return {QStringLiteral("BEGIN"), {}};
}

Statement beginWriting()
{
    return {QStringLiteral("BEGIN IMMEDIATE"), {}};
}

Statement commit()
{
    return {QStringLiteral("COMMIT"), {}};
}

Statement readOnlySnapshot()
{
    return {QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"), {}};
}

} // namespace Statements
