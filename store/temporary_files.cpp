#include "store/temporary_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

const QString tag = QStringLiteral("sfwaybill-");

bool running(qint64 pid)
{
    return pid == QCoreApplication::applicationPid() || ::kill(pid_t(pid), 0) == 0 ||
           errno == EPERM;
}

// The process id in a name of our pattern, or 0.
qint64 ownerOf(const QString& name, const QRegularExpression& pattern)
{
    const QRegularExpressionMatch m = pattern.match(name);
    return m.hasMatch() ? m.captured(1).toLongLong() : 0;
}

// A staged database may have its journal beside it.
const QRegularExpression& stagedPattern()
{
    static const QRegularExpression staged(
        QStringLiteral("^.+\\.sfwaybill-(\\d+)-\\w{6}\\.tmp(-journal|-wal|-shm)?$"));
    return staged;
}

} // namespace

namespace TemporaryFiles {

QString stagedTemplate(const QString& target)
{
    return QStringLiteral("%1.%2%3-XXXXXX.tmp")
        .arg(target, tag)
        .arg(QCoreApplication::applicationPid());
}

QString scratchTemplate()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("%1%2-XXXXXX").arg(tag).arg(QCoreApplication::applicationPid()));
}

bool isStaged(const QString& name)
{
    return stagedPattern().match(QFileInfo(name).fileName()).hasMatch();
}

void removeLeftovers(const QString& folder)
{
    const QRegularExpression& staged = stagedPattern();
    static const QRegularExpression scratch(QStringLiteral("^sfwaybill-(\\d+)-\\w{6}$"));
    const QDir dir(folder);
    for (const QFileInfo& file :
         dir.entryInfoList({QStringLiteral("*.sfwaybill-*")}, QDir::Files | QDir::Hidden)) {
        const qint64 pid = ownerOf(file.fileName(), staged);
        if (pid > 0 && !running(pid))
            QFile::remove(file.filePath());
    }
    const QDir temp(QDir::tempPath());
    for (const QFileInfo& sub :
         temp.entryInfoList({tag + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const qint64 pid = ownerOf(sub.fileName(), scratch);
        if (pid > 0 && !running(pid) && sub.ownerId() == ::getuid() && !sub.isSymLink())
            QDir(sub.filePath()).removeRecursively();
    }
}

} // namespace TemporaryFiles
