#pragma once

#include "waybill/page_warnings.h"
#include "waybill/shaped_text.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>

class WaybillLayout;
class PlacementBox;
class PictureWidget;

// The layout at 100 %: the picture as child "Image1", and over it one child
// per placement, named by control name, showing its column name. Clicks on
// the picture outside the placements emit pictureClicked(); clicks on a
// placement do nothing. A page larger than the view (a template's) scrolls;
// the built-in forms fill it exactly and show no scroll bars.
class LayoutView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit LayoutView(const WaybillLayout& layout, QWidget* parent = nullptr);

    // Call after shifting the layout or changing its font.
    void refresh();
    // Placements whose text in the current record would not print whole:
    // outlined in red, the warning as their tooltip.
    void setWarnings(const QList<FieldWarning>& warnings);
    // The picture of a template's blank form, lying at `boxMm` on the
    // paper; a null picture shows blank paper.
    void setTemplatePicture(const QImage& picture, const QRectF& boxMm);

signals:
    void pictureClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void updateScrollBars();
    QPoint offset() const;

    const WaybillLayout& m_layout;
    PictureWidget* m_picture;
    QList<PlacementBox*> m_boxes;
    QImage m_scaledPicture;   // the picture at the size of its box on screen
    QImage m_templatePicture; // a template file's, at its size on screen
    QRectF m_templatePictureBox;
    ShapedFonts m_fonts;
    QList<FieldWarning> m_warnings;
};
