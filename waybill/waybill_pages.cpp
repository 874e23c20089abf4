#include "waybill/waybill_pages.h"

#include "store/dataset.h"
#include "waybill/page_renderer.h"
#include "waybill/waybill_layout.h"

WaybillPages::WaybillPages(const WaybillLayout& layout, const Dataset* sender,
                           const Dataset* recipients, RecordMode mode)
    : m_layout(layout), m_sender(sender), m_recipients(recipients), m_mode(mode)
{
}

int WaybillPages::pageCount()
{
    if (m_mode == RecordMode::CurrentRow || !m_recipients)
        return 1;
    // The detail area prints even without rows.
    return std::max(1, m_recipients->recordCount());
}

void WaybillPages::drawPage(QPainter& painter, int index)
{
    const auto read = [this, index](RecordRole role, const QString& column) -> QString {
        if (role == RecordRole::Sender)
            return m_sender ? m_sender->field(column) : QString();
        if (!m_recipients)
            return {};
        return m_mode == RecordMode::CurrentRow ? m_recipients->field(column)
                                                : m_recipients->value(index, column);
    };
    PageRenderer::drawRecord(painter, m_layout, read, m_fonts);
}
