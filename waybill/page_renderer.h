#pragma once

#include "waybill/field_placement.h"

#include <QRectF>
#include <QStringList>
#include <functional>
#include <optional>

class QImage;
class QPaintDevice;
class QPainter;
class ShapedFonts;
class WaybillLayout;

// The text of a column in a role's row; "" when there is none.
using FieldReader = std::function<QString(RecordRole role, const QString& column)>;

// What the renderer measured of one placement that prints on a page, in
// layout pixels.
struct PlacementMeasure {
    const FieldPlacement* placement = nullptr;
    QRectF box;  // the white box, auto-sized
    QRectF text; // the lines kept: the box's top-left, the widest of them
    int linesLost = 0;
    qsizetype charactersLost = 0; // in the lines lost, as characters
    QString linesWithoutGlyph;    // the kept lines that print an empty box
    QString unencodable;          // why a barcode's value prints no barcode
};
// In drawing order.
using PageMeasures = QList<PlacementMeasure>;

// Draws a layout. The painter's unit is one layout pixel from the detail
// area's top-left corner; fonts are sized for that, whatever the device.
// `fonts` keeps what drawing learns about the fonts and lines between calls;
// any ShapedFonts gives the same drawing.
namespace PageRenderer {

// One record as it goes to paper: texts only, never the picture. With
// `measured`, what was drawn goes there as well; the drawing is the same.
void drawRecord(QPainter& painter, const WaybillLayout& layout, const FieldReader& read,
                ShapedFonts& fonts, PageMeasures* measured = nullptr);

// What drawRecord() would measure, without drawing: on the resolution of
// the PDFs and printers, where a line measures what it does on any device.
PageMeasures measureRecord(const WaybillLayout& layout, const FieldReader& read,
                           ShapedFonts& fonts);

// Each text of one record that does not print whole made smaller on its
// own, 0.5 pt at a time, until it does or another step would go below
// `minimumPoints`, as the warnings measure it; nullopt when none is.
std::optional<WaybillLayout> shrinkToFit(const WaybillLayout& layout, const FieldReader& read,
                                         ShapedFonts& fonts, double minimumPoints);

// What the print windows show: the picture stretched into its box and each
// placement's white box with its column name.
void drawLayoutView(QPainter& painter, const WaybillLayout& layout, const QImage& picture,
                    ShapedFonts& fonts);

// The lines a placement prints for `text`: wrapped if the placement wraps,
// LF deleted, split at CR. Empty text gives no lines.
QStringList printedLines(const FieldPlacement& placement, const QString& text);

// Where a placement's white box lies for these lines, auto-sized, on
// `device`, whose painters start with `deviceFont`.
QRectF boxFor(const FieldPlacement& placement, const QStringList& lines, const QPaintDevice* device,
              const QFont& deviceFont, ShapedFonts& fonts);

// The placement's font resized so that its pixel size holds in painter
// units of one layout pixel on `device`.
QFont fontForDevice(const QFont& font, const QPaintDevice* device);
// Pixel height of one line: the font's pixel size at 96 per inch.
double lineHeight(const QFont& font);

} // namespace PageRenderer
