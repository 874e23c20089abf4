#include "waybill/windows/template_canvas.h"

#include "waybill/template_document.h"
#include "waybill/template_picture.h"
#include "waybill/template_snapping.h"
#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

constexpr double handleMm = 2.0;
constexpr double snapPixels = 5.0;

} // namespace

TemplateCanvas::TemplateCanvas(TemplateDocument& document, QWidget* parent)
    : QWidget(parent), m_document(document)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    refresh();
}

double TemplateCanvas::pixelsPerMm() const
{
    return m_zoom * Pixels::perInch / 25.4;
}

QPointF TemplateCanvas::toMm(QPointF widget) const
{
    return widget / pixelsPerMm();
}

QRectF TemplateCanvas::toWidget(const QRectF& mm) const
{
    const double f = pixelsPerMm();
    return QRectF(mm.x() * f, mm.y() * f, mm.width() * f, mm.height() * f);
}

void TemplateCanvas::select(const QList<int>& indexes)
{
    QList<int> kept;
    for (int i : indexes)
        if (i >= 0 && i < m_document.layout().items.size() && !kept.contains(i))
            kept << i;
    if (kept == m_selection)
        return;
    m_selection = kept;
    // Key moves in a row are one step, those of another choice the next.
    ++m_keyMoves;
    update();
    emit selectionChanged();
}

void TemplateCanvas::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.25, 8.0);
    refresh();
}

void TemplateCanvas::setSample(FieldReader sample)
{
    m_sample = std::move(sample);
    refresh();
}

void TemplateCanvas::setPicture(const QImage& picture, const QSizeF& units)
{
    m_picture = picture;
    m_pictureUnits = units;
    update();
}

void TemplateCanvas::pickPoints()
{
    m_picking = true;
    m_firstPick.reset();
    setCursor(Qt::CrossCursor);
}

void TemplateCanvas::refresh()
{
    const LayoutTemplate& t = m_document.layout();
    // An item the undo took away is no longer selected.
    QList<int> kept;
    for (int i : m_selection)
        if (i < t.items.size())
            kept << i;
    if (kept != m_selection) {
        m_selection = kept;
        emit selectionChanged();
    }
    resize((QSizeF(t.paperMm) * pixelsPerMm()).toSize() + QSize(1, 1));
    // The warnings name items by id; an item without one gets its place.
    LayoutTemplate drawn = t;
    m_ids.clear();
    for (qsizetype i = 0; i < drawn.items.size(); ++i) {
        if (drawn.items[i].id.isEmpty())
            drawn.items[i].id = QStringLiteral("#%1").arg(i);
        m_ids << drawn.items[i].id;
    }
    const WaybillLayout layout =
        WaybillLayout::fromTemplate(drawn, WaybillVariant::AddressBookSingle);
    const FieldReader read =
        m_sample ? m_sample : FieldReader([](RecordRole, const QString& c) { return c; });
    m_warnings = PageWarnings::check(layout, PageRenderer::measureRecord(layout, read, m_fonts));
    update();
}

QList<QRectF> TemplateCanvas::unselectedBoxes() const
{
    QList<QRectF> boxes;
    const QList<TemplateItem>& items = m_document.layout().items;
    for (qsizetype i = 0; i < items.size(); ++i)
        if (!m_selection.contains(int(i)))
            boxes << items.at(i).boxMm;
    return boxes;
}

int TemplateCanvas::itemAt(QPointF mm) const
{
    const QList<TemplateItem>& items = m_document.layout().items;
    // The one drawn last lies on top.
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        if (items.at(i).boxMm.adjusted(-0.5, -0.5, 0.5, 0.5).contains(mm))
            return int(i);
    return -1;
}

QRectF TemplateCanvas::handleOf(int index) const
{
    const QRectF box = m_document.layout().items.at(index).boxMm;
    return QRectF(box.bottomRight() - QPointF(handleMm / 2, handleMm / 2),
                  QSizeF(handleMm, handleMm));
}

void TemplateCanvas::paintEvent(QPaintEvent*)
{
    const LayoutTemplate& t = m_document.layout();
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.fillRect(toWidget(QRectF(QPointF(), t.paperMm)), Qt::white);
    if (t.background && !m_picture.isNull())
        painter.drawImage(toWidget(TemplatePicture::boxMm(*t.background, m_pictureUnits)),
                          m_picture);

    // Dragged items are drawn where they are going.
    LayoutTemplate drawn = t;
    for (qsizetype i = 0; i < drawn.items.size(); ++i)
        drawn.items[i].id = m_ids.value(i);
    if (m_drag != Drag::None && m_selection.size() == 1)
        drawn.items[m_selection.first()].boxMm = m_dragBoxMm;
    const WaybillLayout layout =
        WaybillLayout::fromTemplate(drawn, WaybillVariant::AddressBookSingle);
    const FieldReader read =
        m_sample ? m_sample : FieldReader([](RecordRole, const QString& c) { return c; });
    painter.save();
    painter.scale(m_zoom, m_zoom);
    PageRenderer::drawRecord(painter, layout, read, m_fonts);
    painter.restore();

    painter.setBrush(Qt::NoBrush);
    for (qsizetype i = 0; i < drawn.items.size(); ++i) {
        const QRectF box = toWidget(drawn.items.at(i).boxMm);
        const bool warned =
            std::any_of(m_warnings.begin(), m_warnings.end(),
                        [&](const FieldWarning& w) { return w.controlName == m_ids.value(i); });
        if (warned) {
            painter.setPen(QPen(Qt::red, 2));
            painter.drawRect(box.adjusted(-1, -1, 1, 1));
        }
        if (m_selection.contains(int(i))) {
            painter.setPen(QPen(Qt::blue, 1, Qt::DashLine));
            painter.drawRect(box);
            painter.fillRect(toWidget(QRectF(drawn.items.at(i).boxMm.bottomRight() -
                                                 QPointF(handleMm / 2, handleMm / 2),
                                             QSizeF(handleMm, handleMm))),
                             Qt::blue);
        } else if (!warned) {
            painter.setPen(QPen(Qt::lightGray, 1, Qt::DotLine));
            painter.drawRect(box);
        }
    }
    painter.setPen(QPen(QColor(255, 0, 255), 1));
    for (const QLineF& guide : m_guidesMm)
        painter.drawLine(QLineF(guide.p1() * pixelsPerMm(), guide.p2() * pixelsPerMm()));
}

void TemplateCanvas::mousePressEvent(QMouseEvent* event)
{
    setFocus();
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF mm = toMm(event->position());
    if (m_picking) {
        if (!m_firstPick) {
            m_firstPick = mm;
            return;
        }
        m_picking = false;
        unsetCursor();
        emit pointsPicked(*m_firstPick, mm);
        return;
    }
    if (m_selection.size() == 1 && handleOf(m_selection.first()).contains(mm)) {
        m_drag = Drag::Resize;
    } else {
        const int hit = itemAt(mm);
        if (event->modifiers() & Qt::ControlModifier) {
            QList<int> chosen = m_selection;
            if (hit >= 0 && !chosen.removeOne(hit))
                chosen << hit;
            select(chosen);
            return;
        }
        if (hit < 0) {
            select({});
            return;
        }
        if (!m_selection.contains(hit))
            select({hit});
        m_drag = Drag::Move;
    }
    m_pressMm = mm;
    m_pressAt = event->position();
    m_dragged = false;
    if (m_selection.size() == 1)
        m_dragBoxMm = m_document.layout().items.at(m_selection.first()).boxMm;
}

void TemplateCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag == Drag::None || m_selection.isEmpty())
        return;
    if (!m_dragged) {
        if ((event->position() - m_pressAt).manhattanLength() < QApplication::startDragDistance())
            return;
        m_dragged = true;
    }
    const QPointF by = toMm(event->position()) - m_pressMm;
    const QRectF start = m_document.layout().items.at(m_selection.first()).boxMm;
    if (m_drag == Drag::Resize) {
        m_dragBoxMm = QRectF(start.topLeft(), QSizeF(std::max(1.0, start.width() + by.x()),
                                                     std::max(1.0, start.height() + by.y())));
        m_guidesMm.clear();
    } else {
        const SnappedBox snapped =
            TemplateSnapping::snap(start.translated(by), unselectedBoxes(),
                                   m_document.layout().paperMm, snapPixels / pixelsPerMm());
        m_dragBoxMm = snapped.boxMm;
        m_guidesMm = snapped.guidesMm;
    }
    update();
}

void TemplateCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_drag == Drag::None || event->button() != Qt::LeftButton)
        return;
    mouseMoveEvent(event);
    const Drag drag = m_drag;
    m_drag = Drag::None;
    m_guidesMm.clear();
    const int first = m_selection.value(0, -1);
    if (first < 0 || !m_dragged)
        return;
    const QRectF start = m_document.layout().items.at(first).boxMm;
    if (drag == Drag::Resize) {
        TemplateItem item = m_document.layout().items.at(first);
        item.boxMm = m_dragBoxMm;
        m_document.setItem(first, item, QStringLiteral(u"改变大小"));
    } else {
        m_document.move(m_selection, m_dragBoxMm.topLeft() - start.topLeft());
    }
    update();
}

void TemplateCanvas::keyPressEvent(QKeyEvent* event)
{
    const double step = (event->modifiers() & Qt::ShiftModifier) ? 1.0 : 0.1;
    QPointF by;
    switch (event->key()) {
    case Qt::Key_Left:
        by = {-step, 0};
        break;
    case Qt::Key_Right:
        by = {step, 0};
        break;
    case Qt::Key_Up:
        by = {0, -step};
        break;
    case Qt::Key_Down:
        by = {0, step};
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    if (m_selection.isEmpty())
        return;
    m_document.move(m_selection, by, m_keyMoves);
}
