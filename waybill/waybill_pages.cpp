#include "waybill/waybill_pages.h"

#include "store/dataset.h"
#include "store/schema.h"
#include "waybill/page_renderer.h"
#include "waybill/print_log.h"
#include "waybill/print_window_adjustments.h"
#include "waybill/waybill_layout.h"

WaybillPages::WaybillPages(const WaybillLayout& layout, const Dataset* sender,
                           const Dataset* recipients, RecordMode mode)
    : m_layout(layout), m_catalogue(WaybillLayout::forWindow(layout.variant())), m_sender(sender),
      m_recipients(recipients), m_mode(mode)
{
}

int WaybillPages::pageCount()
{
    if (m_mode == RecordMode::CurrentRow || !m_recipients)
        return 1;
    // The detail area prints even without rows.
    return std::max(1, m_recipients->recordCount());
}

QString WaybillPages::read(int index, RecordRole role, const QString& column) const
{
    if (role == RecordRole::Sender)
        return m_sender ? m_sender->field(column) : QString();
    if (!m_recipients)
        return {};
    return m_mode == RecordMode::CurrentRow ? m_recipients->field(column)
                                            : m_recipients->value(index, column);
}

void WaybillPages::drawPage(QPainter& painter, int index)
{
    PageRenderer::drawRecord(
        painter, m_layout,
        [this, index](RecordRole role, const QString& column) { return read(index, role, column); },
        m_fonts);
}

bool WaybillPages::describePage(int index, LoggedPage& page)
{
    page.window = m_layout.variant();
    page.calibration = calibrationOf(m_layout, m_catalogue);
    page.sender.clear();
    page.recipient.clear();
    for (const QString& column : Schema::senderColumns())
        page.sender << read(index, RecordRole::Sender, column);
    for (const QString& column : Schema::recipientColumns())
        page.recipient << read(index, RecordRole::Recipient, column);
    return true;
}
