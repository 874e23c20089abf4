#include "waybill/printing/printing.h"

#include "waybill/page_buffer_reuse.h"
#include "waybill/page_source.h"
#include "waybill/print_error.h"
#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QPageLayout>
#include <QPageRanges>
#include <QPainter>
#include <QPrintEngine>
#include <QPrinter>

namespace Printing {

namespace {

// Qt's CUPS engine takes extra job options as name/value pairs under this
// key (PPK_CupsOptions of the CUPS print support).
const auto cupsOptionsKey = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QPageSize paperOf(QSizeF mm)
{
    return QPageSize(mm, QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
}

// The page numbers (from 1) to print, in order, copies made here included.
QList<int> pageNumbers(const QPrinter& printer, int count)
{
    QList<int> numbers;
    for (int index : pagesToPrint(printer, count))
        numbers << index + 1;
    if (printer.supportsMultipleCopies() || printer.copyCount() <= 1)
        return numbers;
    QList<int> copies;
    if (printer.collateCopies()) {
        for (int c = 0; c < printer.copyCount(); ++c)
            copies << numbers;
    } else {
        for (int n : numbers)
            for (int c = 0; c < printer.copyCount(); ++c)
                copies << n;
    }
    return copies;
}

} // namespace

QList<int> pagesToPrint(const QPrinter& printer, int count)
{
    QList<int> indices;
    const QPageRanges ranges = printer.pageRanges();
    for (int n = 1; n <= count; ++n)
        if (ranges.isEmpty() || ranges.contains(n))
            indices << n - 1;
    return indices;
}

void setUpPaper(QPrinter& printer, QSizeF paperMm)
{
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(paperOf(paperMm), QPageLayout::Portrait, QMarginsF(),
                                      QPageLayout::Millimeter, QMarginsF()));
}

void requestExactCupsPageSize(QPrinter& printer, QSizeF paperMm)
{
    if (printer.outputFormat() != QPrinter::NativeFormat)
        return;
    const QStringList old = printer.printEngine()->property(cupsOptionsKey).toStringList();
    QStringList options;
    for (qsizetype i = 0; i + 1 < old.size(); i += 2)
        if (old.at(i) != QLatin1String("PageSize"))
            options << old.at(i) << old.at(i + 1);
    options << QStringLiteral("PageSize") << paperOf(paperMm).key();
    printer.printEngine()->setProperty(cupsOptionsKey, options);
}

bool printPages(PageSource& pages, QPrinter& printer, const Progress& progress)
{
    const QList<int> numbers = pageNumbers(printer, pages.pageCount());
    if (numbers.isEmpty())
        return true;
    if (printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty())
        throw PrintError(
            QStringLiteral(u"没有可用的打印机：请先在系统中添加打印机，或点“设 置”打印到文件"));

    PageBufferReuse reuse;
    QPainter painter;
    if (!painter.begin(&printer))
        throw PrintError(QStringLiteral(u"打印机“%1”无法开始打印").arg(printer.printerName()));
    // One painter unit is one layout pixel from the paper's corner.
    const double scale = printer.resolution() / Pixels::perInch;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        pages.drawPage(painter, numbers.at(i) - 1);
        painter.restore();
        reuse.pageDone();
        if (progress && !progress(int(i + 1), int(numbers.size()))) {
            printer.abort();
            painter.end();
            return false;
        }
    }
    painter.end();
    return true;
}

} // namespace Printing
