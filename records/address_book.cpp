#include "records/address_book.h"

#include "store/query_sets.h"
#include "store/schema.h"
#include "store/statements.h"

AddressBook::AddressBook(MainQueries& queries) : m_queries(queries) {}

RecipientFields AddressBook::current() const
{
    RecipientFields f;
    const QStringList& columns = Schema::recipientColumns();
    for (int c = 0; c < RecipientFields::count; ++c)
        f[c] = m_queries.recipients.field(columns.at(c));
    return f;
}

std::optional<QString> AddressBook::missingField(const RecipientFields& fields)
{
    if (fields[Name].isEmpty())
        return QStringLiteral(u"收件人姓名不能为空！");
    if (fields[Address].isEmpty())
        return QStringLiteral(u"收件地址不能为空！");
    if (fields[Mobile].isEmpty())
        return QStringLiteral(u"手机号码不能为空！");
    return std::nullopt;
}

void AddressBook::add(const RecipientFields& fields)
{
    Dataset& d = m_queries.recipients;
    const QStringList& columns = Schema::recipientColumns();
    d.append();
    for (int c = 0; c < RecipientFields::count; ++c)
        d.setField(columns.at(c), fields[c]);
    d.post();
}

bool AddressBook::hasCurrent() const
{
    return m_queries.recipients.currentRow() >= 0;
}

void AddressBook::modify(const RecipientFields& fields, const QList<bool>& changed)
{
    Dataset& d = m_queries.recipients;
    const QStringList& columns = Schema::recipientColumns();
    d.edit();
    for (int c = 0; c < RecipientFields::count; ++c)
        if (changed.value(c))
            d.setField(columns.at(c), fields[c]);
    d.post();
}

void AddressBook::deleteCurrent()
{
    m_queries.recipients.deleteCurrent();
}

void AddressBook::deleteAll()
{
    Dataset& d = m_queries.recipients;
    while (d.currentRow() >= 0)
        d.deleteCurrent();
}

void AddressBook::search(const QString& name, const QString& mobile)
{
    Dataset& d = m_queries.recipients;
    if (!name.isEmpty()) {
        d.close();
        d.setQuery(Statements::searchRecipientsByName(name));
        d.open();
    }
    if (!mobile.isEmpty()) {
        d.close();
        d.setQuery(Statements::searchRecipientsByMobile(mobile));
        d.open();
    }
}
