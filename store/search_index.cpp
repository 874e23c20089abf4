#include "store/search_index.h"

#include "store/row_text.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

// Neither byte is part of UTF-8, so no searched text matches across a
// record's end or into a NULL or blanked record.
constexpr char recordEnd = RowText::separator;
constexpr char blankByte = '\xfe';

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

const char* nextCharacter(const char* s, const char* end)
{
    do
        ++s;
    while (s < end && (static_cast<unsigned char>(*s) & 0xc0) == 0x80);
    return s;
}

// LIKE's own matching of a held value: % any run, _ any one character,
// the rest byte for byte. Backing up to the last % only is enough.
bool like(const char* s, const char* end, const QByteArray& pattern)
{
    const char* p = pattern.constBegin();
    const char* const pend = pattern.constEnd();
    const char* star = nullptr;
    const char* resume = nullptr;
    while (s < end) {
        if (p < pend && *p == '%') {
            star = ++p;
            resume = s;
        } else if (p < pend && *p == '_') {
            ++p;
            s = nextCharacter(s, end);
        } else if (p < pend && *p == *s) {
            ++p;
            ++s;
        } else if (star) {
            p = star;
            s = resume = nextCharacter(resume, end);
        } else {
            return false;
        }
    }
    while (p < pend && *p == '%')
        ++p;
    return p == pend;
}

// The first place of `needle` (not empty) from `p` on, else `end`. Mostly
// sixteen places at a time where a needle's first and last bytes stand:
// memmem's start-up on each call costs more than the scan when a fifth of
// a million short records match.
const char* findNext(const char* p, const char* end, const QByteArray& needle)
{
    const qsizetype n = needle.size();
    if (n == 1) {
        const void* hit = std::memchr(p, needle.front(), size_t(end - p));
        return hit ? static_cast<const char*>(hit) : end;
    }
#ifdef __SSE2__
    const __m128i first = _mm_set1_epi8(needle.front());
    const __m128i last = _mm_set1_epi8(needle.back());
    while (end - p >= n - 1 + 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
        while (mask) {
            const int at = __builtin_ctz(mask);
            if (std::memcmp(p + at + 1, needle.constData() + 1, size_t(n - 2)) == 0)
                return p + at;
            mask &= mask - 1;
        }
        p += 16;
    }
#endif
    const void* hit = memmem(p, size_t(end - p), needle.constData(), size_t(n));
    return hit ? static_cast<const char*>(hit) : end;
}

// A NULL or blanked record: no value a pattern may match.
bool held(const char* s, const char* end)
{
    return s == end || *s != blankByte;
}

} // namespace

int SearchIndex::keyOf(const TableQuery& query) const
{
    for (int k = 0; k < m_keys.size(); ++k)
        if (m_keys.at(k).column == query.column &&
            m_keys.at(k).ignoringSpacesAndDashes == query.ignoringSpacesAndDashes)
            return k;
    return -1;
}

bool SearchIndex::appendRecord(QByteArray& records, const Key& key, const char* value,
                               qsizetype size, bool null)
{
    if (null) {
        records.append(blankByte).append(recordEnd);
        return true;
    }
    for (qsizetype i = 0; i < size; ++i) {
        const char c = value[i];
        if (!key.ignoringSpacesAndDashes || (c != ' ' && c != '-'))
            records.append(lowerAscii(c));
    }
    records.append(recordEnd);
    return size == 0 || !std::memchr(value, 0, size_t(size));
}

void SearchIndex::append(QByteArrayList records, qsizetype rows)
{
    if (rows == 0)
        return;
    m_blocks.append(std::move(records));
    m_blockFirstRow.append(m_rows);
    m_rows += rows;
}

std::pair<qsizetype, qsizetype> SearchIndex::locate(int key, qsizetype row) const
{
    const auto after = std::upper_bound(m_blockFirstRow.cbegin(), m_blockFirstRow.cend(), row);
    const qsizetype block = (after - m_blockFirstRow.cbegin()) - 1;
    const QByteArray& text = m_blocks.at(block).at(key);
    qsizetype at = 0;
    for (qsizetype r = m_blockFirstRow.at(block); r < row; ++r)
        at = text.indexOf(recordEnd, at) + 1;
    return {block, at};
}

QByteArrayList SearchIndex::records(qsizetype row) const
{
    if (const auto it = m_changed.constFind(row); it != m_changed.constEnd())
        return *it;
    QByteArrayList found;
    if (row >= m_rows)
        return found;
    for (int k = 0; k < m_keys.size(); ++k) {
        const auto [block, at] = locate(k, row);
        const QByteArray& text = m_blocks.at(block).at(k);
        found << text.mid(at, text.indexOf(recordEnd, at) + 1 - at);
    }
    return found;
}

void SearchIndex::blank(qsizetype row)
{
    if (row >= m_rows || m_changed.contains(row))
        return;
    for (int k = 0; k < m_keys.size(); ++k) {
        const auto [block, at] = locate(k, row);
        QByteArray& text = m_blocks[block][k];
        std::fill(text.begin() + at, text.begin() + text.indexOf(recordEnd, at), blankByte);
    }
}

void SearchIndex::setRecords(qsizetype row, const QByteArrayList& records)
{
    blank(row);
    m_changed.insert(row, records);
}

void SearchIndex::remove(qsizetype row)
{
    blank(row);
    m_changed.insert(row, {});
}

QList<qsizetype> SearchIndex::find(int key, const QString& text) const
{
    QByteArray needle = text.toUtf8();
    std::transform(needle.begin(), needle.end(), needle.begin(), lowerAscii);
    const bool plain = !needle.isEmpty() && !needle.contains('%') && !needle.contains('_');
    const QByteArray pattern = '%' + needle + '%';
    QList<qsizetype> found;
    for (qsizetype b = 0; b < m_blocks.size(); ++b) {
        const QByteArray& records = m_blocks.at(b).at(key);
        const char* p = records.constData();
        const char* const end = p + records.size();
        qsizetype row = m_blockFirstRow.at(b);
        if (plain) {
            for (const char* hit; (hit = findNext(p, end, needle)) != end;) {
                row += std::count(p, hit, recordEnd);
                found << row;
                p = static_cast<const char*>(std::memchr(hit, recordEnd, size_t(end - hit))) + 1;
                ++row;
            }
            continue;
        }
        for (; p < end; ++row) {
            const char* e = static_cast<const char*>(std::memchr(p, recordEnd, size_t(end - p)));
            // An empty record blanked stays empty: its row is among the changed.
            if (held(p, e) && like(p, e, pattern) && !m_changed.contains(row))
                found << row;
            p = e + 1;
        }
    }
    // Changed rows are blank in the blocks; they are few.
    const qsizetype unchanged = found.size();
    for (auto it = m_changed.cbegin(); it != m_changed.cend(); ++it) {
        if (it->isEmpty())
            continue;
        const QByteArray& record = it->at(key);
        const char* end = record.constEnd() - 1;
        if (plain ? record.contains(needle)
                  : held(record.constBegin(), end) && like(record.constBegin(), end, pattern))
            found << it.key();
    }
    std::sort(found.begin() + unchanged, found.end());
    std::inplace_merge(found.begin(), found.begin() + unchanged, found.end());
    return found;
}
