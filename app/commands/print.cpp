#include "app/commands/print.h"

#include "app/terminal_progress.h"
#include "store/plain_text.h"

#include <QTextStream>
#include <utility>

namespace Commands {

namespace {

PrintRequest printRequest(const QCommandLineParser& p)
{
    const auto value = [&p](const char* name) { return p.value(QString::fromLatin1(name)); };
    const bool calibration = p.isSet(QStringLiteral("calibration"));
    // The calibration page is the same for every window's catalogue
    // unless one is named.
    QString window = value("window");
    if (calibration && window.isEmpty())
        window = QStringLiteral("TSf1Form");
    return PrintRequest{.window = window,
                        .pdf = value("pdf"),
                        .printer = value("printer"),
                        .row = value("row"),
                        .dx = value("dx"),
                        .dy = value("dy"),
                        .font = value("font"),
                        .calibration = calibration,
                        .fit = p.isSet(QStringLiteral("fit")),
                        .layoutTemplate = value("template"),
                        .firstNumber = value("first-number"),
                        .numberRule = value("number-rule"),
                        .orderNumber = value("order-number")};
}

} // namespace

Print::Print(PrinterOutput printer)
    : Command(QStringLiteral("print"),
              QStringLiteral("--window NAME (--pdf OUT.pdf | --printer PRINTER) [--template "
                             "NAME|FILE] [--row N] [--dx N] [--dy N] [--font FAMILY,POINTS] "
                             "[--calibration] [--fit] [--strict]"),
              QStringLiteral("the pages of print window NAME (single, imported-single, batch, "
                             "imported-batch, or TSf1Form, TEsf1Form, TPlsf1Form, TEPlsf1Form) as "
                             "a PDF or on a printer; prints the pages written and where, and on "
                             "standard error each text that does not print whole")),
      m_printer(std::move(printer))
{
}

QList<QCommandLineOption> Print::options() const
{
    return {valued(QStringLiteral("window"), QStringLiteral("NAME"),
                   QStringLiteral("the print window whose pages are printed")),
            valued(QStringLiteral("template"), QStringLiteral("NAME|FILE"),
                   QStringLiteral("print this template (a built-in one's name or a template "
                                  "file) with the window's rows; without --window, single's")),
            valued(QStringLiteral("pdf"), QStringLiteral("OUT.pdf"),
                   QStringLiteral("write the pages to this PDF")),
            valued(QStringLiteral("printer"), QStringLiteral("PRINTER"),
                   QStringLiteral("send the pages to this printer")),
            valued(QStringLiteral("row"), QStringLiteral("N"),
                   QStringLiteral("single windows: the row to print, from 1")),
            valued(QStringLiteral("dx"), QStringLiteral("N"),
                   QStringLiteral("shift right by N pixels, as the shift box")),
            valued(QStringLiteral("dy"), QStringLiteral("N"),
                   QStringLiteral("shift down by N pixels, as the shift box")),
            valued(QStringLiteral("font"), QStringLiteral("FAMILY,POINTS"),
                   QStringLiteral("one font for every text")),
            QCommandLineOption(QStringLiteral("calibration"),
                               QStringLiteral("print the window's calibration page (rulers in mm, "
                                              "a cross at each text; TSf1Form by default)")),
            QCommandLineOption(QStringLiteral("fit"),
                               QStringLiteral("shrink each text that does not print whole, page by "
                                              "page, in 0.5 pt steps down to the minimum size set "
                                              "in the print windows (8 pt unless set)")),
            QCommandLineOption(QStringLiteral("strict"),
                               QStringLiteral("exit 3 when a text does not print whole (the pages "
                                              "are written all the same)")),
            valued(QStringLiteral("first-number"), QStringLiteral("NUMBER"),
                   QStringLiteral("the waybill number of the form the first page goes on; "
                                  "numbers the log holds already print nothing")),
            valued(QStringLiteral("number-rule"), QStringLiteral("RULE"),
                   QStringLiteral("how the next pages' numbers follow: plus-one (default), s10 "
                                  "(check digit computed) or none; prints the run as run<TAB>N")),
            valued(QStringLiteral("order-number"), QStringLiteral("ORDER"),
                   QStringLiteral("single windows: the platform's order the page is for"))};
}

QString Print::check(const QCommandLineParser& p) const
{
    if (QString why = Command::check(p); !why.isEmpty())
        return why;
    if (!p.isSet(QStringLiteral("window")) && !p.isSet(QStringLiteral("calibration")) &&
        !p.isSet(QStringLiteral("template")))
        return QStringLiteral("--window NAME is missing");
    if (p.isSet(QStringLiteral("pdf")) == p.isSet(QStringLiteral("printer")))
        return QStringLiteral("give either --pdf OUT.pdf or --printer NAME");
    if (p.isSet(QStringLiteral("pdf")) && value(p, "pdf").isEmpty())
        return QStringLiteral("--pdf OUT.pdf is missing");
    return PrintCommand::argumentError(printRequest(p));
}

int Print::run(const QCommandLineParser& p, const StoreSession& store) const
{
    const PrintRequest request = printRequest(p);
    TerminalProgress progress(QStringLiteral("pages"));
    int warned = 0;
    const auto warn = [&](int index, const QList<FieldWarning>& warnings) {
        progress.endLine();
        for (const FieldWarning& w : warnings)
            err() << QStringLiteral("page %1: ").arg(index + 1) << w.text() << '\n';
        err().flush();
        ++warned;
    };
    const PrintCommand::Printed printed =
        PrintCommand::run(store, request, m_printer, std::ref(progress), warn);
    for (const QString& notice : printed.notices)
        err() << notice << '\n';
    if (printed.cancelled)
        return 1;
    // Printed all the same: a failing status would invite printing again.
    if (printed.logFailure)
        err() << program
              << ": printed, but the print log could not be written: " << printed.logFailure->text()
              << '\n';
    err().flush();
    // For scripts: the pages written and where they went.
    out() << printed.pages << '\t'
          << PlainText::oneLine(request.pdf.isEmpty() ? request.printer : request.pdf) << '\n';
    // The run that numbers are given to, asked for with them.
    if (!printed.run.isEmpty() && (!request.firstNumber.isNull() || !request.numberRule.isNull()))
        out() << "run\t" << printed.run << '\n';
    if (warned > 0) {
        err() << QStringLiteral("%1 of %2 pages do not print whole").arg(warned).arg(printed.pages)
              << '\n';
        err().flush();
    }
    return warned > 0 && p.isSet(QStringLiteral("strict")) ? 3 : 0;
}

} // namespace Commands
