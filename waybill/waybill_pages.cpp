#include "waybill/waybill_pages.h"

#include "store/dataset.h"
#include "store/schema.h"
#include "waybill/page_renderer.h"
#include "waybill/print_log.h"
#include "waybill/print_window_adjustments.h"
#include "waybill/waybill_layout.h"

WaybillPages::WaybillPages(const WaybillLayout& layout, const Dataset* sender,
                           const Dataset* recipients, RecordMode mode)
    : m_layout(layout), m_catalogue(layout.atRest()), m_sender(sender), m_recipients(recipients),
      m_rows(mode == RecordMode::EveryRow ? recipients : nullptr), m_mode(mode)
{
}

WaybillPages::WaybillPages(const WaybillLayout& layout, const Dataset* sender,
                           const RowSource& rows)
    : m_layout(layout), m_catalogue(layout.atRest()), m_sender(sender), m_recipients(nullptr),
      m_rows(&rows), m_mode(RecordMode::EveryRow)
{
}

int WaybillPages::pageCount()
{
    if (m_mode == RecordMode::CurrentRow || !m_rows)
        return 1;
    // The detail area prints even without rows.
    return std::max(1, m_rows->expectedCount());
}

QString WaybillPages::read(int index, RecordRole role, const QString& column) const
{
    if (role == RecordRole::Sender)
        return m_sender ? m_sender->field(column) : QString();
    if (m_mode == RecordMode::CurrentRow)
        return m_recipients ? m_recipients->field(column) : QString();
    return m_rows ? m_rows->value(index, column) : QString();
}

FieldReader WaybillPages::reader(int index) const
{
    return
        [this, index](RecordRole role, const QString& column) { return read(index, role, column); };
}

const WaybillLayout& WaybillPages::layoutFor(int index, std::optional<WaybillLayout>& fitted)
{
    if (m_shrinkTo > 0)
        fitted = PageRenderer::shrinkToFit(m_layout, reader(index), m_fonts, m_shrinkTo);
    return fitted ? *fitted : m_layout;
}

void WaybillPages::drawPage(QPainter& painter, int index)
{
    std::optional<WaybillLayout> fitted;
    const WaybillLayout& layout = layoutFor(index, fitted);
    if (!m_sink) {
        PageRenderer::drawRecord(painter, layout, reader(index), m_fonts);
        return;
    }
    PageMeasures measured;
    PageRenderer::drawRecord(painter, layout, reader(index), m_fonts, &measured);
    if (const QList<FieldWarning> found = PageWarnings::check(layout, measured); !found.isEmpty())
        m_sink(index, found);
}

QList<FieldWarning> WaybillPages::warnings(int index)
{
    std::optional<WaybillLayout> fitted;
    const WaybillLayout& layout = layoutFor(index, fitted);
    return PageWarnings::check(layout, PageRenderer::measureRecord(layout, reader(index), m_fonts));
}

const Calibration& WaybillPages::calibration()
{
    const QList<FieldPlacement>& placements = m_layout.placements();
    // A template without items: nothing moved.
    const QPoint at = placements.isEmpty()
                          ? QPoint()
                          : QPoint(placements.first().left().value, placements.first().top().value);
    bool same = m_calibration && at == m_calibratedAt;
    for (qsizetype i = 0; same && i < placements.size(); ++i)
        same = placements.at(i).font() == m_calibratedFonts.at(i);
    if (!same) {
        m_calibration = calibrationOf(m_layout, m_catalogue);
        m_calibratedAt = at;
        m_calibratedFonts.clear();
        for (const FieldPlacement& p : placements)
            m_calibratedFonts << p.font();
    }
    return *m_calibration;
}

std::optional<QList<int>> WaybillPages::pagesKeyedAs(const QSet<quint32>& keys)
{
    if (m_mode != RecordMode::EveryRow || !m_rows)
        return std::nullopt;
    return m_rows->rowsKeyedAs(keys);
}

bool WaybillPages::describePage(int index, LoggedPage& page)
{
    page.window = m_layout.variant();
    page.layoutTemplate = m_layout.isWindowsOwn() ? QString() : m_layout.templateName();
    page.templateFile = m_layout.templateFile();
    page.calibration = calibration();
    page.sender.clear();
    page.recipient.clear();
    for (const QString& column : Schema::senderColumns())
        page.sender << read(index, RecordRole::Sender, column);
    if (m_mode != RecordMode::EveryRow || !m_rows) {
        for (const QString& column : Schema::recipientColumns())
            page.recipient << read(index, RecordRole::Recipient, column);
        return true;
    }
    // As read() reads them, without looking each column up on every page.
    if (const QStringList names = m_rows->columnNames(); names != m_recipientNames) {
        m_recipientNames = names;
        m_recipientIndexes.clear();
        for (const QString& column : Schema::recipientColumns())
            m_recipientIndexes << int(names.indexOf(column));
    }
    for (const int column : m_recipientIndexes)
        page.recipient << m_rows->value(index, column);
    return true;
}
