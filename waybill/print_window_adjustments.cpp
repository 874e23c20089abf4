#include "waybill/print_window_adjustments.h"

#include "waybill/shift_value.h"
#include "waybill/waybill_layout.h"

LayoutAdjustments::LayoutAdjustments(WaybillLayout& layout)
    : m_layout(layout), m_chooserFont(QStringLiteral("MS Sans Serif"), 8)
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
}
