#include "store/statements.h"

#include "store/schema.h"

namespace Statements {

namespace {

QString quoted(const QString& column)
{
    return QLatin1Char('"') + column + QLatin1Char('"');
}

QString markers(qsizetype count)
{
    QStringList list;
    for (qsizetype i = 0; i < count; ++i)
        list << QStringLiteral("?");
    return list.join(QStringLiteral(", "));
}

TableQuery search(const QString& table, const QString& column, const QString& text)
{
    return {table, column, {QVariant(QLatin1Char('%') + text + QLatin1Char('%'))}};
}

} // namespace

Statement selectRecipientKeys()
{
    return {QStringLiteral(u"select 收件人姓名, 收件地址, 手机号码 from inrxx"), {}};
}

TableQuery selectSender()
{
    return {Schema::senderTable, {}, {}};
}
TableQuery selectRecipients()
{
    return {Schema::recipientTable, {}, {}};
}
TableQuery selectImported()
{
    return {Schema::importedTable, {}, {}};
}

TableQuery searchRecipientsByName(const QString& text)
{
    return search(Schema::recipientTable, QStringLiteral(u"收件人姓名"), text);
}

TableQuery searchRecipientsByMobile(const QString& text)
{
    return search(Schema::recipientTable, QStringLiteral(u"手机号码"), text);
}

TableQuery searchImportedByName(const QString& text)
{
    return search(Schema::importedTable, QStringLiteral(u"收件人姓名"), text);
}

TableQuery searchImportedByMobile(const QString& text)
{
    return search(Schema::importedTable, QStringLiteral(u"手机号码"), text);
}

Statement deleteImported()
{
    return {QStringLiteral("Delete From excel"), {}};
}

Statement insertImported(const SqlDialect& dialect, const QStringList& values)
{
    const QStringList& columns = Schema::recipientColumns();
    QVariantList bound;
    for (qsizetype i = 0; i < columns.size(); ++i)
        bound << (i < values.size() ? values.at(i) : QString());
    return insertRow(dialect, Schema::importedTable, columns, bound);
}

Statement insertRow(const SqlDialect& dialect, const QString& table, const QStringList& columns,
                    const QVariantList& values)
{
    return {dialect.insertRow(table, columns), values};
}

Statement updateRow(const QString& table, const QStringList& columns, const QVariantList& values,
                    const QString& identity, const QVariant& row)
{
    QStringList sets;
    for (const QString& c : columns)
        sets << quoted(c) + QStringLiteral(" = ?");
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
                .arg(table, identity, markers(rows.size())),
            rows};
}

} // namespace Statements
