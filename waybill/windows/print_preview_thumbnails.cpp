#include "waybill/windows/print_preview_thumbnails.h"

#include "waybill/page_source.h"

#include <QPainter>
#include <QPixmap>

namespace {

const int keptPictures = 200;
// Pictures placed at a time while idle: a fraction of a millisecond each.
const int layoutBatch = 5000;

} // namespace

PreviewThumbnails::PreviewThumbnails(PageSource& pages, int pageCount, QSizeF pageSize, int width,
                                     QObject* parent)
    : QAbstractListModel(parent), m_pages(pages), m_pageCount(pageCount), m_pageSize(pageSize),
      m_scale(width / pageSize.width()), m_cache(keptPictures)
{
}

int PreviewThumbnails::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_pageCount;
}

QSize PreviewThumbnails::pictureSize() const
{
    return (m_pageSize * m_scale).toSize();
}

void PreviewThumbnails::redraw()
{
    m_cache.clear();
    if (m_pageCount > 0)
        emit dataChanged(index(0), index(m_pageCount - 1), {Qt::DecorationRole});
}

void PreviewThumbnails::setWarned(int page)
{
    m_warned.insert(page);
    m_cache.remove(page);
    emit dataChanged(index(page), index(page));
}

void PreviewThumbnails::clearWarned()
{
    m_warned.clear();
    redraw();
}

QVariant PreviewThumbnails::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_pageCount)
        return {};
    const int page = index.row();
    switch (role) {
    case Qt::DisplayRole:
        return m_warned.contains(page) ? QStringLiteral(u"%1 ⚠").arg(page + 1)
                                       : QString::number(page + 1);
    case Qt::ForegroundRole:
        return m_warned.contains(page) ? QVariant(QColor(0xc0, 0, 0)) : QVariant();
    case Qt::DecorationRole:
        if (!m_cache.contains(page)) {
            // The same picture when chosen; the list would tint it blue.
            const QPixmap picture = QPixmap::fromImage(draw(page));
            auto* icon = new QIcon(picture);
            icon->addPixmap(picture, QIcon::Selected);
            m_cache.insert(page, icon);
        }
        return *m_cache.object(page);
    case Qt::SizeHintRole:
        return pictureSize() + QSize(8, 24);
    case Qt::TextAlignmentRole:
        return Qt::AlignCenter;
    default:
        return {};
    }
}

QImage PreviewThumbnails::draw(int page) const
{
    ++m_drawn;
    QImage image(pictureSize(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.save();
    painter.scale(m_scale, m_scale);
    m_pages.drawPage(painter, page);
    painter.restore();
    if (m_warned.contains(page)) {
        painter.setPen(QPen(QColor(0xc0, 0, 0), 3));
        painter.drawRect(image.rect().adjusted(1, 1, -2, -2));
    } else {
        painter.setPen(Qt::gray);
        painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    }
    return image;
}

PreviewThumbnailList::PreviewThumbnailList(QWidget* parent) : QListView(parent)
{
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setMovement(QListView::Static);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(layoutBatch);
    // Per item, the list would list every item's place once more.
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void PreviewThumbnailList::showItem(const QModelIndex& index)
{
    if (!visualRect(index).isValid()) {
        setLayoutMode(QListView::SinglePass);
        doItemsLayout();
        setLayoutMode(QListView::Batched);
    }
    scrollTo(index);
}

void PreviewThumbnailList::initViewItemOption(QStyleOptionViewItem* option) const
{
    QListView::initViewItemOption(option);
    option->decorationPosition = QStyleOptionViewItem::Top;
    option->displayAlignment = Qt::AlignCenter;
    option->showDecorationSelected = false;
}

void PreviewThumbnailList::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                       const QList<int>& roles)
{
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}
