#include "exchange/recipient_sheet.h"

#include "exchange/sheet_limits.h"
#include "store/schema.h"

#include <algorithm>

void RecipientSheet::charge(qint64 bytes)
{
    m_keptBytes += bytes;
    if (m_keptBytes > SheetLimits::maxKeptBytes)
        SheetLimits::tooLarge(QStringLiteral(u"要导入的文字超过128MB"));
}

void RecipientSheet::cell(std::uint32_t row, std::uint32_t column, const QString& text)
{
    if (++m_cells > SheetLimits::maxCells)
        SheetLimits::tooLarge(QStringLiteral(u"工作表的单元格超过16,777,216个"));
    if (row >= SheetLimits::maxRows)
        SheetLimits::tooLarge(QStringLiteral(u"工作表超过1,048,576行"));
    if (column >= SheetLimits::maxColumns)
        SheetLimits::tooLarge(QStringLiteral(u"工作表超过16,384列"));
    if (text.size() > SheetLimits::maxCellChars)
        SheetLimits::tooLarge(QStringLiteral(u"有单元格超过32,767个字符"));
    if (text.isEmpty())
        return;
    if (m_titleRow < 0)
        m_titleRow = row;
    if (row < m_titleRow || (m_columnsFound && row < m_row) ||
        (m_columnsFound && row == m_titleRow))
        throw SheetError("rows out of order");
    if (row == m_titleRow) {
        takeTitle(column, text);
        return;
    }
    if (!m_columnsFound)
        findColumns();
    if (row != m_row) {
        endRow();
        m_row = row;
    }
    const auto at = std::find(m_sourceColumns.begin(), m_sourceColumns.end(), qint64(column));
    if (at == m_sourceColumns.end())
        return;
    QString& slot = m_pending[size_t(at - m_sourceColumns.begin())];
    charge(2 * (text.size() - slot.size()));
    slot = text;
}

void RecipientSheet::takeTitle(std::uint32_t column, const QString& text)
{
    charge(2 * text.size() + 8);
    m_titles.append({column, text});
}

void RecipientSheet::findColumns()
{
    // The leftmost column wins when a title is there twice.
    std::sort(m_titles.begin(), m_titles.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    const QStringList& titles = Schema::recipientColumns();
    for (int i = 0; i < columnCount; ++i) {
        const auto found = std::find_if(m_titles.begin(), m_titles.end(),
                                        [&](const auto& t) { return t.second == titles.at(i); });
        if (found == m_titles.end())
            throw SheetError("no column titled " + titles.at(i).toStdString());
        m_sourceColumns[size_t(i)] = found->first;
    }
    m_titles.clear();
    m_columnsFound = true;
}

void RecipientSheet::endRow()
{
    if (std::all_of(m_pending.begin(), m_pending.end(),
                    [](const QString& v) { return v.isEmpty(); }))
        return;
    charge(qint64(sizeof(std::uint32_t)) * columnCount);
    for (QString& value : m_pending) {
        m_text.append(value);
        m_ends.push_back(std::uint32_t(m_text.size()));
        value.clear();
    }
}

void RecipientSheet::finish()
{
    if (m_titleRow < 0)
        throw SheetError("the sheet is empty");
    if (!m_columnsFound)
        findColumns();
    endRow();
}

QString RecipientSheet::value(qsizetype row, int column) const
{
    const size_t at = size_t(row) * columnCount + size_t(column);
    const std::uint32_t start = at == 0 ? 0 : m_ends[at - 1];
    return m_text.mid(start, m_ends[at] - start);
}
