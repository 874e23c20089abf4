#include "maintenance/database_backup.h"

#include "maintenance/backup_error.h"
#include "maintenance/database_copy.h"
#include "maintenance/staged_file.h"

#include <QFileInfo>

namespace DatabaseBackup {

namespace {

const QString backupSuffix = QStringLiteral(".bak");

} // namespace

QString backupFileName(const QString& chosen)
{
    return chosen.endsWith(backupSuffix, Qt::CaseInsensitive) ? chosen : chosen + backupSuffix;
}

QString beforeRestorePath(const QString& live)
{
    return live + QStringLiteral(".before-restore");
}

void backup(const QString& source, const QString& target)
{
    const QFileInfo sourceInfo(source);
    if (!sourceInfo.exists())
        throw BackupError(QStringLiteral("no database %1").arg(source));
    if (sourceInfo.canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        throw BackupError(QStringLiteral("%1 cannot be its own backup").arg(source));
    StagedFile staged(target);
    staged.copyPermissionsFrom(source);
    DatabaseCopy::online(source, staged.path());
    staged.commit();
}

void restore(const QString& chosen, const QString& live, const std::function<void()>& beforeReplace)
{
    if (live.isEmpty())
        throw BackupError(QStringLiteral("no database is open"));
    if (!QFileInfo(chosen).isFile())
        throw BackupError(QStringLiteral("no file %1").arg(chosen));
    StagedFile staged(live);
    if (QFileInfo::exists(live))
        staged.copyPermissionsFrom(live);
    DatabaseCopy::online(chosen, staged.path());
    // What is checked is the very copy that becomes the database.
    try {
        DatabaseCopy::requireWaybillTables(staged.path());
    } catch (const CommandError& e) {
        throw BackupError(QStringLiteral("%1 is no waybill database: %2").arg(chosen, e.text()));
    }

    // A wrong choice can be undone; byte for byte, since a damaged database
    // is just what a restore may be replacing.
    if (QFileInfo::exists(live)) {
        StagedFile kept(beforeRestorePath(live));
        kept.copyPermissionsFrom(live);
        DatabaseCopy::bytes(live, kept.path());
        kept.commit();
    }
    if (beforeReplace)
        beforeReplace();
    staged.commit();
}

} // namespace DatabaseBackup
