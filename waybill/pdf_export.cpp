#include "waybill/pdf_export.h"

#include "store/file_identity.h"
#include "store/staged_file.h"
#include "store/store_session.h"
#include "store/temporary_files.h"
#include "waybill/page_buffer_reuse.h"
#include "waybill/page_source.h"
#include "waybill/pdf_join.h"
#include "waybill/print_error.h"
#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <algorithm>

namespace {

constexpr double pointsPerMillimetre = 72.0 / 25.4;

// "[0 0 612.000000 397.000000]" as Qt wrote it, made exact with the same
// length. The top edge stays where Qt put it, because Qt's drawing is
// measured down from there.
QByteArray exactBox(const QByteArray& qtBox, QSizeF exactPoints)
{
    const QList<QByteArray> parts = qtBox.mid(1, qtBox.size() - 2).simplified().split(' ');
    if (parts.size() != 4)
        return {};
    const double top = parts.at(3).toDouble();
    for (int decimals = 6; decimals >= 2; --decimals) {
        const QByteArray box = "[0 " +
                               QByteArray::number(top - exactPoints.height(), 'f', decimals) + ' ' +
                               QByteArray::number(exactPoints.width(), 'f', decimals) + ' ' +
                               QByteArray::number(top, 'g', 10);
        if (box.size() < qtBox.size())
            return box.leftJustified(qtBox.size() - 1, ' ') + ']';
    }
    return {};
}

// Qt's PDF writer drops what the disk refuses without a word, leaving a
// short or empty file. A whole one ends with the offset of its
// cross-reference table, and that offset holds the table.
bool isWholePdf(QFile& file)
{
    const qint64 size = file.size();
    constexpr qint64 tailSize = 64;
    if (!file.seek(std::max<qint64>(0, size - tailSize)))
        return false;
    const QByteArray tail = file.read(tailSize);
    static const QByteArray key("startxref");
    const qsizetype at = tail.lastIndexOf(key);
    if (at < 0 || !tail.trimmed().endsWith("%%EOF"))
        return false;
    const qsizetype end = tail.indexOf("%%EOF", at);
    bool ok = false;
    const qint64 table = tail.mid(at + key.size(), end - at - key.size()).trimmed().toLongLong(&ok);
    return ok && table >= 0 && table < size && file.seek(table) && file.read(4) == "xref";
}

// Qt 6.4 writes the page box in whole points (612 x 397 for 216 x 140 mm),
// which adds up on continuous forms. Rewrites every page box in place;
// nothing in the file moves, so its cross-reference table stays valid.
// `shown` is the name the user gave the file.
void writeExactPageBoxes(const QString& path, QSizeF exactPoints, const QString& shown)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw PrintError(QStringLiteral(u"无法写入 %1").arg(shown));
    if (!isWholePdf(file))
        throw PrintError(QStringLiteral(u"无法写入 %1：文件不完整（磁盘已满？）").arg(shown));
    file.seek(0);
    static const QByteArray key("/MediaBox [");
    constexpr qint64 chunk = 1 << 20;
    constexpr qsizetype overlap = 64;
    // Each chunk's boxes are rewritten before the next chunk is read: a list
    // of every box would grow with the pages.
    QList<QPair<qint64, QByteArray>> boxes; // file position of '[', its text
    qint64 lastBox = -1;
    qint64 chunkStart = 0; // file position of data[0]
    QByteArray data;
    while (!file.atEnd()) {
        const QByteArray tail = data.right(overlap);
        chunkStart += data.size() - tail.size();
        data = tail + file.read(chunk);
        const qint64 readTo = file.pos();
        boxes.clear();
        for (qsizetype at = data.indexOf(key); at >= 0; at = data.indexOf(key, at + 1)) {
            const qsizetype open = at + key.size() - 1;
            const qsizetype close = data.indexOf(']', open);
            if (close < 0)
                break;
            const qint64 position = chunkStart + open;
            if (lastBox < position) {
                boxes.append({position, data.mid(open, close + 1 - open)});
                lastBox = position;
            }
        }
        for (const auto& [position, qtBox] : boxes) {
            const QByteArray exact = exactBox(qtBox, exactPoints);
            if (exact.isEmpty())
                continue;
            file.seek(position);
            file.write(exact);
        }
        if (!boxes.isEmpty())
            file.seek(readTo);
    }
    if (!file.flush())
        throw PrintError(QStringLiteral(u"无法写入 %1").arg(shown));
}

} // namespace

PdfTarget::PdfTarget(const QString& path, const StoreSession& store) : m_target(path)
{
    if (const QString refused =
            FileIdentity::refusal(path, store.storeName(), QStringLiteral(u"打印"));
        !refused.isEmpty())
        throw PrintError(refused + QStringLiteral(u"，未打印任何页!"));
    const QFileInfo info(path);
    m_staged = std::make_unique<StagedFile>(info.exists() ? info.canonicalFilePath() : path);
}

PdfTarget::~PdfTarget() = default;

QString PdfTarget::writePath() const
{
    return m_staged->path();
}

void PdfTarget::commit(QSizeF paperMm)
{
    writeExactPageBoxes(m_staged->path(), paperMm * pointsPerMillimetre, m_target);
    m_staged->commit();
}

namespace {

// Pages [from, to) of `pages` as one PDF at `file`.
void writePages(PageSource& pages, const QString& file, int from, int to, QSizeF paper,
                const QString& shown, const PageProgress& progress)
{
    PageBufferReuse reuse;
    QPdfWriter writer(file);
    writer.setResolution(1200);
    writer.setPageLayout(
        QPageLayout(QPageSize(paper, QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF()));
    writer.setCreator(QStringLiteral("sfwaybill"));
    QPainter painter;
    if (!painter.begin(&writer))
        throw PrintError(QStringLiteral(u"无法写入 %1").arg(shown));
    const double scale = writer.resolution() / Pixels::perInch;
    const int count = pages.pageCount();
    for (int i = from; i < to; ++i) {
        if (i > from)
            writer.newPage();
        painter.save();
        painter.scale(scale, scale);
        pages.drawPage(painter, i);
        painter.restore();
        reuse.pageDone();
        if (progress)
            progress(i + 1, count);
    }
    if (!painter.end())
        throw PrintError(QStringLiteral(u"无法写入 %1").arg(shown));
}

} // namespace

void exportPdf(PageSource& pages, const QString& path, const StoreSession& store,
               const PageProgress& progress, int pagesPerPart)
{
    PdfTarget target(path, store);
    const QSizeF paper = pages.paperMm();
    const int count = pages.pageCount();
    if (count <= pagesPerPart) {
        writePages(pages, target.writePath(), 0, count, paper, path, progress);
    } else {
        PdfJoin joined(target.writePath(), path);
        for (int from = 0; from < count; from += pagesPerPart) {
            QTemporaryFile part(TemporaryFiles::stagedTemplate(target.writePath()));
            if (!part.open())
                throw PrintError(QStringLiteral(u"无法写入 %1").arg(path));
            part.close();
            writePages(pages, part.fileName(), from, std::min(count, from + pagesPerPart), paper,
                       path, progress);
            joined.append(part.fileName());
        }
        joined.finish();
    }
    target.commit(paper);
}

void makeWaybillPageBoxesExact(const QString& path)
{
    writeExactPageBoxes(path, WaybillLayout::paperSizeMm() * pointsPerMillimetre, path);
}
