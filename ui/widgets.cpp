#include "ui/widgets.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

namespace Widgets {

QLabel* label(QWidget* parent, const QString& text, int x, int y, const QFont& font,
              const QColor& colour)
{
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->move(x, y);
    l->adjustSize();
    return l;
}

TrackedLineEdit* lineEdit(QWidget* parent, const QString& name, int x, int y, int width, int height,
                          const QFont& font)
{
    auto* e = new TrackedLineEdit(parent);
    e->setObjectName(name);
    e->setFont(font);
    e->setGeometry(x, y, width, height);
    return e;
}

QPushButton* button(QWidget* parent, const QString& name, const QString& text, int x, int y,
                    int width, int height)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setGeometry(x, y, width, height);
    b->setAutoDefault(false);
    return b;
}

QFrame* sunkenPanel(QWidget* parent, const QString& name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(name);
    f->setFrameShape(QFrame::Panel);
    f->setFrameShadow(QFrame::Sunken);
    f->setAutoFillBackground(true);
    return f;
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QAction* commandEntry(QWidget* menu, const char* name, QAction* command)
{
    auto* entry = new QAction(menu);
    entry->setObjectName(QString::fromLatin1(name));
    const auto follow = [entry, command] {
        entry->setText(command->text());
        entry->setEnabled(command->isEnabled());
        entry->setVisible(command->isVisible());
    };
    follow();
    QObject::connect(command, &QAction::changed, entry, follow);
    QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
    menu->addAction(entry);
    return entry;
}

void commandButton(QAbstractButton* button, QAction* command)
{
    button->setEnabled(command->isEnabled());
    QObject::connect(command, &QAction::enabledChanged, button, &QWidget::setEnabled);
    QObject::connect(button, &QAbstractButton::clicked, command, &QAction::trigger);
}

void popupOnRightClick(QAbstractItemView* view, QMenu* menu)
{
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, menu,
                     [view, menu](QPoint at) { menu->popup(view->viewport()->mapToGlobal(at)); });
}

void chainEnterKey(const QList<QLineEdit*>& boxes, QWidget* after)
{
    for (int i = 0; i < boxes.size(); ++i) {
        QWidget* next = i + 1 < boxes.size() ? boxes.at(i + 1) : after;
        if (!next)
            continue;
        QObject::connect(boxes.at(i), &QLineEdit::returnPressed, next,
                         [next] { next->setFocus(Qt::TabFocusReason); });
    }
}

} // namespace Widgets

TrackedLineEdit::TrackedLineEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textEdited, this, [this] { m_userChanged = true; });
}

void TrackedLineEdit::setSystemText(const QString& text)
{
    if (text == this->text())
        return;
    setText(text);
    m_userChanged = false;
}

MovablePanel::MovablePanel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setAutoFillBackground(true);
}

void MovablePanel::mousePressEvent(QMouseEvent* event)
{
    // Labels pass their presses on; only the panel's bare surface moves it.
    if (event->button() != Qt::LeftButton || childAt(event->position().toPoint())) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_dragging = true;
    m_grab = event->position().toPoint();
}

void MovablePanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || !parentWidget())
        return;
    QPoint to = mapToParent(event->position().toPoint()) - m_grab;
    const QSize room = parentWidget()->size() - size();
    to.setX(std::clamp(to.x(), 0, std::max(0, room.width())));
    to.setY(std::clamp(to.y(), 0, std::max(0, room.height())));
    move(to);
}

void MovablePanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QFrame::mouseReleaseEvent(event);
}

static QPixmap closePixmap()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(200, 40, 40));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
    p.drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
    return pm;
}

ClosePicture::ClosePicture(QWidget* parent, const QString& name, int x, int y) : QLabel(parent)
{
    setObjectName(name);
    setPixmap(closePixmap());
    setGeometry(x, y, 16, 16);
    setToolTip(QStringLiteral(u"关闭"));
    setCursor(Qt::PointingHandCursor);
}

void ClosePicture::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
