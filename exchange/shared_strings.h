#pragma once

#include <QString>
#include <vector>

// The table of strings that the cells of a workbook refer to by number,
// held in one piece and at most SheetLimits::maxSharedStringBytes.
class SharedStrings {
public:
    // Throws SheetTooLarge past the limit.
    void append(const QString& text);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    QString at(qsizetype index) const;

private:
    QString m_text;
    std::vector<std::uint32_t> m_ends;
};
