#include "waybill/windows/layout_view.h"

#include "waybill/blank_form_picture.h"
#include "waybill/page_renderer.h"
#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <cmath>
#include <functional>

// Transparent stand-ins over the drawing: they give the picture and each
// placement its object name and decide where a click lands.
class PictureWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            onClick();
    }
};

class PlacementBox : public QWidget {
public:
    using QWidget::QWidget;

protected:
    // A click on a placement does nothing, and does not reach the picture.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
};

namespace {

// Widgets take ints; shifts may push a placement this far off and beyond.
int onScreen(double v)
{
    return int(std::clamp(v, -1e6, 1e6));
}

QRect screenRect(const QRectF& r)
{
    return QRect(onScreen(r.left()), onScreen(r.top()), int(std::ceil(r.width())),
                 int(std::ceil(r.height())));
}

// What the view keeps of a template's paper or picture: a paper metres
// long would otherwise take gigabytes; past this it is drawn coarser.
constexpr double largestKeptPixels = 16e6;

QSize withinKept(const QSize& size)
{
    const double pixels = double(size.width()) * size.height();
    if (pixels <= largestKeptPixels)
        return size;
    return (QSizeF(size) * std::sqrt(largestKeptPixels / pixels)).toSize();
}

} // namespace

LayoutView::LayoutView(const WaybillLayout& layout, QWidget* parent)
    : QAbstractScrollArea(parent), m_layout(layout), m_picture(new PictureWidget(viewport()))
{
    setFixedSize(WaybillLayout::detailSize());
    setFrameShape(QFrame::NoFrame);
    // As a plain widget: no focus of its own, the panel behind it showing.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->onClick = [this] { emit pictureClicked(); };
    refresh();
}

void LayoutView::refresh()
{
    // Another template has other placements.
    if (m_boxes.size() != m_layout.placements().size()) {
        qDeleteAll(m_boxes);
        m_boxes.clear();
        for (const FieldPlacement* placement : m_layout.drawingOrder()) {
            auto* box = new PlacementBox(viewport());
            box->setObjectName(placement->controlName());
            box->show();
            m_boxes.append(box);
        }
        m_scaledPicture = QImage();
    }
    updateScrollBars();
    m_picture->setGeometry(m_layout.pictureBox().translated(offset()));
    const QList<const FieldPlacement*> order = m_layout.drawingOrder();
    for (int i = 0; i < order.size(); ++i) {
        const FieldPlacement& p = *order.at(i);
        m_boxes.at(i)->setGeometry(
            screenRect(PageRenderer::boxFor(p, {p.isFixedText() ? p.fixedText() : p.column()}, this,
                                            font(), m_fonts))
                .translated(offset()));
        m_boxes.at(i)->raise();
    }
    viewport()->update();
}

void LayoutView::updateScrollBars()
{
    // The SF forms as they always showed (their picture lies 3 px low and
    // its foot is cut); another page to its paper's or picture's edge.
    const double perMm = Pixels::perInch / 25.4;
    const QRect paper(0, 0, qRound(m_layout.paper().width() * perMm),
                      qRound(m_layout.paper().height() * perMm));
    const QRect page = paper.united(m_layout.pictureBox());
    const QSize content = m_layout.calibrationKey().isEmpty()
                              ? WaybillLayout::detailSize()
                              : QSize(page.right() + 1, page.bottom() + 1);
    QSize room = maximumViewportSize();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    bool across = content.width() > room.width();
    const bool down = content.height() > room.height() - (across ? bar : 0);
    across = across || content.width() > room.width() - (down ? bar : 0);
    room -= QSize(down ? bar : 0, across ? bar : 0);
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - room.width()));
    horizontalScrollBar()->setPageStep(room.width());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - room.height()));
    verticalScrollBar()->setPageStep(room.height());
}

QPoint LayoutView::offset() const
{
    return -QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void LayoutView::scrollContentsBy(int, int)
{
    refresh();
}

void LayoutView::paintEvent(QPaintEvent*)
{
    // Scaled once with area averaging: the painter's own scaling drops
    // pixels, and the thin lines and small labels of the form break up.
    const QSize full = m_layout.pictureBox().size() * devicePixelRatioF();
    const bool ownForm = m_layout.calibrationKey().isEmpty();
    const QSize size = ownForm ? full : withinKept(full);
    if (m_scaledPicture.size() != size) {
        // A template of another form shows its blank paper.
        if (ownForm) {
            m_scaledPicture =
                blankFormPicture().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        } else {
            m_scaledPicture = QImage(size, QImage::Format_RGB32);
            m_scaledPicture.fill(Qt::white);
            if (!m_templatePicture.isNull()) {
                QPainter onPaper(&m_scaledPicture);
                onPaper.scale(devicePixelRatioF() * size.width() / full.width(),
                              devicePixelRatioF() * size.height() / full.height());
                onPaper.drawImage(
                    m_templatePictureBox.translated(-QPointF(m_layout.pictureBox().topLeft())),
                    m_templatePicture);
            }
        }
        m_scaledPicture.setDevicePixelRatio(devicePixelRatioF());
    }
    QPainter painter(viewport());
    painter.translate(offset());
    PageRenderer::drawLayoutView(painter, m_layout, m_scaledPicture, m_fonts);
    painter.resetTransform();
    // Around the box, so that the column name stays readable.
    painter.setPen(QPen(Qt::red, 2));
    painter.setBrush(Qt::NoBrush);
    for (const FieldWarning& warning : m_warnings)
        if (const QWidget* box = findChild<QWidget*>(warning.controlName))
            painter.drawRect(QRectF(box->geometry()).adjusted(-1, -1, 1, 1));
}

void LayoutView::setTemplatePicture(const QImage& picture, const QRectF& boxMm)
{
    const double perMm = Pixels::perInch / 25.4;
    m_templatePictureBox = QRectF(boxMm.topLeft() * perMm, boxMm.size() * perMm);
    // Kept at its size on screen: a scan may be far larger.
    const QSize onScreen = withinKept((m_templatePictureBox.size() * devicePixelRatioF()).toSize());
    m_templatePicture =
        picture.isNull() || onScreen.isEmpty()
            ? QImage()
            : picture.scaled(onScreen, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    m_scaledPicture = QImage();
    viewport()->update();
}

void LayoutView::setWarnings(const QList<FieldWarning>& warnings)
{
    if (warnings == m_warnings)
        return;
    m_warnings = warnings;
    for (PlacementBox* box : m_boxes)
        box->setToolTip(QString());
    for (const FieldWarning& warning : m_warnings)
        if (QWidget* box = findChild<QWidget*>(warning.controlName))
            box->setToolTip(warning.text());
    viewport()->update();
}
