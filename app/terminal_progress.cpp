#include "app/terminal_progress.h"

#include <QTextStream>
#include <unistd.h>
#include <utility>

TerminalProgress::TerminalProgress(QString unit)
    : m_unit(std::move(unit)), m_terminal(isatty(STDERR_FILENO) == 1)
{
    m_clock.start();
}

TerminalProgress::~TerminalProgress()
{
    endLine();
}

void TerminalProgress::endLine()
{
    if (std::exchange(m_lineOpen, false))
        QTextStream(stderr) << '\n';
}

bool TerminalProgress::operator()(int done, int total)
{
    if (!m_terminal)
        return true;
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed < 1000 || (elapsed - m_lastShown < 100 && done < total))
        return true;
    m_lastShown = elapsed;
    const qint64 rate = qint64(done) * 1000 / elapsed;
    QTextStream(stderr)
        << QStringLiteral("\r%1 %2/%3, %4 %1/s ").arg(m_unit).arg(done).arg(total).arg(rate);
    // Ended at once, so that the command's report starts a line of its own.
    m_lineOpen = done < total;
    if (!m_lineOpen)
        QTextStream(stderr) << '\n';
    return true;
}
