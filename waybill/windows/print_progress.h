#pragma once

#include <QList>
#include <functional>

class PageSource;
class PrintJob;
class QWidget;
class WarnedPages;

// A print job with the "Printing progress" window in front; its "Cancel"
// aborts the job and gives false. `percent` hears the share of pages
// built, in steps of at least 5, then -1. Throws PrintError when the
// printer cannot start.
namespace PrintProgress {

bool run(QWidget* parent, PrintJob& job, PageSource& pages,
         const std::function<void(int percent)>& percent = {});

// Before paper: checks those of `pages` not checked yet; when many are,
// with a window showing how far it is, whose "取消" stops it and gives
// false.
bool check(QWidget* parent, WarnedPages& warned, const QList<int>& pages);

} // namespace PrintProgress
