#include "waybill/template_picture.h"

#include "waybill/print_error.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <cmath>

namespace TemplatePicture {

QString pathOf(const LayoutTemplate& t)
{
    if (!t.background)
        return {};
    const QString& file = t.background->file;
    if (QFileInfo(file).isAbsolute() || t.source.isEmpty())
        return file;
    return QFileInfo(t.source).absoluteDir().absoluteFilePath(file);
}

namespace {

// What the file's header says against it, before a pixel is read.
QString refusal(QImageReader& reader, const QString& path)
{
    const QSize size = reader.size();
    if (!reader.canRead() || !size.isValid())
        return QStringLiteral(u"底图 %1：不是可读的图片（可用 PNG、JPEG）").arg(path);
    if (qint64(size.width()) * size.height() > largestPixels)
        return QStringLiteral(u"底图 %1：图片过大（%2 × %3 像素，最多 %4 万像素），"
                              u"请以较低的分辨率扫描")
            .arg(path)
            .arg(size.width())
            .arg(size.height())
            .arg(largestPixels / 10000);
    return {};
}

} // namespace

QString problem(const QString& path)
{
    QImageReader reader(path);
    return refusal(reader, path);
}

QImage load(const QString& path)
{
    QImageReader reader(path);
    // Both kept below what the reader would allocate for the largest one.
    reader.setAllocationLimit(int(largestPixels * 4 / (1 << 20)) + 1);
    if (const QString why = refusal(reader, path); !why.isEmpty())
        throw PrintError(why);
    QImage image = reader.read();
    if (image.isNull())
        throw PrintError(
            QStringLiteral(u"底图 %1：无法读取（%2）").arg(path, reader.errorString()));
    return image;
}

QRectF boxMm(const TemplateBackground& background, const QSize& pixels)
{
    if (!background.boxMm.isEmpty() || background.dpi <= 0)
        return background.boxMm;
    return QRectF(background.boxMm.topLeft(), QSizeF(pixels.width() * 25.4 / background.dpi,
                                                     pixels.height() * 25.4 / background.dpi));
}

double dpiFromTwoPoints(QPointF a, QPointF b, double mm)
{
    if (mm <= 0)
        return 0;
    return std::hypot(b.x() - a.x(), b.y() - a.y()) * 25.4 / mm;
}

} // namespace TemplatePicture
