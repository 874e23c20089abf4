#include "waybill/windows/print_progress.h"

#include "waybill/printing/printing_job.h"

#include <QProgressDialog>
#include <QScopeGuard>

namespace PrintProgress {

bool run(QWidget* parent, PrintJob& job, PageSource& pages,
         const std::function<void(int percent)>& percent)
{
    QProgressDialog window(parent);
    window.setWindowTitle(QStringLiteral("Printing progress"));
    window.setCancelButtonText(QStringLiteral("Cancel"));
    window.setWindowModality(Qt::ApplicationModal);
    window.setMinimumDuration(0);
    window.setAutoClose(false);
    window.setAutoReset(false);
    window.setValue(0);
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

} // namespace PrintProgress
