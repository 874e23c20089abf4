#include "waybill/waybill_layout.h"

#include "waybill/blank_form.h"

#include <QFileInfo>
#include <cmath>
#include <map>

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

WaybillLayout::WaybillLayout(WaybillVariant variant, std::shared_ptr<const LayoutTemplate> from)
    : m_variant(variant), m_template(std::move(from))
{
}

WaybillLayout WaybillLayout::forWindow(WaybillVariant variant)
{
    // The built-in templates are read once; every layout shares its own.
    static std::map<WaybillVariant, std::shared_ptr<const LayoutTemplate>> builtIn;
    std::shared_ptr<const LayoutTemplate>& shared = builtIn[variant];
    if (!shared)
        shared = std::make_shared<const LayoutTemplate>(LayoutTemplates::builtIn(variant));
    return fromTemplate(shared, variant);
}

WaybillLayout WaybillLayout::fromTemplate(const LayoutTemplate& layoutTemplate,
                                          WaybillVariant variant)
{
    return fromTemplate(std::make_shared<const LayoutTemplate>(layoutTemplate), variant);
}

WaybillLayout WaybillLayout::fromTemplate(std::shared_ptr<const LayoutTemplate> shared,
                                          WaybillVariant variant)
{
    WaybillLayout layout(variant, std::move(shared));
    const LayoutTemplate& layoutTemplate = *layout.m_template;
    const QSizeF paper = layoutTemplate.paperMm;
    // A picture sized by its dpi alone is shown as the blank paper.
    const bool placed = layoutTemplate.background && !layoutTemplate.background->boxMm.isEmpty();
    layout.m_pictureBox =
        placed ? pixelRect(layoutTemplate.background->boxMm) : pixelRect(QRectF(QPointF(), paper));
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
        if (item.kind == TemplateItem::Kind::Text ||
            (item.kind == TemplateItem::Kind::Barcode && item.column.isEmpty()))
            p.setFixedText(item.text);
        if (item.kind == TemplateItem::Kind::Barcode)
            p.setBarcode(item.symbology, item.humanReadable);
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

bool WaybillLayout::isWindowsOwn() const
{
    return isBuiltIn() && templateName() == LayoutTemplates::builtIn(m_variant).name;
}

QString WaybillLayout::templateFile() const
{
    if (isWindowsOwn())
        return {};
    if (isBuiltIn())
        for (const QString& name : LayoutTemplates::builtInNames())
            if (LayoutTemplates::builtIn(name)->name == templateName())
                return name;
    const QString& source = m_template->source;
    return source.isEmpty() ? QString() : QFileInfo(source).absoluteFilePath();
}

QString WaybillLayout::calibrationKey() const
{
    if (isBuiltIn())
        for (const WaybillVariant v :
             {WaybillVariant::AddressBookSingle, WaybillVariant::ImportedSingle,
              WaybillVariant::AddressBookBatch, WaybillVariant::ImportedBatch})
            if (templateName() == LayoutTemplates::builtIn(v).name)
                return {};
    return templateName();
}

WaybillLayout WaybillLayout::atRest() const
{
    return fromTemplate(m_template, m_variant);
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
