// The print log window on a long log (bench/print_log_cli.sh makes one):
// its opening, which lists the log with empty boxes, and a search by a
// waybill number; wall time, pages listed and the peak memory so far.
// usage: print-log-window-bench STORE(DIR|URL) [NUMBER]
#include "bench/bench_measures.h"
#include "store/store_session.h"
#include "waybill/windows/print_log_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTextStream>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        QTextStream(stderr) << "usage: print-log-window-bench STORE(DIR|URL) [NUMBER]\n";
        return 2;
    }
    const StoreSession store = BenchMeasures::storeNamed(args.at(1));
    QTextStream out(stdout);
    const double before = BenchMeasures::peakMiB();
    PrintLogWindow window(store);
    QElapsedTimer t;
    t.start();
    window.show();
    out << "opening " << t.nsecsElapsed() / 1e9 << " s, " << window.listedNumbers().size()
        << " pages listed, peak " << BenchMeasures::peakMiB() << " MiB (" << before
        << " MiB before)\n";
    if (args.size() == 3) {
        window.findChild<QLineEdit*>(QStringLiteral("Edit4"))->setText(args.at(2));
        t.restart();
        window.search();
        out << "number " << args.at(2) << ' ' << t.nsecsElapsed() / 1e9 << " s, "
            << window.listedNumbers().size() << " pages listed, peak " << BenchMeasures::peakMiB()
            << " MiB\n";
    }
    return 0;
}
