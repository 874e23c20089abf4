#include "waybill/print_window_adjustments.h"

#include "waybill/calibration_store.h"
#include "waybill/shift_value.h"
#include "waybill/waybill_layout.h"

#include <algorithm>
#include <limits>

namespace {

QFont firstChooserFont()
{
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

// Placements pushed to the int limits stay there; the distance from the
// catalogue may lie beyond them.
Pixels distance(Pixels from, Pixels to)
{
    const long long d = static_cast<long long>(to.value) - from.value;
    return {int(std::clamp<long long>(d, std::numeric_limits<int>::min(),
                                      std::numeric_limits<int>::max()))};
}

} // namespace

Calibration calibrationOf(const WaybillLayout& layout, const WaybillLayout& catalogue)
{
    // Every shift moves all placements alike, and a chosen font goes on
    // all of them, so the first placement tells both; a template without
    // any has nothing to move.
    if (layout.placements().isEmpty())
        return {};
    const FieldPlacement& now = layout.placements().first();
    const FieldPlacement& factory = catalogue.placements().first();
    Calibration c{distance(factory.left(), now.left()), distance(factory.top(), now.top()), {}};
    for (qsizetype i = 0; i < layout.placements().size(); ++i)
        if (!(layout.placements().at(i).font() == catalogue.placements().at(i).font())) {
            c.font = now.font();
            break;
        }
    return c;
}

LayoutAdjustments::LayoutAdjustments(WaybillLayout& layout)
    : m_layout(layout), m_chooserFont(firstChooserFont())
{
}

void LayoutAdjustments::shiftHorizontally(const QString& text)
{
    if (const std::optional<int> px = ShiftValue::parse(text))
        m_layout.shiftLeft(*px);
}

void LayoutAdjustments::shiftVertically(const QString& text)
{
    if (const std::optional<int> px = ShiftValue::parse(text))
        m_layout.shiftTop(*px);
}

void LayoutAdjustments::applyFont(const QFont& font)
{
    m_layout.setFont(font);
    m_chooserFont = font;
    m_fontChosen = true;
}

Calibration LayoutAdjustments::calibration() const
{
    const std::optional<QFont> font =
        m_fontChosen ? std::optional<QFont>(m_chooserFont) : std::nullopt;
    // Every shift moves all placements alike, so the first one tells.
    if (m_layout.placements().isEmpty())
        return {{}, {}, font};
    const FieldPlacement& now = m_layout.placements().first();
    // Kept whole: a placement of the temporary would dangle.
    const WaybillLayout atRest = m_layout.atRest();
    const FieldPlacement& factory = atRest.placements().first();
    return {distance(factory.left(), now.left()), distance(factory.top(), now.top()), font};
}

void LayoutAdjustments::apply(const Calibration& calibration)
{
    restoreFactory();
    m_layout.shiftLeft(calibration.right.value);
    m_layout.shiftTop(calibration.down.value);
    if (calibration.font)
        applyFont(*calibration.font);
}

void LayoutAdjustments::restoreFactory()
{
    m_layout = m_layout.atRest();
    m_chooserFont = firstChooserFont();
    m_fontChosen = false;
}
