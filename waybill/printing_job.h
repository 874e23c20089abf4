#pragma once

#include <QString>
#include <functional>
#include <memory>

class PageSource;
class QPrinter;
class QWidget;

// One printer and its settings for a print run: the printer chosen for the
// run (else the system's default) on the waybill's paper, until the user or
// the caller picks another printer, copies or a page range. What the
// preview's "打 印" runs.
class PrintJob {
public:
    PrintJob();
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    QPrinter& printer() { return *m_printer; }

    // Throws CommandError when there is no such printer.
    void setPrinterName(const QString& name);
    // Prints into a PDF file instead of a printer.
    void setOutputFile(const QString& path);

    // Streams the pages to the printer with the "Printing progress" window
    // in front; its "Cancel" aborts the job and gives false. `percent`
    // hears the share of pages built, in steps of at least 5, then -1.
    // Throws CommandError when the printer cannot start.
    bool run(QWidget* parent, PageSource& pages,
             const std::function<void(int percent)>& percent = {});
    // Pages the last run put out, copies made by the page loop included.
    int pagesSent() const { return m_pagesSent; }

private:
    std::unique_ptr<QPrinter> m_printer;
    int m_pagesSent = 0;
};
