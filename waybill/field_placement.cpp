#include "waybill/field_placement.h"

#include <limits>

namespace {

int saturatedAdd(int a, int b)
{
    const long long sum = static_cast<long long>(a) + b;
    return int(std::clamp<long long>(sum, std::numeric_limits<int>::min(),
                                     std::numeric_limits<int>::max()));
}

} // namespace

FieldPlacement::FieldPlacement(QString controlName, RecordRole role, QString column, QRect box,
                               int wrapWidth, QString formBox)
    : m_controlName(std::move(controlName)), m_role(role), m_column(std::move(column)),
      m_left(box.left()), m_top(box.top()), m_width(box.width()), m_height(box.height()),
      m_font(defaultFont()), m_wrapWidth(wrapWidth), m_formBox(std::move(formBox))
{
}

void FieldPlacement::moveBy(int dx, int dy)
{
    m_left = saturatedAdd(m_left, dx);
    m_top = saturatedAdd(m_top, dy);
}

void FieldPlacement::setLeft(int px)
{
    m_left = px;
}

void FieldPlacement::setTop(int px)
{
    m_top = px;
}

void FieldPlacement::setHeight(int px)
{
    m_height = px;
}

void FieldPlacement::setWrap(int width, bool characters)
{
    m_wrapWidth = width;
    m_wrapsCharacters = characters;
}

void FieldPlacement::setFixedText(const QString& text)
{
    m_fixed = true;
    m_fixedText = text;
}

void FieldPlacement::setBarcode(Symbology symbology, bool humanReadable)
{
    m_barcode = symbology;
    m_humanReadable = humanReadable;
}

QFont FieldPlacement::defaultFont()
{
    QFont font(QStringLiteral(u"宋体"));
    font.setPointSize(12);
    return font;
}
