#pragma once

#include "ui/dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

// Dialogs for tests: records every box shown and answers from queues the
// test fills. An unanswered question fails the test instead of blocking.
class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        QString kind; // "message", "ask", "choose", "text", "open", "save", "font", "preview"
        QString title;
        QString text;
        Icon icon = Icon::Information;
        Default preset = Default::Yes; // of a question
        QString details = {};          // of a message, behind its details button
    };

    ScriptedDialogs();           // installs itself
    ~ScriptedDialogs() override; // restores the Qt dialogs

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

    QQueue<bool> answers;                 // for ask()
    QQueue<QString> choices;              // for choose(): the caption of the button pressed
    QQueue<QString> files;                // for openFile()/saveFile(); "" cancels
    QQueue<int> fileTypes;                // type chosen in saveFile() by its place; none: the first
    QQueue<std::optional<QFont>> fonts;   // for chooseFont()
    QQueue<std::optional<QString>> texts; // for editText() and editLine(); empty cancels
    // What the user does in each preview before closing it, e.g. point the
    // job at a PDF and press "打 印"; an empty queue just closes it.
    using PreviewAction = std::function<void(QWidget* parent, PageSource& pages, PrintJob& job)>;
    QQueue<PreviewAction> previewActions;

    QList<Shown> shown;
    QStringList filters;          // filter of each file dialog, in order
    QList<QFont> fontInitials;    // preselected font of each font chooser
    QStringList textInitials;     // text each editText() box started with
    QList<int> previewPageCounts; // pages of each preview, in order

    QStringList messageTexts() const; // texts of message() and ask(), in order
    QString lastText() const;
    void clear() { shown.clear(); }
};
