#include "records/address_book.h"

#include "store/query_sets.h"
#include "store/recipient_key.h"
#include "store/schema.h"
#include "store/statements.h"

#include <QSqlQuery>

AddressBook::AddressBook(MainQueries& queries) : m_queries(queries) {}

RecipientFields AddressBook::current() const
{
    RecipientFields f;
    const QStringList& columns = Schema::recipientColumns();
    for (int c = 0; c < RecipientFields::count; ++c)
        f[c] = m_queries.recipients.field(columns.at(c));
    return f;
}

std::optional<AddressBook::Column> AddressBook::missingColumn(const RecipientFields& fields)
{
    for (const Column c : {Name, Address, Mobile})
        if (fields[c].isEmpty())
            return c;
    return std::nullopt;
}

std::optional<QString> AddressBook::missingField(const RecipientFields& fields)
{
    switch (missingColumn(fields).value_or(Company)) {
    case Name:
        return QStringLiteral(u"收件人姓名不能为空！");
    case Address:
        return QStringLiteral(u"收件地址不能为空！");
    case Mobile:
        return QStringLiteral(u"手机号码不能为空！");
    default:
        return std::nullopt;
    }
}

QString AddressBook::mobileKey(const QString& mobile)
{
    return RecipientKey::mobile(mobile);
}

std::optional<AddressBook::Match> AddressBook::alreadyHas(const RecipientFields& fields) const
{
    const QString mobile = mobileKey(fields[Mobile]);
    const QString name = fields[Name].trimmed();
    const QString address = fields[Address].trimmed();
    QSqlQuery q = m_queries.connection.run(Statements::selectRecipientKeys());
    while (q.next()) {
        if (!mobile.isEmpty() ? mobileKey(q.value(2).toString()) == mobile
                              : q.value(0).toString().trimmed() == name &&
                                    q.value(1).toString().trimmed() == address)
            return Match{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
    }
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
    m_queries.recipients.deleteAll();
}

void AddressBook::search(const QString& name, const QString& mobile)
{
    Dataset& d = m_queries.recipients;
    if (!name.isEmpty())
        d.reopen(Statements::searchRecipientsByName(name));
    if (!mobile.isEmpty())
        d.reopen(Statements::searchRecipientsByMobile(mobile));
}
