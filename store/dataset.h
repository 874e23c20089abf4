#pragma once

#include "store/connection.h"
#include "store/row_source.h"
#include "store/row_text.h"
#include "store/search_index.h"
#include "store/table_query.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QVariant>
#include <atomic>
#include <memory>
#include <optional>

class SnapshotReader;
class QSqlQuery;
struct Statement;

// A static cursor over one table query: opening takes a snapshot of the
// rows; its own appends, edits and deletes show at once, other connections'
// changes only after it is reopened. Every value is text; NULL, a missing
// column and a dataset without rows all read as "". Edits go back to the
// query's table, each row addressed by the connection's row identity.
// Engine failures throw StoreError. A grid shows it through DatasetModel.
//
// On data.mdb the rows after the first screen arrive while the window is
// shown, read in a thread of its own as one snapshot (see SnapshotReader):
// a million rows take a second or more to read. Another connection's
// write meanwhile has them read again, all of the state after it, as one
// reset of the view. Whatever asks about rows not yet
// there (the count, a row beyond them, any change) waits for the rest, so
// it sees the dataset whole as before; only a view asks loadedCount().
class Dataset : public QObject, public RowSource {
    Q_OBJECT
public:
    explicit Dataset(Connection& connection, QObject* parent = nullptr);
    ~Dataset() override;

    Connection& connection() const { return m_connection; }
    void setQuery(const TableQuery& query) { m_query = query; }
    const TableQuery& query() const { return m_query; }
    QString table() const override { return m_query.table; }

    void open(); // no-op when already open; stays closed on failure
    // Runs the query for no rows: fails as open() would on a table that is
    // missing or unreadable, and reads nothing.
    void probe();
    // Rows read from now on are kept compressed: a tenth of the memory, for
    // a copy walked once from start to end or shown a screen at a time.
    void setCompressed(bool compressed) { m_compressed = compressed; }
    // Rows read from now on are counted before they are read (a scan of
    // their own, a tenth of the reading), so that expectedCount() need not
    // wait for them: a batch's page count.
    void setCountedFirst(bool counted) { m_countedFirst = counted; }
    // Rows read from now on come with their recipient's key, a few bytes
    // a row, for rowsKeyedAs(): a batch's check of the recipients printed
    // today. Any change of the rows drops the keys.
    void setRecipientKeys(bool keyed) { m_recipientKeys = keyed; }
    // Searches of these columns (any text) that reopen() may answer from
    // the rows read by the last open() of the whole table, as the store
    // would: only while no other program has written to the store since,
    // nor another connection of ours to the table (Connection::
    // ownCommitsOnly()), on data.mdb, and for a text without % or _. Our
    // own changes are kept in step meanwhile.
    void setSearchable(const QList<TableQuery>& searches);
    void close();
    // close(), the new query, open(): the rows read take the memory of the
    // rows they replace instead of fresh pages from the system.
    void reopen(const TableQuery& query);
    bool isOpen() const { return m_open; }

    // Cursor
    int recordCount() const;
    // The rows read so far, without waiting for the rest.
    int loadedCount() const { return int(m_rows.size()); }
    // recordCount(), waiting only for the count when the rows are counted
    // first.
    int expectedCount() const override;
    bool isEmpty() const;
    int currentRow() const { return m_current; } // -1 when there is no row
    void setCurrentRow(int row);
    void first();
    void last();
    void next(); // past the last row sets atEnd()
    bool atEnd() const { return m_atEnd; }

    QStringList columnNames() const override { return m_columns; }
    QString field(const QString& column) const;
    // Any row without moving the cursor; "" out of range.
    QString value(int row, const QString& column) const override;
    QString value(int row, int column) const override;
    // The store's identity of a row; null out of range.
    QVariant identity(int row) const override
    {
        return row >= 0 && row < m_rows.size() ? m_rows.at(row).identity : QVariant();
    }
    std::optional<QList<int>> rowsKeyedAs(const QSet<quint32>& keys) const override;

    // Changes, each written to the file by post().
    void edit(); // on a dataset without rows this starts a new row
    void append();
    void setField(const QString& column, const QString& text);
    void post();
    void cancel();
    void deleteCurrent(); // the next row, else the previous one, becomes current
    // Deletes every row the dataset holds, and only those, in one
    // transaction: a failure on the way deletes none of them.
    void deleteAll();

signals:
    void currentRowChanged(int row);
    // What a view of the rows needs to follow them.
    void aboutToReset();
    void reset();
    void rowAppended(int row);
    void rowsLoaded(int first, int last);
    void rowChanged(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);

private:
    enum class State { Browse, Edit, Insert };
    // A row of the snapshot: its values lie in m_text from `start` on. One
    // buffer for every row instead of a string per value takes a third of
    // the memory and goes in one free; a row edited later is copied to its
    // end.
    struct Row {
        qint64 identity;
        qsizetype start;
    };

    void openInto(RowText spare); // `spare`'s memory holds the rows read
    void release(RowText* spare); // close(), giving the rows' memory to `spare`
    void requireOpen() const;
    // The rows that arrived from the reading thread, into the snapshot.
    void takeRows();
    void dropKeys();
    // Waits for every row; throws StoreError when the reading failed.
    void complete() const;
    void proceed(); // the reading past its first part
    // The row of the identity chosen before the rows were read anew, when
    // it is among those from `from` on; -1 otherwise.
    int chosenAgain(int from);
    qsizetype appendText(const QStringList& values);
    QString cell(int row, int column) const;
    QStringList rowValues(int row) const;
    // Whether `stored`, the values of `columns` in that order, are those of
    // row `row` as the snapshot read them.
    bool storedAsRead(int row, const QSqlQuery& stored, const QStringList& columns) const;
    // Runs `change`, a change of row `row` by its identity, only while the
    // store holds the `compared` columns of that row as the snapshot read
    // them: a row that another desk deleted or changed there, or (on the
    // file, where identities are reused) put anew, is refused.
    void changeRowAsRead(int row, const Statement& change, const QStringList& compared);
    // The identities of the listed rows that the store holds as read.
    QVariantList identitiesAsRead() const;
    int columnIndex(const QString& column) const;
    void moveTo(int row);
    void postEdit(const QStringList& columns, const QVariantList& values);
    void postInsert(const QStringList& columns, const QVariantList& values);
    // Row identities read before a restore would address other rows after it.
    void requireSameContent();

    // reopen() on `query` from the rows read; false when the store must
    // be asked.
    bool searchRowsRead(const TableQuery& query);
    // Where row `row` lies in m_whole; -1 without a search index.
    qsizetype wholeIndex(int row) const;
    // Row `row`'s searched values, as stored now, into the index.
    void indexStored(int row);
    void unindex(int row);

    Connection& m_connection;
    TableQuery m_query;
    bool m_open = false;
    qint64 m_generation = 0;
    QStringList m_columns;
    QList<Row> m_rows;
    RowText m_text;
    bool m_compressed = false;
    bool m_countedFirst = false;
    bool m_recipientKeys = false;
    // Row i's RecipientKey::hash, while the rows are as read.
    QList<quint32> m_keys;
    bool m_keyed = false;
    int m_current = -1;
    bool m_atEnd = true;
    State m_state = State::Browse;
    QStringList m_buffer;
    QSet<int> m_changed;
    std::unique_ptr<SnapshotReader> m_load;
    std::atomic<bool> m_takePosted = false; // one call of takeRows() waiting is enough
    QMetaObject::Connection m_proceeding;
    // The identity of the row chosen when the rows began to be read anew.
    std::optional<qint64> m_chosenIdentity;
    QString m_loadFailure;

    QList<SearchIndex::Key> m_searchKeys;
    // Every row of the whole table as read, then as we changed it (a
    // deleted row's start is -1, added rows follow), while m_rows lists a
    // search's; m_index holds their searched columns in the same order.
    std::unique_ptr<SearchIndex> m_index;
    bool m_indexExact = false;
    QList<Row> m_whole;
    qsizetype m_wholeRead = 0; // rows read; sorted by identity
    Connection::Mark m_mark;   // where the store stood when the rows were read
};
