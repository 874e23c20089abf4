#include "waybill/printing/printing_job.h"

#include "waybill/pdf_export.h"
#include "waybill/print_error.h"
#include "waybill/print_log.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing.h"
#include "waybill/run_pages.h"

#include <QPrinter>
#include <QPrinterInfo>
#include <QScopeGuard>
#include <optional>

PrintJob::PrintJob(const StoreSession& store)
    : m_store(store), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
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
        throw PrintError(QStringLiteral(u"没有名为“%1”的打印机").arg(name));
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

bool PrintJob::run(PageSource& pages, const Printing::Progress& progress)
{
    // Printed again from one preview, the pages go on other forms: their
    // numbers are checked as the first run's were.
    auto* numbered = dynamic_cast<RunPages*>(&pages);
    if (numbered) {
        // Each copy would go on a form of its own, its number in no log.
        if (m_printer->copyCount() > 1 && !numbered->numbers().isEmpty())
            throw PrintError(
                QStringLiteral(u"运单纸上印有运单号，每页只能打印一份：请在“设 置”中把份数改为1"));
        numbered->setPrintOrder(Printing::pagesToPrint(*m_printer, pages.pageCount()));
        if (const QString used = numbered->refusal(); !used.isEmpty())
            throw PrintError(used);
    }
    // The settings dialog may have replaced the printer and its options.
    Printing::setUpPaper(*m_printer, pages.paperMm());
    Printing::requestExactCupsPageSize(*m_printer, pages.paperMm());
    // A printer that writes a file is Qt's PDF writer: aside, then in place
    // with the exact paper.
    const QString file =
        m_printer->outputFormat() == QPrinter::PdfFormat ? m_printer->outputFileName() : QString();
    std::optional<PdfTarget> target;
    if (!file.isEmpty()) {
        target.emplace(file, m_store);
        m_printer->setOutputFileName(target->writePath());
    }
    m_pagesSent = 0;
    m_logFailure.reset();
    RecordedPages recorded(pages);
    bool printed = false;
    {
        const auto named = qScopeGuard([&] {
            if (target)
                m_printer->setOutputFileName(file);
        });
        printed = Printing::printPages(m_logging ? static_cast<PageSource&>(recorded) : pages,
                                       *m_printer, [&](int done, int total) {
                                           m_pagesSent = done;
                                           return !progress || progress(done, total);
                                       });
    }
    if (printed && target)
        target->commit(pages.paperMm());
    // The pages are out whatever the log does; the caller tells the user.
    if (printed && m_logging) {
        try {
            PrintLog::write(m_store, recorded, destination());
        } catch (const CommandError& e) {
            m_logFailure = e;
        }
    }
    if (printed && numbered)
        numbered->formsUsed(m_pagesSent);
    return printed;
}

QString PrintJob::destination() const
{
    return m_printer->outputFormat() == QPrinter::PdfFormat ? m_printer->outputFileName()
                                                            : m_printer->printerName();
}

std::optional<int> printOnPrinter(const StoreSession& store, PageSource& pages,
                                  const QString& printer, const QString& title,
                                  const Printing::Progress& progress)
{
    PrintJob job(store);
    job.setLogging(false); // the print command logs what it prints
    job.setPrinterName(printer);
    job.printer().setDocName(title);
    if (!job.run(pages, progress))
        return std::nullopt;
    return job.pagesSent();
}
