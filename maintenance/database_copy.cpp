#include "maintenance/database_copy.h"

#include "maintenance/backup_error.h"
#include "maintenance/sqlite_file.h"
#include "store/schema.h"

#include <QFile>
#include <sqlite3.h>

namespace DatabaseCopy {

namespace {

void requireColumns(const SqliteFile& file, const QString& table, const QStringList& columns)
{
    const QStringList present =
        file.firstColumn(QStringLiteral("SELECT name FROM pragma_table_info('%1')").arg(table));
    if (present.isEmpty())
        throw BackupError(QStringLiteral("no table %1").arg(table));
    for (const QString& column : columns)
        if (!present.contains(column))
            throw BackupError(QStringLiteral("no column %1 in table %2").arg(column, table));
}

} // namespace

void online(const QString& from, const QString& to)
{
    SqliteFile source(from, SqliteFile::Mode::ReadOnly);
    SqliteFile target(to, SqliteFile::Mode::ReadWrite);
    sqlite3_backup* backup = sqlite3_backup_init(target.handle(), "main", source.handle(), "main");
    if (!backup)
        throw BackupError(QStringLiteral("%1: %2").arg(target.lastError(), to));
    // One step copies every page under one read lock; a write in progress
    // is waited for through the busy timeout.
    const int rc = sqlite3_backup_step(backup, -1);
    const int finished = sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE || finished != SQLITE_OK)
        throw BackupError(
            QStringLiteral("%1: %2 -> %3")
                .arg(QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : finished)), from,
                     to));
    // A copy of a WAL database would be one too, with its side files.
    if (target.firstColumn(QStringLiteral("PRAGMA journal_mode=DELETE")) !=
        QStringList{QStringLiteral("delete")})
        throw BackupError(QStringLiteral("cannot leave WAL mode: %1").arg(to));
}

void bytes(const QString& from, const QString& to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly))
        throw BackupError(QStringLiteral("%1: %2").arg(in.errorString(), from));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw BackupError(QStringLiteral("%1: %2").arg(out.errorString(), to));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size())
            throw BackupError(QStringLiteral("%1: %2").arg(out.errorString(), to));
    if (in.error() != QFileDevice::NoError)
        throw BackupError(QStringLiteral("%1: %2").arg(in.errorString(), from));
    if (!out.flush())
        throw BackupError(QStringLiteral("%1: %2").arg(out.errorString(), to));
}

void requireWaybillTables(const QString& path)
{
    const SqliteFile file(path, SqliteFile::Mode::ReadOnly);
    const QStringList check = file.firstColumn(QStringLiteral("PRAGMA quick_check"));
    if (check != QStringList{QStringLiteral("ok")})
        throw BackupError(QStringLiteral("damaged: %1").arg(check.join(' ')));
    requireColumns(file, Schema::senderTable, Schema::senderColumns());
    requireColumns(file, Schema::recipientTable, Schema::recipientColumns());
    requireColumns(file, Schema::importedTable, Schema::recipientColumns());
}

} // namespace DatabaseCopy
