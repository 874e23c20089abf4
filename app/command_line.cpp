#include "app/command_line.h"

#include "app/terminal_progress.h"
#include "exchange/exchange_commands.h"
#include "exchange/sheet_error.h"
#include "exchange/shipping_sheet.h"
#include "maintenance/database_backup.h"
#include "maintenance/store_copy.h"
#include "records/address_parse_command.h"
#include "store/command_error.h"
#include "store/connection.h"
#include "store/connection_recipe.h"
#include "store/database_file.h"
#include "store/plain_text.h"
#include "store/store_choice.h"
#include "store/store_options.h"
#include "store/store_tables.h"
#include "store/temporary_files.h"
#include "waybill/number_assignment.h"
#include "waybill/print_log.h"

#include <QCommandLineParser>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <functional>

namespace CommandLine {

namespace {

const QString program = QStringLiteral("sfwaybill-cli");

struct Command {
    QString name;
    QString synopsis; // what follows the name
    QString summary;
    QList<QCommandLineOption> options;
    int operands; // how many plain arguments it takes; -1 any number
    std::function<int(const QCommandLineParser&)> run;
};

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

QString commandUsage(const Command& c)
{
    QString text = QStringLiteral("usage: %1 %2 %3").arg(program, c.name, c.synopsis).trimmed();
    text += QStringLiteral("\n  %1\n").arg(c.summary);
    for (const QCommandLineOption& o : c.options + StoreOptions::all()) {
        QString name = QStringLiteral("--") + o.names().constFirst();
        if (!o.valueName().isEmpty())
            name += QLatin1Char(' ') + o.valueName();
        text += QStringLiteral("    %1%2\n").arg(name, -22).arg(o.description());
    }
    return text;
}

QString usage(const QList<Command>& commands)
{
    QString text =
        QStringLiteral("usage: %1 [--data-dir DIR | --user-data | --database URL] COMMAND [ARGS]   "
                       "(COMMAND --help for its options; --version)\n"
                       "on data.mdb in the current directory unless a data folder or a "
                       "PostgreSQL database (postgresql://user@host:port/dbname; also the line "
                       "database=URL of ~/.config/sfwaybill/sfwaybill.conf) is named\n")
            .arg(program);
    for (const Command& c : commands)
        text += QStringLiteral("  %1\n      %2\n")
                    .arg(QStringLiteral("%1 %2").arg(c.name, c.synopsis).trimmed(), c.summary);
    return text;
}

int wrongArguments(const QString& why, const QString& usageText)
{
    if (!why.isEmpty())
        err() << program << ": " << why << '\n';
    err() << usageText;
    err().flush();
    return 2;
}

QCommandLineOption valued(const QString& name, const QString& valueName, const QString& text)
{
    return QCommandLineOption(name, text, valueName);
}

PrintRequest printRequest(const QCommandLineParser& p)
{
    const auto value = [&p](const char* name) {
        const QString option = QString::fromLatin1(name);
        return p.isSet(option) ? p.value(option) : QString();
    };
    const bool calibration = p.isSet(QStringLiteral("calibration"));
    // The calibration page is the same for every window's catalogue
    // unless one is named.
    QString window = value("window");
    if (calibration && window.isEmpty())
        window = QStringLiteral("TSf1Form");
    PrintRequest request{window,           value("pdf"), value("printer"),
                         value("row"),     value("dx"),  value("dy"),
                         value("font"),    calibration,  p.isSet(QStringLiteral("fit")),
                         value("template")};
    request.firstNumber = value("first-number");
    request.numberRule = value("number-rule");
    request.orderNumber = value("order-number");
    return request;
}

QList<Command> commands(const PrinterOutput& printer)
{
    const auto init = [](const QCommandLineParser&) {
        if (!StoreChoice::server()) {
            DatabaseFile::createEmpty(ConnectionRecipe::databasePath());
            return 0;
        }
        Connection connection;
        connection.open();
        StoreTables::create(connection);
        return 0;
    };
    const auto backup = [](const QCommandLineParser& p) {
        const QString target = DatabaseBackup::backupFileName(p.positionalArguments().first());
        DatabaseBackup::backup(StoreChoice::storeName(), target);
        out() << PlainText::oneLine(target) << '\n';
        return 0;
    };
    const auto restore = [](const QCommandLineParser& p) {
        DatabaseBackup::restore(p.positionalArguments().first(), StoreChoice::storeName());
        return 0;
    };
    const auto copy = [](const QCommandLineParser& p) {
        const int rows =
            StoreCopy::copy(p.value(QStringLiteral("from")), p.value(QStringLiteral("to")));
        out() << rows << '\n';
        return 0;
    };
    const auto print = [printer](const QCommandLineParser& p) {
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
            PrintCommand::run(request, printer, std::ref(progress), warn);
        for (const QString& notice : printed.notices)
            err() << notice << '\n';
        if (printed.pages < 0)
            return 1;
        // Printed all the same: a failing status would invite printing again.
        if (!printed.logFailure.isEmpty())
            err() << program
                  << ": printed, but the print log could not be written: " << printed.logFailure
                  << '\n';
        err().flush();
        // For scripts: the pages written and where they went.
        out() << printed.pages << '\t'
              << PlainText::oneLine(request.pdf.isEmpty() ? request.printer : request.pdf) << '\n';
        // The run that numbers are given to, asked for with them.
        if (!printed.run.isEmpty() &&
            (!request.firstNumber.isNull() || !request.numberRule.isNull()))
            out() << "run\t" << printed.run << '\n';
        if (warned > 0) {
            err() << QStringLiteral("%1 of %2 pages do not print whole")
                         .arg(warned)
                         .arg(printed.pages)
                  << '\n';
            err().flush();
        }
        return warned > 0 && p.isSet(QStringLiteral("strict")) ? 3 : 0;
    };
    const auto importSheet = [](const QCommandLineParser& p) {
        TerminalProgress progress(QStringLiteral("rows"));
        out() << ExchangeCommands::importSheet(p.positionalArguments().first(),
                                               [&](int done, int total) { progress(done, total); })
              << '\n';
        return 0;
    };
    const auto exportBook = [](const QCommandLineParser& p) {
        const QString name = p.positionalArguments().value(0);
        const bool csv = p.value(QStringLiteral("format")) == QLatin1String("csv");
        if (!name.isEmpty() || !csv) {
            out() << PlainText::oneLine(ExchangeCommands::exportAddressBook(name, csv)) << '\n';
            return 0;
        }
        const QByteArray text = ExchangeCommands::addressBookCsv();
        out().flush();
        QFile file;
        if (!file.open(stdout, QIODevice::WriteOnly) || file.write(text) != text.size())
            throw SheetError(QStringLiteral(u"导出失败：%1").arg(file.errorString()));
        return 0;
    };
    const auto parseAddress = [](const QCommandLineParser& p) {
        const QStringList words = p.positionalArguments();
        QString text = words.join(u' ');
        if (words.isEmpty()) {
            QFile in;
            if (!in.open(stdin, QIODevice::ReadOnly))
                throw CommandError(
                    QStringLiteral("cannot read standard input: %1").arg(in.errorString()));
            text = QString::fromUtf8(in.readAll());
        }
        out() << AddressParseCommand::json(text) << '\n';
        return 0;
    };
    const auto log = [](const QCommandLineParser& p) {
        Connection connection;
        connection.open();
        // One page a line, whatever the texts hold.
        const auto field = PlainText::oneLine;
        const QString since = p.value(QStringLiteral("since"));
        for (const PrintLogEntry& e : PrintLog::find(connection, {}, {}, {}, since))
            out() << e.number << '\t' << field(e.printedAt) << '\t' << field(e.window) << '\t'
                  << field(e.destination) << '\t' << field(e.name) << '\t' << field(e.mobile)
                  << '\t' << field(e.address) << '\n';
        return 0;
    };
    const auto assignNumbers = [](const QCommandLineParser& p) {
        Connection connection;
        connection.open();
        NumberAssignment assignment(connection, p.value(QStringLiteral("run")));
        QTextStream in(stdin);
        int refused = 0;
        QString line;
        while (in.readLineInto(&line)) {
            if (line.trimmed().isEmpty())
                continue;
            const int page = assignment.next();
            if (const QString why = assignment.attach(line); !why.isEmpty()) {
                err() << PlainText::oneLine(why) << '\n';
                ++refused;
                continue;
            }
            const NumberAssignment::Page& done = assignment.pages().at(page);
            out() << page + 1 << '\t' << done.waybillNumber << '\t'
                  << PlainText::oneLine(done.orderNumber) << '\t' << PlainText::oneLine(done.name)
                  << '\n';
        }
        err().flush();
        return refused > 0 ? 1 : 0;
    };
    const auto shipExport = [](const QCommandLineParser& p) {
        Connection connection;
        connection.open();
        const QString courier = p.isSet(QStringLiteral("courier"))
                                    ? p.value(QStringLiteral("courier"))
                                    : ShippingSheet::defaultCourier;
        const SheetRows rows = ShippingSheet::rows(connection, p.value(QStringLiteral("run")),
                                                   p.value(QStringLiteral("since")), courier);
        out() << PlainText::oneLine(ShippingSheet::write(rows, p.positionalArguments().first(),
                                                         p.value(QStringLiteral("format")) ==
                                                             QLatin1String("csv")))
              << '\n';
        return 0;
    };
    return {
        {QStringLiteral("init"),
         QString(),
         QStringLiteral("create an empty data.mdb here (with --database: the tables on an "
                        "empty PostgreSQL database)"),
         {},
         0,
         init},
        {QStringLiteral("backup"),
         QStringLiteral("NAME"),
         QStringLiteral("copy data.mdb to NAME.bak (.bak always appended)"),
         {},
         1,
         backup},
        {QStringLiteral("restore"),
         QStringLiteral("FILE"),
         QStringLiteral("replace data.mdb by the backup FILE"),
         {},
         1,
         restore},
        {QStringLiteral("copy"),
         QStringLiteral("--from STORE --to STORE"),
         QStringLiteral("copy every row from one store to another that holds none; a store is "
                        "a data.mdb path or postgresql://user@host:port/dbname (tables made "
                        "where missing); prints the rows copied"),
         {valued(QStringLiteral("from"), QStringLiteral("STORE"), QStringLiteral("the store read")),
          valued(QStringLiteral("to"), QStringLiteral("STORE"),
                 QStringLiteral("the store written, without rows"))},
         0,
         copy},
        {QStringLiteral("print"),
         QStringLiteral("--window NAME (--pdf OUT.pdf | --printer PRINTER) [--template NAME|FILE] "
                        "[--row N] [--dx N] [--dy N] [--font FAMILY,POINTS] [--calibration] "
                        "[--fit] [--strict]"),
         QStringLiteral("the pages of print window NAME (single, imported-single, batch, "
                        "imported-batch, or TSf1Form, TEsf1Form, TPlsf1Form, TEPlsf1Form) as "
                        "a PDF or on a printer; prints the pages written and where, and on "
                        "standard error each text that does not print whole"),
         {valued(QStringLiteral("window"), QStringLiteral("NAME"),
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
                 QStringLiteral("single windows: the platform's order the page is for"))},
         0,
         print},
        {QStringLiteral("assign-numbers"),
         QStringLiteral("--run N"),
         QStringLiteral("give the pages of run N the waybill numbers on standard input, one a "
                        "line, in print order; prints page, number, order and name of each, "
                        "on standard error each number refused (exit 1)"),
         {valued(QStringLiteral("run"), QStringLiteral("N"), QStringLiteral("the run"))},
         0,
         assignNumbers},
        {QStringLiteral("ship-export"),
         QStringLiteral("[--run N | --since DATE] [--format csv] [--courier NAME] NAME"),
         QStringLiteral(
             "the shipping sheet for the platforms (订单编号, 物流公司, 运单号, 收件人姓名, "
             "手机号码) of the pages with a waybill number, to NAME.xlsx or NAME.csv; "
             "prints the file written"),
         {valued(QStringLiteral("run"), QStringLiteral("N"), QStringLiteral("the pages of run N")),
          valued(QStringLiteral("since"), QStringLiteral("DATE"),
                 QStringLiteral("the pages printed on DATE (YYYY-MM-DD) or later")),
          valued(QStringLiteral("format"), QStringLiteral("csv"),
                 QStringLiteral("UTF-8 comma-separated text (with a byte-order mark)")),
          valued(QStringLiteral("courier"), QStringLiteral("NAME"),
                 QStringLiteral("the 物流公司 column (顺丰速运 unless given)"))},
         1,
         shipExport},
        {QStringLiteral("import"),
         QStringLiteral("FILE"),
         QStringLiteral("replace the imported list by Sheet1 of FILE (without one: its first "
                        "sheet), or by the rows of a .csv"),
         {},
         1,
         importSheet},
        {QStringLiteral("export"),
         QStringLiteral("[--format csv] NAME"),
         QStringLiteral("write the address book to NAME.xls (or NAME.xlsx, NAME.csv as named); "
                        "with --format csv to NAME.csv, or to standard output without NAME"),
         {valued(QStringLiteral("format"), QStringLiteral("csv"),
                 QStringLiteral("comma-separated UTF-8 text instead of a workbook"))},
         -1,
         exportBook},
        {QStringLiteral("parse-address"),
         QStringLiteral("[TEXT]"),
         QStringLiteral("split a recipient's text into fields (JSON); no TEXT: standard input"),
         {},
         -1,
         parseAddress},
        {QStringLiteral("log"),
         QStringLiteral("[--since DATE]"),
         QStringLiteral("the pages printed, newest first: number, time, window, printer or file, "
                        "recipient's name, mobile and address, tab-separated"),
         {valued(QStringLiteral("since"), QStringLiteral("DATE"),
                 QStringLiteral("only pages printed on DATE (YYYY-MM-DD) or later"))},
         0,
         log},
    };
}

// The checks a parser cannot express; empty when the arguments fit.
QString missing(const Command& c, const QCommandLineParser& p)
{
    if (c.operands >= 0 && p.positionalArguments().size() != c.operands)
        return p.positionalArguments().size() < c.operands
                   ? QStringLiteral("%1 is missing").arg(c.synopsis)
                   : QStringLiteral("unexpected '%1'").arg(p.positionalArguments().last());
    if (c.name == QLatin1String("export")) {
        const bool csv = p.value(QStringLiteral("format")) == QLatin1String("csv");
        if (p.isSet(QStringLiteral("format")) && !csv)
            return QStringLiteral("--format takes csv");
        if (p.positionalArguments().size() > 1 || (!csv && p.positionalArguments().isEmpty()))
            return QStringLiteral("export wants NAME (or --format csv without it)");
    }
    if (c.name == QLatin1String("copy") &&
        (p.value(QStringLiteral("from")).isEmpty() || p.value(QStringLiteral("to")).isEmpty()))
        return QStringLiteral("copy wants --from STORE and --to STORE");
    if (c.name == QLatin1String("print")) {
        if (!p.isSet(QStringLiteral("window")) && !p.isSet(QStringLiteral("calibration")) &&
            !p.isSet(QStringLiteral("template")))
            return QStringLiteral("--window NAME is missing");
        if (p.isSet(QStringLiteral("pdf")) == p.isSet(QStringLiteral("printer")))
            return QStringLiteral("give either --pdf OUT.pdf or --printer NAME");
        if (p.isSet(QStringLiteral("pdf")) && p.value(QStringLiteral("pdf")).isEmpty())
            return QStringLiteral("--pdf OUT.pdf is missing");
        return PrintCommand::argumentError(printRequest(p));
    }
    if (c.name == QLatin1String("assign-numbers") && p.value(QStringLiteral("run")).isEmpty())
        return QStringLiteral("assign-numbers wants --run N");
    if (c.name == QLatin1String("ship-export")) {
        if (p.isSet(QStringLiteral("run")) == p.isSet(QStringLiteral("since")))
            return QStringLiteral("ship-export wants either --run N or --since DATE");
        if (p.isSet(QStringLiteral("format")) &&
            p.value(QStringLiteral("format")) != QLatin1String("csv"))
            return QStringLiteral("--format takes csv");
    }
    if ((c.name == QLatin1String("log") || c.name == QLatin1String("ship-export")) &&
        p.isSet(QStringLiteral("since")) &&
        !QDate::fromString(p.value(QStringLiteral("since")), Qt::ISODate).isValid())
        return QStringLiteral("--since wants a date as YYYY-MM-DD");
    return {};
}

int dispatch(const QStringList& arguments, const PrinterOutput& printer)
{
    const QList<Command> all = commands(printer);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));

    // QCommandLineParser skips the first argument as the program's name.
    QCommandLineParser global;
    global.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    global.addOptions(StoreOptions::all() + QList<QCommandLineOption>{help, version});
    if (!global.parse(QStringList{program} + arguments))
        return wrongArguments(global.errorText(), usage(all));
    if (global.isSet(help)) {
        out() << usage(all);
        return 0;
    }
    if (global.isSet(version)) {
        out() << program << ' ' << SF_VERSION << '\n';
        return 0;
    }
    const QStringList rest = global.positionalArguments();
    if (rest.isEmpty())
        return wrongArguments(QString(), usage(all));
    const auto command = std::find_if(all.begin(), all.end(),
                                      [&](const Command& c) { return c.name == rest.first(); });
    if (command == all.end())
        return wrongArguments(QStringLiteral("no command '%1'").arg(rest.first()), usage(all));

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(command->options + StoreOptions::all() + QList<QCommandLineOption>{help});
    if (!parser.parse(QStringList{program} + rest.mid(1)))
        return wrongArguments(parser.errorText(), commandUsage(*command));
    if (parser.isSet(help)) {
        out() << commandUsage(*command);
        return 0;
    }
    const std::optional<QString> folder = StoreOptions::folder({&global, &parser});
    if (!folder)
        return wrongArguments(QStringLiteral("name one data folder"), commandUsage(*command));
    const QString why = missing(*command, parser);
    if (!why.isEmpty())
        return wrongArguments(why, commandUsage(*command));
    const std::optional<QString> url = StoreOptions::databaseUrl({&global, &parser});
    if (!url)
        return wrongArguments(QStringLiteral("name one database"), commandUsage(*command));
    if (QString bad; !StoreChoice::choose(*url, &bad)) {
        if (global.isSet(StoreOptions::database) || parser.isSet(StoreOptions::database))
            return wrongArguments(bad, commandUsage(*command));
        // The configuration file's line: no argument of this call was wrong.
        err() << program << ": " << StoreChoice::configFile() << ": " << bad << '\n';
        return 1;
    }
    ConnectionRecipe::setDataFolder(*folder);
    // What a killed run of either program left beside the database.
    TemporaryFiles::removeLeftovers(QFileInfo(ConnectionRecipe::databasePath()).absolutePath());
    return command->run(parser);
}

} // namespace

int run(const QStringList& arguments, const PrinterOutput& printer)
{
    const int status = dispatch(arguments, printer);
    out().flush();
    return status;
}

} // namespace CommandLine
