#pragma once

#include "waybill/calibration_store.h"
#include "waybill/page_renderer.h"
#include "waybill/page_source.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"

#include <QList>
#include <QPoint>
#include <optional>

class Dataset;
class RowSource;

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
    // One page per row of `rows` (RecordMode::EveryRow), however they are
    // held.
    WaybillPages(const WaybillLayout& layout, const Dataset* sender, const RowSource& rows);
    // The pages read the layout while they are drawn; it must outlive them.
    WaybillPages(WaybillLayout&&, const Dataset*, const Dataset*, RecordMode) = delete;
    WaybillPages(WaybillLayout&&, const Dataset*, const RowSource&) = delete;

    int pageCount() override;
    QSizeF paperMm() override { return m_layout.paper(); }
    void drawPage(QPainter& painter, int index) override;
    QList<FieldWarning> warnings(int index) override;
    void setShrinkToFit(double minimumPoints) override { m_shrinkTo = minimumPoints; }
    // The rows' texts as drawPage() reads them now, and the layout's
    // shifts and font.
    bool describePage(int index, LoggedPage& page) override;
    std::optional<QList<int>> pagesKeyedAs(const QSet<quint32>& keys) override;

    // Hears the warnings of each page as it is drawn, from what drawing
    // measured; pages without any are not told.
    using WarningSink = std::function<void(int index, const QList<FieldWarning>& warnings)>;
    void setWarningSink(WarningSink sink) { m_sink = std::move(sink); }

private:
    QString read(int index, RecordRole role, const QString& column) const;
    FieldReader reader(int index) const;
    // The layout page `index` is drawn on: the window's, or with texts
    // shrunk to fit into `fitted`.
    const WaybillLayout& layoutFor(int index, std::optional<WaybillLayout>& fitted);

    // The layout's calibration as last worked out, kept while its
    // placements stand where they stood, in the same fonts (a font copied
    // compares at once; one against the catalogue's compares field by field).
    const Calibration& calibration();

    const WaybillLayout& m_layout;
    const WaybillLayout m_catalogue;
    std::optional<Calibration> m_calibration;
    QPoint m_calibratedAt;
    QList<QFont> m_calibratedFonts;
    // Where the recipient columns are among the dataset's columns, for the
    // column list they were looked up in.
    QStringList m_recipientNames;
    QList<int> m_recipientIndexes;
    const Dataset* m_sender;
    const Dataset* m_recipients; // the current row's, in RecordMode::CurrentRow
    const RowSource* m_rows;     // in RecordMode::EveryRow
    RecordMode m_mode;
    ShapedFonts m_fonts;
    WarningSink m_sink;
    double m_shrinkTo = 0;
};
