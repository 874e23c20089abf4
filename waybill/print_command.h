#pragma once

#include <QString>
#include <functional>

class PageSource;

// What `sfwaybill-cli print` is asked for: the pages the print window
// `window` would print, read from data.mdb in the current directory the way
// the window reads it. A single window prints row `row` (from 1, default
// the first) of its recipient query, a batch window every row through its
// own queries. `dx` and `dy` take what the shift boxes take, `font` is
// "FAMILY,POINTS". The pages go to the PDF `pdf` with the exact paper size,
// or to the printer `printer` by the job of the preview's "打 印". With
// `calibration` the page is the window's calibration page (rulers and a
// cross at each placement) instead, and no rows are read.
struct PrintRequest {
    QString window;
    QString pdf;
    QString printer;
    QString row;
    QString dx;
    QString dy;
    QString font;
    bool calibration = false;
};

// Puts pages on the named printer under a job title; false when the job was
// cancelled. The printing library provides it; the core knows no printers.
using PrinterOutput =
    std::function<bool(PageSource& pages, const QString& printer, const QString& title)>;

namespace PrintCommand {

// Throws PrintError or StoreError; false when the printer job was cancelled.
bool run(const PrintRequest& request, const PrinterOutput& printer);

} // namespace PrintCommand
