#pragma once

#include "exchange/sheet_cells.h"

#include <QList>
#include <QString>
#include <array>
#include <utility>
#include <vector>

// The ten recipient columns of a sheet, taken from the cells as a reader
// finds them. The first row holding anything is the title row; each column
// is found by its exact title, order and other columns do not matter. Of
// the rows below, only the ten columns are kept, and rows empty in all ten
// are left out (they would print blank waybills). Rows must come in order.
// Throws SheetTooLarge beyond SheetLimits, SheetError otherwise.
class RecipientSheet : public SheetCells {
public:
    static constexpr int columnCount = 10;

    void cell(std::uint32_t row, std::uint32_t column, const QString& text) override;
    // After the last cell; throws when there is no title row or a title is
    // missing.
    void finish();

    qsizetype rowCount() const { return qsizetype(m_ends.size()) / columnCount; }
    // `column` counts in the order of Schema::recipientColumns().
    QString value(qsizetype row, int column) const;

private:
    void takeTitle(std::uint32_t column, const QString& text);
    void findColumns();
    void endRow();
    void charge(qint64 bytes);

    qint64 m_cells = 0;
    qint64 m_keptBytes = 0;
    qint64 m_titleRow = -1;
    QList<std::pair<std::uint32_t, QString>> m_titles;
    bool m_columnsFound = false;
    std::array<qint64, columnCount> m_sourceColumns{};
    qint64 m_row = -1; // the data row being collected
    std::array<QString, columnCount> m_pending;
    QString m_text; // every kept cell, one after the other
    std::vector<std::uint32_t> m_ends;
};
