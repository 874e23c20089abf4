#pragma once

#include "store/command_error.h"
#include "waybill/printing/printing.h"

#include <QString>
#include <memory>
#include <optional>

class PageSource;
class QPrinter;
class StoreSession;

// One printer and its settings for a print run: the printer chosen for the
// run (else the system's default) on the waybill's paper, until the user or
// the caller picks another printer, copies or a page range. What the
// preview's "打 印" runs; its pages are logged in `store`.
class PrintJob {
public:
    explicit PrintJob(const StoreSession& store);
    ~PrintJob();
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    QPrinter& printer() { return *m_printer; }

    // Throws PrintError when there is no such printer.
    void setPrinterName(const QString& name);
    // Prints into a PDF file instead of a printer.
    void setOutputFile(const QString& path);

    // Streams the pages to the printer, telling `progress` after each page;
    // its false aborts the job and gives false. Throws PrintError when the
    // printer cannot start, or when pages on numbered forms would bear
    // numbers the log holds (the pad goes on after each run). A finished
    // run writes its waybill pages to the print log.
    bool run(PageSource& pages, const Printing::Progress& progress = {});
    // Pages the last run put out, copies made by the page loop included.
    int pagesSent() const { return m_pagesSent; }
    // Why the last run's pages are not in the print log although they were
    // printed; none when they are. Not thrown: the print itself succeeded.
    const std::optional<CommandError>& logFailure() const { return m_logFailure; }
    // For a caller that logs the pages itself.
    void setLogging(bool on) { m_logging = on; }

    // The printer's name, or the file it writes.
    QString destination() const;
    const StoreSession& store() const { return m_store; }

private:
    const StoreSession& m_store;
    std::unique_ptr<QPrinter> m_printer;
    int m_pagesSent = 0;
    bool m_logging = true;
    std::optional<CommandError> m_logFailure;
};

// A job on `printer` titled `title`, as the preview's "打 印" sends it: what
// the command line's --printer runs. Gives the pages sent, nothing when the
// job was cancelled.
std::optional<int> printOnPrinter(const StoreSession& store, PageSource& pages,
                                  const QString& printer, const QString& title,
                                  const Printing::Progress& progress);
