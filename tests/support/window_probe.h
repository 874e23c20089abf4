#pragma once

#include <QDialog>
#include <functional>

// Stands in for a window a command opens modally: counts its openings, runs
// `onOpen` while it is open, then closes itself.
class WindowProbe : public QDialog {
    Q_OBJECT
public:
    std::function<void()> onOpen;
    int openings = 0;

    int exec() override;
};
