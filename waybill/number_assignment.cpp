#include "waybill/number_assignment.h"

#include "store/connection.h"
#include "store/statements_numbers.h"
#include "store/store_error.h"
#include "store/store_tables.h"
#include "waybill/waybill_numbers.h"

#include <QSqlQuery>
#include <algorithm>

NumberAssignment::NumberAssignment(Connection& connection, const QString& run)
    : m_connection(connection), m_run(run.trimmed())
{
    if (!StoreTables::holdsNumbers(m_connection))
        throw StoreError(QStringLiteral(u"数据库中没有运单号表，也无法建立"));
    reload();
    if (m_pages.isEmpty())
        throw StoreError(QStringLiteral(u"打印记录中没有第%1批").arg(m_run));
}

namespace {

bool allDigits(const QString& number)
{
    return std::all_of(number.begin(), number.end(), [](QChar c) { return c.isDigit(); });
}

} // namespace

void NumberAssignment::reload()
{
    m_pages.clear();
    m_numbered = 0;
    m_lettered = 0;
    QSqlQuery q = m_connection.run(NumberStatements::selectRunPages(m_connection.dialect(), m_run));
    while (q.next()) {
        m_pages << Page{q.value(0).toString(), q.value(1).toString(), QString(),
                        q.value(3).toString(), q.value(4).toString()};
        setNumber(int(m_pages.size()) - 1, q.value(2).toString());
    }
    m_next = 0;
    moveNext();
}

void NumberAssignment::setNumber(int page, const QString& number)
{
    QString& held = m_pages[page].waybillNumber;
    if (!held.isEmpty()) {
        --m_numbered;
        m_lettered -= allDigits(held) ? 0 : 1;
    }
    held = number;
    if (!held.isEmpty()) {
        ++m_numbered;
        m_lettered += allDigits(held) ? 0 : 1;
    }
}

void NumberAssignment::moveNext()
{
    while (m_next < m_pages.size() && !m_pages.at(m_next).waybillNumber.isEmpty())
        ++m_next;
}

QString NumberAssignment::attach(const QString& scanned)
{
    const QString number = scanned.trimmed().toUpper();
    const int at = next();
    if (at < 0)
        return QStringLiteral(u"第%1批的%2张运单都已有运单号，“%3”未填入。")
            .arg(m_run)
            .arg(m_pages.size())
            .arg(number);
    // Numbers from one pad are all digits: letters are a misread.
    const bool digitsOnly = m_numbered > 0 && m_lettered == 0;
    if (const QString why = WaybillNumbers::fault(number, digitsOnly); !why.isEmpty())
        return why + QStringLiteral(u"，未填入。");
    m_connection.beginWriting();
    try {
        if (const QString lock = NumberStatements::lockLog(m_connection.dialect()); !lock.isEmpty())
            m_connection.execute({lock, {}});
        if (m_connection.run(NumberStatements::selectUsedNumbers({number})).next()) {
            m_connection.rollback();
            return QStringLiteral(u"运单号%1已经用过，未填入。").arg(number);
        }
        QSqlQuery q = m_connection.run(NumberStatements::attachNumber(m_pages.at(at).page, number));
        if (q.numRowsAffected() != 1) {
            m_connection.rollback();
            reload();
            return QStringLiteral(u"第%1张已由另一处填入运单号%2，“%3”未填入，请核对后重新扫描。")
                .arg(at + 1)
                .arg(m_pages.value(at).waybillNumber, number);
        }
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
    setNumber(at, number);
    moveNext();
    m_given << at;
    return {};
}

QString NumberAssignment::undo()
{
    if (m_given.isEmpty())
        return QStringLiteral(u"没有可撤销的运单号。");
    const int at = m_given.last();
    const Page& page = m_pages.at(at);
    QSqlQuery q = m_connection.run(NumberStatements::detachNumber(page.page, page.waybillNumber));
    m_given.removeLast();
    if (q.numRowsAffected() != 1) {
        reload();
        return QStringLiteral(u"第%1张的运单号已由另一处改过，未撤销。").arg(at + 1);
    }
    setNumber(at, QString());
    m_next = std::min(m_next, at);
    return {};
}
