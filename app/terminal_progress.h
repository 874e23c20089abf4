#pragma once

#include <QElapsedTimer>
#include <QString>

// A progress line on standard error for a command that runs longer than a
// second, when standard error is a terminal: "pages 1200/10000, 2400
// pages/s", rewritten in place at most ten times a second and ended with
// the command. Elsewhere (a pipe, a log file) it says nothing.
class TerminalProgress {
public:
    explicit TerminalProgress(QString unit);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Always true: the command line does not cancel.
    bool operator()(int done, int total);
    // Ends a line it has open, so that other text on standard error starts
    // a line of its own; the next update starts a new one.
    void endLine();

private:
    QString m_unit;
    bool m_terminal;
    bool m_lineOpen = false;
    QElapsedTimer m_clock;
    qint64 m_lastShown = 0;
};
