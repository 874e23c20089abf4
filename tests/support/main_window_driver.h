#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

// Finds a control by its object name and types or clicks as a user does.
namespace Drive {

template <typename T = QWidget> T* find(QWidget* root, const QString& name)
{
    T* w = root->findChild<T*>(name);
    if (!w)
        qFatal("no control named %s", qPrintable(name));
    return w;
}

inline void type(QWidget* root, const QString& name, const QString& text)
{
    auto* box = find<QLineEdit>(root, name);
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    // Chinese arrives from an input method as committed text.
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

inline void click(QWidget* root, const QString& name)
{
    QTest::mouseClick(find<QPushButton>(root, name), Qt::LeftButton);
}

} // namespace Drive
