#include "store/statements.h"

#include "store/schema.h"

#include <QStringList>

namespace Statements {

Statement selectSender()
{
    return {QStringLiteral("select * from outrxx"), {}};
}
Statement selectRecipients()
{
    return {QStringLiteral("select * from inrxx"), {}};
}
Statement selectImported()
{
    return {QStringLiteral("select * from excel"), {}};
}

Statement selectRecipientKeys()
{
    return {QStringLiteral(u"select 收件人姓名, 收件地址, 手机号码 from inrxx"), {}};
}

static Statement search(const QString& table, const QString& column, const QString& text)
{
    return {QStringLiteral("select * from %1 where %2 like ?").arg(table, column),
            {QVariant(QLatin1Char('%') + text + QLatin1Char('%'))}};
}

Statement searchRecipientsByName(const QString& text)
{
    return search(Schema::recipientTable, QStringLiteral(u"收件人姓名"), text);
}

Statement searchRecipientsByMobile(const QString& text)
{
    return search(Schema::recipientTable, QStringLiteral(u"手机号码"), text);
}

Statement searchImportedByName(const QString& text)
{
    return search(Schema::importedTable, QStringLiteral(u"收件人姓名"), text);
}

Statement searchImportedByMobile(const QString& text)
{
    return search(Schema::importedTable, QStringLiteral(u"手机号码"), text);
}

Statement deleteImported()
{
    return {QStringLiteral("Delete From excel"), {}};
}

Statement insertImported(const QStringList& values)
{
    const QStringList& columns = Schema::recipientColumns();
    QStringList quoted, markers;
    for (const QString& c : columns) {
        quoted << QLatin1Char('"') + c + QLatin1Char('"');
        markers << QStringLiteral("?");
    }
    Statement s{QStringLiteral("INSERT INTO excel (%1) VALUES (%2)")
                    .arg(quoted.join(QStringLiteral(", ")), markers.join(QStringLiteral(", "))),
                {}};
    for (int i = 0; i < columns.size(); ++i)
        s.bindings << (i < values.size() ? values.at(i) : QString());
    return s;
}

} // namespace Statements
