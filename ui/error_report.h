#pragma once

#include <QString>
#include <functional>

class CommandError;
class QWidget;

// The application-wide error report: a command that fails stops at that
// step, its error is shown in an error box titled with the program's name,
// and the program goes on. Whatever was posted before stays posted.
namespace ErrorReport {

// A full stop unless it ends in "." or "!": "。" after Chinese, none after
// a Chinese sentence's own end mark.
QString boxText(const QString& errorText);
void show(QWidget* parent, const QString& errorText);
// The same box with advice of the program's own below the error's text.
void show(QWidget* parent, const QString& errorText, const QString& advice);

// A command's error: its message, the engine's reason below it unless the
// message holds it, then `advice`.
void show(QWidget* parent, const CommandError& error, const QString& advice = {});

// The box of a window's other messages: with the program's title
// (Dialogs::inform) or with "提示" (Dialogs::notice).
enum class Box { Inform, Notice };

// A failure a window names with its own `message`, in `box`: below the
// message `advice`, then the error's message and the engine's reason,
// bracketed after advice, else after "原因：". One line each.
void show(QWidget* parent, Box box, const QString& message, const CommandError& error,
          const QString& advice = {});

// Runs a command; returns false when it failed and the error was shown.
bool run(QWidget* parent, const std::function<void()>& command);

} // namespace ErrorReport
