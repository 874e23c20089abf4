#include "store/staged_file.h"

#include "store/store_error.h"

#include "store/temporary_files.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncFile(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const QString text = systemError();
        if (fd >= 0)
            ::close(fd);
        throw StoreError(QStringLiteral(u"无法写入 %1：%2").arg(path, text));
    }
    ::close(fd);
}

} // namespace

StagedFile::StagedFile(const QString& target) : m_target(QFileInfo(target).absoluteFilePath())
{
    // What a killed run staged here would otherwise stay for ever.
    TemporaryFiles::removeLeftovers(QFileInfo(m_target).absolutePath());
    QTemporaryFile file(TemporaryFiles::stagedTemplate(m_target));
    file.setAutoRemove(false);
    if (!file.open())
        throw StoreError(QStringLiteral(u"无法写入 %1：%2").arg(m_target, file.errorString()));
    m_path = file.fileName();
}

StagedFile::~StagedFile()
{
    if (!m_committed)
        QFile::remove(m_path);
}

void StagedFile::copyPermissionsFrom(const QString& file)
{
    if (!QFile::setPermissions(m_path, QFile::permissions(file)))
        throw StoreError(QStringLiteral(u"无法设置 %1 的权限").arg(m_path));
}

void StagedFile::commit()
{
    syncFile(m_path);
    if (std::rename(QFile::encodeName(m_path).constData(),
                    QFile::encodeName(m_target).constData()) != 0)
        throw StoreError(QStringLiteral(u"无法写入 %1：%2").arg(m_target, systemError()));
    m_committed = true;
    // The target is replaced by now; a folder that cannot be flushed does not
    // make that a failure.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_target).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}
