#include "exchange/shared_strings.h"

#include "exchange/sheet_limits.h"

void SharedStrings::append(const QString& text)
{
    if (text.size() > SheetLimits::maxCellChars)
        SheetLimits::tooLarge(QStringLiteral(u"有单元格超过32,767个字符"));
    // What the table costs: its characters and one end offset a string.
    const qint64 bytes =
        2 * (qint64(m_text.size()) + text.size()) + qint64(sizeof(std::uint32_t)) * (size() + 1);
    if (bytes > SheetLimits::maxSharedStringBytes)
        SheetLimits::tooLarge(QStringLiteral(u"共享字符串表超过64MB"));
    m_text.append(text);
    m_ends.push_back(std::uint32_t(m_text.size()));
}

QString SharedStrings::at(qsizetype index) const
{
    const std::size_t slot = std::size_t(index) % recentCount;
    if (m_recentIndex[slot] == index + 1)
        return m_recent[slot];
    const std::uint32_t start = index == 0 ? 0 : m_ends[size_t(index - 1)];
    m_recent[slot] = m_text.mid(start, m_ends[size_t(index)] - start);
    m_recentIndex[slot] = index + 1;
    return m_recent[slot];
}
