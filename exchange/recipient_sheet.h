#pragma once

#include "exchange/sheet_cells.h"
#include "exchange/sheet_rows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <utility>
#include <vector>

// The ten recipient columns of a sheet, taken from the cells as a reader
// finds them. The first row holding anything is the title row. Titles are
// compared without blanks (full-width ones too); a column is found by its
// own title first, else by the names platforms use ("收货人", "手机",
// "收货地址"); order and other columns do not matter. Only 收件人姓名 and
// 收件地址 must be there, unless a combined column (name, phone and address
// in one cell) stands in for a missing one, which is split as a pasted
// text is; other missing columns are empty. Of the rows below, only what the ten columns need is
// kept, and rows empty in all ten are left out (they would print blank
// waybills). Up to five lines above the titles ("订单导出 2026-12-09") are
// skipped when the titles are found below them. Columns of the province,
// city and district (or one of all three) go in front of an address that
// does not name its place, and fill 目的地. NUL and terminal escapes are
// dropped from the values. An empty 目的地 is taken from the address's province
// and city, and phone numbers are tidied (AddressParser::tidyPhone). Rows must come in order.
// Throws SheetTooLarge beyond SheetLimits, SheetError otherwise (Kind::MissingColumn with the
// user's explanation when a column is missing).
class RecipientSheet : public SheetCells {
public:
    static constexpr int columnCount = 10;
    // Kept beside the ten when a column gives them (titles 订单编号, 订单号,
    // ...; 店铺名称, 平台, ...): value() takes these as columns too.
    static constexpr int orderColumn = columnCount;
    static constexpr int shopColumn = columnCount + 1;
    static constexpr int keptCount = columnCount + 2;

    // Other titles of each column, in schema order, most usual first.
    static const QList<QStringList>& otherTitles();
    // Titles of one cell holding name, phone and address together.
    static const QStringList& combinedTitles();
    // The rows of a whole sheet held in memory.
    static SheetRows recipients(const SheetRows& sheet);

    void cell(std::uint32_t row, std::uint32_t column, const QString& text) override;
    // After the last cell; throws when there is no title row or a column it
    // needs is missing.
    void finish();

    qsizetype rowCount() const { return qsizetype(m_ends.size()) / keptCount; }
    // Lines above the titles that were skipped.
    int skippedLines() const { return m_skippedLines; }
    static constexpr int maxSkippedLines = 5;
    // `column` counts in the order of Schema::recipientColumns(), then the
    // order number and the shop.
    QString value(qsizetype row, int column) const;

private:
    // Where each value comes from: a sheet column or -1.
    // 城市 beside 省份; the combined cell; the place columns of the address
    enum Extra { City, Combined, Province, District, Region, Order, Shop, extraCount };

    void takeTitle(std::uint32_t column, const QString& text);
    bool titlesServe();
    void findColumns();
    bool placeAddress();
    void endRow();
    void charge(qint64 bytes);
    QString* slotFor(std::uint32_t column);

    qint64 m_cells = 0;
    qint64 m_keptBytes = 0;
    qint64 m_combinedChars = 0;
    qint64 m_titleRow = -1;
    QList<std::pair<std::uint32_t, QString>> m_titles;
    QStringList m_firstTitles; // of the first line, when it is not the titles
    int m_skippedLines = 0;
    int m_firstMissing = 0; // the column the first line lacks
    bool m_columnsFound = false;
    std::array<qint64, columnCount> m_sourceColumns{};
    std::array<qint64, extraCount> m_extraColumns{};
    qint64 m_row = -1; // the data row being collected
    std::array<QString, columnCount> m_pending;
    std::array<QString, extraCount> m_pendingExtras;
    QString m_text; // every kept cell, one after the other
    std::vector<std::uint32_t> m_ends;
};
