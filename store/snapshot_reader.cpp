#include "store/snapshot_reader.h"

#include "store/connection.h"
#include "store/recipient_key.h"
#include "store/row_text.h"
#include "store/server_address.h"
#include "store/store_error.h"

#include <QByteArrayView>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <chrono>
#include <cstring>
#include <limits>
#include <optional>
#include <sqlite3.h>

namespace {

// A screen of rows first, for the window to show at once; then blocks of
// the size RowText keeps them in.
constexpr qsizetype firstRows = 100;

// Rows per read transaction on data.mdb: another connection's write waits
// for one part, some tens of milliseconds, not for a million rows' seconds.
// A table of no more rows is read in one transaction from its open on.
constexpr int rowsPerPart = 32768;
// Writes by other connections that begin the reading anew before the rest
// is read in one transaction, so that it ends however busy the file is.
constexpr int partedPasses = 3;
// How long the first part waits, its transaction open, after the first
// screen for proceed(): about as long as a part takes.
constexpr std::chrono::milliseconds pauseInPart(100);

bool bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, text.constData(), int(text.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

} // namespace

SnapshotReader::SnapshotReader(const QString& path, const Statement& statement,
                               const Statement& inParts, bool compressed, bool counted,
                               QList<SearchIndex::Key> keys, bool recipientKeys,
                               std::function<void()> arrived)
    : m_compressed(compressed), m_countFirst(counted), m_keys(std::move(keys)),
      m_recipientKeys(recipientKeys), m_arrived(std::move(arrived))
{
    m_thread = std::thread([this, path, statement, inParts] { read(path, statement, inParts); });
}

SnapshotReader::~SnapshotReader()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

bool SnapshotReader::started()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_started; });
    return m_ran;
}

QList<SnapshotReader::Chunk> SnapshotReader::take()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_chunks, {});
}

qint64 SnapshotReader::knownCount()
{
    std::lock_guard lock(m_mutex);
    return m_count;
}

qint64 SnapshotReader::count()
{
    proceed();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_count >= 0 || m_finished; });
    return m_count;
}

void SnapshotReader::finish()
{
    proceed();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_finished; });
}

void SnapshotReader::waitForRows()
{
    proceed();
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_finished || !m_chunks.isEmpty(); });
}

bool SnapshotReader::proceeding(std::optional<std::chrono::milliseconds> atMost)
{
    std::unique_lock lock(m_mutex);
    const auto asked = [this] { return m_proceed || m_stop; };
    if (atMost)
        m_changed.wait_for(lock, *atMost, asked);
    else
        m_changed.wait(lock, asked);
    return !m_stop;
}

void SnapshotReader::proceed()
{
    {
        std::lock_guard lock(m_mutex);
        m_proceed = true;
    }
    m_changed.notify_all();
}

bool SnapshotReader::finished()
{
    std::lock_guard lock(m_mutex);
    return m_finished;
}

QString SnapshotReader::failure()
{
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void SnapshotReader::deliver(Chunk&& chunk)
{
    {
        std::lock_guard lock(m_mutex);
        m_chunks.append(std::move(chunk));
        m_started = true;
        m_ran = true;
    }
    m_changed.notify_all();
    m_arrived();
}

void SnapshotReader::ended(bool ran, qint64 rows, const QString& failure)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_count < 0 && failure.isEmpty() && ran)
            m_count = rows;
        m_ran = m_started ? m_ran : ran;
        m_started = true;
        m_finished = true;
        m_failure = failure;
    }
    m_changed.notify_all();
    m_arrived();
}

void SnapshotReader::counted(qint64 count)
{
    {
        std::lock_guard lock(m_mutex);
        m_count = count;
    }
    m_changed.notify_all();
}

void SnapshotReader::Writer::beginRow(qint64 identity)
{
    ++rows;
    chunk.identities.append(identity);
    chunk.starts.append(text.beginRow());
    records.resize(reader.m_keys.size());
}

void SnapshotReader::Writer::record(int column, const char* value, qsizetype size, bool null)
{
    for (int k = 0; k < keyColumns.size(); ++k)
        if (keyColumns.at(k) == column &&
            !SearchIndex::appendRecord(records[k], reader.m_keys.at(k), value, size, null))
            chunk.exact = false;
}

void SnapshotReader::Writer::keyRecipients(const QStringList& columns)
{
    if (!reader.m_recipientKeys)
        return;
    for (const QString& column : RecipientKey::columns())
        recipientColumns << int(columns.indexOf(column));
    if (recipientColumns.contains(-1))
        recipientColumns.clear();
}

bool SnapshotReader::Writer::endRow()
{
    if (!recipientColumns.isEmpty()) {
        auto [p, end] = text.row(chunk.starts.last());
        QByteArrayView values[3];
        for (int column = 0; p < end; ++column) {
            const char* stop =
                static_cast<const char*>(std::memchr(p, RowText::separator, size_t(end - p)));
            for (int k = 0; k < 3; ++k)
                if (recipientColumns.at(k) == column)
                    values[k] = QByteArrayView(p, stop - p);
            p = stop + 1;
        }
        chunk.keys.append(RecipientKey::hash(values[0], values[1], values[2]));
    }
    if (first ? chunk.identities.size() < firstRows : text.size() < RowText::blockSize)
        return true;
    flush();
    std::lock_guard lock(reader.m_mutex);
    return !reader.m_stop;
}

void SnapshotReader::Writer::flush()
{
    if (chunk.identities.isEmpty())
        return;
    chunk.size = text.size();
    chunk.text = text.take();
    if (reader.m_compressed) {
        chunk.text = qCompress(chunk.text, 1);
        chunk.text.squeeze(); // it comes at the size of the worst case
    }
    // Copies of their own size: arrays grown and shrunk a chunk at a time
    // leave a third more of the heap behind.
    for (QByteArray& built : records) {
        chunk.records << QByteArray(built.constData(), built.size());
        built.resize(0);
    }
    reader.deliver(std::exchange(chunk, {}));
    first = false;
}

void SnapshotReader::Writer::restart()
{
    chunk = {};
    text = RowText(false);
    records.clear();
    first = true;
    rows = 0;
    {
        std::lock_guard lock(reader.m_mutex);
        // Not yet taken, so never to be.
        reader.m_chunks.clear();
    }
    Chunk anew;
    anew.anew = true;
    reader.deliver(std::move(anew));
}

void SnapshotReader::read(const QString& path, const Statement& statement, const Statement& inParts)
{
    if (ServerAddress::looksLikeUrl(path)) {
        ServerAddress address;
        try {
            address = ServerAddress::parse(path);
        } catch (const StoreError& e) {
            ended(false, 0, e.text());
            return;
        }
        readServer(address, statement);
        return;
    }
    readFile(path, statement, inParts);
}

void SnapshotReader::readServer(const ServerAddress& address, const Statement& statement)
{
    Writer out{*this, {}};
    try {
        Connection server;
        server.openServer(address);
        // One snapshot for the count and the rows.
        server.beginTransaction();
        server.execute(
            {QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"), {}});
        if (m_countFirst) {
            QSqlQuery q =
                server.run({QStringLiteral("select count(*) from (%1) counted").arg(statement.text),
                            statement.bindings});
            if (q.next())
                counted(q.value(0).toLongLong());
        }
        QSqlQuery q = server.run(statement);
        const QSqlRecord record = q.record();
        {
            std::lock_guard lock(m_mutex);
            for (int c = 1; c < record.count(); ++c)
                m_columns << record.fieldName(c);
            out.keyRecipients(m_columns);
        }
        bool going = true;
        while (going && q.next()) {
            out.beginRow(q.value(0).toLongLong());
            for (int c = 1; c < record.count(); ++c) {
                const QVariant v = q.value(c);
                const QByteArray value = v.isNull() ? QByteArray() : v.toString().toUtf8();
                out.text.value(value.constData(), value.size());
            }
            going = out.endRow();
        }
        q.finish();
        server.rollback();
    } catch (const StoreError& e) {
        // Before any row, the window's own connection reads and says why.
        ended(false, out.rows, e.text());
        return;
    }
    out.flush();
    ended(true, out.rows, {});
}

void SnapshotReader::readFile(const QString& path, const Statement& statement,
                              const Statement& inParts)
{
    sqlite3* db = nullptr;
    sqlite3_stmt* s = nullptr;
    sqlite3_stmt* part = nullptr;
    Writer out{*this, {}};
    const auto end = [&](bool ran, const QString& failure) {
        sqlite3_finalize(s);
        sqlite3_finalize(part);
        sqlite3_close(db);
        ended(ran, out.rows, failure);
    };
    // Read and write, as the window's own connection: a journal left by a
    // crash is rolled back before anything is read.
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        end(false, {});
        return;
    }
    sqlite3_busy_timeout(db, 10000);
    const auto prepare = [&](const QString& text, sqlite3_stmt** prepared) {
        const QByteArray sql = text.toUtf8();
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), prepared, nullptr) !=
            SQLITE_OK)
            return false;
        for (qsizetype i = 0; i < statement.bindings.size(); ++i)
            if (!bind(*prepared, int(i + 1), statement.bindings.at(i)))
                return false;
        return true;
    };
    if (!prepare(statement.text, &s) ||
        (!inParts.text.isEmpty() && !prepare(inParts.text, &part))) {
        end(false, {});
        return;
    }
    // While the select is under way the file takes no other writer's
    // commit, so a count beside it counts the same rows; a table of no
    // more than the first screen is counted by reading it.
    const auto countRows = [&] {
        sqlite3_stmt* c = nullptr;
        if (prepare(QStringLiteral("select count(*) from (%1)").arg(statement.text), &c) &&
            sqlite3_step(c) == SQLITE_ROW)
            counted(sqlite3_column_int64(c, 0));
        sqlite3_finalize(c);
    };
    const int count = sqlite3_column_count(s);
    {
        std::lock_guard lock(m_mutex);
        for (int c = 1; c < count; ++c)
            m_columns << QString::fromUtf8(sqlite3_column_name(s, c));
        for (const SearchIndex::Key& key : m_keys)
            out.keyColumns << int(m_columns.indexOf(key.column)) + 1;
        out.keyRecipients(m_columns);
    }
    // The row `from` stands on, into `out`; false when the reading is to stop.
    const auto readRow = [&](sqlite3_stmt* from) {
        out.beginRow(sqlite3_column_int64(from, 0));
        for (int c = 1; c < count; ++c) {
            // One look-up of the column for its text and its size: each
            // sqlite3_column_* call locks the connection anew, which costs
            // as much as the copy.
            sqlite3_value* cell = sqlite3_column_value(from, c);
            // Asked first: reading a value as text may change its type.
            const int type = sqlite3_value_type(cell);
            const bool blob = type == SQLITE_BLOB;
            const char* value = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            const int size = value ? sqlite3_value_bytes(cell) : 0;
            if (QByteArrayView(value, size).isValidUtf8()) {
                out.text.value(value, size);
                out.record(c, value, size, type == SQLITE_NULL);
                continue;
            }
            // LIKE compares these bytes as they are, not as decoded here.
            out.record(c, "", 0, false);
            out.chunk.exact = false;
            // Bytes that are no UTF-8 read as the driver reads them: text
            // through SQLite's own UTF-16, which keeps a stray byte as a
            // character of its own, and a blob through Qt's.
            const QString decoded =
                blob ? QString::fromUtf8(value, size)
                     : QString(static_cast<const QChar*>(sqlite3_value_text16(cell)),
                               sqlite3_value_bytes16(cell) / int(sizeof(QChar)));
            const QByteArray utf8 = decoded.toUtf8();
            out.text.value(utf8.constData(), utf8.size());
        }
        return out.endRow();
    };
    const auto failed = [&] {
        const QString failure = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        end(false, failure);
    };
    // Parts in row identity order, as the whole select scans the table.
    // data_version, asked in each part's transaction, tells whether another
    // connection wrote since the part before.
    sqlite3_stmt* version = nullptr;
    bool going = true;
    bool paused = false;
    for (int pass = 0; part && going && pass < partedPasses; ++pass) {
        if (pass > 0)
            out.restart();
        qint64 after = std::numeric_limits<qint64>::min();
        qint64 seen = -1;
        bool torn = false;
        int rows = rowsPerPart;
        while (going && !torn && rows == rowsPerPart) {
            if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
                (!version && sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &version, nullptr) !=
                                 SQLITE_OK) ||
                sqlite3_step(version) != SQLITE_ROW) {
                sqlite3_finalize(version);
                failed();
                return;
            }
            const qint64 now = sqlite3_column_int64(version, 0);
            sqlite3_reset(version);
            torn = seen >= 0 && now != seen;
            seen = now;
            const int bound = int(statement.bindings.size());
            sqlite3_reset(part);
            sqlite3_bind_int64(part, bound + 1, after);
            sqlite3_bind_int(part, bound + 2, rowsPerPart);
            int step = SQLITE_DONE;
            rows = 0;
            while (going && !torn && (step = sqlite3_step(part)) == SQLITE_ROW) {
                after = sqlite3_column_int64(part, 0);
                ++rows;
                going = readRow(part);
                if (going && !out.first && !paused) {
                    // The first screen is out: the window may come up before
                    // the rest of a long list takes the processor; another
                    // connection's write waits meanwhile, no longer than it
                    // would for a part.
                    paused = true;
                    going = proceeding(pauseInPart);
                }
            }
            if (step != SQLITE_ROW && step != SQLITE_DONE) {
                sqlite3_finalize(version);
                failed();
                return;
            }
            sqlite3_reset(part);
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            if (going && rows == rowsPerPart)
                going = proceeding(std::nullopt);
        }
        if (!torn) {
            sqlite3_finalize(version);
            out.flush();
            end(true, {});
            return;
        }
    }
    sqlite3_finalize(version);
    if (part)
        out.restart();
    int step;
    bool countDue = m_countFirst;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) {
        // The first screen goes out before the count, which reads the
        // whole table: the window shows meanwhile.
        if (countDue && !out.first) {
            countDue = false;
            countRows();
        }
        if (!readRow(s))
            break;
    }
    if (step != SQLITE_ROW && step != SQLITE_DONE) {
        end(false, QString::fromUtf8(sqlite3_errmsg(db)));
        return;
    }
    out.flush();
    end(true, {});
}
