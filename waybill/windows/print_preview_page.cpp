#include "waybill/windows/print_preview_page.h"

#include "waybill/page_source.h"

#include <QPainter>

PreviewPage::PreviewPage(PageSource& pages, QSizeF pageSize, QWidget* parent)
    : QWidget(parent), m_pages(pages), m_pageSize(pageSize)
{
    setZoom(1.0);
}

void PreviewPage::setPage(int index)
{
    m_page = index;
    update();
}

void PreviewPage::setZoom(double zoom)
{
    m_zoom = zoom;
    setFixedSize((m_pageSize * zoom).toSize());
    update();
}

void PreviewPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.save();
    painter.setClipRect(rect());
    painter.scale(m_zoom, m_zoom);
    m_pages.drawPage(painter, m_page);
    painter.restore();
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    emit drawn();
}
