#pragma once

#include <QString>
#include <array>
#include <vector>

// The table of strings that the cells of a workbook refer to by number,
// held in one piece and at most SheetLimits::maxSharedStringBytes.
class SharedStrings {
public:
    // Throws SheetTooLarge past the limit.
    void append(const QString& text);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    // Cells citing the same string get the same shared text, not a copy
    // each: millions of them may cite one long string.
    QString at(qsizetype index) const;

private:
    static constexpr std::size_t recentCount = 256;

    QString m_text;
    std::vector<std::uint32_t> m_ends;
    // Strings lately handed out, by index modulo recentCount, with their
    // index + 1 (0: none yet): at most recentCount cells' texts.
    mutable std::array<QString, recentCount> m_recent;
    mutable std::array<qsizetype, recentCount> m_recentIndex{};
};
