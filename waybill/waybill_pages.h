#pragma once

#include "waybill/page_source.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"

class Dataset;

// Which recipient rows a run prints.
enum class RecordMode {
    CurrentRow, // one page, the recipient's current row (none prints empty)
    EveryRow,   // one page per row; one page with the sender only if none
};

// The pages of a print run. Reads the layout and the datasets each time a
// page is drawn, so shifts, fonts and cursors in force at that moment count.
// The sender is the dataset's current row. Either dataset may be null or
// closed: its placements print empty.
class WaybillPages : public PageSource {
public:
    WaybillPages(const WaybillLayout& layout, const Dataset* sender, const Dataset* recipients,
                 RecordMode mode);
    // The pages read the layout while they are drawn; it must outlive them.
    WaybillPages(WaybillLayout&&, const Dataset*, const Dataset*, RecordMode) = delete;

    int pageCount() override;
    void drawPage(QPainter& painter, int index) override;
    // The rows' texts as drawPage() reads them now, and the layout's
    // shifts and font.
    bool describePage(int index, LoggedPage& page) override;

private:
    QString read(int index, RecordRole role, const QString& column) const;

    const WaybillLayout& m_layout;
    const WaybillLayout m_catalogue;
    const Dataset* m_sender;
    const Dataset* m_recipients;
    RecordMode m_mode;
    ShapedFonts m_fonts;
};
