#pragma once

#include <QByteArray>
#include <QList>
#include <utility>

// The values of a snapshot's rows, as UTF-8, each value followed by
// `separator`, rows one after another; a row is addressed by where it
// starts. Optionally held as zlib blocks of whole rows, a tenth of the
// size, for a copy read from start to end once, as a batch to PDF does.
class RowText {
public:
    // Never part of UTF-8.
    static constexpr char separator = '\xff';

    // Rows are packed in blocks of about this many bytes.
    static constexpr qsizetype blockSize = 64 * 1024;

    explicit RowText(bool compressed = false) : m_compressed(compressed) {}

    bool compressed() const { return m_compressed; }
    // Starts a row; returns where it starts.
    qsizetype beginRow();
    // One value and its separator; a stored separator byte reads as U+FFFD.
    void value(const char* bytes, qsizetype size);
    // Gives back what the growing buffer holds beyond its end.
    void finish();
    void clear();
    // Empty again, keeping the memory the rows took: refilling it costs no
    // fresh pages from the system.
    void restart();

    // The bytes of rows written so far, unpacked.
    qsizetype size() const { return m_tailStart + m_tailUsed; }
    // The plain text's bytes, leaving it empty.
    QByteArray take();
    // Rows another RowText took, `size` bytes unpacked, packed when this
    // one is; returns where they start.
    qsizetype append(const QByteArray& text, qsizetype size);

    // The row starting at `start`, to the end of the bytes around it.
    std::pair<const char*, const char*> row(qsizetype start) const;

private:
    // Where `size` more bytes go. Inline, as QByteArray::append's checks
    // per value cost more than the copying.
    char* room(qsizetype size)
    {
        if (m_tailUsed + size > m_tail.size())
            grow(size);
        return m_tail.data() + m_tailUsed;
    }
    void grow(qsizetype size);
    void put(const char* bytes, qsizetype size);
    void compressTail();

    bool m_compressed;
    QList<QByteArray> m_blocks;
    QList<qsizetype> m_blockStarts; // where each block's first row starts
    QByteArray m_tail;              // the rows after the blocks; grows by doubling
    qsizetype m_tailStart = 0;
    qsizetype m_tailUsed = 0;
    mutable qsizetype m_cachedBlock = -1;
    mutable QByteArray m_cache;
};
