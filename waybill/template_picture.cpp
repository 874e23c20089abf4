#include "waybill/template_picture.h"

#include "waybill/print_error.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <memory>
#include <poppler-qt6.h>

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

// The page of the PDF, or why there is none.
struct PdfPage {
    std::unique_ptr<Poppler::Document> document;
    std::unique_ptr<Poppler::Page> page;
    QString refusal;
};

PdfPage openPdfPage(const QString& path, int number)
{
    // Poppler's own complaints stay off standard error: the refusal tells.
    static const bool quiet = [] {
        Poppler::setDebugErrorFunction([](const QString&, const QVariant&) {}, QVariant());
        return true;
    }();
    (void)quiet;
    PdfPage pdf;
    pdf.document = Poppler::Document::load(path);
    if (!pdf.document)
        pdf.refusal = QStringLiteral(u"底图 %1：不是可读的 PDF 文件").arg(path);
    else if (pdf.document->isLocked())
        pdf.refusal = QStringLiteral(u"底图 %1：PDF 设有密码，无法显示").arg(path);
    else if (number < 1 || number > pdf.document->numPages())
        pdf.refusal = QStringLiteral(u"底图 %1：没有第 %2 页（共 %3 页）")
                          .arg(path)
                          .arg(number)
                          .arg(pdf.document->numPages());
    else if (pdf.page = pdf.document->page(number - 1);
             !pdf.page || pdf.page->pageSizeF().isEmpty())
        pdf.refusal = QStringLiteral(u"底图 %1：第 %2 页无法读取").arg(path).arg(number);
    return pdf;
}

Picture loadPdf(const QString& path, int number)
{
    const PdfPage pdf = openPdfPage(path, number);
    if (!pdf.refusal.isEmpty())
        throw PrintError(pdf.refusal);
    const QSizeF points = pdf.page->pageSizeF();
    // However large the page claims to be, its pixels stay bounded.
    const double squareInches = points.width() / 72 * points.height() / 72;
    const double dpi = std::min(bestPdfDpi, std::sqrt(largestPdfPixels / squareInches));
    pdf.document->setRenderHint(Poppler::Document::Antialiasing);
    pdf.document->setRenderHint(Poppler::Document::TextAntialiasing);
    QImage image = pdf.page->renderToImage(dpi, dpi);
    if (image.isNull())
        throw PrintError(QStringLiteral(u"底图 %1：第 %2 页无法显示").arg(path).arg(number));
    return {image, points, pdf.document->numPages()};
}

} // namespace

QString problem(const QString& path, int page)
{
    if (TemplateBackground::isPdf(path))
        return openPdfPage(path, page).refusal;
    QImageReader reader(path);
    return refusal(reader, path);
}

Picture load(const LayoutTemplate& t)
{
    return load(pathOf(t), t.background ? t.background->page : 1);
}

Picture load(const QString& path, int page)
{
    if (TemplateBackground::isPdf(path))
        return loadPdf(path, page);
    QImageReader reader(path);
    // Both kept below what the reader would allocate for the largest one.
    reader.setAllocationLimit(int(largestPixels * 4 / (1 << 20)) + 1);
    if (const QString why = refusal(reader, path); !why.isEmpty())
        throw PrintError(why);
    QImage image = reader.read();
    if (image.isNull())
        throw PrintError(
            QStringLiteral(u"底图 %1：无法读取（%2）").arg(path, reader.errorString()));
    return {image, QSizeF(image.size()), 1};
}

QRectF boxMm(const TemplateBackground& background, const QSizeF& units)
{
    const double dpi = background.isPdf() ? 72 : background.dpi;
    if (!background.boxMm.isEmpty() || dpi <= 0)
        return background.boxMm;
    return QRectF(background.boxMm.topLeft(), units * 25.4 / dpi);
}

double dpiFromTwoPoints(QPointF a, QPointF b, double mm)
{
    if (mm <= 0)
        return 0;
    return std::hypot(b.x() - a.x(), b.y() - a.y()) * 25.4 / mm;
}

} // namespace TemplatePicture
