#include "waybill/print_command.h"

#include "store/connection.h"
#include "store/query_sets.h"
#include "store/spooled_rows.h"
#include "store/statements.h"
#include "waybill/calibration_page.h"
#include "waybill/calibration_store.h"
#include "waybill/font_substitutions.h"
#include "waybill/layout_template.h"
#include "waybill/pdf_export.h"
#include "waybill/print_error.h"
#include "waybill/print_log.h"
#include "waybill/print_window_adjustments.h"
#include "waybill/run_pages.h"
#include "waybill/shift_value.h"
#include "waybill/template_picture.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QFileInfo>
#include <memory>

namespace PrintCommand {

namespace {

QFont parseFont(const QString& text)
{
    const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
    bool ok = false;
    const double points = comma > 0 ? text.mid(comma + 1).toDouble(&ok) : 0;
    if (!ok || points <= 0)
        throw PrintError(QStringLiteral("--font wants FAMILY,POINTS, not '%1'").arg(text));
    QFont font(text.left(comma));
    font.setPointSizeF(points);
    return font;
}

// The rows a window reads: a batch window its own queries, a single window
// the main window's sender row and its recipient query. A batch's rows go
// through a spool, not into memory: the log's second walk over them reads
// the same snapshot the pages were drawn from, and a batch of a million
// rows holds the store no longer than a window's reading of them does.
class WindowRows {
public:
    WindowRows(const StoreSession& store, WaybillVariant variant, const QString& row)
    {
        const bool imported =
            variant == WaybillVariant::ImportedSingle || variant == WaybillVariant::ImportedBatch;
        const TableQuery query =
            imported ? Statements::selectImported() : Statements::selectRecipients();
        if (isBatch(variant)) {
            // Both tables tried before any row is read, as the window does.
            m_batch = std::make_unique<PrintingQueries>(store, query,
                                                        PrintingQueries::Rows::ReadOnReopen);
            m_spooled = std::make_unique<SpooledRows>(m_batch->connection, query);
            m_batch->sender.open();
            return;
        }
        m_main = std::make_unique<MainQueries>(store);
        m_main->reopen();
        if (imported) {
            m_imported = std::make_unique<Dataset>(m_main->connection);
            m_imported->setQuery(query);
            m_imported->open();
        }
        if (!row.isNull()) {
            bool ok = false;
            const int n = row.toInt(&ok);
            if (!ok || n < 1 || n > current()->recordCount())
                throw PrintError(QStringLiteral("print: there is no row %1").arg(row));
            current()->setCurrentRow(n - 1);
        }
    }

    Dataset* sender() { return m_batch ? &m_batch->sender : &m_main->sender; }
    // A batch's rows; null for a single window.
    const SpooledRows* every() const { return m_spooled.get(); }
    // A single window's recipients, standing on the row it prints.
    Dataset* current() { return m_imported ? m_imported.get() : &m_main->recipients; }

private:
    std::unique_ptr<PrintingQueries> m_batch;
    std::unique_ptr<SpooledRows> m_spooled;
    std::unique_ptr<MainQueries> m_main;
    std::unique_ptr<Dataset> m_imported;
};

// A template without a window prints with the single-print window's rows.
QString windowOf(const PrintRequest& request)
{
    if (request.window.isEmpty() && !request.layoutTemplate.isEmpty())
        return windowAlias(WaybillVariant::AddressBookSingle);
    return request.window;
}

} // namespace

QString argumentError(const PrintRequest& request)
{
    const std::optional<WaybillVariant> variant = variantForWindow(windowOf(request));
    if (!variant)
        return QStringLiteral("print: no print window '%1'").arg(request.window);
    if (isBatch(*variant) && !request.row.isNull() && !request.calibration)
        return QStringLiteral("print: --row is for the single-print windows");
    if (!request.numberRule.isNull() && !WaybillNumbers::ruleNamed(request.numberRule))
        return QStringLiteral("print: --number-rule is one of %1, not '%2'")
            .arg(WaybillNumbers::ruleNames().join(QStringLiteral(", ")), request.numberRule);
    if (!request.numberRule.isNull() && request.numberRule != QLatin1String("none") &&
        request.firstNumber.isNull())
        return QStringLiteral("print: --number-rule needs --first-number");
    if (!request.orderNumber.isNull() && isBatch(*variant))
        return QStringLiteral("print: --order-number is for the single-print windows");
    if (!request.firstNumber.isNull() && request.calibration)
        return QStringLiteral("print: the calibration page takes no waybill number");
    try {
        ShiftValue::parse(request.dx);
        ShiftValue::parse(request.dy);
        if (!request.font.isNull())
            parseFont(request.font);
    } catch (const PrintError& e) {
        return e.text();
    }
    return {};
}

Printed run(const StoreSession& store, const PrintRequest& request, const PrinterOutput& printer,
            const PageProgress& progress, const WaybillPages::WarningSink& warnings)
{
    Printed printed;
    if (const QString wrong = argumentError(request); !wrong.isEmpty())
        throw PrintError(wrong);
    const std::optional<WaybillVariant> variant = variantForWindow(windowOf(request));
    if (request.pdf.isEmpty() == request.printer.isEmpty())
        throw PrintError(QStringLiteral("print: give either --pdf OUT.pdf or --printer NAME"));
    if (!request.printer.isEmpty() && !printer)
        throw PrintError(QStringLiteral("print: this build prints to PDF only; use --pdf"));

    installFontSubstitutions();
    std::optional<LayoutTemplate> chosen;
    if (!request.layoutTemplate.isEmpty()) {
        chosen = LayoutTemplates::find(request.layoutTemplate, &printed.notices);
        // The picture is never printed, but a shop should hear of a template
        // whose form will not show in the windows.
        if (chosen->background)
            if (const QString why = TemplatePicture::problem(TemplatePicture::pathOf(*chosen),
                                                             chosen->background->page);
                !why.isEmpty())
                printed.notices << why;
    }
    WaybillLayout layout = chosen ? WaybillLayout::fromTemplate(*chosen, *variant)
                                  : WaybillLayout::forWindow(*variant);
    LayoutAdjustments adjustments(layout);
    // A printer prints where its calibration puts the texts; the options
    // add to that.
    if (!request.printer.isEmpty())
        if (const std::optional<Calibration> stored =
                CalibrationStore().load(request.printer, layout.calibrationKey()))
            adjustments.apply(*stored);
    if (!request.font.isNull())
        adjustments.applyFont(parseFont(request.font));
    adjustments.shiftHorizontally(request.dx);
    adjustments.shiftVertically(request.dy);

    std::optional<WindowRows> rows; // none read for the calibration page
    if (!request.calibration)
        rows.emplace(store, *variant, request.row);
    CalibrationPage calibrationPage(layout);
    std::optional<WaybillPages> waybills;
    std::optional<RunPages> numbered;
    if (rows && rows->every()) {
        waybills.emplace(layout, rows->sender(), *rows->every());
        numbered.emplace(store, *waybills, *rows->every());
    } else {
        Dataset* recipients = rows ? rows->current() : nullptr;
        waybills.emplace(layout, rows ? rows->sender() : nullptr, recipients,
                         RecordMode::CurrentRow);
        numbered.emplace(store, *waybills, recipients, RecordMode::CurrentRow);
    }
    waybills->setWarningSink(warnings);
    if (request.fit)
        waybills->setShrinkToFit(CalibrationStore().minimumPoints());
    numbered->setOrderNumber(request.orderNumber.trimmed());
    if (!request.firstNumber.isNull()) {
        const WaybillNumbers::Rule rule =
            WaybillNumbers::ruleNamed(request.numberRule).value_or(WaybillNumbers::Rule::PlusOne);
        numbered->setNumbers(
            WaybillNumbers::Series(request.firstNumber, rule, numbered->pageCount()));
        Connection connection(store);
        connection.open();
        if (const QString used = PrintLog::usedNumbers(connection, numbered->numbers());
            !used.isEmpty())
            throw PrintError(used);
    }
    RecordedPages pages(request.calibration ? static_cast<PageSource&>(calibrationPage)
                                            : *numbered);
    if (!request.pdf.isEmpty()) {
        exportPdf(pages, request.pdf, store, progress);
        printed.pages = pages.pageCount();
    } else {
        // The window's name, or the template's, is the job's title in the queue.
        const std::optional<int> sent = printer(
            store, pages, request.printer,
            layout.isBuiltIn() ? windowClassName(*variant) : layout.templateName(), progress);
        printed.cancelled = !sent;
        printed.pages = sent.value_or(0);
    }
    if (!printed.cancelled) {
        try {
            printed.run =
                PrintLog::write(store, pages,
                                request.pdf.isEmpty() ? request.printer
                                                      : QFileInfo(request.pdf).absoluteFilePath());
        } catch (const CommandError& e) {
            printed.logFailure = e.text();
        }
    }
    return printed;
}

} // namespace PrintCommand
