#include "store/row_text.h"

#include <algorithm>
#include <cstring>

qsizetype RowText::beginRow()
{
    if (m_compressed && m_tailUsed >= blockSize)
        compressTail();
    return m_tailStart + m_tailUsed;
}

void RowText::value(const char* bytes, qsizetype size)
{
    if (size && std::memchr(bytes, separator, size_t(size))) {
        for (qsizetype i = 0; i < size; ++i) {
            if (bytes[i] == separator)
                put("\xef\xbf\xbd", 3);
            else
                put(bytes + i, 1);
        }
        put(&separator, 1);
        return;
    }
    // Most values take this way: one room check and one copy each.
    char* at = room(size + 1);
    // A NULL value comes as no bytes at all, and memcpy wants a pointer.
    if (size > 0)
        std::memcpy(at, bytes, size_t(size));
    at[size] = separator;
    m_tailUsed += size + 1;
}

void RowText::grow(qsizetype size)
{
    m_tail.resize(std::max<qsizetype>(2 * m_tail.size(), m_tailUsed + size + 4096));
}

void RowText::put(const char* bytes, qsizetype size)
{
    std::memcpy(room(size), bytes, size_t(size));
    m_tailUsed += size;
}

void RowText::compressTail()
{
    QByteArray block =
        qCompress(reinterpret_cast<const uchar*>(m_tail.constData()), qsizetype(m_tailUsed), 1);
    block.squeeze(); // it comes at the size of the worst case
    m_blocks.append(std::move(block));
    m_blockStarts.append(m_tailStart);
    m_tailStart += m_tailUsed;
    m_tailUsed = 0;
}

QByteArray RowText::take()
{
    m_tail.resize(m_tailUsed);
    QByteArray text = std::exchange(m_tail, {});
    clear();
    return text;
}

qsizetype RowText::append(const QByteArray& text, qsizetype size)
{
    if (!m_compressed) {
        const qsizetype start = this->size();
        put(text.constData(), text.size());
        return start;
    }
    if (m_tailUsed > 0)
        compressTail();
    const qsizetype start = m_tailStart;
    m_blocks.append(text);
    m_blockStarts.append(start);
    m_tailStart += size;
    return start;
}

void RowText::finish()
{
    m_tail.resize(m_tailUsed);
    m_tail.squeeze();
}

void RowText::restart()
{
    m_blocks.clear();
    m_blockStarts.clear();
    m_tailStart = 0;
    m_tailUsed = 0;
    m_cachedBlock = -1;
    m_cache = QByteArray();
    m_tail.resize(m_tail.capacity());
}

void RowText::clear()
{
    m_blocks.clear();
    m_blockStarts.clear();
    m_tail = QByteArray();
    m_tailStart = 0;
    m_tailUsed = 0;
    m_cachedBlock = -1;
    m_cache = QByteArray();
}

std::pair<const char*, const char*> RowText::row(qsizetype start) const
{
    if (start >= m_tailStart) {
        const char* tail = m_tail.constData();
        return {tail + (start - m_tailStart), tail + m_tailUsed};
    }
    const auto after = std::upper_bound(m_blockStarts.cbegin(), m_blockStarts.cend(), start);
    const qsizetype block = (after - m_blockStarts.cbegin()) - 1;
    if (block != m_cachedBlock) {
        m_cache = qUncompress(m_blocks.at(block));
        m_cachedBlock = block;
    }
    return {m_cache.constData() + (start - m_blockStarts.at(block)),
            m_cache.constData() + m_cache.size()};
}
