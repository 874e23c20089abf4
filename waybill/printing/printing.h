#pragma once

#include "waybill/page_source.h"

class QPrinter;

// Putting pages on paper: the waybill's page format and the page loop that
// the preview's "打 印", the command line and the benchmarks share.
namespace Printing {

// Custom paper, the waybill's 216.0 x 140.0 mm unless a template has
// another, portrait, no margins, full page.
void setUpPaper(QPrinter& printer, QSizeF paperMm = WaybillLayout::paperSizeMm());

// On a CUPS printer, also asks for the custom size by the PPD's PageSize
// option: Qt sends only "media=Custom.216x140mm", which CUPS snaps to the
// nearest named size (Statement, 139.7 mm long), so a continuous feed of
// forms would drift 0.3 mm per page. Other printers are left alone.
void requestExactCupsPageSize(QPrinter& printer, QSizeF paperMm = WaybillLayout::paperSizeMm());

using Progress = PageProgress;

// The indices of the pages `printer` prints of `count`, in order, each
// once (its page range; copies aside).
QList<int> pagesToPrint(const QPrinter& printer, int count);

// Draws the pages one at a time onto the printer, honouring its page
// range and, where the printer cannot make copies itself, its copy count.
// Returns false when cancelled (the job is aborted); throws PrintError
// when the printer cannot start.
bool printPages(PageSource& pages, QPrinter& printer, const Progress& progress = {});

} // namespace Printing
