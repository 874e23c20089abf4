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

FieldReader WaybillPages::reader(int index) const
{
    return [this, index](RecordRole role, const QString& column) -> QString {
        if (role == RecordRole::Sender)
            return m_sender ? m_sender->field(column) : QString();
        if (!m_recipients)
            return {};
        return m_mode == RecordMode::CurrentRow ? m_recipients->field(column)
                                                : m_recipients->value(index, column);
    };
}

void WaybillPages::drawPage(QPainter& painter, int index)
{
    if (!m_sink) {
        PageRenderer::drawRecord(painter, m_layout, reader(index), m_fonts);
        return;
    }
    PageMeasures measured;
    PageRenderer::drawRecord(painter, m_layout, reader(index), m_fonts, &measured);
    if (const QList<FieldWarning> found = PageWarnings::check(m_layout, measured); !found.isEmpty())
        m_sink(index, found);
}

QList<FieldWarning> WaybillPages::warnings(int index)
{
    return PageWarnings::check(m_layout,
                               PageRenderer::measureRecord(m_layout, reader(index), m_fonts));
}
