#include "waybill/page_renderer.h"

#include "waybill/double_byte_wrap.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace PageRenderer {

namespace {

// A line may end this far below its box and still print.
const double lineTolerance = millimetresToPixels(Millimetres{0.1});

QRectF box(const FieldPlacement& placement, const QStringList& lines, ShapedFont& font)
{
    // Auto-size: the widest line, plus the one pixel the placeholders carry.
    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, font.shape(line).width());
    // A placement lower than one line is raised to one line.
    const double height = std::max(double(placement.height().value), font.lineHeight());
    return {double(placement.left().value), double(placement.top().value), std::ceil(widest) + 1,
            height};
}

void drawLines(QPainter& painter, const FieldPlacement& placement, const QStringList& lines,
               ShapedFonts& fonts)
{
    ShapedFont& font = fonts.get(placement.font(), painter.font(), painter.device());
    const QRectF area = box(placement, lines, font);
    painter.fillRect(area, Qt::white);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i) {
        const double lineTop = area.top() + i * font.lineHeight();
        if (lineTop + font.lineHeight() > area.bottom() + lineTolerance)
            break;
        if (!lines.at(i).isEmpty())
            font.shape(lines.at(i)).draw(painter, QPointF(area.left(), lineTop + font.ascent()));
    }
}

} // namespace

QStringList printedLines(const FieldPlacement& placement, const QString& text)
{
    if (text.isEmpty())
        return {};
    QString printed =
        placement.isWrapped() ? WrapDoubleByteText(text, placement.wrapWidth()) : text;
    printed.remove(QLatin1Char('\n'));
    return printed.split(QLatin1Char('\r'));
}

void drawRecord(QPainter& painter, const WaybillLayout& layout, const FieldReader& read,
                ShapedFonts& fonts)
{
    for (const FieldPlacement* placement : layout.drawingOrder()) {
        const QStringList lines =
            printedLines(*placement, read(placement->role(), placement->column()));
        if (!lines.isEmpty())
            drawLines(painter, *placement, lines, fonts);
    }
}

void drawLayoutView(QPainter& painter, const WaybillLayout& layout, const QImage& picture,
                    ShapedFonts& fonts)
{
    painter.drawImage(QRectF(layout.pictureBox()), picture);
    for (const FieldPlacement* placement : layout.drawingOrder())
        drawLines(painter, *placement, {placement->column()}, fonts);
}

QRectF boxFor(const FieldPlacement& placement, const QStringList& lines, const QPaintDevice* device,
              const QFont& deviceFont, ShapedFonts& fonts)
{
    return box(placement, lines, fonts.get(placement.font(), deviceFont, device));
}

QFont fontForDevice(const QFont& font, const QPaintDevice* device)
{
    if (font.pixelSize() > 0)
        return font;
    // Points turn into pixels at the device's density; the painter's unit is
    // a 96-per-inch pixel whatever the device.
    QFont sized = font;
    sized.setPointSizeF(font.pointSizeF() * Pixels::perInch / device->logicalDpiY());
    return sized;
}

double lineHeight(const QFont& font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return font.pointSizeF() * Pixels::perInch / 72.0;
}

} // namespace PageRenderer
