#pragma once

#include "store/command_error.h"
#include "waybill/page_source.h"
#include "waybill/waybill_pages.h"

#include <QString>
#include <QStringList>
#include <optional>

class StoreSession;

// What `sfwaybill-cli print` is asked for: the pages the print window
// `window` (its class name or plain name) would print, read from the store the way the window reads
// it. A single window prints row `row` (from 1, default the first) of its
// recipient query, a batch window every row through its own queries. `dx` and `dy` take what the
// shift boxes take, `font` is "FAMILY,POINTS". The pages go to the PDF `pdf` with the exact paper
// size, or to the printer `printer` by the job of the preview's "打 印", from where that printer's
// stored calibration puts the texts. With `calibration` the
// page is the window's calibration page (rulers and a cross at each placement) instead, and no rows
// are read. With `fit` each text that would not print whole is shrunk as "缩小字号打印" shrinks it.
// `layoutTemplate`, a built-in template's name or a template file, prints that page instead of the
// window's own, with the window's rows (`single` when no window is named).
struct PrintRequest {
    QString window;
    QString pdf;
    QString printer;
    QString row;
    QString dx;
    QString dy;
    QString font;
    bool calibration = false;
    bool fit = false;
    QString layoutTemplate;
    // The number of the form the first page goes on, and how the next
    // pages' numbers follow ("plus-one", "s10", "none"; plus-one when only
    // the first is given).
    QString firstNumber;
    QString numberRule;
    // Single windows: the order the page is for.
    QString orderNumber;
};

// Puts pages on the named printer under a job title, telling `progress` of
// each page; gives the pages sent, nothing when the job was cancelled. The
// printing library provides it; the core knows no printers.
using PrinterOutput = std::function<std::optional<int>(const StoreSession& store, PageSource& pages,
                                                       const QString& printer, const QString& title,
                                                       const PageProgress& progress)>;

namespace PrintCommand {

// Why the request is wrong whatever the data (a window that does not exist,
// a row for a batch window, a shift or font that does not read); empty
// when it is not.
QString argumentError(const PrintRequest& request);

// What a run did: the pages written, or that the printer job was
// cancelled (nothing is logged then); the print log's run the waybill
// pages went into, or why the log could not be written (the pages still
// count as printed); what may not print as the template meant.
struct Printed {
    int pages = 0;
    bool cancelled = false;
    QString run;
    std::optional<CommandError> logFailure;
    QStringList notices;
};

// Prints the rows of `store`, telling `progress` of each page and
// `warnings` of what on a page does not reach paper whole. Throws
// PrintError (argumentError() included) or StoreError. Numbers the log
// holds already print nothing.
Printed run(const StoreSession& store, const PrintRequest& request, const PrinterOutput& printer,
            const PageProgress& progress = {}, const WaybillPages::WarningSink& warnings = {});

} // namespace PrintCommand
