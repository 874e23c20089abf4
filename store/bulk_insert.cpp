#include "store/bulk_insert.h"

#include "store/statements.h"

#include <QSqlQuery>

namespace {

// A hundred rows of ten values stay far below either engine's limit on
// bound values, and take a hundredth of the answers.
constexpr int rowsPerStatement = 100;

} // namespace

BulkInsert::BulkInsert(Connection& connection, const QString& table, const QStringList& columns)
    : m_connection(connection), m_table(table), m_columns(columns)
{
    m_held.reserve(rowsPerStatement * columns.size());
}

void BulkInsert::add(const QVariantList& values)
{
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        m_held << values.value(c);
    if (m_held.size() < rowsPerStatement * m_columns.size())
        return;
    if (!m_full)
        m_full.emplace(
            m_connection.prepare(Statements::insertRows(m_table, m_columns, rowsPerStatement)));
    m_full->execute(m_held);
    m_held.clear();
}

void BulkInsert::finish()
{
    if (m_held.isEmpty())
        return;
    const int rows = int(m_held.size() / m_columns.size());
    m_connection.prepare(Statements::insertRows(m_table, m_columns, rows)).execute(m_held);
    m_held.clear();
}
