#include "waybill/pdf_print_command.h"

#include "store/connection.h"
#include "store/dataset.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "waybill/font_substitutions.h"
#include "waybill/pdf_export.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QHash>
#include <optional>

namespace PdfPrintCommand {

namespace {

int toInt(const QString& option, const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw CommandError(QStringLiteral("%1 wants a whole number, not '%2'").arg(option, text));
    return value;
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

int run(const QStringList& args)
{
    static const QStringList known{QStringLiteral("--window"), QStringLiteral("--pdf"),
                                   QStringLiteral("--row"),    QStringLiteral("--dx"),
                                   QStringLiteral("--dy"),     QStringLiteral("--font")};
    QHash<QString, QString> options;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (!known.contains(args.at(i)) || i + 1 >= args.size())
            throw CommandError(QStringLiteral("print: unexpected '%1'").arg(args.at(i)));
        options.insert(args.at(i), args.at(i + 1));
    }
    const QString window = options.value(QStringLiteral("--window"));
    const std::optional<WaybillVariant> variant = variantForWindow(window);
    if (!variant)
        throw CommandError(QStringLiteral("print: no print window '%1'").arg(window));
    const QString pdf = options.value(QStringLiteral("--pdf"));
    if (pdf.isEmpty())
        throw CommandError(QStringLiteral("print: --pdf OUT.pdf is missing"));

    installFontSubstitutions();
    WaybillLayout layout = WaybillLayout::forWindow(*variant);
    if (options.contains(QStringLiteral("--font")))
        layout.setFont(parseFont(options.value(QStringLiteral("--font"))));
    if (options.contains(QStringLiteral("--dx")))
        layout.shiftLeft(toInt(QStringLiteral("--dx"), options.value(QStringLiteral("--dx"))));
    if (options.contains(QStringLiteral("--dy")))
        layout.shiftTop(toInt(QStringLiteral("--dy"), options.value(QStringLiteral("--dy"))));

    Connection connection;
    connection.open();
    Dataset sender(connection);
    sender.setStatement(Statements::selectSender());
    sender.open();
    Dataset recipients(connection);
    const bool imported =
        *variant == WaybillVariant::ImportedSingle || *variant == WaybillVariant::ImportedBatch;
    recipients.setStatement(imported ? Statements::selectImported()
                                     : Statements::selectRecipients());
    recipients.open();

    const bool batch = isBatch(*variant);
    if (options.contains(QStringLiteral("--row"))) {
        if (batch)
            throw CommandError(QStringLiteral("print: --row is for the single-print windows"));
        const int row = toInt(QStringLiteral("--row"), options.value(QStringLiteral("--row")));
        if (row < 1 || row > recipients.recordCount())
            throw CommandError(QStringLiteral("print: there is no row %1").arg(row));
        recipients.setCurrentRow(row - 1);
    }
    WaybillPages pages(layout, &sender, &recipients,
                       batch ? RecordMode::EveryRow : RecordMode::CurrentRow);
    exportPdf(pages, pdf);
    return 0;
}

} // namespace PdfPrintCommand
