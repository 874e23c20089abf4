#include "store/file_identity.h"

#include "store/server_address.h"
#include "store/temporary_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

struct Identity {
    dev_t device = 0;
    ino_t inode = 0;
    bool exists = false;
};

Identity identityOf(const QString& path)
{
    struct stat s {};
    if (::stat(QFile::encodeName(path).constData(), &s) != 0)
        return {};
    return {s.st_dev, s.st_ino, true};
}

// Where a write to `path` lands: the end of its chain of links, even when
// that file does not exist yet, in its folder's canonical spelling.
QString landingPath(const QString& path)
{
    QFileInfo info(path);
    for (int hops = 0; info.isSymLink() && hops < 40; ++hops)
        info = QFileInfo(info.symLinkTarget());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? QDir::cleanPath(info.absoluteFilePath())
                            : folder + QLatin1Char('/') + info.fileName();
}

// True when writing to `target` would write into the database `database`
// or one of the files SQLite keeps beside it (journal, WAL).
bool isPartOfDatabase(const QString& target, const QString& database)
{
    const QString landing = landingPath(target);
    const Identity written = identityOf(landing);
    const QString base = landingPath(database);
    for (const QString& suffix :
         {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        const QString part = base + suffix;
        if (landing == part)
            return true;
        const Identity id = identityOf(part);
        if (written.exists && id.exists && written.device == id.device && written.inode == id.inode)
            return true;
    }
    return false;
}

} // namespace

namespace FileIdentity {

QString refusal(const QString& target, const QString& database, const QString& doing)
{
    const QString landing = landingPath(target);
    if (!database.isEmpty() && !ServerAddress::looksLikeUrl(database) &&
        isPartOfDatabase(target, database))
        return QStringLiteral(u"%1 就是正在使用的数据库，不能%2到它上面").arg(target, doing);
    if (TemporaryFiles::isStaged(landing))
        return QStringLiteral(u"%1 是本程序正在写入的文件，不能%2到它上面").arg(target, doing);
    struct stat s {};
    if (::stat(QFile::encodeName(landing).constData(), &s) == 0 && !S_ISREG(s.st_mode))
        return QStringLiteral(u"%1 不是普通文件，不能%2到它上面").arg(target, doing);
    return {};
}

} // namespace FileIdentity
