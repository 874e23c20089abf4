#pragma once

#include "store/row_text.h"
#include "store/search_index.h"
#include "store/statement.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// A select's rows read on a connection of its own, in a thread of its own,
// while the window that asked is already shown. The rows are one
// consistent snapshot however long the reading takes: on the server one
// repeatable read. On data.mdb a read transaction keeps every other
// connection from writing, so a long select is read in parts, each a
// transaction of its own; a write by another connection in between begins
// the reading anew (the rows before are void), and after a few such writes
// the rows are read in one transaction as a select with its count always
// is. From
// data.mdb every value comes straight as the UTF-8 the file holds (through
// the driver each value goes to UTF-16 and into a QVariant first, most of
// the time a large snapshot took).
struct ServerAddress;

class SnapshotReader {
public:
    // Rows as RowText lays them out, ready to be appended to one.
    struct Chunk {
        QList<qint64> identities; // the first column of each row
        QList<qsizetype> starts;  // where each row begins, within `text`
        QByteArray text;          // compressed when the snapshot is
        qsizetype size = 0;       // of the text unpacked
        QByteArrayList records;   // the rows' SearchIndex records, one array per key
        bool exact = true;        // false when a record may not search as LIKE does
        QList<quint32> keys;      // each row's RecipientKey::hash, when asked for
        bool anew = false;        // the rows taken before are void; has no rows
    };

    // Starts reading `statement` (row identity first) from the database
    // file or server URL `path`. `arrived` is called from the reading thread whenever
    // rows are ready to take, and once at the end. `counted`: the rows are
    // counted in the same read transaction, on the file once the first
    // screen of them is out, on the server before the first row. `keys`:
    // the records of a SearchIndex come with the rows (from data.mdb only).
    // `inParts`: the same select a part at a time (TableQuery::selectAfter),
    // for data.mdb; empty for one read transaction. `recipientKeys`: each
    // row's RecipientKey::hash comes with it, when the rows have the columns.
    SnapshotReader(const QString& path, const Statement& statement, const Statement& inParts,
                   bool compressed, bool counted, QList<SearchIndex::Key> keys, bool recipientKeys,
                   std::function<void()> arrived);
    // Stops reading and waits for the thread.
    ~SnapshotReader();
    SnapshotReader(const SnapshotReader&) = delete;
    SnapshotReader& operator=(const SnapshotReader&) = delete;

    // Waits for the first rows (or the end). False when the statement did
    // not run, so that the caller takes the driver's way and its error.
    bool started();
    QStringList columns() const { return m_columns; } // after the identity
    // The rows read since the last call; never waits.
    QList<Chunk> take();
    // How many rows there are, once counted or read; -1 when the reading
    // failed first.
    qint64 count();
    // The count if it is there yet, else -1; never waits.
    qint64 knownCount();
    // Waits for the last row.
    void finish();
    // Waits for rows to take, or for the end.
    void waitForRows();
    // Read in parts, the rows wait after the first screen (a moment) and
    // after the first part until this is called, or until they or their
    // count are waited for: the window comes up before the rest of a long
    // list takes the processor.
    void proceed();
    bool finished();
    // Why the reading stopped before the last row; empty when it did not.
    QString failure();

private:
    // Rows into chunks of the size they are delivered in.
    struct Writer {
        SnapshotReader& reader;
        Chunk chunk;
        RowText text = RowText(false);
        bool first = true;
        qint64 rows = 0;
        QList<int> keyColumns = {};       // of the statement, for each key
        QByteArrayList records = {};      // the chunk's, while it is written
        QList<int> recipientColumns = {}; // of the values, RecipientKey::columns() order
        // Asks for the recipient keys once the columns are known.
        void keyRecipients(const QStringList& columns);
        void beginRow(qint64 identity);
        // The value of column `column` into the records of its keys.
        void record(int column, const char* value, qsizetype size, bool null);
        // False when the reading is to stop.
        bool endRow();
        void flush();
        // The rows written so far are void: the next come first again.
        void restart();
    };

    void read(const QString& path, const Statement& statement, const Statement& inParts);
    void readFile(const QString& path, const Statement& statement, const Statement& inParts);
    void readServer(const ServerAddress& address, const Statement& statement);
    // Waits for proceed() or the stop, at most `atMost`; false to stop.
    bool proceeding(std::optional<std::chrono::milliseconds> atMost);
    void deliver(Chunk&& chunk);
    void counted(qint64 count);
    void ended(bool ran, qint64 rows, const QString& failure);

    const bool m_compressed;
    const bool m_countFirst;
    const QList<SearchIndex::Key> m_keys;
    const bool m_recipientKeys;
    const std::function<void()> m_arrived;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    QStringList m_columns;
    QList<Chunk> m_chunks;
    qint64 m_count = -1;
    bool m_started = false;
    bool m_ran = false;
    bool m_finished = false;
    bool m_stop = false;
    bool m_proceed = false;
    QString m_failure;
    std::thread m_thread;
};
