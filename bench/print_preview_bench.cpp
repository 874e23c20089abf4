// The batch window's preview and print on N rows of inrxx, in data.mdb or
// on an empty PostgreSQL database (--database URL):
//   print-preview-bench preview N   ms from opening the window to the first
//                                   page drawn, and peak memory with the
//                                   preview open
//   print-preview-bench pdf N       ms and peak memory to print every page
//                                   to a PDF through the preview's "打 印"
//   print-preview-bench today N     ms the preview's "其中 N 页今天已打印过"
//                                   takes when 100 of the rows were printed
//                                   today
//   print-preview-bench ask N       ms from "打 印" to the box about texts
//                                   that do not print whole, with pages 1-5
//                                   chosen in the print settings
//   print-preview-bench ask-all N   the same with no pages chosen
#include "app/qt_dialogs.h"
#include "bench/bench_measures.h"
#include "store/connection.h"
#include "store/database_file.h"
#include "store/store_choice.h"
#include "store/store_session.h"
#include "store/store_tables.h"
#include "waybill/font_substitutions.h"
#include "waybill/page_source.h"
#include "waybill/print_log.h"
#include "waybill/printing/printing_job.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/print_preview.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPageRanges>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextStream>
#include <ctime>

namespace {

// CPU time of the process: the other figure beside wall-clock time on a
// machine that is busy with other work.
qint64 cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

using BenchMeasures::peakMiB;

void fill(const StoreSession& store, int rows)
{
    Connection c(store);
    c.open();
    c.beginTransaction();
    c.execute({QStringLiteral("insert into outrxx values (?,?,?,?,?,?,?,?,?,?,?)"),
               {QStringLiteral(u"深圳市顺达电子科技有限公司"), QStringLiteral(u"张三"),
                QStringLiteral(u"深圳"),
                QStringLiteral(u"广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼"),
                QStringLiteral("518000"), QStringLiteral("0755-12345678"),
                QStringLiteral("13800138000"), QStringLiteral(u"张三"), QStringLiteral("2026"),
                QStringLiteral("12"), QStringLiteral("8")}});
    // One statement for every row: a million rows one by one took most of
    // a minute before anything was measured.
    c.execute({QStringLiteral(
                   u"with recursive i(k) as (select 1 union all select k + 1 from i where k < ?) "
                   u"insert into inrxx select '北京某某贸易有限公司第' || k || '分部', "
                   u"'收件人' || k, '北京', '北京市朝阳区建国路八十八号现代城写字楼' || k || "
                   u"'号楼十二层', '100022', '010-' || (87650000 + k), '139' || (10000000 + k), "
                   u"'文件', '1', '易碎物品小心轻放' from i where k <= ?"),
               {rows, rows}});
    c.commit();
    // As a shop's table stands after the server's own vacuum: the first
    // reading after a bulk insert would set every row's hint bits.
    if (c.dialect().isServer())
        c.execute({QStringLiteral("vacuum analyze inrxx"), {}});
}

// 100 of the `rows` rows as printed today, spread over the table, one in
// another spelling of its mobile.
void logToday(const StoreSession& store, int rows)
{
    QList<LoggedPage> pages;
    for (int i = 0; i < 100; ++i) {
        const int k = 1 + int(qint64(i) * rows / 100);
        LoggedPage page;
        page.window = WaybillVariant::AddressBookBatch;
        page.recipient = QStringList(10);
        page.recipient[1] = QStringLiteral(u"收件人%1").arg(k);
        page.recipient[6] = QString::number(13910000000LL + k);
        if (i == 0)
            page.recipient[6] = QStringLiteral("+86 ") + page.recipient[6];
        pages << page;
    }
    Connection c(store);
    c.open();
    PrintLog::write(c, pages, QStringLiteral("bench"), PrintLog::now());
}

// Notes when the first page has been drawn.
class FirstDraw : public PageSource {
public:
    explicit FirstDraw(PageSource& pages) : m_pages(pages) {}
    int pageCount() override { return m_pages.pageCount(); }
    void drawPage(QPainter& painter, int index) override
    {
        m_pages.drawPage(painter, index);
        drawn = true;
    }
    bool drawn = false;

private:
    PageSource& m_pages;
};

class BenchDialogs : public QtDialogs {
public:
    QString mode;
    QString pdf;
    QElapsedTimer* clock = nullptr;
    qint64 cpuAtStart = 0;

    // "仍然打印" for pages whose texts do not print whole: no one is there
    // to answer the box, and the pages print as laid out. In "ask" the box
    // is what is timed; its "取消" prints nothing.
    int choose(QWidget*, const QString&, const QString& text, const QStringList& buttons,
               int) override
    {
        if (!mode.startsWith(QLatin1String("ask")))
            return int(buttons.indexOf(QStringLiteral(u"仍然打印")));
        QTextStream(stdout) << "box after ms " << clock->elapsed() << " cpu "
                            << cpuMs() - cpuAtStart << " listing "
                            << text.section(QLatin1Char(' '), 0, 0) << " pages\n";
        return int(buttons.indexOf(QStringLiteral(u"取消")));
    }

    void preview(QWidget* parent, PageSource& pages, PrintJob& job) override
    {
        QTextStream out(stdout);
        if (mode == QLatin1String("today")) {
            // Every row read first: the check's own cost, not the reading's.
            LoggedPage last;
            pages.describePage(pages.pageCount() - 1, last);
            QElapsedTimer counting;
            counting.start();
            const qint64 cpu = cpuMs();
            const std::optional<int> already = PrintLog::countPrintedToday(job.store(), pages);
            out << "printed today " << already.value_or(-1) << " pages ms " << counting.elapsed()
                << " cpu " << cpuMs() - cpu << '\n';
            return;
        }
        if (mode == QLatin1String("preview")) {
            FirstDraw watched(pages);
            PrintPreview window(watched, job, parent);
            window.show();
            while (!watched.drawn)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            out << "first page shown ms " << clock->elapsed() << " cpu " << cpuMs() - cpuAtStart
                << '\n';
            for (int i = 0; i < 20; ++i) // let the thumbnails in view draw
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            out << "peak MiB with the preview open " << peakMiB() << '\n';
            return;
        }
        if (mode.startsWith(QLatin1String("ask"))) {
            // As a user would: the window up, then the range, then "打 印".
            PrintPreview window(pages, job, parent);
            window.show();
            for (int i = 0; i < 20; ++i)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            job.setOutputFile(pdf);
            if (mode == QLatin1String("ask"))
                job.printer().setPageRanges(QPageRanges::fromString(QStringLiteral("1-5")));
            clock->start();
            cpuAtStart = cpuMs();
            window.findChild<QAction*>(QStringLiteral("print"))->trigger();
            return;
        }
        PrintPreview window(pages, job, parent);
        job.setOutputFile(pdf);
        window.show();
        QElapsedTimer printing;
        printing.start();
        window.findChild<QAction*>(QStringLiteral("print"))->trigger();
        out << "printed pages " << pages.pageCount() << " ms " << printing.elapsed()
            << " PDF bytes " << QFileInfo(pdf).size() << '\n';
        out << "peak MiB " << peakMiB() << '\n';
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool onServer = args.size() == 5 && args.at(3) == QLatin1String("--database");
    if ((args.size() != 3 && !onServer) ||
        !QStringList{"preview", "pdf", "today", "ask", "ask-all"}.contains(args.at(1))) {
        QTextStream(stderr) << "usage: print-preview-bench preview|pdf|today|ask|ask-all ROWS "
                               "[--database EMPTY_SERVER_URL]\n";
        return 2;
    }
    installFontSubstitutions();
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    StoreSession store(dir.path());
    if (onServer) {
        try {
            store = StoreChoice::choose(dir.path(), args.at(4));
        } catch (const CommandError& e) {
            QTextStream(stderr) << e.text() << '\n';
            return 2;
        }
        Connection c(store);
        c.open();
        StoreTables::create(c);
    } else {
        DatabaseFile::createEmpty(dir.filePath(QStringLiteral("data.mdb")));
    }
    fill(store, args.at(2).toInt());
    if (args.at(1) == QLatin1String("today"))
        logToday(store, args.at(2).toInt());
    QTextStream(stdout) << "peak MiB before " << peakMiB() << '\n';

    BenchDialogs dialogs;
    dialogs.mode = args.at(1);
    dialogs.pdf = dir.filePath(QStringLiteral("out.pdf"));
    Dialogs::install(&dialogs);
    BatchPrintWindow window(store); // created at start-up
    QElapsedTimer clock;
    dialogs.clock = &clock;
    // From "批量打印": the window opens and activates, re-reading the
    // tables, and its N1 opens the preview.
    clock.start();
    dialogs.cpuAtStart = cpuMs();
    window.show();
    window.activateWindow();
    while (!window.isActiveWindow())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    window.previewAndPrint();
    Dialogs::install(nullptr);
    return 0;
}
