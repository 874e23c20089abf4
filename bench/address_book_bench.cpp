// The main window on a large data.mdb in the current directory (filled by
// bench/address_book.sh):
//   address-book-bench startup          ms from process start to the main
//                                       window shown with every window made,
//                                       then to every row read, then for the
//                                       grid scrolled to its last row
//   address-book-bench search TEXT ...  ms per "查 询" on the name box to the
//                                       grid repainted, and to every match
//                                       read, "刷 新" between them; each once
//                                       every row of the book is read
//   address-book-bench search-printed TEXT ...
//                                       the same, each after a page printed
//                                       is logged, as a print job logs it
//   address-book-bench delete-all       ms for "全部删除" of the listed rows
//   address-book-bench delete-each N    ms for N rows deleted one at a time,
//                                       as "全部删除" used to
// Peak memory is measured outside, by /usr/bin/time.
#include "app/program_start.h"
#include "app/program_windows.h"
#include "app/qt_dialogs.h"
#include "records/windows/main_window.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/query_sets.h"
#include "store/store_session.h"
#include "waybill/print_log.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTableView>
#include <QTextStream>
#include <QWindow>
#include <ctime>

namespace {

class YesDialogs : public QtDialogs {
public:
    bool ask(QWidget*, const QString&, const QString&, Default) override { return true; }
    void message(QWidget*, const QString&, const QString&, Icon, const QString&) override {}
};

// CPU time of the process: the other figure beside wall-clock time on a
// machine that is busy with other work.
qint64 cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void settle(QWidget& window)
{
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    window.repaint();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Fonts as the program has them: the grid's 宋体 is another face without.
    ProgramStart::prepare(app);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    QTextStream out(stdout);
    YesDialogs dialogs;
    Dialogs::install(&dialogs);
    const StoreSession store; // data.mdb of the current directory

    if (mode == QLatin1String("startup")) {
        QTextStream err(stderr);
        const std::unique_ptr<ProgramWindows> windows = ProgramStart::windows(store, err);
        if (!windows)
            return 1;
        windows->mainWindow().show();
        settle(windows->mainWindow());
        // The window's own thread apart: the rows are read beside it.
        timespec ui{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ui);
        out << "startup ms " << sinceStart.elapsed() << " cpu " << cpuMs() << " ui_cpu "
            << qint64(ui.tv_sec) * 1000 + ui.tv_nsec / 1000000 << '\n';
        const int rows = windows->mainWindow().queries().recipients.recordCount();
        out << "loaded ms " << sinceStart.elapsed() << " cpu " << cpuMs() << " rows " << rows
            << '\n';
        auto* grid = windows->mainWindow().findChild<QTableView*>(QStringLiteral("DBGridEh1"));
        QCoreApplication::processEvents();
        QElapsedTimer scroll;
        scroll.start();
        const qint64 cpu = cpuMs();
        grid->scrollToBottom();
        grid->repaint();
        QCoreApplication::processEvents();
        out << "scroll-last ms " << scroll.elapsed() << " cpu " << cpuMs() - cpu << '\n';
        return 0;
    }

    MainWindow window(store);
    window.open();
    window.show();
    settle(window);
    Dataset& listed = window.queries().recipients;
    // A search typed while the book is still being read goes to the store.
    const auto readWhole = [&] {
        listed.recordCount();
        QCoreApplication::processEvents();
    };
    QElapsedTimer clock;
    qint64 cpu = 0;
    const bool printed = mode == QLatin1String("search-printed");
    if (mode == QLatin1String("search") || printed) {
        auto* name = window.findChild<QLineEdit*>(QStringLiteral("Edit15"));
        auto* grid = window.findChild<QTableView*>(QStringLiteral("DBGridEh1"));
        for (const QString& text : args.mid(2)) {
            readWhole();
            if (printed) {
                Connection log(store);
                log.open();
                LoggedPage page;
                page.recipient = QStringList{QString(), QStringLiteral("bench")};
                PrintLog::write(log, {page}, QStringLiteral("bench"), PrintLog::now());
            }
            name->setText(text);
            clock.start();
            cpu = cpuMs();
            window.search();
            grid->repaint();
            QCoreApplication::processEvents();
            const qint64 shown = clock.elapsed(), shownCpu = cpuMs() - cpu;
            const int rows = listed.recordCount();
            const QString label =
                printed ? QStringLiteral("search-printed") : QStringLiteral("search");
            out << label << ' ' << text << " ms " << shown << " cpu " << shownCpu << " rows "
                << rows << '\n';
            out << label << "-all " << text << " ms " << clock.elapsed() << " cpu " << cpuMs() - cpu
                << '\n';
            window.refresh();
            settle(window);
        }
    } else if (mode == QLatin1String("delete-all")) {
        const int rows = listed.recordCount();
        clock.start();
        cpu = cpuMs();
        window.deleteAllRecipients();
        window.repaint();
        QCoreApplication::processEvents();
        out << "delete-all rows " << rows << " ms " << clock.elapsed() << " cpu " << cpuMs() - cpu
            << " left " << listed.recordCount() << '\n';
    } else if (mode == QLatin1String("delete-each")) {
        const int rows = std::min(args.value(2).toInt(), listed.recordCount());
        clock.start();
        cpu = cpuMs();
        for (int i = 0; i < rows; ++i)
            listed.deleteCurrent();
        window.repaint();
        QCoreApplication::processEvents();
        out << "delete-each rows " << rows << " ms " << clock.elapsed() << " cpu " << cpuMs() - cpu
            << '\n';
    } else {
        QTextStream(stderr) << "usage: address-book-bench startup | search TEXT... | "
                               "search-printed TEXT... | delete-all | delete-each N\n";
        return 2;
    }
    return 0;
}
