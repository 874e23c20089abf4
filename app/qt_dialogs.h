#pragma once

#include "ui/dialogs.h"

// The real dialogs of the desktop.
class QtDialogs : public Dialogs {
public:
    void message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                 const QString& details = {}) override;
    bool ask(QWidget* parent, const QString& title, const QString& text,
             Default preset = Default::Yes) override;
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& buttons, int preset) override;
    std::optional<QString> editText(QWidget* parent, const QString& title, const QString& label,
                                    const QString& initial) override;
    std::optional<QString> editLine(QWidget* parent, const QString& title, const QString& label,
                                    const QString& initial) override;
    QString openFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                     QString* chosenType = nullptr) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    void preview(QWidget* parent, PageSource& pages, PrintJob& job) override;
};
