#pragma once

#include <QString>

// Copies of data.mdb. Throws BackupError.
namespace DatabaseCopy {

// A consistent copy through SQLite's online backup: it waits for a write in
// progress on any connection, so the copy is never torn. `to` must be an
// existing file, empty or a database; it is overwritten.
void online(const QString& from, const QString& to);

// A plain byte copy, for a file that may not even be a database.
void bytes(const QString& from, const QString& to);

// Throws unless the file is an intact database holding the three tables
// with every column the program reads.
void requireWaybillTables(const QString& path);

} // namespace DatabaseCopy
