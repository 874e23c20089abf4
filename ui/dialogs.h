#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <optional>

class QWidget;
class PageSource;
class PrintJob;

// Every dialog the program shows goes through here, so tests can install a
// scripted implementation and drive each window offscreen.
class Dialogs {
public:
    enum class Icon { Information, Warning, Error, Question };
    enum class Default { Yes, No }; // the button Enter presses in a question

    virtual ~Dialogs() = default;

    // OK-only message box; `details`, when given, behind its details button.
    virtual void message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                         const QString& details = {}) = 0;
    // Yes/No question; true on Yes.
    virtual bool ask(QWidget* parent, const QString& title, const QString& text,
                     Default preset = Default::Yes) = 0;
    // A question answered by one of `buttons`, left to right; gives its
    // index, or the last one's when the box is closed otherwise. Enter
    // presses `preset`.
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& buttons, int preset) = 0;
    // A box of several lines holding `initial`, to paste or type text into;
    // nullopt when cancelled.
    virtual std::optional<QString> editText(QWidget* parent, const QString& title,
                                            const QString& label, const QString& initial) = 0;
    // One line holding `initial`, for a number a scanner may type: its
    // Enter confirms; nullopt when cancelled.
    virtual std::optional<QString> editLine(QWidget* parent, const QString& title,
                                            const QString& label, const QString& initial) = 0;
    // File choosers; an empty string when cancelled. `filter` lists the
    // types as "Name (*.a *.b);;Other (*.c)"; `chosenType`, when given,
    // receives the type the user left chosen.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString saveFile(QWidget* parent, const QString& title, const QString& filter,
                             QString* chosenType = nullptr) = 0;
    // Font chooser preselected with `initial`; nullopt when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) = 0;
    // Print preview of `pages`; returns when it is closed. Its "打 印"
    // prints through `job`.
    virtual void preview(QWidget* parent, PageSource& pages, PrintJob& job) = 0;

    // The one in force: the desktop's, installed at start-up, or a test's.
    static Dialogs& current();
    static void install(Dialogs* dialogs);

    // Shorthands used by the windows.
    // Program title, information.
    static void inform(QWidget* parent, const QString& text, const QString& details = {});
    // "提示", information.
    static void notice(QWidget* parent, const QString& text, const QString& details = {});
    static bool confirm(QWidget* parent, const QString& text, // "提示", Yes/No
                        Default preset = Default::Yes);
};
