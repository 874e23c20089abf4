#include "store/dataset.h"

#include "store/connection.h"
#include "store/store_error.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

Dataset::Dataset(Connection& connection, QObject* parent)
    : QAbstractTableModel(parent), m_connection(connection)
{
    connect(&m_connection, &Connection::aboutToClose, this, &Dataset::close);
}

void Dataset::open()
{
    if (m_open)
        return;
    // The row id addresses the row for later edits; it is not a column.
    Statement s = m_statement;
    static const QRegularExpression selectAll(QStringLiteral("^\\s*select\\s+\\*\\s+"),
                                              QRegularExpression::CaseInsensitiveOption);
    const auto match = selectAll.match(s.text);
    if (!match.hasMatch())
        throw StoreError(QStringLiteral("Unsupported statement: %1").arg(s.text));
    s.text = QStringLiteral("select rowid, * ") + s.text.mid(match.capturedEnd());

    const qint64 generation = m_connection.generation();
    QSqlQuery q = m_connection.run(s);
    QStringList columns;
    const QSqlRecord rec = q.record();
    for (int i = 1; i < rec.count(); ++i)
        columns << rec.fieldName(i);
    QList<Row> rows;
    while (q.next()) {
        Row r;
        r.rowid = q.value(0).toLongLong();
        r.values.reserve(columns.size());
        for (int i = 1; i <= columns.size(); ++i) {
            const QVariant v = q.value(i);
            r.values << (v.isNull() ? QString() : v.toString());
        }
        rows << std::move(r);
    }
    beginResetModel();
    m_columns = columns;
    m_rows = std::move(rows);
    m_open = true;
    m_generation = generation;
    m_state = State::Browse;
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_atEnd = m_rows.isEmpty();
    endResetModel();
    emit currentRowChanged(m_current);
}

void Dataset::close()
{
    if (!m_open)
        return;
    beginResetModel();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_current = -1;
    m_atEnd = true;
    m_state = State::Browse;
    endResetModel();
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
    const int c = columnIndex(column);
    if (c < 0 || row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).values.value(c);
}

QString Dataset::tableName() const
{
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+([A-Za-z_][A-Za-z0-9_]*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    return from.match(m_statement.text).captured(1);
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
    const QString table = tableName();
    QList<int> changed(m_changed.begin(), m_changed.end());
    std::sort(changed.begin(), changed.end());
    Statement s;
    QStringList names;
    for (int c : changed) {
        names << QLatin1Char('"') + m_columns.at(c) + QLatin1Char('"');
        // An empty text is stored as a text, not as NULL.
        s.bindings << QVariant(m_buffer.at(c).isNull() ? QStringLiteral("") : m_buffer.at(c));
    }
    if (m_state == State::Edit) {
        if (!changed.isEmpty()) {
            requireSameContent();
            QStringList sets;
            for (const QString& n : names)
                sets << n + QStringLiteral(" = ?");
            s.text = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                         .arg(table, sets.join(QStringLiteral(", ")));
            s.bindings << m_rows.at(m_current).rowid;
            // Another connection may have deleted the row since the snapshot;
            // saying nothing would report a lost change as saved.
            if (m_connection.run(s).numRowsAffected() == 0) {
                cancel();
                throw StoreError(QStringLiteral("Row cannot be located for updating. Some values "
                                                "may have been changed since it was last read."));
            }
        }
        for (int c : changed)
            m_rows[m_current].values[c] = s.bindings.at(changed.indexOf(c)).toString();
        m_state = State::Browse;
        emit dataChanged(index(m_current, 0), index(m_current, int(m_columns.size()) - 1));
        return;
    }
    if (changed.isEmpty()) {
        s.text = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
    } else {
        QStringList markers;
        for (int i = 0; i < changed.size(); ++i)
            markers << QStringLiteral("?");
        s.text =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(table, names.join(QStringLiteral(", ")), markers.join(QStringLiteral(", ")));
    }
    QSqlQuery q = m_connection.run(s);
    Row r;
    r.rowid = q.lastInsertId().toLongLong();
    for (int c = 0; c < m_columns.size(); ++c)
        r.values << (m_changed.contains(c)
                         ? (m_buffer.at(c).isNull() ? QStringLiteral("") : m_buffer.at(c))
                         : QString());
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows << r;
    endInsertRows();
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
    m_connection.execute({QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(tableName()),
                          {m_rows.at(m_current).rowid}});
    const int row = m_current;
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    m_current = m_rows.isEmpty() ? -1 : std::min(row, int(m_rows.size()) - 1);
    m_atEnd = m_rows.isEmpty();
    emit currentRowChanged(m_current);
}

int Dataset::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int Dataset::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant Dataset::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    if (role == Qt::ToolTipRole)
        return {};
    return m_rows.at(index.row()).values.value(index.column());
}

QVariant Dataset::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_columns.value(section);
    return {};
}
