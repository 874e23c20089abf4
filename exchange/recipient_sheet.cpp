#include "exchange/recipient_sheet.h"

#include "exchange/sheet_limits.h"
#include "records/address_book.h"
#include "records/address_parser.h"
#include "records/division_table.h"
#include "store/schema.h"

#include <algorithm>

namespace {

using Column = AddressBook::Column;

QString withoutBlanks(const QString& title)
{
    QString out;
    for (const QChar c : title)
        if (!c.isSpace())
            out += c;
    return out;
}

QStringList words(const char16_t* list)
{
    return QString::fromUtf16(list).split(u' ', Qt::SkipEmptyParts);
}

[[noreturn]] void missingColumn(int column, const QStringList& titles)
{
    const QString text =
        QStringLiteral(u"缺少“%1”列（也可用：%2）。\n表格第一行的标题是：%3。")
            .arg(Schema::recipientColumns().at(column),
                 RecipientSheet::otherTitles().at(column).join(u'、'), titles.join(u'、'));
    throw SheetError(text, SheetError::Kind::MissingColumn);
}

// The combined cell fills what the sheet's own columns leave empty.
void fillFromCombined(std::array<QString, RecipientSheet::columnCount>& values, const QString& cell)
{
    const ParsedRecipient r = AddressParser::parse(cell);
    const std::pair<Column, const QString*> parts[] = {
        {Column::Name, &r.name},
        {Column::Mobile, &r.mobile},
        {Column::Phone, &r.phone},
        {Column::Address, &r.address},
        {Column::Destination, &r.destination},
        {Column::Postcode, &r.postcode},
        {Column::Company, &r.company},
        {Column::Remarks, &r.remarks},
    };
    for (const auto& [column, text] : parts)
        if (values[size_t(column)].isEmpty())
            values[size_t(column)] = *text;
}

} // namespace

const QList<QStringList>& RecipientSheet::otherTitles()
{
    static const QList<QStringList> titles{
        words(u"公司 单位 公司名称"),
        words(u"收货人 收货人姓名 收件人 姓名"),
        words(u"省份 城市"),
        words(u"收货地址 收件人地址 收货人地址 详细地址 地址"),
        words(u"邮编"),
        words(u"电话 固话 收件人电话 收货人电话"),
        words(u"手机 收货人手机 联系手机 手机号 收件人手机 收件人手机号 收货人手机号"),
        words(u"商品名称 物品名称 品名 商品"),
        words(u"件数 宝贝总数量 购买数量 商品数量"),
        words(u"买家留言 留言"),
    };
    return titles;
}

const QStringList& RecipientSheet::combinedTitles()
{
    static const QStringList titles =
        words(u"收货信息 收件信息 收货人信息 收件人信息 收货人及地址 收件人及地址");
    return titles;
}

SheetRows RecipientSheet::recipients(const SheetRows& sheet)
{
    RecipientSheet collected;
    for (qsizetype r = 0; r < sheet.size(); ++r)
        for (qsizetype c = 0; c < sheet.at(r).size(); ++c)
            collected.cell(std::uint32_t(r), std::uint32_t(c), sheet.at(r).at(c));
    collected.finish();
    SheetRows rows;
    for (qsizetype r = 0; r < collected.rowCount(); ++r) {
        QStringList values;
        for (int c = 0; c < columnCount; ++c)
            values << collected.value(r, c);
        rows << values;
    }
    return rows;
}

void RecipientSheet::charge(qint64 bytes)
{
    m_keptBytes += bytes;
    if (m_keptBytes > SheetLimits::maxKeptBytes)
        SheetLimits::tooLarge(QStringLiteral(u"要导入的文字超过128MB"));
}

QString* RecipientSheet::slotFor(std::uint32_t column)
{
    const auto at = std::find(m_sourceColumns.begin(), m_sourceColumns.end(), qint64(column));
    if (at != m_sourceColumns.end())
        return &m_pending[size_t(at - m_sourceColumns.begin())];
    const auto extra = std::find(m_extraColumns.begin(), m_extraColumns.end(), qint64(column));
    if (extra != m_extraColumns.end())
        return &m_pendingExtras[size_t(extra - m_extraColumns.begin())];
    return nullptr;
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
    if (!m_columnsFound && row != m_titleRow && !titlesServe() &&
        m_skippedLines < maxSkippedLines) {
        // The line above was a caption; this one may hold the titles.
        if (m_skippedLines == 0) {
            for (const auto& t : std::as_const(m_titles))
                m_firstTitles << withoutBlanks(t.second);
            m_firstMissing =
                m_sourceColumns[size_t(Column::Name)] < 0 ? Column::Name : Column::Address;
        }
        ++m_skippedLines;
        m_titles.clear();
        m_titleRow = row;
        takeTitle(column, text);
        return;
    }
    if (!m_columnsFound)
        findColumns();
    if (row != m_row) {
        endRow();
        m_row = row;
    }
    QString* slot = slotFor(column);
    if (!slot)
        return;
    const QString value = AddressParser::withoutUnsafeControls(text);
    charge(2 * (value.size() - slot->size()));
    *slot = value;
}

void RecipientSheet::takeTitle(std::uint32_t column, const QString& text)
{
    charge(2 * text.size() + 8);
    m_titles.append({column, text});
}

bool RecipientSheet::titlesServe()
{
    // The leftmost column wins when a title is there twice.
    std::sort(m_titles.begin(), m_titles.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList blankless;
    for (const auto& t : m_titles)
        blankless << withoutBlanks(t.second);
    // A title written exactly so wins over one that only matches without
    // its blanks, as it did before blanks were overlooked.
    const auto columnTitled = [&](const QString& title) -> qint64 {
        for (const auto& t : m_titles)
            if (t.second == title)
                return t.first;
        const qsizetype at = blankless.indexOf(title);
        return at < 0 ? -1 : qint64(m_titles.at(at).first);
    };
    const QStringList& own = Schema::recipientColumns();
    for (int c = 0; c < columnCount; ++c) {
        // The exact title always wins over another name.
        qint64 source = columnTitled(own.at(c));
        for (const QString& other : otherTitles().at(c))
            if (source < 0)
                source = columnTitled(other);
        m_sourceColumns[size_t(c)] = source;
    }
    m_extraColumns.fill(-1);
    const qint64 destination = m_sourceColumns[size_t(Column::Destination)];
    if (destination >= 0 && destination == columnTitled(QStringLiteral(u"省份")))
        m_extraColumns[City] = columnTitled(QStringLiteral(u"城市"));
    // A sheet with its own name and address columns imports as it always
    // did; a combined column beside them is just another column.
    if (m_sourceColumns[size_t(Column::Name)] < 0 || m_sourceColumns[size_t(Column::Address)] < 0)
        for (const QString& title : combinedTitles())
            if (m_extraColumns[Combined] < 0)
                m_extraColumns[Combined] = columnTitled(title);
    const auto firstOf = [&](const char16_t* titles) {
        for (const QString& title : words(titles))
            if (const qint64 c = columnTitled(title); c >= 0)
                return c;
        return qint64(-1);
    };
    m_extraColumns[Order] = firstOf(u"订单编号 订单号 主订单编号 交易编号 平台订单号");
    m_extraColumns[Shop] = firstOf(u"店铺名称 店铺 平台名称 平台 来源平台");
    if (m_sourceColumns[size_t(Column::Address)] >= 0) {
        m_extraColumns[Province] = firstOf(u"省份 省");
        if (m_extraColumns[City] < 0)
            m_extraColumns[City] = firstOf(u"城市 市");
        m_extraColumns[District] = firstOf(u"区县 县区 区 县");
        m_extraColumns[Region] = firstOf(u"所在地区 省市区 地区 所在地");
    }
    return m_extraColumns[Combined] >= 0 || (m_sourceColumns[size_t(Column::Name)] >= 0 &&
                                             m_sourceColumns[size_t(Column::Address)] >= 0);
}

void RecipientSheet::findColumns()
{
    // The message names what the first line lacks, the titles as the user
    // sees them.
    if (!titlesServe()) {
        if (m_skippedLines > 0)
            missingColumn(m_firstMissing, m_firstTitles);
        QStringList blankless;
        for (const auto& t : std::as_const(m_titles))
            blankless << withoutBlanks(t.second);
        for (const int required : {Column::Name, Column::Address})
            if (m_sourceColumns[size_t(required)] < 0)
                missingColumn(required, blankless);
    }
    m_titles.clear();
    m_firstTitles.clear();
    m_columnsFound = true;
}

// "科技园1号" under 广东省, 深圳市, 南山区: the parts the address leaves out go in
// front of it, and they fill 目的地. False when the columns name another
// province than the address: then neither is trusted for 目的地.
bool RecipientSheet::placeAddress()
{
    QString& address = m_pending[size_t(Column::Address)];
    QString& destination = m_pending[size_t(Column::Destination)];
    QStringList parts;
    for (const Extra e : {Province, City, District, Region}) {
        // 省份 or 城市 may be the column of 目的地 itself.
        const bool own = m_extraColumns[e] >= 0 &&
                         m_extraColumns[e] == m_sourceColumns[size_t(Column::Destination)];
        if (const QString part = withoutBlanks(own ? destination : m_pendingExtras[e]);
            !part.isEmpty())
            parts << part;
    }
    if (parts.isEmpty() || address.isEmpty())
        return true;
    const DivisionTable& table = DivisionTable::national();
    if (const DivisionTable::Location own = table.locate(address); own.province >= 0) {
        // "深圳南山…" under 广东省: written in full as pasted text is, unless the
        // columns name another province.
        const DivisionTable::Location columns = table.locate(parts.join(QString()));
        if (columns.province >= 0 && columns.province != own.province)
            return false; // which of the two is right, nobody can tell
        address = own.address;
    } else {
        QString front;
        qsizetype at = 0;
        for (const QString& part : std::as_const(parts)) {
            if (QStringView(address).mid(at).startsWith(part))
                at += part.size();
            else if (!front.contains(part))
                front += part;
        }
        // Only a place: a column of sales regions ("华南") is not one.
        if (table.locate(front + address).province >= 0)
            address.prepend(front);
    }
    if (destination.isEmpty())
        destination = table.locate(address).destination();
    return true;
}

void RecipientSheet::endRow()
{
    const auto size = [](const auto& texts) {
        qint64 n = 0;
        for (const QString& t : texts)
            n += t.size();
        return n;
    };
    const qint64 before = size(m_pending) + size(m_pendingExtras);
    const bool placeAgrees = placeAddress();
    const QString& city = m_pendingExtras[City];
    QString& destination = m_pending[size_t(Column::Destination)];
    if (m_sourceColumns[size_t(Column::Destination)] == m_extraColumns[Province] &&
        !city.isEmpty() && !destination.contains(city))
        destination += city;
    if (const QString& combined = m_pendingExtras[Combined]; !combined.isEmpty()) {
        if (combined.size() > SheetLimits::maxCombinedCellChars)
            SheetLimits::tooLarge(QStringLiteral(u"有合并的收件人信息单元格超过1,000个字符"));
        m_combinedChars += combined.size();
        if (m_combinedChars > SheetLimits::maxCombinedChars)
            SheetLimits::tooLarge(QStringLiteral(u"合并的收件人信息共超过16,777,216个字符"));
        fillFromCombined(m_pending, combined);
    }
    // As a pasted text gives them: the destination the address names, and
    // numbers the form has room for.
    const QString& address = m_pending[size_t(Column::Address)];
    if (placeAgrees && destination.isEmpty() && !address.isEmpty())
        destination = DivisionTable::national().locate(address).destination();
    for (const Column c : {Column::Mobile, Column::Phone})
        m_pending[size_t(c)] = AddressParser::tidyPhone(m_pending[size_t(c)]);
    const QString order = m_pendingExtras[Order].trimmed();
    const QString shop = m_pendingExtras[Shop].trimmed();
    for (QString& extra : m_pendingExtras)
        extra.clear();
    // What the extras became, not themselves.
    charge(2 * (size(m_pending) + order.size() + shop.size() - before));
    if (std::all_of(m_pending.begin(), m_pending.end(),
                    [](const QString& v) { return v.isEmpty(); }))
        return;
    charge(qint64(sizeof(std::uint32_t)) * keptCount);
    for (QString& value : m_pending) {
        m_text.append(value);
        m_ends.push_back(std::uint32_t(m_text.size()));
        value.clear();
    }
    for (const QString& value : {order, shop}) {
        m_text.append(value);
        m_ends.push_back(std::uint32_t(m_text.size()));
    }
}

void RecipientSheet::finish()
{
    if (m_titleRow < 0)
        throw SheetError("the sheet is empty", SheetError::Kind::Empty);
    if (!m_columnsFound)
        findColumns();
    endRow();
}

QString RecipientSheet::value(qsizetype row, int column) const
{
    const size_t at = size_t(row) * keptCount + size_t(column);
    const std::uint32_t start = at == 0 ? 0 : m_ends[at - 1];
    return m_text.mid(start, m_ends[at] - start);
}
