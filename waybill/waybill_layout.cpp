#include "waybill/waybill_layout.h"

#include "waybill/blank_form.h"

#include <array>
#include <cmath>
#include <string_view>

namespace {

struct CatalogueEntry {
    const char16_t* control;
    RecordRole role;
    const char16_t* column;
    QRect box;
    int wrapWidth;
    const char* formBox;
};

constexpr auto S = RecordRole::Sender;
constexpr auto R = RecordRole::Recipient;

// TSf1Form, in placement order.
const std::array<CatalogueEntry, 16> catalogue{{
    {u"QRDBText1", S, u"寄件人姓名", {288, 137, 81, 17}, 0, "shipper.contact"},
    {u"QRDBText2", S, u"联系电话", {264, 220, 65, 17}, 0, "shipper.telephone"},
    {u"QRDBText3", S, u"手机号码", {168, 220, 65, 17}, 0, "shipper.mobile"},
    {u"QRDBText4", S, u"单位名称", {104, 129, 65, 40}, 22, "shipper.company"},
    {u"QRDBText5", S, u"寄件地址", {88, 170, 65, 47}, 30, "shipper.address"},
    {u"QRDBText6", R, u"备注", {576, 472, 33, 41}, 16, "remarks"},
    {u"QRDBText7", S, u"签名", {664, 296, 33, 17}, 0, "signature.shipper"},
    {u"QRDBText8", R, u"收件人姓名", {288, 290, 81, 17}, 0, "consignee.contact"},
    {u"QRDBText9", R, u"联系电话", {262, 370, 65, 17}, 0, "consignee.telephone"},
    {u"QRDBText10", R, u"手机号码", {168, 370, 65, 17}, 0, "consignee.mobile"},
    {u"QRDBText11", R, u"单位名称", {104, 282, 65, 39}, 22, "consignee.company"},
    {u"QRDBText12", R, u"收件地址", {88, 325, 65, 44}, 30, "consignee.address"},
    {u"QRDBText13", R, u"内件品名", {96, 440, 65, 17}, 0, "shipment.description"},
    {u"QRDBText14", R, u"数量", {312, 440, 33, 17}, 0, "shipment.quantity"},
    {u"QRDBText17", S, u"月", {600, 344, 17, 17}, 0, "signature.month"},
    {u"QRDBText18", S, u"日", {646, 344, 17, 17}, 0, "signature.day"},
}};

const std::array<const char16_t*, 16> drawingNames{
    u"QRDBText9",  u"QRDBText8",  u"QRDBText4",  u"QRDBText3",  u"QRDBText2", u"QRDBText11",
    u"QRDBText10", u"QRDBText1",  u"QRDBText7",  u"QRDBText12", u"QRDBText5", u"QRDBText6",
    u"QRDBText13", u"QRDBText14", u"QRDBText17", u"QRDBText18"};

// A difference from TSf1Form; -1 keeps the value.
struct Change {
    RecordRole role;
    const char16_t* column;
    int left = -1;
    int top = -1;
    int height = -1;
};

const std::array<Change, 6> importedSingleChanges{{
    {S, u"单位名称", -1, 137},
    {S, u"寄件地址", -1, 173, 44},
    {S, u"月", 602, 346},
    {S, u"日", -1, 346},
    {R, u"单位名称", -1, 290},
    {R, u"内件品名", -1, 444},
}};

const std::array<Change, 15> addressBookBatchChanges{{
    {S, u"寄件人姓名", -1, 140},
    {S, u"联系电话", -1, 221},
    {S, u"手机号码", -1, 221},
    {S, u"单位名称", -1, 140, 37},
    {S, u"寄件地址", -1, 176, 41},
    {S, u"月", 602, 348},
    {S, u"日", 645, 348},
    {R, u"收件人姓名", -1, 294},
    {R, u"联系电话", 270, 374},
    {R, u"手机号码", -1, 374},
    {R, u"单位名称", -1, 294, 35},
    {R, u"收件地址", -1, 328, 41},
    {R, u"内件品名", 88, 448},
    {R, u"数量", 320, 445},
    {R, u"备注", -1, 476},
}};

const std::array<Change, 15> importedBatchChanges{{
    {S, u"寄件人姓名", -1, 140},
    {S, u"联系电话", -1, 221},
    {S, u"手机号码", -1, 221},
    {S, u"单位名称", -1, 140, 37},
    {S, u"寄件地址", -1, 176, 41},
    {S, u"月", -1, 348},
    {S, u"日", -1, 348},
    {R, u"收件人姓名", -1, 294},
    {R, u"联系电话", 270, 374},
    {R, u"手机号码", -1, 374},
    {R, u"单位名称", -1, 294, 35},
    {R, u"收件地址", -1, 331, 41},
    {R, u"内件品名", -1, 448},
    {R, u"数量", 320, 445},
    {R, u"备注", -1, 475},
}};

} // namespace

QString windowClassName(WaybillVariant variant)
{
    switch (variant) {
    case WaybillVariant::AddressBookSingle:
        return QStringLiteral("TSf1Form");
    case WaybillVariant::ImportedSingle:
        return QStringLiteral("TEsf1Form");
    case WaybillVariant::AddressBookBatch:
        return QStringLiteral("TPlsf1Form");
    case WaybillVariant::ImportedBatch:
        return QStringLiteral("TEPlsf1Form");
    }
    return {};
}

QString windowShownName(WaybillVariant variant)
{
    switch (variant) {
    case WaybillVariant::AddressBookSingle:
        return QStringLiteral(u"单张打印");
    case WaybillVariant::ImportedSingle:
        return QStringLiteral(u"单张打印（Excel导入）");
    case WaybillVariant::AddressBookBatch:
        return QStringLiteral(u"批量打印");
    case WaybillVariant::ImportedBatch:
        return QStringLiteral(u"批量打印（Excel导入）");
    }
    return {};
}

QString windowAlias(WaybillVariant variant)
{
    switch (variant) {
    case WaybillVariant::AddressBookSingle:
        return QStringLiteral("single");
    case WaybillVariant::ImportedSingle:
        return QStringLiteral("imported-single");
    case WaybillVariant::AddressBookBatch:
        return QStringLiteral("batch");
    case WaybillVariant::ImportedBatch:
        return QStringLiteral("imported-batch");
    }
    return {};
}

std::optional<WaybillVariant> variantForWindow(const QString& name)
{
    for (auto v : {WaybillVariant::AddressBookSingle, WaybillVariant::ImportedSingle,
                   WaybillVariant::AddressBookBatch, WaybillVariant::ImportedBatch}) {
        if (windowClassName(v) == name || windowAlias(v) == name)
            return v;
    }
    return std::nullopt;
}

bool isBatch(WaybillVariant variant)
{
    return variant == WaybillVariant::AddressBookBatch || variant == WaybillVariant::ImportedBatch;
}

WaybillLayout::WaybillLayout(WaybillVariant variant)
    : m_variant(variant),
      m_template(std::make_shared<LayoutTemplate>(
          LayoutTemplate{LayoutTemplates::builtInName(variant), {}, paperSizeMm(), {}, {}, {}})),
      m_pictureBox(0, 0, 816, 529)
{
    for (const CatalogueEntry& e : catalogue)
        m_placements.append(FieldPlacement(QString::fromUtf16(e.control), e.role,
                                           QString::fromUtf16(e.column), e.box, e.wrapWidth,
                                           QString::fromLatin1(e.formBox)));
    // By the names of TSf1Form, before a variant renames any.
    for (const char16_t* name : drawingNames) {
        for (int i = 0; i < int(catalogue.size()); ++i) {
            if (std::u16string_view(catalogue[i].control) == name)
                m_drawingOrder.append(i);
        }
    }
}

WaybillLayout WaybillLayout::forWindow(WaybillVariant variant)
{
    WaybillLayout layout(variant);
    const auto apply = [&layout](const auto& changes) {
        for (const Change& c : changes) {
            FieldPlacement& p = layout.find(c.role, QString::fromUtf16(c.column));
            if (c.left >= 0)
                p.setLeft(c.left);
            if (c.top >= 0)
                p.setTop(c.top);
            if (c.height >= 0)
                p.setHeight(c.height);
        }
    };
    switch (variant) {
    case WaybillVariant::AddressBookSingle:
        break;
    case WaybillVariant::ImportedSingle:
        apply(importedSingleChanges);
        break;
    case WaybillVariant::AddressBookBatch:
        apply(addressBookBatchChanges);
        layout.m_pictureBox.moveTop(3);
        layout.find(RecordRole::Sender, QStringLiteral(u"月"))
            .setControlName(QStringLiteral("QRDBText16"));
        layout.find(RecordRole::Sender, QStringLiteral(u"日"))
            .setControlName(QStringLiteral("QRDBText17"));
        break;
    case WaybillVariant::ImportedBatch: {
        apply(importedBatchChanges);
        layout.m_pictureBox.moveTop(3);
        FieldPlacement& address = layout.find(RecordRole::Recipient, QStringLiteral(u"收件地址"));
        QFont arial = address.font();
        arial.setFamily(QStringLiteral("Arial"));
        address.setFont(arial);
        break;
    }
    }
    layout.setRooms();
    return layout;
}

namespace {

// Whole layout pixels and what lies between them.
std::pair<int, double> pixels(double mm)
{
    const double px = millimetresToPixels(Millimetres{mm});
    // Four decimals of a millimetre are closer than this to a whole pixel.
    if (const double whole = std::round(px); std::abs(px - whole) < 0.002)
        return {int(whole), 0.0};
    const double whole = std::floor(px);
    return {int(whole), px - whole};
}

int wholePixels(double mm)
{
    return int(std::lround(millimetresToPixels(Millimetres{mm})));
}

QRect pixelRect(const QRectF& mm)
{
    return {wholePixels(mm.left()), wholePixels(mm.top()), wholePixels(mm.width()),
            wholePixels(mm.height())};
}

} // namespace

WaybillLayout WaybillLayout::fromTemplate(const LayoutTemplate& layoutTemplate,
                                          WaybillVariant variant)
{
    WaybillLayout layout(variant);
    layout.m_template = std::make_shared<LayoutTemplate>(layoutTemplate);
    layout.m_placements.clear();
    layout.m_drawingOrder.clear();
    const QSizeF paper = layoutTemplate.paperMm;
    layout.m_pictureBox = layoutTemplate.background ? pixelRect(layoutTemplate.background->boxMm)
                                                    : pixelRect(QRectF(QPointF(), paper));
    QList<FieldPlacement> drawn;
    for (const TemplateItem& item : layoutTemplate.items) {
        const auto [left, leftFraction] = pixels(item.boxMm.left());
        const auto [top, topFraction] = pixels(item.boxMm.top());
        FieldPlacement p(
            item.id, item.role, item.column,
            QRect(left, top, wholePixels(item.boxMm.width()), wholePixels(item.boxMm.height())), 0,
            item.formBox);
        p.setFraction({leftFraction, topFraction});
        p.setWrap(item.wrap == TemplateItem::Wrap::None ? 0 : item.wrapWidth,
                  item.wrap == TemplateItem::Wrap::Characters);
        p.setAlignment(item.align);
        if (item.kind == TemplateItem::Kind::Text)
            p.setFixedText(item.text);
        QFont font(item.font);
        font.setPointSizeF(item.sizePt);
        p.setFont(font);
        drawn.append(p);
    }
    // Placement order as the template gives it, the items it leaves out
    // after, in drawing order.
    QList<int> placementOf(drawn.size(), -1); // by drawn index
    const auto place = [&](qsizetype i) {
        placementOf[i] = int(layout.m_placements.size());
        layout.m_placements.append(drawn.at(i));
    };
    for (const QString& id : layoutTemplate.placementOrder)
        for (qsizetype i = 0; i < drawn.size(); ++i)
            if (placementOf[i] < 0 && drawn.at(i).controlName() == id) {
                place(i);
                break;
            }
    for (qsizetype i = 0; i < drawn.size(); ++i)
        if (placementOf[i] < 0)
            place(i);
    layout.m_drawingOrder = placementOf;
    layout.setRooms();
    return layout;
}

WaybillLayout WaybillLayout::atRest() const
{
    if (m_template->items.isEmpty())
        return forWindow(m_variant);
    return fromTemplate(*m_template, m_variant);
}

void WaybillLayout::setRooms()
{
    // The mobile and telephone boxes are narrow: a number reaching past
    // the 手机/电话 divider or the telephone box's right line is not read.
    for (FieldPlacement& p : m_placements)
        if (p.formBox().endsWith(QLatin1String(".mobile")) ||
            p.formBox().endsWith(QLatin1String(".telephone")))
            if (const FormBox* box = BlankForm::box(p.formBox()))
                p.setRoom(m_pictureBox.left() + box->rect.right() + 1 - p.left().value);
}

QList<const FieldPlacement*> WaybillLayout::drawingOrder() const
{
    QList<const FieldPlacement*> order;
    for (int i : m_drawingOrder)
        order.append(&m_placements.at(i));
    return order;
}

const FieldPlacement* WaybillLayout::placement(const QString& controlName) const
{
    for (const FieldPlacement& p : m_placements) {
        if (p.controlName() == controlName)
            return &p;
    }
    return nullptr;
}

void WaybillLayout::shiftLeft(int px)
{
    for (FieldPlacement& p : m_placements)
        p.moveBy(px, 0);
}

void WaybillLayout::shiftTop(int px)
{
    for (FieldPlacement& p : m_placements)
        p.moveBy(0, px);
}

void WaybillLayout::setFont(const QFont& font)
{
    for (FieldPlacement& p : m_placements)
        p.setFont(font);
}

void WaybillLayout::setFont(const QString& controlName, const QFont& font)
{
    for (FieldPlacement& p : m_placements)
        if (p.controlName() == controlName)
            p.setFont(font);
}

FieldPlacement& WaybillLayout::find(RecordRole role, const QString& column)
{
    for (FieldPlacement& p : m_placements) {
        if (p.role() == role && p.column() == column)
            return p;
    }
    Q_UNREACHABLE();
}
