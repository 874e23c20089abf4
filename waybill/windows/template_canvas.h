#pragma once

#include "waybill/page_renderer.h"
#include "waybill/page_warnings.h"
#include "waybill/shaped_text.h"

#include <QImage>
#include <QLineF>
#include <QList>
#include <QWidget>
#include <optional>

class TemplateDocument;

// The designer's page: the picture, the items drawn by the page renderer
// with a sample record, their warnings outlined in red, and the selection,
// moved and resized with the mouse or the arrow keys.
class TemplateCanvas : public QWidget {
    Q_OBJECT
public:
    TemplateCanvas(TemplateDocument& document, QWidget* parent = nullptr);

    const QList<int>& selection() const { return m_selection; }
    void select(const QList<int>& indexes);
    double zoom() const { return m_zoom; }
    void setZoom(double zoom);
    void setSample(FieldReader sample);
    // `units`: the picture file's own size, which its dpi measures.
    void setPicture(const QImage& picture, const QSizeF& units);
    // The next two clicks report where they land instead of selecting.
    void pickPoints();
    // After a change of the document.
    void refresh();
    const QList<FieldWarning>& warnings() const { return m_warnings; }

signals:
    void selectionChanged();
    void pointsPicked(QPointF firstMm, QPointF secondMm);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double pixelsPerMm() const;
    QPointF toMm(QPointF widget) const;
    QRectF toWidget(const QRectF& mm) const;
    int itemAt(QPointF mm) const;
    QRectF handleOf(int index) const;
    QList<QRectF> unselectedBoxes() const;

    TemplateDocument& m_document;
    QList<int> m_selection;
    double m_zoom = 1.0;
    FieldReader m_sample;
    QImage m_picture;
    QSizeF m_pictureUnits;
    ShapedFonts m_fonts;
    QList<FieldWarning> m_warnings;
    QList<QString> m_ids; // of the items as drawn, by index

    enum class Drag { None, Move, Resize };
    Drag m_drag = Drag::None;
    QPointF m_pressMm;
    QPointF m_pressAt;
    bool m_dragged = false; // past the drag distance, so a click moves nothing
    int m_keyMoves = 1;     // the undo merge key of arrow-key moves
    QRectF m_dragBoxMm;     // where the dragged item is shown meanwhile
    QList<QLineF> m_guidesMm;
    std::optional<QPointF> m_firstPick;
    bool m_picking = false;
};
