#include "waybill/printing_command.h"

#include "store/main_queries.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "waybill/font_substitutions.h"
#include "waybill/print_window_adjustments.h"
#include "waybill/printing_job.h"
#include "waybill/printing_queries.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QHash>
#include <QPrinter>
#include <memory>

namespace PrinterPrintCommand {

namespace {

const QString printerOption = QStringLiteral("--printer");

QHash<QString, QString> parse(const QStringList& args)
{
    static const QStringList known{QStringLiteral("--window"), printerOption,
                                   QStringLiteral("--row"),    QStringLiteral("--dx"),
                                   QStringLiteral("--dy"),     QStringLiteral("--font")};
    QHash<QString, QString> options;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (!known.contains(args.at(i)) || i + 1 >= args.size())
            throw CommandError(QStringLiteral("print: unexpected '%1'").arg(args.at(i)));
        options.insert(args.at(i), args.at(i + 1));
    }
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

} // namespace

bool wanted(const QStringList& args)
{
    return args.contains(printerOption);
}

int run(const QStringList& args)
{
    const QHash<QString, QString> options = parse(args);
    const QString window = options.value(QStringLiteral("--window"));
    const std::optional<WaybillVariant> variant = variantForWindow(window);
    if (!variant)
        throw CommandError(QStringLiteral("print: no print window '%1'").arg(window));
    PrintJob job;
    job.setPrinterName(options.value(printerOption));
    job.printer().setDocName(window); // the job's title in the queue

    installFontSubstitutions();
    WaybillLayout layout = WaybillLayout::forWindow(*variant);
    LayoutAdjustments adjustments(layout);
    if (options.contains(QStringLiteral("--font")))
        adjustments.applyFont(parseFont(options.value(QStringLiteral("--font"))));
    adjustments.shiftHorizontally(options.value(QStringLiteral("--dx")));
    adjustments.shiftVertically(options.value(QStringLiteral("--dy")));

    const bool imported =
        *variant == WaybillVariant::ImportedSingle || *variant == WaybillVariant::ImportedBatch;
    const Statement recipientStatement =
        imported ? Statements::selectImported() : Statements::selectRecipients();
    std::unique_ptr<PrintingQueries> batch;
    std::unique_ptr<MainQueries> single;
    std::unique_ptr<Dataset> importedRows;
    std::unique_ptr<WaybillPages> pages;
    if (isBatch(*variant)) {
        if (options.contains(QStringLiteral("--row")))
            throw CommandError(QStringLiteral("print: --row is for the single-print windows"));
        batch = std::make_unique<PrintingQueries>(recipientStatement);
        pages = std::make_unique<WaybillPages>(layout, &batch->sender, &batch->recipients,
                                               RecordMode::EveryRow);
    } else {
        single = std::make_unique<MainQueries>();
        single->reopen();
        Dataset* recipients = &single->recipients;
        if (imported) {
            importedRows = std::make_unique<Dataset>(single->connection);
            importedRows->setStatement(recipientStatement);
            importedRows->open();
            recipients = importedRows.get();
        }
        if (options.contains(QStringLiteral("--row"))) {
            bool ok = false;
            const int row = options.value(QStringLiteral("--row")).toInt(&ok);
            if (!ok || row < 1 || row > recipients->recordCount())
                throw CommandError(QStringLiteral("print: there is no row %1")
                                       .arg(options.value(QStringLiteral("--row"))));
            recipients->setCurrentRow(row - 1);
        }
        pages = std::make_unique<WaybillPages>(layout, &single->sender, recipients,
                                               RecordMode::CurrentRow);
    }
    return job.run(nullptr, *pages) ? 0 : 1;
}

} // namespace PrinterPrintCommand
