#include "waybill/print_command.h"

#include "store/main_queries.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "waybill/calibration_page.h"
#include "waybill/font_substitutions.h"
#include "waybill/pdf_export.h"
#include "waybill/print_window_adjustments.h"
#include "waybill/printing_job.h"
#include "waybill/printing_queries.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QHash>
#include <QPrinter>
#include <memory>

namespace PrintCommand {

namespace {

const QString windowOption = QStringLiteral("--window");
const QString pdfOption = QStringLiteral("--pdf");
const QString printerOption = QStringLiteral("--printer");
const QString rowOption = QStringLiteral("--row");
const QString dxOption = QStringLiteral("--dx");
const QString dyOption = QStringLiteral("--dy");
const QString fontOption = QStringLiteral("--font");

QHash<QString, QString> parse(const QStringList& args)
{
    static const QStringList known{windowOption, pdfOption, printerOption, rowOption,
                                   dxOption,     dyOption,  fontOption};
    QHash<QString, QString> options;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (!known.contains(args.at(i)) || i + 1 >= args.size())
            throw CommandError(QStringLiteral("print: unexpected '%1'").arg(args.at(i)));
        options.insert(args.at(i), args.at(i + 1));
    }
    if (options.contains(pdfOption) == options.contains(printerOption))
        throw CommandError(QStringLiteral("print: give either --pdf OUT.pdf or --printer NAME"));
    if (options.value(pdfOption, QStringLiteral("-")).isEmpty())
        throw CommandError(QStringLiteral("print: --pdf OUT.pdf is missing"));
    return options;
}

QFont parseFont(const QString& text)
{
    const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
    bool ok = false;
    const double points = comma > 0 ? text.mid(comma + 1).toDouble(&ok) : 0;
    if (!ok || points <= 0)
        throw CommandError(QStringLiteral("--font wants FAMILY,POINTS, not '%1'").arg(text));
    QFont font(text.left(comma));
    font.setPointSizeF(points);
    return font;
}

// The rows a window reads: a batch window its own queries, a single window
// the main window's sender row and its recipient query.
class WindowRows {
public:
    WindowRows(WaybillVariant variant, const QString& row)
    {
        const bool imported =
            variant == WaybillVariant::ImportedSingle || variant == WaybillVariant::ImportedBatch;
        const Statement statement =
            imported ? Statements::selectImported() : Statements::selectRecipients();
        if (isBatch(variant)) {
            if (!row.isNull())
                throw CommandError(QStringLiteral("print: --row is for the single-print windows"));
            m_batch = std::make_unique<PrintingQueries>(statement);
            return;
        }
        m_main = std::make_unique<MainQueries>();
        m_main->reopen();
        if (imported) {
            m_imported = std::make_unique<Dataset>(m_main->connection);
            m_imported->setStatement(statement);
            m_imported->open();
        }
        if (!row.isNull()) {
            bool ok = false;
            const int n = row.toInt(&ok);
            if (!ok || n < 1 || n > recipients()->recordCount())
                throw CommandError(QStringLiteral("print: there is no row %1").arg(row));
            recipients()->setCurrentRow(n - 1);
        }
    }

    Dataset* sender() { return m_batch ? &m_batch->sender : &m_main->sender; }
    Dataset* recipients()
    {
        if (m_batch)
            return &m_batch->recipients;
        return m_imported ? m_imported.get() : &m_main->recipients;
    }
    RecordMode mode() const { return m_batch ? RecordMode::EveryRow : RecordMode::CurrentRow; }

private:
    std::unique_ptr<PrintingQueries> m_batch;
    std::unique_ptr<MainQueries> m_main;
    std::unique_ptr<Dataset> m_imported;
};

} // namespace

int run(const QStringList& args)
{
    QStringList rest = args;
    const bool calibration = rest.removeAll(QStringLiteral("--calibration")) > 0;
    const QHash<QString, QString> options = parse(rest);
    const QString window =
        options.value(windowOption, calibration ? QStringLiteral("TSf1Form") : QString());
    const std::optional<WaybillVariant> variant = variantForWindow(window);
    if (!variant)
        throw CommandError(QStringLiteral("print: no print window '%1'").arg(window));

    installFontSubstitutions();
    WaybillLayout layout = WaybillLayout::forWindow(*variant);
    LayoutAdjustments adjustments(layout);
    if (options.contains(fontOption))
        adjustments.applyFont(parseFont(options.value(fontOption)));
    adjustments.shiftHorizontally(options.value(dxOption));
    adjustments.shiftVertically(options.value(dyOption));

    std::optional<WindowRows> rows; // none read for the calibration page
    if (!calibration)
        rows.emplace(*variant, options.contains(rowOption) ? options.value(rowOption) : QString());
    CalibrationPage calibrationPage(layout);
    WaybillPages waybills(layout, rows ? rows->sender() : nullptr,
                          rows ? rows->recipients() : nullptr,
                          rows ? rows->mode() : RecordMode::CurrentRow);
    PageSource& pages = calibration ? static_cast<PageSource&>(calibrationPage) : waybills;
    if (options.contains(pdfOption)) {
        exportPdf(pages, options.value(pdfOption));
        return 0;
    }
    PrintJob job;
    job.setPrinterName(options.value(printerOption));
    job.printer().setDocName(window); // the job's title in the queue
    return job.run(nullptr, pages) ? 0 : 1;
}

} // namespace PrintCommand
