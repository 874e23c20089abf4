#include "waybill/page_renderer.h"

#include "waybill/double_byte_wrap.h"
#include "waybill/waybill_layout.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace PageRenderer {

namespace {

// A line may end this far below its box and still print.
const double lineTolerance = millimetresToPixels(Millimetres{0.1});

// Auto-size: the widest line, plus the one pixel the placeholders carry.
double autoWidth(const QFontMetricsF& metrics, const QStringList& lines)
{
    double widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return std::ceil(widest) + 1;
}

// The font's own ascent at the line height. Hinted metrics round it to
// whole device pixels, which moves text on a high-resolution page.
double designAscent(const QFont& font)
{
    constexpr int reference = 1024;
    QFont large = font;
    large.setPixelSize(reference);
    return QFontMetricsF(large).ascent() * lineHeight(font) / reference;
}

void drawLines(QPainter& painter, const FieldPlacement& placement, const QStringList& lines)
{
    const QFont font = fontForDevice(placement.font(), painter.device());
    painter.setFont(font);
    const double ascent = designAscent(placement.font());
    const double step = lineHeight(placement.font());
    const QRectF box = boxFor(placement, lines, painter.device());
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i) {
        const double lineTop = box.top() + i * step;
        if (lineTop + step > box.bottom() + lineTolerance)
            break;
        if (!lines.at(i).isEmpty())
            painter.drawText(QPointF(box.left(), lineTop + ascent), lines.at(i));
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

void drawRecord(QPainter& painter, const WaybillLayout& layout, const FieldReader& read)
{
    for (const FieldPlacement* placement : layout.drawingOrder()) {
        const QStringList lines =
            printedLines(*placement, read(placement->role(), placement->column()));
        if (!lines.isEmpty())
            drawLines(painter, *placement, lines);
    }
}

void drawLayoutView(QPainter& painter, const WaybillLayout& layout, const QImage& picture)
{
    painter.drawImage(QRectF(layout.pictureBox()), picture);
    for (const FieldPlacement* placement : layout.drawingOrder())
        drawLines(painter, *placement, {placement->column()});
}

QRectF boxFor(const FieldPlacement& placement, const QStringList& lines, QPaintDevice* device)
{
    const QFontMetricsF metrics(fontForDevice(placement.font(), device), device);
    // A placement lower than one line is raised to one line.
    const double height = std::max(double(placement.height().value), lineHeight(placement.font()));
    return {double(placement.left().value), double(placement.top().value),
            autoWidth(metrics, lines), height};
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
