#include "command_line_run.h"

#include <QProcess>

namespace {

CommandLineRun run(const QStringList& args, const QString& standardOutputFile,
                   const QByteArray* input)
{
    QProcess p;
    if (!standardOutputFile.isEmpty())
        p.setStandardOutputFile(standardOutputFile);
    p.start(qEnvironmentVariable("SF_CLI"), args);
    if (input) {
        p.write(*input);
        p.closeWriteChannel();
    }
    CommandLineRun r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace

CommandLineRun runCommandLine(const QStringList& args, const QString& standardOutputFile)
{
    return run(args, standardOutputFile, nullptr);
}

CommandLineRun runCommandLineWithInput(const QStringList& args, const QByteArray& input)
{
    return run(args, {}, &input);
}
