#include "waybill/sample_page.h"

SamplePage::SamplePage(const LayoutTemplate& layoutTemplate, FieldReader record)
    : m_layout(WaybillLayout::fromTemplate(layoutTemplate, WaybillVariant::AddressBookSingle)),
      m_record(std::move(record))
{
}

void SamplePage::drawPage(QPainter& painter, int)
{
    PageRenderer::drawRecord(painter, m_layout, m_record, m_fonts);
}

QList<FieldWarning> SamplePage::warnings(int)
{
    return PageWarnings::check(m_layout, PageRenderer::measureRecord(m_layout, m_record, m_fonts));
}
