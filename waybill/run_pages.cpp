#include "waybill/run_pages.h"

#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements_numbers.h"
#include "store/store_tables.h"
#include "waybill/print_error.h"
#include "waybill/print_log.h"

#include <QSqlQuery>

RunPages::RunPages(const StoreSession& store, PageSource& pages, const Dataset* recipients,
                   RecordMode mode)
    : m_store(store), m_pages(pages), m_recipients(recipients),
      m_rows(mode == RecordMode::EveryRow ? recipients : nullptr), m_mode(mode)
{
}

RunPages::RunPages(const StoreSession& store, PageSource& pages, const RowSource& rows)
    : m_store(store), m_pages(pages), m_recipients(nullptr), m_rows(&rows),
      m_mode(RecordMode::EveryRow)
{
}

void RunPages::readOrders()
{
    m_ordersRead = true;
    const auto read = [this](Connection& connection) {
        // A store from before the order numbers has none to read.
        if (!StoreTables::present(connection).contains(Schema::importedOrdersTable))
            return;
        QSqlQuery q = connection.run(NumberStatements::selectImportedOrders(connection.dialect()));
        while (q.next())
            m_orders.insert(q.value(0).toLongLong(),
                            {q.value(1).toString(), q.value(2).toString()});
    };
    if (m_recipients) {
        if (m_recipients->isOpen() && m_recipients->query().table == Schema::importedTable)
            read(m_recipients->connection());
    } else if (m_rows && m_rows->table() == Schema::importedTable) {
        Connection own(m_store);
        own.open();
        read(own);
    }
}

bool RunPages::describePage(int index, LoggedPage& page)
{
    if (!m_pages.describePage(index, page))
        return false;
    if (!m_ordersRead)
        readOrders();
    if (!m_orders.isEmpty()) {
        const QVariant identity = m_mode == RecordMode::EveryRow
                                      ? m_rows->identity(index)
                                      : m_recipients->identity(m_recipients->currentRow());
        const auto it = m_orders.constFind(identity.toLongLong());
        if (it != m_orders.constEnd()) {
            page.orderNumber = it->first;
            page.shop = it->second;
        }
    }
    if (!m_orderNumber.isEmpty()) {
        page.orderNumber = m_orderNumber;
        page.shop.clear();
    }
    page.waybillNumber = m_numbers.at(m_form.isEmpty() ? index : m_form.value(index, -1));
    return true;
}

QString RunPages::refusal() const
{
    if (!m_padEnd.isEmpty())
        return m_padEnd;
    if (m_numbers.isEmpty())
        return {};
    Connection connection(m_store);
    connection.open();
    return PrintLog::usedNumbers(connection, m_numbers, m_form.isEmpty() ? -1 : m_form.size());
}

void RunPages::setPrintOrder(const QList<int>& indices)
{
    m_form.clear();
    if (indices.size() == pageCount())
        return;
    for (int i = 0; i < indices.size(); ++i)
        m_form.insert(indices.at(i), i);
}

void RunPages::formsUsed(int forms)
{
    try {
        m_numbers = m_numbers.following(forms);
    } catch (const PrintError& e) {
        m_padEnd = e.text();
    }
}
