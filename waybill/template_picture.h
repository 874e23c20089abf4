#pragma once

#include "waybill/layout_template.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

// The picture of the blank form behind a template: on screen only.
namespace TemplatePicture {

// No more than this many pixels are read: a 600 dpi scan of an A3 form.
inline constexpr qint64 largestPixels = 75'000'000;
// A PDF page is drawn at no more than this many pixels, and no finer than
// bestPdfDpi: what the screen needs, whatever size the page claims.
inline constexpr qint64 largestPdfPixels = 16'000'000;
inline constexpr double bestPdfDpi = 200;

// A picture as read, and what its size is measured in when the template
// gives it none: an image's pixels (at the template's dpi) or a PDF page's
// points (72 an inch).
struct Picture {
    QImage image;
    QSizeF units;
    int pages = 1; // a PDF's, whichever page was read
};

// The picture's file, found from the template's folder.
QString pathOf(const LayoutTemplate& layoutTemplate);
// Why the picture could not be shown, without drawing it; empty when it can.
QString problem(const QString& path, int page = 1);
// Reads the picture (an image, or that page of a PDF when the name says
// PDF); a file that is no picture, or larger than largestPixels, or a page
// the PDF does not have, throws PrintError naming it, before its pixels
// are read.
Picture load(const QString& path, int page = 1);
Picture load(const LayoutTemplate& layoutTemplate);
// Where it lies on the paper: its box, or its units at its dpi.
QRectF boxMm(const TemplateBackground& background, const QSizeF& units);
// The dpi at which two points `mm` apart lie these pixels apart.
double dpiFromTwoPoints(QPointF a, QPointF b, double mm);

} // namespace TemplatePicture
