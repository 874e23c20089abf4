#pragma once

#include "store/statement.h"

#include <QAbstractTableModel>
#include <QList>
#include <QSet>
#include <QStringList>

class Connection;

// A static cursor over one statement: opening takes a snapshot of the rows;
// its own appends, edits and deletes show at once, other connections'
// changes only after it is reopened. Every value is text; NULL, a missing
// column and a dataset without rows all read as "". It is also the model
// behind a grid. Engine failures throw StoreError.
class Dataset : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit Dataset(Connection& connection, QObject* parent = nullptr);

    Connection& connection() const { return m_connection; }
    void setStatement(const Statement& statement) { m_statement = statement; }
    const Statement& statement() const { return m_statement; }

    void open(); // no-op when already open; stays closed on failure
    void close();
    bool isOpen() const { return m_open; }

    // Cursor
    int recordCount() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    int currentRow() const { return m_current; } // -1 when there is no row
    void setCurrentRow(int row);
    void first();
    void last();
    void next(); // past the last row sets atEnd()
    bool atEnd() const { return m_atEnd; }

    QStringList columnNames() const { return m_columns; }
    QString field(const QString& column) const;
    // Any row without moving the cursor; "" out of range.
    QString value(int row, const QString& column) const;

    // Changes, each written to the file by post().
    void edit(); // on a dataset without rows this starts a new row
    void append();
    void setField(const QString& column, const QString& text);
    void post();
    void cancel();
    void deleteCurrent(); // the next row, else the previous one, becomes current

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    void currentRowChanged(int row);

private:
    enum class State { Browse, Edit, Insert };
    struct Row {
        qint64 rowid = 0;
        QStringList values;
    };

    void requireOpen() const;
    int columnIndex(const QString& column) const;
    QString tableName() const;
    void moveTo(int row);
    // Row ids read before a restore would address other rows after it.
    void requireSameContent();

    Connection& m_connection;
    Statement m_statement;
    bool m_open = false;
    qint64 m_generation = 0;
    QStringList m_columns;
    QList<Row> m_rows;
    int m_current = -1;
    bool m_atEnd = true;
    State m_state = State::Browse;
    QStringList m_buffer;
    QSet<int> m_changed;
};
