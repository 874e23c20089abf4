#pragma once

#include <QSizeF>
#include <QWidget>

class PageSource;

// One page of a preview at a zoom, drawn from its source at every paint so
// that no page is kept.
class PreviewPage : public QWidget {
    Q_OBJECT
public:
    // `pageSize` in layout pixels.
    PreviewPage(PageSource& pages, QSizeF pageSize, QWidget* parent = nullptr);

    int page() const { return m_page; }
    void setPage(int index);
    double zoom() const { return m_zoom; } // screen pixels per layout pixel
    void setZoom(double zoom);
    QSizeF pageSize() const { return m_pageSize; }

signals:
    void drawn();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PageSource& m_pages;
    QSizeF m_pageSize;
    int m_page = 0;
    double m_zoom = 1.0;
};
