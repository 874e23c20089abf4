#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QIcon>
#include <QImage>
#include <QListView>
#include <QSet>
#include <QSizeF>

class PageSource;

// Small pictures of the pages, numbered from 1. A picture is drawn when a
// view first asks for it, that is when it scrolls into view, and only a
// bounded number are kept.
class PreviewThumbnails : public QAbstractListModel {
    Q_OBJECT
public:
    // `pageSize` in layout pixels; pictures are `width` pixels wide.
    PreviewThumbnails(PageSource& pages, int pageCount, QSizeF pageSize, int width,
                      QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    QSize pictureSize() const;
    // The pages changed: every picture is drawn anew when next shown.
    void redraw();
    // Pages with warnings: their pictures framed in red, their numbers
    // marked.
    void setWarned(int page);
    void clearWarned();
    int drawnCount() const { return m_drawn; } // pictures drawn so far

private:
    QImage draw(int page) const;

    PageSource& m_pages;
    int m_pageCount;
    QSizeF m_pageSize;
    double m_scale;
    mutable QCache<int, QIcon> m_cache;
    mutable int m_drawn = 0;
    QSet<int> m_warned;
};

// The side tab's list of those pictures, each above its number. Laid out as
// a list, whose places for pictures of one size are numbers, and in batches
// while the program is idle: an icon view keeps an item for every page and
// lays them all out before the first is shown, most of the opening of a
// million pages.
class PreviewThumbnailList : public QListView {
    Q_OBJECT
public:
    explicit PreviewThumbnailList(QWidget* parent = nullptr);

    // Scrolls to `index`, laying out the pictures before it first when the
    // batches have not reached it yet.
    void showItem(const QModelIndex& index);

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override;
    // A picture or number changed keeps its size: repainted, not laid out
    // again from the first page.
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles) override;
};
