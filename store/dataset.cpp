#include "store/dataset.h"

#include "store/connection.h"
#include "store/snapshot_reader.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QAbstractEventDispatcher>
#include <QHash>
#include <QSignalBlocker>
#include <QSqlQuery>
#include <QSqlRecord>
#include <cstring>
#include <malloc.h>

namespace {

void readThroughDriver(QSqlQuery q, QStringList& columns, QList<qint64>& identities,
                       QList<qsizetype>& starts, RowText& text)
{
    const QSqlRecord rec = q.record();
    for (int i = 1; i < rec.count(); ++i)
        columns << rec.fieldName(i);
    while (q.next()) {
        identities << q.value(0).toLongLong();
        starts << text.beginRow();
        for (int i = 1; i <= columns.size(); ++i) {
            const QVariant v = q.value(i);
            const QByteArray value = v.isNull() ? QByteArray() : v.toString().toUtf8();
            text.value(value.constData(), value.size());
        }
    }
    text.finish();
}

} // namespace

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

Dataset::~Dataset()
{
    // The reading thread calls back into this object until it stops.
    m_load.reset();
}

void Dataset::open()
{
    openInto(RowText(m_compressed));
}

void Dataset::setSearchable(const QList<TableQuery>& searches)
{
    m_searchKeys.clear();
    for (const TableQuery& search : searches)
        m_searchKeys.append({search.column, search.ignoringSpacesAndDashes});
}

void Dataset::reopen(const TableQuery& query)
{
    if (searchRowsRead(query))
        return;
    RowText spare(m_compressed);
    release(&spare);
    m_query = query;
    openInto(std::move(spare));
}

void Dataset::openInto(RowText spare)
{
    if (m_open)
        return;
    m_loadFailure.clear();
    // The identity addresses the row for later edits; it is not a column.
    const qint64 generation = m_connection.generation();
    const Statement select = m_query.select(m_connection.dialect());
    spare.restart();
    QStringList columns;
    std::unique_ptr<SnapshotReader> load;
    // On the server the reading takes a connection of its own: worth it
    // for the lists that may be long, those kept compressed. The window's
    // own connection is tried first: a lost one fails here as it would
    // have, not at the next change.
    const bool server = m_connection.dialect().isServer();
    if (server && m_compressed)
        probe();
    QList<SearchIndex::Key> keys;
    if (!server && m_query.column.isEmpty() && !m_searchKeys.isEmpty() && m_connection.isOpen()) {
        // Taken before the snapshot begins: a commit in between only
        // sends the searches to the store.
        m_mark = m_connection.mark();
        keys = m_searchKeys;
    }
    if (m_connection.isOpen() && (!server || m_compressed)) {
        // A count promised for pages to come holds for the rows only in
        // one transaction.
        const Statement inParts = server || m_countedFirst ? Statement() : m_query.selectAfter();
        load = std::make_unique<SnapshotReader>(
            m_connection.path(), select, inParts, spare.compressed(), m_countedFirst, keys,
            m_recipientKeys, [this] {
                if (!m_takePosted.exchange(true))
                    QMetaObject::invokeMethod(this, &Dataset::takeRows, Qt::QueuedConnection);
            });
        if (load->started())
            columns = load->columns();
        else
            load.reset();
    }
    const bool keyed = std::all_of(keys.cbegin(), keys.cend(), [&](const SearchIndex::Key& key) {
        return columns.contains(key.column);
    });
    if (load && !keys.isEmpty() && keyed && m_mark.counter >= 0) {
        m_index = std::make_unique<SearchIndex>(keys);
        m_indexExact = true;
    }
    // A closed dataset's list is empty but keeps its memory: use it again.
    QList<Row> rows;
    rows.swap(m_rows);
    rows.clear();
    if (!load) {
        QList<qint64> identities;
        QList<qsizetype> starts;
        readThroughDriver(m_connection.run(select), columns, identities, starts, spare);
        rows.reserve(identities.size());
        for (qsizetype i = 0; i < identities.size(); ++i)
            rows.append({identities.at(i), starts.at(i)});
    }
    emit aboutToReset();
    m_columns = columns;
    m_rows = std::move(rows);
    m_text = std::move(spare);
    m_open = true;
    m_generation = generation;
    m_state = State::Browse;
    m_load = std::move(load);
    m_keys = {};
    m_keyed = m_load && m_recipientKeys;
    // The first screen is there already; later rows come as they are read.
    m_current = -1;
    m_atEnd = true;
    if (m_load) {
        const QSignalBlocker quiet(this);
        takeRows();
    }
    // The rest once this thread has nothing else to do: with the window
    // shown first, a list of 100,000 rows starts it nearly as soon as an
    // empty one.
    disconnect(m_proceeding);
    if (auto* events = QAbstractEventDispatcher::instance(thread()); events && m_load)
        m_proceeding = connect(events, &QAbstractEventDispatcher::aboutToBlock, this,
                               &Dataset::proceed, Qt::SingleShotConnection);
    else if (m_load)
        m_load->proceed();
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_atEnd = m_rows.isEmpty();
    emit reset();
    emit currentRowChanged(m_current);
    if (!m_loadFailure.isEmpty())
        complete();
}

void Dataset::takeRows()
{
    m_takePosted = false;
    if (!m_load)
        return;
    // Asked before taking: rows read before the end are all there then.
    const bool finished = m_load->finished();
    const QList<SnapshotReader::Chunk> chunks = m_load->take();
    // Another connection wrote while the rows were read in parts: they are
    // read again, all of the state after it.
    const bool anew = std::any_of(chunks.cbegin(), chunks.cend(),
                                  [](const SnapshotReader::Chunk& c) { return c.anew; });
    if (anew) {
        emit aboutToReset();
        // The row the user chose, to be chosen again once read anew.
        if (m_current >= 0 && m_current < m_rows.size())
            m_chosenIdentity = m_rows.at(m_current).identity;
    }
    // Counted rows take their room once counted, not twice it while growing.
    if (const qint64 counted = m_countedFirst ? m_load->knownCount() : -1;
        counted > m_rows.capacity())
        m_rows.reserve(qsizetype(counted));
    const int first = int(m_rows.size());
    for (const SnapshotReader::Chunk& chunk : chunks) {
        if (chunk.anew) {
            m_rows.clear();
            m_keys.clear();
            m_text.restart();
            if (m_index) {
                m_index = std::make_unique<SearchIndex>(m_index->keys());
                m_indexExact = true;
            }
        }
        const qsizetype base = m_text.append(chunk.text, chunk.size);
        for (qsizetype i = 0; i < chunk.identities.size(); ++i)
            m_rows.append({chunk.identities.at(i), base + chunk.starts.at(i)});
        if (m_keyed && chunk.keys.size() == chunk.identities.size())
            m_keys.append(chunk.keys);
        else
            dropKeys();
        if (m_index) {
            m_indexExact =
                m_indexExact && chunk.exact && chunk.records.size() == m_index->keys().size();
            m_index->append(chunk.records, chunk.identities.size());
        }
    }
    if (finished) {
        m_loadFailure = m_load->failure();
        m_load.reset();
        if (m_index) {
            // Shared until either changes.
            m_whole = m_rows;
            m_wholeRead = m_whole.size();
            m_indexExact = m_indexExact && std::adjacent_find(m_whole.cbegin(), m_whole.cend(),
                                                              [](const Row& a, const Row& b) {
                                                                  return a.identity >= b.identity;
                                                              }) == m_whole.cend();
        }
    }
    const int chosen = chosenAgain(anew ? 0 : first);
    if (anew) {
        m_current = chosen >= 0 ? chosen : m_rows.isEmpty() ? -1 : 0;
        m_atEnd = m_rows.isEmpty();
        emit reset();
        emit currentRowChanged(m_current);
    }
    if (!m_loadFailure.isEmpty()) {
        // A list cut short would pass for the whole one.
        const QString failure = m_loadFailure;
        close();
        m_loadFailure = failure;
        return;
    }
    if (anew || m_rows.size() == first)
        return;
    emit rowsLoaded(first, int(m_rows.size()) - 1);
    if (m_current < 0 || chosen >= 0) {
        m_current = std::max(chosen, 0);
        m_atEnd = false;
        emit currentRowChanged(m_current);
    }
}

int Dataset::chosenAgain(int from)
{
    if (!m_chosenIdentity)
        return -1;
    for (int row = from; row < m_rows.size(); ++row)
        if (m_rows.at(row).identity == *m_chosenIdentity) {
            m_chosenIdentity.reset();
            return row;
        }
    // Gone from the store meanwhile, as after 刷 新.
    if (!m_load)
        m_chosenIdentity.reset();
    return -1;
}

void Dataset::proceed()
{
    if (m_load)
        m_load->proceed();
}

void Dataset::dropKeys()
{
    m_keyed = false;
    m_keys = {};
}

std::optional<QList<int>> Dataset::rowsKeyedAs(const QSet<quint32>& keys) const
{
    complete();
    if (!m_keyed || m_keys.size() != m_rows.size())
        return std::nullopt;
    QList<int> rows;
    for (qsizetype i = 0; i < m_keys.size(); ++i)
        if (keys.contains(m_keys.at(i)))
            rows << int(i);
    return rows;
}

void Dataset::complete() const
{
    // The rows still to come belong to what the dataset holds: taking them
    // changes nothing a caller can see but the time it waits.
    auto* self = const_cast<Dataset*>(this);
    // Taken as they come: rows waiting in the reader's chunks take twice
    // their room (a million rows' identities alone are 16 MB).
    while (m_load) {
        m_load->waitForRows();
        self->takeRows();
    }
    if (!m_loadFailure.isEmpty())
        throw StoreError(std::exchange(self->m_loadFailure, QString()));
}

int Dataset::recordCount() const
{
    complete();
    return int(m_rows.size());
}

int Dataset::expectedCount() const
{
    if (!m_load || !m_countedFirst)
        return recordCount();
    // Nothing changes the rows before they are all there.
    const qint64 counted = m_load->count();
    return counted < 0 ? recordCount() : int(counted);
}

bool Dataset::isEmpty() const
{
    if (m_rows.isEmpty())
        complete();
    return m_rows.isEmpty();
}

void Dataset::probe()
{
    m_connection.run(Statements::noRows(m_query.select(m_connection.dialect())));
}

void Dataset::close()
{
    release(nullptr);
}

void Dataset::release(RowText* spare)
{
    m_load.reset();
    m_chosenIdentity.reset();
    dropKeys();
    m_index.reset();
    m_whole = {}; // clear() would keep its room
    m_wholeRead = 0;
    if (!m_open)
        return;
    emit aboutToReset();
    m_open = false;
    m_rows.clear();
    // A large snapshot's blocks were allocated by its reading thread, in
    // an arena of its own that the next reading thread need not take: the
    // book read again after "刷 新" would take twice the memory.
    const bool large = m_text.size() > 16 * 1024 * 1024;
    if (spare && spare->compressed() == m_text.compressed())
        std::swap(*spare, m_text);
    m_text.clear();
    m_columns.clear();
    if (large)
        malloc_trim(0);
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
    m_chosenIdentity.reset();
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
    if (row >= m_rows.size())
        complete();
    moveTo(row);
}
void Dataset::first()
{
    moveTo(0);
}
void Dataset::last()
{
    complete();
    moveTo(int(m_rows.size()) - 1);
}

void Dataset::next()
{
    if (m_current + 1 >= m_rows.size())
        complete();
    if (m_current + 1 < m_rows.size())
        moveTo(m_current + 1);
    else
        m_atEnd = true;
}

qsizetype Dataset::appendText(const QStringList& values)
{
    const qsizetype start = m_text.beginRow();
    for (int c = 0; c < m_columns.size(); ++c) {
        const QByteArray value = values.value(c).toUtf8();
        m_text.value(value.constData(), value.size());
    }
    return start;
}

QString Dataset::cell(int row, int column) const
{
    auto [p, end] = m_text.row(m_rows.at(row).start);
    for (int c = 0; c < column; ++c)
        p = static_cast<const char*>(std::memchr(p, RowText::separator, size_t(end - p))) + 1;
    const char* last =
        static_cast<const char*>(std::memchr(p, RowText::separator, size_t(end - p)));
    return QString::fromUtf8(p, last - p);
}

QStringList Dataset::rowValues(int row) const
{
    QStringList values;
    values.reserve(m_columns.size());
    for (int c = 0; c < m_columns.size(); ++c)
        values << cell(row, c);
    return values;
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
    return cell(m_current, c);
}

QString Dataset::value(int row, const QString& column) const
{
    return value(row, columnIndex(column));
}

QString Dataset::value(int row, int column) const
{
    if (row >= m_rows.size())
        complete();
    if (column < 0 || column >= m_columns.size() || row < 0 || row >= m_rows.size())
        return {};
    return cell(row, column);
}

void Dataset::edit()
{
    requireOpen();
    complete();
    if (m_rows.isEmpty()) {
        append();
        return;
    }
    m_state = State::Edit;
    m_buffer = rowValues(m_current);
    m_changed.clear();
}

void Dataset::append()
{
    requireOpen();
    complete();
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
        // After a restore in place the same identity may name another row.
        requireSameContent();
        // As the engine's update criteria go: the columns written must
        // still hold what was read (another desk's change to other columns
        // stays), which a row put anew under a reused identity fails.
        changeRowAsRead(m_current,
                        Statements::updateRow(m_query.table, columns, values,
                                              m_connection.rowIdentity(),
                                              QVariant(m_rows.at(m_current).identity)),
                        columns);
        dropKeys();
        QStringList now = rowValues(m_current);
        for (qsizetype i = 0; i < columns.size(); ++i)
            now[columnIndex(columns.at(i))] = values.at(i).toString();
        m_rows[m_current].start = appendText(now);
        if (const qsizetype at = wholeIndex(m_current); at >= 0) {
            m_whole[at].start = m_rows.at(m_current).start;
            indexStored(m_current);
        }
    }
    m_state = State::Browse;
    emit rowChanged(m_current);
}

void Dataset::postInsert(const QStringList& columns, const QVariantList& values)
{
    // In a transaction of its own, like every other change: its commit is
    // then noted as ours, and a search after it may stay in memory.
    m_connection.beginWriting();
    qint64 identity = 0;
    try {
        QSqlQuery q = m_connection.run(
            Statements::insertRow(m_connection.dialect(), m_query.table, columns, values));
        identity = (m_connection.dialect().isServer() ? (q.next() ? q.value(0) : QVariant())
                                                      : q.lastInsertId())
                       .toLongLong();
        q.finish();
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
    QStringList inserted(m_columns.size());
    for (qsizetype i = 0; i < columns.size(); ++i)
        inserted[columnIndex(columns.at(i))] = values.at(i).toString();
    const int row = int(m_rows.size());
    dropKeys();
    m_rows.append({identity, appendText(inserted)});
    if (m_index) {
        m_whole.append(m_rows.at(row));
        indexStored(row);
    }
    emit rowAppended(row);
    m_state = State::Browse;
    m_current = row;
    m_atEnd = false;
    emit currentRowChanged(m_current);
}

bool Dataset::storedAsRead(int row, const QSqlQuery& stored, const QStringList& columns) const
{
    for (int c = 0; c < columns.size(); ++c)
        if (stored.value(c).toString() != cell(row, columnIndex(columns.at(c))))
            return false;
    return true;
}

void Dataset::changeRowAsRead(int row, const Statement& change, const QStringList& compared)
{
    m_connection.beginWriting();
    try {
        QSqlQuery stored = m_connection.run(Statements::selectRowForChange(
            m_connection.dialect(), m_query.table, compared, QVariant(m_rows.at(row).identity)));
        if (!stored.next() || !storedAsRead(row, stored, compared) ||
            m_connection.run(change).numRowsAffected() == 0)
            throw rowGone();
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
}

QVariantList Dataset::identitiesAsRead() const
{
    QVariantList identities;
    identities.reserve(m_rows.size());
    if (!m_connection.dialect().reusesIdentities()) {
        for (const Row& r : m_rows)
            identities << QVariant(r.identity);
        return identities;
    }
    QHash<qlonglong, int> listed;
    listed.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i)
        listed.insert(m_rows.at(i).identity, i);
    QSqlQuery stored = m_connection.run(
        Statements::selectRowsForChange(m_connection.dialect(), m_query.table, m_columns));
    // The query's values shifted by one: the identity comes first.
    while (stored.next()) {
        const auto it = listed.constFind(stored.value(0).toLongLong());
        if (it == listed.constEnd())
            continue;
        bool same = true;
        for (int c = 0; c < m_columns.size() && same; ++c)
            same = stored.value(c + 1).toString() == cell(*it, c);
        if (same)
            identities << QVariant(m_rows.at(*it).identity);
    }
    return identities;
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
    complete();
    if (m_state != State::Browse)
        cancel();
    if (m_current < 0)
        throw StoreError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    requireSameContent();
    changeRowAsRead(m_current,
                    Statements::deleteRow(m_query.table, m_connection.rowIdentity(),
                                          QVariant(m_rows.at(m_current).identity)),
                    m_columns);
    const int row = m_current;
    unindex(row);
    emit rowAboutToBeRemoved(row);
    dropKeys();
    m_rows.removeAt(row);
    emit rowRemoved(row);
    m_current = m_rows.isEmpty() ? -1 : std::min(row, int(m_rows.size()) - 1);
    m_atEnd = m_rows.isEmpty();
    emit currentRowChanged(m_current);
}

void Dataset::deleteAll()
{
    requireOpen();
    complete();
    if (m_state != State::Browse)
        cancel();
    if (m_rows.isEmpty())
        return;
    requireSameContent();
    // A row at a time, each synced to disk, takes a millisecond a row; a
    // few hundred identities per statement in one transaction take one sync.
    constexpr qsizetype perStatement = 500;
    m_connection.beginWriting();
    try {
        const QVariantList listed = identitiesAsRead();
        QVariantList identities;
        for (qsizetype i = 0; i < listed.size(); ++i) {
            identities << listed.at(i);
            if (identities.size() == perStatement || i + 1 == listed.size()) {
                m_connection.execute(
                    Statements::deleteRows(m_query.table, m_connection.rowIdentity(), identities));
                identities.clear();
            }
        }
        m_connection.commit();
    } catch (...) {
        m_connection.rollback();
        throw;
    }
    // The whole book's text stays while its index lists rows in it.
    const bool searched = m_index && !m_query.column.isEmpty();
    if (searched) {
        for (int r = 0; r < m_rows.size(); ++r)
            unindex(r);
    } else if (m_index) {
        m_whole = {};
        m_wholeRead = 0;
        m_index = std::make_unique<SearchIndex>(m_searchKeys);
    }
    emit aboutToReset();
    dropKeys();
    m_rows.clear();
    if (!searched)
        m_text.clear();
    m_current = -1;
    m_atEnd = true;
    emit reset();
    emit currentRowChanged(-1);
}

bool Dataset::searchRowsRead(const TableQuery& query)
{
    // Read to the end but not yet taken in. While the rest is still being
    // read, a scan of the store is sooner.
    if (m_load && m_load->finished())
        takeRows();
    if (!m_open || !m_index || !m_indexExact || m_load || query.table != m_query.table)
        return false;
    const int key = m_index->keyOf(query);
    if (key < 0)
        return false;
    try {
        // Another program's commit, another connection's change of the
        // table, or a restore may have changed what the store lists.
        const Connection::Mark now = m_connection.mark();
        if (!m_connection.ownCommitsOnly(m_mark, now, m_query.table) ||
            m_connection.generation() != m_generation)
            return false;
        m_mark = now;
    } catch (const StoreError&) {
        return false;
    }
    const QList<qsizetype> found = m_index->find(key, query.text);
    QList<Row> rows;
    rows.reserve(found.size());
    for (const qsizetype at : found)
        rows.append(m_whole.at(at));
    emit aboutToReset();
    dropKeys();
    m_rows = std::move(rows);
    m_query = query;
    m_state = State::Browse;
    m_current = m_rows.isEmpty() ? -1 : 0;
    m_atEnd = m_rows.isEmpty();
    emit reset();
    emit currentRowChanged(m_current);
    return true;
}

qsizetype Dataset::wholeIndex(int row) const
{
    if (!m_index)
        return -1;
    const qint64 identity = m_rows.at(row).identity;
    const auto read = m_whole.cbegin() + m_wholeRead;
    const auto it = std::lower_bound(m_whole.cbegin(), read, identity,
                                     [](const Row& r, qint64 i) { return r.identity < i; });
    if (it != read && it->identity == identity && it->start >= 0)
        return it - m_whole.cbegin();
    // Added rows: few, and an identity may come back after its row went.
    for (qsizetype i = m_whole.size() - 1; i >= m_wholeRead; --i)
        if (m_whole.at(i).identity == identity && m_whole.at(i).start >= 0)
            return i;
    return -1;
}

void Dataset::indexStored(int row)
{
    // Read back: what the store holds is what a search there compares.
    QStringList columns;
    for (const SearchIndex::Key& key : m_index->keys())
        columns << key.column;
    QSqlQuery stored = m_connection.run(Statements::selectRowForChange(
        m_connection.dialect(), m_query.table, columns, QVariant(m_rows.at(row).identity)));
    const qsizetype at = wholeIndex(row);
    if (at < 0 || !stored.next()) {
        m_indexExact = false;
        return;
    }
    QByteArrayList records(columns.size());
    for (int k = 0; k < columns.size(); ++k) {
        const QVariant v = stored.value(k);
        const QByteArray value = v.toString().toUtf8();
        if (!SearchIndex::appendRecord(records[k], m_index->keys().at(k), value.constData(),
                                       value.size(), v.isNull()))
            m_indexExact = false;
    }
    m_index->setRecords(at, records);
}

void Dataset::unindex(int row)
{
    if (const qsizetype at = wholeIndex(row); at >= 0) {
        m_whole[at].start = -1;
        m_index->remove(at);
    }
}
