// What the print log adds to a batch: the batch window's pages of N rows of
// inrxx to PDF, side by side without the log and with it (the pages noted
// as they are drawn, then written to the log in one transaction), runs
// interleaved, medians of wall and processor time reported (the processor
// time stays put on a machine shared with other work).
//   print-log-bench [N [RUNS]]   (default 10000 pages, 5 runs each; RUNS 0:
//                                 the log's own work alone, no PDF)
#include "store/database_file.h"
#include "store/query_sets.h"
#include "store/schema.h"
#include "store/statements.h"
#include "store/store_session.h"
#include "waybill/font_substitutions.h"
#include "waybill/pdf_export.h"
#include "waybill/print_log.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <ctime>

namespace {

void fill(const QString& path, int rows)
{
    Connection c;
    c.openFile(path);
    c.execute(Statements::insertRow(c.dialect(), Schema::senderTable,
                                    {u"单位名称"_qs, u"寄件人姓名"_qs, u"寄件地址"_qs,
                                     u"手机号码"_qs, u"签名"_qs, u"月"_qs, u"日"_qs},
                                    {u"深圳市顺达电子科技有限公司"_qs, u"张三"_qs,
                                     u"广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼"_qs,
                                     "13800138000", u"张三"_qs, "12", "8"}));
    c.beginTransaction();
    {
        Connection::Prepared insert =
            c.prepare(Statements::insertRow(c.dialect(), Schema::recipientTable,
                                            Schema::recipientColumns(), {})
                          .text);
        for (int k = 1; k <= rows; ++k) {
            const QString n = QString::number(k);
            insert.execute({u"北京某某贸易有限公司第%1分部"_qs.arg(n), u"收件人"_qs + n, u"北京"_qs,
                            u"北京市朝阳区建国路八十八号现代城写字楼%1号楼十二层"_qs.arg(n),
                            "100022", QStringLiteral("010-%1").arg(87650000 + k),
                            QStringLiteral("139%1").arg(10000000 + k), u"文件"_qs, "1",
                            u"易碎物品小心轻放"_qs});
        }
    }
    c.commit();
}

double processorSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// Wall and processor seconds since it was made.
struct Stopwatch {
    QElapsedTimer wall;
    double processor = processorSeconds();
    Stopwatch() { wall.start(); }
    double wallSeconds() const { return wall.nsecsElapsed() / 1e9; }
    double processorSecondsSince() const { return processorSeconds() - processor; }
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int pages = args.size() > 1 ? args.at(1).toInt() : 10000;
    const int runs = args.size() > 2 ? args.at(2).toInt() : 5;
    if (pages < 1 || runs < 0) {
        QTextStream(stderr) << "usage: print-log-bench [PAGES [RUNS]]\n";
        return 2;
    }
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    DatabaseFile::createEmpty(dir.filePath(QStringLiteral("data.mdb")));
    fill(dir.filePath(QStringLiteral("data.mdb")), pages);
    const StoreSession store(dir.path());
    installFontSubstitutions();

    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    PrintingQueries queries(store, Statements::selectRecipients());
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QList<double> without, with, withoutCpu, withCpu, logOnly, logOnlyCpu;
    const auto withoutLog = [&] {
        WaybillPages source(layout, &queries.sender, &queries.recipients, RecordMode::EveryRow);
        const Stopwatch watch;
        exportPdf(source, pdf, store);
        without << watch.wallSeconds();
        withoutCpu << watch.processorSecondsSince();
    };
    const auto withLog = [&] {
        WaybillPages source(layout, &queries.sender, &queries.recipients, RecordMode::EveryRow);
        const Stopwatch watch;
        RecordedPages recorded(source);
        exportPdf(recorded, pdf, store);
        const Stopwatch logWatch;
        PrintLog::write(store, recorded, pdf);
        logOnly << logWatch.wallSeconds();
        logOnlyCpu << logWatch.processorSecondsSince();
        with << watch.wallSeconds();
        withCpu << watch.processorSecondsSince();
    };
    // Each goes first in every other pair, so that neither gains by its place.
    for (int run = 0; run < runs; ++run) {
        if (run % 2 == 0) {
            withoutLog();
            withLog();
        } else {
            withLog();
            withoutLog();
        }
    }
    // The log's own work apart from the PDF: noting every page, writing them.
    WaybillPages source(layout, &queries.sender, &queries.recipients, RecordMode::EveryRow);
    QList<LoggedPage> noted;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < source.pageCount(); ++i) {
        LoggedPage page;
        source.describePage(i, page);
        noted << std::move(page);
    }
    const double noting = clock.nsecsElapsed() / 1e9;
    clock.restart();
    {
        Connection connection(store);
        connection.open();
        PrintLog::write(connection, noted, pdf, QDateTime::currentDateTime());
    }
    const double writing = clock.nsecsElapsed() / 1e9;
    QTextStream out(stdout);
    if (runs == 0) { // the log alone, e.g. under a profiler
        out << "noting the pages " << noting << " s, writing them " << writing << " s\n";
        return 0;
    }

    const double a = median(without), b = median(with);
    const double ac = median(withoutCpu), bc = median(withCpu);
    out << "pages " << pages << ", " << runs << " runs each, medians\n"
        << "without log  wall " << a << " s, processor " << ac << " s\n"
        << "with log     wall " << b << " s, processor " << bc << " s\n"
        << "  of which the log after the pages: wall " << median(logOnly) << " s, processor "
        << median(logOnlyCpu) << " s (" << median(logOnlyCpu) / ac * 100
        << " % of the processor time without log)\n"
        << "alone        noting the pages " << noting << " s, writing them " << writing << " s\n"
        << "ratio        wall " << b / a << ", processor " << bc / ac << "  (+"
        << (bc / ac - 1) * 100 << " % processor time)\n";
    return 0;
}
