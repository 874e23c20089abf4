#include "waybill/windows/print_progress.h"

#include "waybill/printing/printing_job.h"
#include "waybill/warned_pages.h"

#include <QElapsedTimer>
#include <QProgressDialog>
#include <QScopeGuard>

namespace PrintProgress {

namespace {

// Fewer are checked at once: a window for the blink they take would only
// flicker.
const int manyPages = 1000;

// Modal, so that each step lets the windows behind it paint.
void setUp(QProgressDialog& window, const QString& title, const QString& cancel)
{
    window.setWindowTitle(title);
    window.setCancelButtonText(cancel);
    window.setWindowModality(Qt::ApplicationModal);
    window.setMinimumDuration(0);
    window.setAutoClose(false);
    window.setAutoReset(false);
    window.setValue(0);
}

} // namespace

bool run(QWidget* parent, PrintJob& job, PageSource& pages,
         const std::function<void(int percent)>& percent)
{
    QProgressDialog window(parent);
    setUp(window, QStringLiteral("Printing progress"), QStringLiteral("Cancel"));
    int shown = 0;
    const auto progress = [&](int done, int total) {
        window.setMaximum(total);
        window.setValue(done);
        const int p = int(qint64(done) * 100 / total);
        if (percent && p >= shown + 5) {
            shown = p;
            percent(p);
        }
        return !window.wasCanceled();
    };
    const auto cleared = qScopeGuard([&] {
        if (percent)
            percent(-1);
    });
    return job.run(pages, progress);
}

bool check(QWidget* parent, WarnedPages& warned, const QList<int>& pages)
{
    const int unchecked = warned.uncheckedAmong(pages);
    if (unchecked < manyPages)
        return warned.checkAll(pages);
    QProgressDialog window(parent);
    setUp(window, QStringLiteral(u"打印前检查"), QStringLiteral(u"取消"));
    window.setMaximum(unchecked);
    const auto label = [](int done, int total) {
        return QStringLiteral(u"检查中 %1/%2 页").arg(done).arg(total);
    };
    window.setLabelText(label(0, unchecked));
    // Each step shown paints and lets the program idle: as often as every
    // hundred pages, that cost a fifth again of the check.
    QElapsedTimer sinceShown;
    return warned.checkAll(pages, [&](int done, int total) {
        if (sinceShown.isValid() && sinceShown.elapsed() < 50 && done < total)
            return true;
        sinceShown.start();
        window.setLabelText(label(done, total));
        window.setValue(done);
        return !window.wasCanceled();
    });
}

} // namespace PrintProgress
