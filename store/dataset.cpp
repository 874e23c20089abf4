#include "store/dataset.h"

#include "store/connection.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// Another connection may have deleted the row since the snapshot; saying
// nothing would report a lost change as saved.
StoreError rowGone()
{
    return StoreError(QStringLiteral("Row cannot be located for updating. Some values may have "
                                     "been changed since it was last read."));
}

} // namespace

Dataset::Dataset(Connection& connection, QObject* parent)
    : QObject(parent), m_connection(connection)
{
    connect(&m_connection, &Connection::aboutToClose, this, &Dataset::close);
}

void Dataset::open()
{
    if (m_open)
        return;
    // The identity addresses the row for later edits; it is not a column.
    const qint64 generation = m_connection.generation();
    QSqlQuery q = m_connection.run(m_query.select(m_connection.dialect()));
    QStringList columns;
    const QSqlRecord rec = q.record();
    for (int i = 1; i < rec.count(); ++i)
        columns << rec.fieldName(i);
    QList<Row> rows;
    while (q.next()) {
        Row r;
        r.identity = q.value(0);
        r.values.reserve(columns.size());
        for (int i = 1; i <= columns.size(); ++i) {
            const QVariant v = q.value(i);
            r.values << (v.isNull() ? QString() : v.toString());
        }
        rows << std::move(r);
    }
    emit aboutToReset();
    m_columns = columns;
    m_rows = std::move(rows);
    m_open = true;
    m_generation = generation;
    m_state = State::Browse;
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_atEnd = m_rows.isEmpty();
    emit reset();
    emit currentRowChanged(m_current);
}

void Dataset::close()
{
    if (!m_open)
        return;
    emit aboutToReset();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_current = -1;
    m_atEnd = true;
    m_state = State::Browse;
    emit reset();
    emit currentRowChanged(-1);
}

void Dataset::requireOpen() const
{
    if (!m_open)
        throw StoreError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void Dataset::moveTo(int row)
{
    if (m_state != State::Browse)
        cancel();
    const int target = m_rows.isEmpty() ? -1 : std::clamp(row, 0, int(m_rows.size()) - 1);
    m_atEnd = m_rows.isEmpty();
    if (target != m_current) {
        m_current = target;
        emit currentRowChanged(m_current);
    }
}

void Dataset::setCurrentRow(int row)
{
    moveTo(row);
}
void Dataset::first()
{
    moveTo(0);
}
void Dataset::last()
{
    moveTo(int(m_rows.size()) - 1);
}

void Dataset::next()
{
    if (m_current + 1 < m_rows.size())
        moveTo(m_current + 1);
    else
        m_atEnd = true;
}

int Dataset::columnIndex(const QString& column) const
{
    return int(m_columns.indexOf(column));
}

QString Dataset::field(const QString& column) const
{
    const int c = columnIndex(column);
    if (c < 0)
        return {};
    if (m_state != State::Browse)
        return m_buffer.value(c);
    if (m_current < 0)
        return {};
    return m_rows.at(m_current).values.value(c);
}

QString Dataset::value(int row, const QString& column) const
{
    return value(row, columnIndex(column));
}

QString Dataset::value(int row, int column) const
{
    if (column < 0 || row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).values.value(column);
}

void Dataset::edit()
{
    requireOpen();
    if (m_rows.isEmpty()) {
        append();
        return;
    }
    m_state = State::Edit;
    m_buffer = m_rows.at(m_current).values;
    m_changed.clear();
}

void Dataset::append()
{
    requireOpen();
    m_state = State::Insert;
    m_buffer = QStringList();
    for (int i = 0; i < m_columns.size(); ++i)
        m_buffer << QString();
    m_changed.clear();
}

void Dataset::setField(const QString& column, const QString& text)
{
    if (m_state == State::Browse)
        throw StoreError(QStringLiteral("Dataset not in edit or insert mode"));
    const int c = columnIndex(column);
    if (c < 0)
        throw StoreError(QStringLiteral("Field '%1' not found").arg(column));
    m_buffer[c] = text;
    m_changed.insert(c);
}

void Dataset::post()
{
    if (m_state == State::Browse)
        return;
    QList<int> changed(m_changed.begin(), m_changed.end());
    std::sort(changed.begin(), changed.end());
    QStringList columns;
    QVariantList values;
    for (int c : changed) {
        columns << m_columns.at(c);
        // An empty text is stored as a text, not as NULL.
        values << QVariant(m_buffer.at(c).isNull() ? QStringLiteral("") : m_buffer.at(c));
    }
    // A save that failed leaves nothing half-edited behind: the row reads
    // as it was read, and the next edit starts afresh.
    try {
        if (m_state == State::Edit)
            postEdit(columns, values);
        else
            postInsert(columns, values);
    } catch (...) {
        cancel();
        throw;
    }
}

void Dataset::postEdit(const QStringList& columns, const QVariantList& values)
{
    if (!columns.isEmpty()) {
        const Statement s =
            Statements::updateRow(m_query.table, columns, values, m_connection.rowIdentity(),
                                  m_rows.at(m_current).identity);
        if (m_connection.run(s).numRowsAffected() == 0)
            throw rowGone();
    }
    for (qsizetype i = 0; i < columns.size(); ++i)
        m_rows[m_current].values[columnIndex(columns.at(i))] = values.at(i).toString();
    m_state = State::Browse;
    emit rowChanged(m_current);
}

void Dataset::postInsert(const QStringList& columns, const QVariantList& values)
{
    QSqlQuery q = m_connection.run(
        Statements::insertRow(m_connection.dialect(), m_query.table, columns, values));
    Row r;
    r.identity =
        m_connection.dialect().isServer() ? (q.next() ? q.value(0) : QVariant()) : q.lastInsertId();
    for (int c = 0; c < m_columns.size(); ++c)
        r.values << QString();
    for (qsizetype i = 0; i < columns.size(); ++i)
        r.values[columnIndex(columns.at(i))] = values.at(i).toString();
    const int row = int(m_rows.size());
    m_rows << r;
    emit rowAppended(row);
    m_state = State::Browse;
    m_current = row;
    m_atEnd = false;
    emit currentRowChanged(m_current);
}

void Dataset::requireSameContent()
{
    if (m_connection.generation() != m_generation) {
        cancel();
        throw StoreError(Connection::replacedText());
    }
}

void Dataset::cancel()
{
    m_state = State::Browse;
    m_buffer.clear();
    m_changed.clear();
}

void Dataset::deleteCurrent()
{
    requireOpen();
    if (m_state != State::Browse)
        cancel();
    if (m_current < 0)
        throw StoreError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    requireSameContent();
    if (m_connection
            .run(Statements::deleteRow(m_query.table, m_connection.rowIdentity(),
                                       m_rows.at(m_current).identity))
            .numRowsAffected() == 0)
        throw rowGone();
    const int row = m_current;
    emit rowAboutToBeRemoved(row);
    m_rows.removeAt(row);
    emit rowRemoved(row);
    m_current = m_rows.isEmpty() ? -1 : std::min(row, int(m_rows.size()) - 1);
    m_atEnd = m_rows.isEmpty();
    emit currentRowChanged(m_current);
}
