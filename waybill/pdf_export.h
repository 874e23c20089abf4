#pragma once

#include "waybill/page_source.h"

#include <QString>
#include <memory>

class StagedFile;
class StoreSession;

// Writes every page of `pages` to a PDF on the waybill paper (216.0 x 140.0
// mm, no margins), one page drawn at a time; `progress` hears of each page
// (a PDF is always written whole). Throws PrintError when the file cannot
// be written, or is the database of `store`. More pages than `pagesPerPart`
// are written a part at a time and joined (PdfJoin), so that the memory a
// batch takes stays the same whatever its length.
constexpr int pdfPagesPerPart = 50000;
void exportPdf(PageSource& pages, const QString& path, const StoreSession& store,
               const PageProgress& progress = {}, int pagesPerPart = pdfPagesPerPart);

// Qt writes the page box in whole points (612 x 397 for 216 x 140 mm); this
// makes every page box of a PDF Qt wrote on the waybill paper exact.
// A PDF about to be written over `path`: checked first (never the database
// of `store`, a file being staged, a device or anything else that is no
// regular file: PrintError), written aside and renamed over the file a link
// leads to only once whole, so a failed or killed print leaves the previous
// file as it was. Created 0600 like every file with customers' data.
class PdfTarget {
public:
    PdfTarget(const QString& path, const StoreSession& store);
    ~PdfTarget();
    // Where the PDF is written meanwhile.
    QString writePath() const;
    // Makes the page boxes exact for `paperMm` and puts the file in place.
    void commit(QSizeF paperMm);

private:
    QString m_target;
    std::unique_ptr<StagedFile> m_staged;
};

void makeWaybillPageBoxesExact(const QString& path);
