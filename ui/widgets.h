#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPoint>
#include <QPushButton>

// A line edit that knows whether the user changed it since the program
// last set its text.
class TrackedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TrackedLineEdit(QWidget* parent = nullptr);
    bool userChanged() const { return m_userChanged; }
    // Setting the text it already holds leaves the flag alone.
    void setSystemText(const QString& text);

private:
    bool m_userChanged = false;
};

// Small building blocks for windows laid out at fixed pixel positions.
namespace Widgets {

QLabel* label(QWidget* parent, const QString& text, int x, int y, const QFont& font,
              const QColor& colour = Qt::black);
TrackedLineEdit* lineEdit(QWidget* parent, const QString& name, int x, int y, int width, int height,
                          const QFont& font);
QPushButton* button(QWidget* parent, const QString& name, const QString& text, int x, int y,
                    int width = 75, int height = 25);
QFrame* sunkenPanel(QWidget* parent, const QString& name);
void centreOnScreen(QWidget* window);

// A menu command named like its control, running one of the window's handlers.
template <typename Window>
QAction* menuItem(QWidget* menu, const char* name, const char16_t* caption, Window* window,
                  void (Window::*handler)())
{
    auto* action = new QAction(QString::fromUtf16(caption), menu);
    action->setObjectName(QString::fromLatin1(name));
    QObject::connect(action, &QAction::triggered, window, handler);
    menu->addAction(action);
    return action;
}

// A second menu entry for a command another menu holds: the entry keeps a
// name of its own; caption, enabled state and visibility are the command's,
// and choosing it triggers the command.
QAction* commandEntry(QWidget* menu, const char* name, QAction* command);
// A button that triggers a command and is enabled with it; its caption
// stays its own.
void commandButton(QAbstractButton* button, QAction* command);

// The grid's pop-up menu on a right click.
void popupOnRightClick(QAbstractItemView* view, QMenu* menu);

// Enter in each box moves the focus to the next element; the last box of
// a chain without a successor keeps the focus.
void chainEnterKey(const QList<QLineEdit*>& boxes, QWidget* after);

} // namespace Widgets

// A panel the user drags by its own surface with the left mouse button;
// it stays inside its parent.
class MovablePanel : public QFrame {
    Q_OBJECT
public:
    explicit MovablePanel(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_dragging = false;
    QPoint m_grab;
};

// A 16 x 16 close picture ("关闭") that emits clicked().
class ClosePicture : public QLabel {
    Q_OBJECT
public:
    ClosePicture(QWidget* parent, const QString& name, int x, int y);
signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
