// sfwaybill-cli: the program's commands without its windows, on the core
// alone, working on data.mdb in the current directory or a named data folder.
#include "app/command_line.h"
#include "store/store_error.h"
#include "store/store_session.h"

#ifdef SF_CLI_PRINTER
#include "waybill/printing/printing_job.h"
#endif

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
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

int main(int argc, char** argv)
{
    std::unique_ptr<QCoreApplication> app;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (CommandLine::drawsPages(arguments)) {
        // Measuring text needs a GUI application, never a display.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        provideRuntimeFolder();
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
#ifdef SF_CLI_PRINTER
    const PrinterOutput printer = printOnPrinter;
#else
    const PrinterOutput printer;
#endif
    QTextStream err(stderr);
    StoreSession store;
    try {
        const int status = CommandLine::run(app->arguments().mid(1), printer, store);
        // A full disk or a closed pipe behind standard output fails the
        // command too; a script must not take a cut-off export for done.
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            err << QStringLiteral("cannot write to standard output: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)))
                << '\n';
            return 1;
        }
        return status;
    } catch (const CommandError& e) {
        err << e.text() << '\n';
        // The engine's reason for logs, unless the message gave it already.
        if (!e.detail().isEmpty() && !e.text().contains(e.detail()))
            err << e.detail() << '\n';
        if (dynamic_cast<const StoreError*>(&e))
            if (const QString advice = store.missingDatabaseAdvice(); !advice.isEmpty())
                err << advice << '\n';
    } catch (const std::bad_alloc&) {
        err << QStringLiteral(u"内存不足，命令未完成") << '\n';
    } catch (const std::exception& e) {
        err << QString::fromUtf8(e.what()) << '\n';
    } catch (...) {
        err << QStringLiteral(u"未知错误，命令未完成") << '\n';
    }
    return 1;
}
