#include "waybill/page_renderer.h"

#include "waybill/barcode.h"
#include "waybill/double_byte_wrap.h"
#include "waybill/page_warnings.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

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
    double width = std::ceil(widest) + 1;
    // Centred or right-aligned lines need the width they are aligned in.
    if (!(placement.alignment() & Qt::AlignLeft))
        width = std::max(width, double(placement.width().value));
    return {placement.left().value + placement.fraction().x(),
            placement.top().value + placement.fraction().y(), width, height};
}

// How far right of the box's left edge a line of `width` starts.
double indent(const FieldPlacement& placement, const QRectF& box, double width)
{
    const double room = box.width() - 1 - width;
    if (placement.alignment() & Qt::AlignRight)
        return room;
    if (placement.alignment() & Qt::AlignHCenter)
        return room / 2;
    return 0;
}

// A placement ready to draw: its white box, the lines that fit with the left
// ends of their baselines, and where their glyphs reach; and what that
// measured.
struct PreparedText {
    QRectF box;
    QList<std::pair<ShapedLine, QPointF>> lines;
    QRectF ink;
    PlacementMeasure measure;
};

PreparedText prepare(const FieldPlacement& placement, const QStringList& lines, ShapedFont& font)
{
    PreparedText text{box(placement, lines, font), {}, {}, {}};
    PlacementMeasure& measure = text.measure;
    measure.placement = &placement;
    measure.box = text.box;
    double widestKept = 0;
    int kept = 0;
    for (int i = 0; i < lines.size(); ++i) {
        const double lineTop = text.box.top() + i * font.lineHeight();
        if (lineTop + font.lineHeight() > text.box.bottom() + lineTolerance) {
            measure.linesLost = int(lines.size() - i);
            for (int j = i; j < lines.size(); ++j)
                measure.charactersLost += lines.at(j).toUcs4().size();
            break;
        }
        kept = i + 1;
        if (lines.at(i).isEmpty())
            continue;
        const ShapedLine line = font.shape(lines.at(i));
        const QPointF baseline(text.box.left() + indent(placement, text.box, line.width()),
                               lineTop + font.ascent());
        text.lines.append({line, baseline});
        text.ink |= line.ink().translated(baseline);
        widestKept = std::max(widestKept, line.width());
        if (line.lacksGlyph())
            measure.linesWithoutGlyph += lines.at(i);
    }
    measure.text = QRectF(text.box.topLeft(), QSizeF(widestKept, kept * font.lineHeight()));
    return text;
}

// The boxes first, then the texts.
void draw(QPainter& painter, const QList<PreparedText>& texts)
{
    const QBrush brush = painter.brush();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    for (const PreparedText& text : texts)
        painter.drawRect(text.box);
    painter.setBrush(brush);
    painter.setPen(Qt::black);
    for (const PreparedText& text : texts)
        for (const auto& [line, baseline] : text.lines)
            line.draw(painter, baseline);
}

using PlacementLines = QList<std::pair<const FieldPlacement*, QStringList>>;

// Each placement's box covers what earlier placements printed where they
// meet. Boxes and texts that do not meet can be drawn in any order, so
// the boxes of a stretch of placements are filled before its texts until a
// box would reach a text of the stretch: a pen and brush change (and its
// writing in a PDF) per stretch instead of per placement, and the same
// pixels.
void drawPlacements(QPainter& painter, const PlacementLines& placements, ShapedFonts& fonts,
                    PageMeasures* measured = nullptr)
{
    // Further apart than this, two things share no pixel on the painter's
    // device, glyph hinting included, nor on a PDF page shown at 96 per inch
    // or more.
    const double scale = std::sqrt(std::abs(painter.deviceTransform().determinant()));
    const double apart = std::max(2.0, 2.0 / scale);
    QList<PreparedText> stretch;
    if (measured)
        measured->reserve(measured->size() + placements.size());
    for (const auto& [placement, lines] : placements) {
        PreparedText text = prepare(*placement, lines,
                                    fonts.get(placement->font(), painter.font(), painter.device()));
        if (measured)
            measured->append(text.measure);
        const QRectF reach = text.box.adjusted(-apart, -apart, apart, apart);
        if (std::any_of(stretch.cbegin(), stretch.cend(), [&](const PreparedText& earlier) {
                return reach.intersects(earlier.ink);
            })) {
            draw(painter, stretch);
            stretch.clear();
        }
        stretch.append(std::move(text));
    }
    draw(painter, stretch);
}

// The value's own line breaks (CR LF, CR or LF), then `width` characters a
// line.
QStringList characterLines(const QString& text, int width)
{
    QStringList lines;
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& paragraph : normal.split(QLatin1Char('\n'))) {
        const QList<uint> characters = paragraph.toUcs4();
        if (characters.isEmpty())
            lines << QString();
        for (qsizetype at = 0; at < characters.size(); at += width) {
            const QList<uint> part = characters.mid(at, width);
            lines << QString::fromUcs4(reinterpret_cast<const char32_t*>(part.constData()),
                                       part.size());
        }
    }
    return lines;
}

} // namespace

QStringList printedLines(const FieldPlacement& placement, const QString& text)
{
    if (text.isEmpty())
        return {};
    if (placement.wrapsCharacters())
        return characterLines(text, placement.wrapWidth());
    QString printed =
        placement.isWrapped() ? WrapDoubleByteText(text, placement.wrapWidth()) : text;
    printed.remove(QLatin1Char('\n'));
    return printed.split(QLatin1Char('\r'));
}

namespace {

QString textOf(const FieldPlacement& placement, const FieldReader& read)
{
    return placement.isFixedText() ? placement.fixedText()
                                   : read(placement.role(), placement.column());
}

PlacementLines recordLines(const WaybillLayout& layout, const FieldReader& read)
{
    PlacementLines placements;
    for (const FieldPlacement* placement : layout.drawingOrder()) {
        if (placement->barcode())
            continue;
        QStringList lines = printedLines(*placement, textOf(*placement, read));
        if (!lines.isEmpty())
            placements.append({placement, std::move(lines)});
    }
    return placements;
}

struct PageBarcode {
    const FieldPlacement* placement;
    QString value;
    Barcode barcode;
};

// The barcodes of a record, in drawing order; an empty value prints none.
QList<PageBarcode> recordBarcodes(const WaybillLayout& layout, const FieldReader& read,
                                  PageMeasures* measured)
{
    QList<PageBarcode> barcodes;
    for (const FieldPlacement* placement : layout.drawingOrder()) {
        if (!placement->barcode())
            continue;
        const QString value = textOf(*placement, read);
        if (value.isEmpty())
            continue;
        Barcode barcode = Barcode::encode(*placement->barcode(), value);
        if (!barcode.isValid() && measured) {
            PlacementMeasure measure;
            measure.placement = placement;
            measure.unencodable = barcode.error();
            measured->append(measure);
        }
        barcodes.append({placement, value, std::move(barcode)});
    }
    return barcodes;
}

// On top of the texts; the value as one line under the bars when it is
// to be read by people too.
void drawBarcodes(QPainter& painter, const QList<PageBarcode>& barcodes, ShapedFonts& fonts)
{
    for (const auto& [placement, value, barcode] : barcodes) {
        QRectF box(placement->left().value + placement->fraction().x(),
                   placement->top().value + placement->fraction().y(), placement->width().value,
                   placement->height().value);
        if (placement->isHumanReadable()) {
            ShapedFont& font = fonts.get(placement->font(), painter.font(), painter.device());
            box.setHeight(std::max(0.0, box.height() - font.lineHeight()));
            const ShapedLine line = font.shape(value);
            // Under the bars, or across the item when there are none; never
            // left of the item, so a long value does not leave the paper.
            const double bars =
                barcode.isValid()
                    ? barcode.moduleWidth(box, painter.device()->logicalDpiX()) * barcode.columns()
                    : box.width();
            painter.setPen(Qt::black);
            line.draw(painter,
                      QPointF(box.left() +
                                  std::max(0.0, (std::min(bars, box.width()) - line.width()) / 2),
                              box.bottom() + font.ascent()));
        }
        barcode.draw(painter, box);
    }
}

// Only asked for its resolution: fonts are sized for it, never painted on.
class MeasuringDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 1200;
        case PdmWidth:
        case PdmHeight:
        case PdmWidthMM:
        case PdmHeightMM:
        case PdmNumColors:
            return 0;
        case PdmDepth:
            return 32;
        default:
            return 1;
        }
    }
};

} // namespace

void drawRecord(QPainter& painter, const WaybillLayout& layout, const FieldReader& read,
                ShapedFonts& fonts, PageMeasures* measured)
{
    drawPlacements(painter, recordLines(layout, read), fonts, measured);
    drawBarcodes(painter, recordBarcodes(layout, read, measured), fonts);
}

PageMeasures measureRecord(const WaybillLayout& layout, const FieldReader& read, ShapedFonts& fonts)
{
    static const MeasuringDevice device;
    const QFont deviceFont; // a painter's first font where no widget gives one
    PageMeasures measured;
    for (const auto& [placement, lines] : recordLines(layout, read))
        measured.append(
            prepare(*placement, lines, fonts.get(placement->font(), deviceFont, &device)).measure);
    recordBarcodes(layout, read, &measured);
    return measured;
}

std::optional<WaybillLayout> shrinkToFit(const WaybillLayout& layout, const FieldReader& read,
                                         ShapedFonts& fonts, double minimumPoints)
{
    const double step = 0.5;
    std::optional<WaybillLayout> fitted;
    for (;;) {
        const WaybillLayout& now = fitted ? *fitted : layout;
        bool smaller = false;
        for (const FieldWarning& w : PageWarnings::check(now, measureRecord(now, read, fonts))) {
            if (!w.shrinkable())
                continue;
            QFont font = now.placement(w.controlName)->font();
            const double points =
                font.pointSizeF() > 0 ? font.pointSizeF() : lineHeight(font) * 72 / Pixels::perInch;
            if (points - step < minimumPoints - 1e-9)
                continue;
            font.setPointSizeF(points - step);
            if (!fitted)
                fitted = layout;
            fitted->setFont(w.controlName, font);
            smaller = true;
        }
        if (!smaller)
            return fitted;
    }
}

void drawLayoutView(QPainter& painter, const WaybillLayout& layout, const QImage& picture,
                    ShapedFonts& fonts)
{
    painter.drawImage(QRectF(layout.pictureBox()), picture);
    PlacementLines placements;
    for (const FieldPlacement* placement : layout.drawingOrder())
        placements.append(
            {placement, {placement->isFixedText() ? placement->fixedText() : placement->column()}});
    drawPlacements(painter, placements, fonts);
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
