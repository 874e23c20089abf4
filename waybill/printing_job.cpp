#include "waybill/printing_job.h"

#include "store/store_error.h"
#include "waybill/pdf_export.h"
#include "waybill/printer_choice.h"
#include "waybill/printing.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QScopeGuard>

PrintJob::PrintJob() : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    const QString chosen = PrinterChoice::chosen();
    if (!chosen.isEmpty() && !QPrinterInfo::printerInfo(chosen).isNull())
        m_printer->setPrinterName(chosen);
    Printing::setUpPaper(*m_printer);
}

PrintJob::~PrintJob() = default;

void PrintJob::setPrinterName(const QString& name)
{
    if (QPrinterInfo::printerInfo(name).isNull())
        throw CommandError(QStringLiteral("Printer selected is not valid"));
    m_printer->setOutputFormat(QPrinter::NativeFormat);
    m_printer->setPrinterName(name);
    Printing::setUpPaper(*m_printer);
}

void PrintJob::setOutputFile(const QString& path)
{
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(path);
    Printing::setUpPaper(*m_printer);
}

bool PrintJob::run(QWidget* parent, PageSource& pages,
                   const std::function<void(int percent)>& percent)
{
    // The settings dialog may have replaced the printer and its options.
    Printing::setUpPaper(*m_printer);
    Printing::requestExactCupsPageSize(*m_printer);

    QProgressDialog window(parent);
    window.setWindowTitle(QStringLiteral("Printing progress"));
    window.setCancelButtonText(QStringLiteral("Cancel"));
    window.setWindowModality(Qt::ApplicationModal);
    window.setMinimumDuration(0);
    window.setAutoClose(false);
    window.setAutoReset(false);
    window.setValue(0);
    int shown = 0;
    m_pagesSent = 0;
    const auto progress = [&](int done, int total) {
        m_pagesSent = done;
        window.setMaximum(total);
        window.setValue(done);
        const int p = int(qint64(done) * 100 / total);
        if (percent && p >= shown + 5) {
            shown = p;
            percent(p);
        }
        return !window.wasCanceled();
    };
    const auto cleared = qScopeGuard([&] {
        if (percent)
            percent(-1);
    });
    const bool printed = Printing::printPages(pages, *m_printer, progress);
    // A printer that writes a file is Qt's PDF writer: give it the exact paper too.
    if (printed && m_printer->outputFormat() == QPrinter::PdfFormat &&
        !m_printer->outputFileName().isEmpty())
        makeWaybillPageBoxesExact(m_printer->outputFileName());
    return printed;
}
