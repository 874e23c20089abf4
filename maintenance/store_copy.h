#pragma once

#include "store/connection.h"

#include <QString>
#include <functional>

// Moving rows between the two stores: data.mdb (or a backup, both SQLite
// files) and a PostgreSQL server. A store is named by a file path or by a
// postgresql:// URL. Throw CommandError (BackupError or StoreError).
namespace StoreCopy {

// Opens the store the text names; a file must exist.
void open(Connection& connection, const QString& store, Connection::Shape shape);

// Copies every row of the program's tables from `from` to `to`, which must
// hold none: a missing file is created, a server database without the
// tables gets them. Refuses a target that holds rows, and the same store.
// Returns the rows copied.
int copy(const QString& from, const QString& to);

// Writes the server's rows, as one consistent snapshot, to `target` as an
// SQLite database with the program's tables: the same .bak a backup of
// data.mdb is, so it restores to either store.
void backupServer(const QString& url, const QString& target);

// Replaces the rows of the server's tables by those of the backup `chosen`
// in one transaction, after the checks a restore of data.mdb makes.
// `beforeReplace` runs once everything is checked, before the commit.
void restoreServer(const QString& chosen, const QString& url,
                   const std::function<void()>& beforeReplace = {});

} // namespace StoreCopy
