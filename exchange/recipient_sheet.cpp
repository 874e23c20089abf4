#include "exchange/recipient_sheet.h"

#include "exchange/sheet_error.h"
#include "records/address_book.h"
#include "records/address_parser.h"
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

// Where each column comes from: a sheet column or -1.
struct Sources {
    QList<qsizetype> at = QList<qsizetype>(RecipientFields::count, -1);
    qsizetype city = -1;     // 城市 beside 省份 completes 目的地
    qsizetype combined = -1; // name, phone and address in one cell
};

Sources findSources(const QStringList& titles)
{
    const QStringList& columns = Schema::recipientColumns();
    Sources s;
    for (int c = 0; c < RecipientFields::count; ++c) {
        s.at[c] = titles.indexOf(columns.at(c));
        for (const QString& other : RecipientSheet::otherTitles().at(c)) {
            if (s.at[c] >= 0)
                break;
            s.at[c] = titles.indexOf(other);
        }
    }
    if (s.at[Column::Destination] >= 0 &&
        titles.at(s.at[Column::Destination]) == QStringLiteral(u"省份"))
        s.city = titles.indexOf(QStringLiteral(u"城市"));
    for (const QString& title : RecipientSheet::combinedTitles())
        if (s.combined < 0)
            s.combined = titles.indexOf(title);
    return s;
}

[[noreturn]] void missingColumn(int column, const QStringList& titles)
{
    QStringList found;
    for (const QString& t : titles)
        if (!t.isEmpty())
            found << t;
    const QString text =
        QStringLiteral(u"缺少“%1”列（也可用：%2）。\n表格第一行的标题是：%3。")
            .arg(Schema::recipientColumns().at(column),
                 RecipientSheet::otherTitles().at(column).join(u'、'), found.join(u'、'));
    throw SheetError(text.toStdString(), SheetError::Kind::MissingColumn);
}

// The combined cell fills what the sheet's own columns leave empty.
void fillFromCombined(QStringList& values, const QString& cell)
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
        if (values.at(column).isEmpty())
            values[column] = *text;
}

} // namespace

namespace RecipientSheet {

const QList<QStringList>& otherTitles()
{
    static const QList<QStringList> titles{
        words(u"公司 单位 公司名称"),
        words(u"收货人 收货人姓名 收件人 姓名"),
        words(u"省份 城市"),
        words(u"收货地址 详细地址 地址"),
        words(u"邮编"),
        words(u"电话 固话"),
        words(u"手机 收货人手机 联系手机 手机号"),
        words(u"商品名称 物品名称 品名"),
        words(u"件数"),
        words(u"买家留言 留言"),
    };
    return titles;
}

const QStringList& combinedTitles()
{
    static const QStringList titles =
        words(u"收货信息 收件信息 收货人信息 收件人信息 收货人及地址 收件人及地址");
    return titles;
}

SheetRows recipients(const SheetRows& sheet)
{
    const auto isBlank = [](const QStringList& row) {
        return std::all_of(row.begin(), row.end(), [](const QString& c) { return c.isEmpty(); });
    };
    const auto titleRow = std::find_if_not(sheet.begin(), sheet.end(), isBlank);
    if (titleRow == sheet.end())
        throw SheetError("the sheet is empty", SheetError::Kind::Empty);

    QStringList titles;
    for (const QString& t : *titleRow)
        titles << withoutBlanks(t);
    const Sources sources = findSources(titles);
    if (sources.combined < 0)
        for (const int required : {Column::Name, Column::Address})
            if (sources.at[required] < 0)
                missingColumn(required, titles);

    SheetRows out;
    for (auto row = titleRow + 1; row != sheet.end(); ++row) {
        QStringList values;
        values.reserve(RecipientFields::count);
        for (const qsizetype at : sources.at)
            values.append(at < 0 ? QString() : row->value(at));
        if (sources.city >= 0) {
            const QString city = row->value(sources.city);
            if (!values.at(Column::Destination).contains(city))
                values[Column::Destination] += city;
        }
        if (sources.combined >= 0 && !row->value(sources.combined).isEmpty())
            fillFromCombined(values, row->value(sources.combined));
        if (!isBlank(values))
            out.append(values);
    }
    return out;
}

} // namespace RecipientSheet
