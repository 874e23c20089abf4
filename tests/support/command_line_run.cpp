#include "command_line_run.h"

#include <QProcess>

CommandLineRun runCommandLine(const QStringList& args, const QString& standardOutputFile)
{
    QProcess p;
    if (!standardOutputFile.isEmpty())
        p.setStandardOutputFile(standardOutputFile);
    p.start(qEnvironmentVariable("SF_CLI"), args);
    CommandLineRun r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
