#include "waybill/calibration_page.h"

#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {

double px(double mm)
{
    return millimetresToPixels(Millimetres{mm});
}

// A mark every millimetre, longer every 5 and 10.
double markLength(int mm)
{
    return px(mm % 10 == 0 ? 5.0 : mm % 5 == 0 ? 3.5 : 2.0);
}

// Measured at a large size: hinted metrics at the small one are rounded to
// whole device pixels and would put the numbers off their marks.
struct TextBox {
    double width;
    double ascent;
    double height;
};

TextBox measure(const QFont& font, const QString& text)
{
    constexpr int reference = 1024;
    QFont large = font;
    large.setPixelSize(reference);
    const QFontMetricsF m(large);
    const double scale = font.pixelSize() / double(reference);
    return {m.horizontalAdvance(text) * scale, m.ascent() * scale,
            (m.ascent() + m.descent()) * scale};
}

QFont pixelFont(const QString& family, double pixels)
{
    QFont font(family);
    font.setPixelSize(int(pixels));
    return font;
}

void drawRulers(QPainter& painter, QSizeF paper)
{
    const QFont font = pixelFont(QStringLiteral("Arial"), CalibrationPage::numberPixelSize);
    painter.setFont(font);
    for (int mm = 0; mm <= int(paper.width()); ++mm) {
        painter.drawLine(QPointF(px(mm), 0), QPointF(px(mm), markLength(mm)));
        if (mm % CalibrationPage::numberStep || mm == 0 || mm >= int(paper.width()))
            continue;
        const QString number = QString::number(mm);
        const TextBox box = measure(font, number);
        painter.drawText(QPointF(px(mm) - box.width / 2, px(5.5) + box.ascent), number);
    }
    for (int mm = 0; mm <= int(paper.height()); ++mm) {
        painter.drawLine(QPointF(0, px(mm)), QPointF(markLength(mm), px(mm)));
        if (mm % CalibrationPage::numberStep || mm == 0 || mm >= int(paper.height()))
            continue;
        const QString number = QString::number(mm);
        const TextBox box = measure(font, number);
        painter.drawText(QPointF(px(5.5), px(mm) - box.height / 2 + box.ascent), number);
    }
}

void drawCross(QPainter& painter, const FieldPlacement& placement, const QFont& font)
{
    const QPointF origin(placement.left().value, placement.top().value);
    const double arm = px(3);
    painter.drawLine(origin - QPointF(arm, 0), origin + QPointF(arm, 0));
    painter.drawLine(origin - QPointF(0, arm), origin + QPointF(0, arm));
    painter.setFont(font);
    painter.drawText(origin + QPointF(px(0.8), px(0.8) + measure(font, placement.column()).ascent),
                     placement.column());
}

} // namespace

CalibrationPage::CalibrationPage(const WaybillLayout& layout) : m_layout(layout) {}

void CalibrationPage::drawPage(QPainter& painter, int)
{
    painter.save();
    painter.setPen(QPen(Qt::black, px(0.2), Qt::SolidLine, Qt::FlatCap));
    drawRulers(painter, m_layout.paper());
    const QFont names = pixelFont(QStringLiteral(u"宋体"), 9);
    for (const FieldPlacement* placement : m_layout.drawingOrder())
        drawCross(painter, *placement, names);
    painter.setFont(names);
    painter.drawText(QPointF(px(20), px(133)),
                     QStringLiteral(u"校准页：刻度为毫米，十字为各栏文字的左上角；"
                                    u"移动 1 像素即 0.26 毫米"));
    painter.restore();
}

QSizeF CalibrationPage::paperMm()
{
    return m_layout.paper();
}
