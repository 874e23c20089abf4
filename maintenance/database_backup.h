#pragma once

#include <QString>
#include <functional>

// Backup of data.mdb to a file of the user's choosing and restore from one.
// A store named by a postgresql:// URL instead of a path is a server: its
// backup is the same kind of file, its restore replaces the rows.
// Both leave their target either as it was or wholly replaced. Throw
// BackupError with the reason.
namespace DatabaseBackup {

// The name a backup is written under: ".bak" appended unless already there.
QString backupFileName(const QString& chosen);

// Where a restore keeps the database it replaced.
QString beforeRestorePath(const QString& live);

// Copies the database `source` to `target`, replacing an existing target.
// Safe while the program works on `source`.
void backup(const QString& source, const QString& target);

// Replaces `live` by a copy of `chosen`, which must be a database holding
// the three tables. `beforeReplace` runs once everything is checked and
// written, right before the replacement; nothing is changed when the
// restore fails before it.
void restore(const QString& chosen, const QString& live,
             const std::function<void()>& beforeReplace = {});

} // namespace DatabaseBackup
