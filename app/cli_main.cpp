// sfwaybill-cli: the program's commands without its windows, on the core
// alone, working on data.mdb in the current directory or a named data folder.
// Here the command runs and its failure becomes text.
#include "app/cli_main.h"

#include "store/store_error.h"
#include "store/store_session.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

int cliMain(const CommandLine::CommandSet& commands)
{
    QTextStream err(stderr);
    StoreSession store;
    try {
        const int status = CommandLine::run(QCoreApplication::arguments().mid(1), commands, store);
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
