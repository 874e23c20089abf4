#pragma once

#include "waybill/layout_template.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

// The picture of the blank form behind a template: on screen only.
namespace TemplatePicture {

// No more than this many pixels are read: a 600 dpi scan of an A3 form.
inline constexpr qint64 largestPixels = 75'000'000;

// The picture's file, found from the template's folder.
QString pathOf(const LayoutTemplate& layoutTemplate);
// Why the picture could not be shown, from its header alone; empty when
// it can.
QString problem(const QString& path);
// Reads the picture; a file that is no picture, or larger than
// largestPixels, throws PrintError naming it, before its pixels are read.
QImage load(const QString& path);
// Where it lies on the paper: its box, or its pixels at its dpi.
QRectF boxMm(const TemplateBackground& background, const QSize& pixels);
// The dpi at which two points `mm` apart lie these pixels apart.
double dpiFromTwoPoints(QPointF a, QPointF b, double mm);

} // namespace TemplatePicture
