#pragma once

#include "waybill/page_warnings.h"
#include "waybill/waybill_layout.h"

#include <QList>
#include <QSet>
#include <functional>
#include <optional>

class QPainter;
struct LoggedPage;

// Told after each page of a run with pages done and pages in all; false
// cancels the run.
using PageProgress = std::function<bool(int done, int total)>;

// The pages of one print run, drawn one at a time on demand so that a batch
// of any size never sits in memory. Preview, printer and PDF all draw
// through this.
class PageSource {
public:
    virtual ~PageSource() = default;

    virtual int pageCount() = 0;
    // The paper every page is printed on.
    virtual QSizeF paperMm() { return WaybillLayout::paperSizeMm(); }
    // Draws page `index` (from 0). The caller has scaled `painter` so that one
    // unit is one layout pixel (1/96 inch) from the paper's top-left corner.
    virtual void drawPage(QPainter& painter, int index) = 0;
    // What of page `index` would not reach paper whole; measures, draws
    // nothing. Pages without data to lose have none.
    virtual QList<FieldWarning> warnings(int index)
    {
        Q_UNUSED(index);
        return {};
    }

    // From now on each text that would not print whole is drawn smaller,
    // page by page, down to `minimumPoints` (PageWarnings::shrinkToFit);
    // warnings() then tells what still does not fit. 0 draws as laid out.
    virtual void setShrinkToFit(double minimumPoints) { (void)minimumPoints; }

    // The pages, in order, whose recipient's RecipientKey::hash is one
    // of `keys` (and maybe a few others); nothing when the pages cannot
    // tell without being described one by one.
    virtual std::optional<QList<int>> pagesKeyedAs(const QSet<quint32>& keys)
    {
        (void)keys;
        return std::nullopt;
    }

    // What page `index` prints, for the print log; false for pages that
    // are no waybill (the calibration page, tests' made-up pages).
    virtual bool describePage(int index, LoggedPage& page)
    {
        (void)index;
        (void)page;
        return false;
    }
};
