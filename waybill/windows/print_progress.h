#pragma once

#include <functional>

class PageSource;
class PrintJob;
class QWidget;

// A print job with the "Printing progress" window in front; its "Cancel"
// aborts the job and gives false. `percent` hears the share of pages
// built, in steps of at least 5, then -1. Throws PrintError when the
// printer cannot start.
namespace PrintProgress {

bool run(QWidget* parent, PrintJob& job, PageSource& pages,
         const std::function<void(int percent)>& percent = {});

} // namespace PrintProgress
