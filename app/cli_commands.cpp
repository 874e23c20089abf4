// Every command of sfwaybill-cli, in a library of its own: the program
// loads it (and the Gui, Sql and printing libraries it needs) only for the
// calls it does not run alone.
#include "app/cli_main.h"
#include "app/commands/command_list.h"

#ifdef SF_CLI_PRINTER
#include "waybill/printing/printing_job.h"
#endif

#include <QDir>
#include <QGuiApplication>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Without a session (cron, ssh, a service) there is no XDG_RUNTIME_DIR and
// Qt warns on every run before falling back to a folder of its own; give
// it a private one instead.
void provideRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray dir =
        QDir::tempPath().toLocal8Bit() + "/runtime-" + QByteArray::number(getuid());
    mkdir(dir.constData(), 0700);
    struct stat info {};
    if (lstat(dir.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
        (info.st_mode & 0777) == 0700)
        qputenv("XDG_RUNTIME_DIR", dir);
}

} // namespace

extern "C" Q_DECL_EXPORT int sfwaybillCliMain(int argc, char** argv)
{
#ifdef SF_CLI_PRINTER
    const PrinterOutput printer = printOnPrinter;
#else
    const PrinterOutput printer;
#endif
    const CommandLine::CommandSet commands = commandList(printer);
    std::unique_ptr<QCoreApplication> app;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::drawsPages(arguments, commands)) {
        // Measuring text needs a GUI application, never a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        provideRuntimeFolder();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return cliMain(commands);
}
