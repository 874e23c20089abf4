#include "maintenance/database_backup.h"

#include "maintenance/backup_error.h"
#include "maintenance/database_copy.h"
#include "maintenance/store_copy.h"
#include "store/file_identity.h"
#include "store/server_address.h"
#include "store/staged_file.h"

#include <QFileInfo>

namespace DatabaseBackup {

namespace {

const QString backupSuffix = QStringLiteral(".bak");

// A live file that is no database at all cannot be in use by one, so it
// is simply replaced; the undo copy is then a byte copy.
void replaceNonDatabase(StagedFile& staged, const QString& target, const QString& live,
                        const std::function<void()>& beforeReplace)
{
    StagedFile kept(beforeRestorePath(live));
    DatabaseCopy::bytes(target, kept.path());
    kept.commit();
    if (beforeReplace)
        beforeReplace();
    staged.commit();
}

} // namespace

QString backupFileName(const QString& chosen)
{
    // Always appended, also to a name that ends in .bak: a shop's backups
    // are found by that rule.
    return chosen + backupSuffix;
}

QString beforeRestorePath(const QString& live)
{
    return live + QStringLiteral(".before-restore");
}

void backup(const QString& source, const QString& target)
{
    if (QFileInfo(target).fileName().compare(backupSuffix, Qt::CaseInsensitive) == 0)
        throw BackupError(QStringLiteral(u"备份文件名为空，未备份任何数据!"));
    if (const QString refused = FileIdentity::refusal(target, source, QStringLiteral(u"备份"));
        !refused.isEmpty())
        throw BackupError(refused + QLatin1Char('!'));
    if (ServerAddress::looksLikeUrl(source)) {
        StoreCopy::backupServer(source, target);
        return;
    }
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists())
        throw BackupError(QStringLiteral(u"找不到数据库 %1").arg(source));
    // The owner's only, as staged files are, whatever data.mdb allows.
    StagedFile staged(target);
    try {
        DatabaseCopy::online(source, staged.path());
    } catch (const BackupError& e) {
        // Said in Chinese and of the file the user named, not of the one
        // written aside ("database or disk is full: …bak.sfwaybill-….tmp").
        throw BackupError(QStringLiteral(u"无法备份到 %1：%2")
                              .arg(target, e.text().remove(QStringLiteral(": ") + staged.path())));
    }
    staged.commit();
}

void restore(const QString& chosen, const QString& live, const std::function<void()>& beforeReplace)
{
    if (live.isEmpty())
        throw BackupError(QStringLiteral(u"没有打开的数据库"));
    if (ServerAddress::looksLikeUrl(live)) {
        StoreCopy::restoreServer(chosen, live, beforeReplace);
        return;
    }
    if (!QFileInfo(chosen).isFile())
        throw BackupError(QStringLiteral(u"%1 不是可读取的文件").arg(chosen),
                          BackupError::Kind::NoFile);
    // A data.mdb that is a link stays one: the file it points to is restored.
    const QFileInfo liveInfo(live);
    const QString target = liveInfo.exists() ? liveInfo.canonicalFilePath() : live;
    StagedFile staged(target);
    DatabaseCopy::checkedDataOnly(chosen, staged.path());
    if (!liveInfo.exists()) {
        if (beforeReplace)
            beforeReplace();
        staged.commit();
        return;
    }
    // Read before any lock is taken: closing this descriptor drops none.
    if (!DatabaseCopy::looksLikeDatabase(target)) {
        staged.copyPermissionsFrom(target);
        replaceNonDatabase(staged, target, live, beforeReplace);
        return;
    }
    DatabaseCopy::replaceContent(staged.path(), target, beforeRestorePath(live), beforeReplace);
}

} // namespace DatabaseBackup
