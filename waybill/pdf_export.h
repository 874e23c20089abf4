#pragma once

#include "waybill/page_source.h"

#include <QString>

// Writes every page of `pages` to a PDF on the waybill paper (216.0 x 140.0
// mm, no margins), one page drawn at a time; `progress` hears of each page
// (a PDF is always written whole). Throws PrintError when the file cannot
// be written.
void exportPdf(PageSource& pages, const QString& path, const PageProgress& progress = {});

// Qt writes the page box in whole points (612 x 397 for 216 x 140 mm); this
// makes every page box of a PDF Qt wrote on the waybill paper exact.
// Throws PrintError when no PDF may be written to `path`: the database in
// use, a file being staged, a device or anything else that is no regular file.
void requirePdfTarget(const QString& path);

void makeWaybillPageBoxesExact(const QString& path);
