#include "store/spooled_rows.h"

#include "store/connection.h"
#include "store/row_text.h"
#include "store/snapshot_reader.h"
#include "store/store_error.h"
#include "store/temporary_files.h"

#include <QSqlQuery>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace {

template <typename T> bool writeAll(QFile& file, const QList<T>& values)
{
    const qint64 bytes = values.size() * qint64(sizeof(T));
    return file.write(reinterpret_cast<const char*>(values.constData()), bytes) == bytes;
}

template <typename T> bool readAll(QFile& file, QList<T>& values, qint64 count)
{
    values.resize(count);
    const qint64 bytes = count * qint64(sizeof(T));
    return file.read(reinterpret_cast<char*>(values.data()), bytes) == bytes;
}

} // namespace

SpooledRows::SpooledRows(Connection& connection, const TableQuery& query)
    : m_table(query.table), m_scratch(TemporaryFiles::scratchTemplate())
{
    const QString unwritable = QStringLiteral(u"无法写入临时文件 %1").arg(m_scratch.path());
    m_file.setFileName(m_scratch.filePath(QStringLiteral("rows")));
    // Customers' data: the owner's alone, as every file of ours that holds it.
    if (!m_scratch.isValid() || !m_file.open(QIODevice::ReadWrite | QIODevice::NewOnly,
                                             QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        throw StoreError(unwritable);
    const Statement select = query.select(connection.dialect());
    // Written by the reading thread as the blocks come, so that they never
    // pile up in memory.
    std::mutex spooling;
    bool written = true;
    std::unique_ptr<SnapshotReader> reader;
    const auto spool = [&] {
        const std::lock_guard lock(spooling);
        if (!reader)
            return; // the blocks wait for the next call
        for (const SnapshotReader::Chunk& chunk : reader->take()) {
            const Block block{m_rows, chunk.identities.size(), m_file.pos(), chunk.text.size()};
            const QList<qint64> starts(chunk.starts.cbegin(), chunk.starts.cend());
            if (!writeAll(m_file, chunk.identities) || !writeAll(m_file, starts) ||
                m_file.write(chunk.text) != chunk.text.size())
                written = false;
            m_blocks.append(block);
            m_rows += block.rows;
        }
    };
    {
        auto made =
            std::make_unique<SnapshotReader>(connection.path(), select, Statement(), true, false,
                                             QList<SearchIndex::Key>(), false, spool);
        const std::lock_guard lock(spooling);
        reader = std::move(made);
    }
    const bool started = reader->started();
    if (started)
        m_columns = reader->columns();
    reader->finish();
    const QString failure = reader->failure();
    // What came before `reader` was set, or after the last call.
    spool();
    {
        // Joins the thread, which may still be in its last call.
        std::unique_ptr<SnapshotReader> done;
        {
            const std::lock_guard lock(spooling);
            done = std::move(reader);
        }
    }
    if (!started) {
        // The store says why, as a dataset's opening would.
        connection.run(select);
        throw StoreError(QStringLiteral("%1: %2").arg(m_table, failure));
    }
    if (!failure.isEmpty())
        throw StoreError(failure);
    if (!written || !m_file.flush())
        throw StoreError(unwritable);
}

SpooledRows::~SpooledRows() = default;

bool SpooledRows::load(int row) const
{
    if (row < 0 || row >= m_rows)
        return false;
    const auto after = std::upper_bound(m_blocks.cbegin(), m_blocks.cend(), qint64(row),
                                        [](qint64 r, const Block& b) { return r < b.firstRow; });
    const qsizetype at = (after - m_blocks.cbegin()) - 1;
    if (at == m_loaded)
        return true;
    const Block& block = m_blocks.at(at);
    QByteArray packed;
    if (!m_file.seek(block.offset) || !readAll(m_file, m_identities, block.rows) ||
        !readAll(m_file, m_starts, block.rows) ||
        (packed = m_file.read(block.textBytes)).size() != block.textBytes)
        throw StoreError(QStringLiteral(u"无法读取临时文件 %1").arg(m_file.fileName()));
    m_text = qUncompress(packed);
    m_loaded = at;
    return true;
}

QString SpooledRows::value(int row, int column) const
{
    if (column < 0 || column >= m_columns.size() || !load(row))
        return {};
    const char* p = m_text.constData() + m_starts.at(row - m_blocks.at(m_loaded).firstRow);
    const char* end = m_text.constData() + m_text.size();
    for (int c = 0; c < column; ++c)
        p = static_cast<const char*>(std::memchr(p, RowText::separator, size_t(end - p))) + 1;
    const char* last =
        static_cast<const char*>(std::memchr(p, RowText::separator, size_t(end - p)));
    return QString::fromUtf8(p, last - p);
}

QString SpooledRows::value(int row, const QString& column) const
{
    return value(row, int(m_columns.indexOf(column)));
}

QVariant SpooledRows::identity(int row) const
{
    if (!load(row))
        return {};
    return m_identities.at(row - m_blocks.at(m_loaded).firstRow);
}
