#pragma once

#include <QString>
#include <functional>

// Copies of data.mdb. Throws BackupError.
namespace DatabaseCopy {

// A consistent copy through SQLite's online backup: it waits for a write in
// progress on any connection and rolls back a journal left by a crash, so
// the copy holds committed rows only. `to` must be an existing file, empty
// or a database; it is overwritten.
void online(const QString& from, const QString& to);

// A plain byte copy, for a file that may not even be a database.
void bytes(const QString& from, const QString& to);

// Whether the file starts like an SQLite database.
bool looksLikeDatabase(const QString& path);

// Throws unless the file is an intact database holding the three tables
// with every column the program reads.
void requireWaybillTables(const QString& path);

// Fills the empty file `to` with the program's own tables, all columns
// text but the print log's shifts, and the rows of those tables in `from`
// (of the print log when it has one, in the columns we know): nothing else of `from`
// (triggers, views, indexes, other tables, column types) comes along. The
// copy holds the current version (SchemaSteps) and a new generation
// (Connection::generation).
void dataOnly(const QString& from, const QString& to);
// A backup chosen for a restore: readable, requireWaybillTables(), then dataOnly();
// throws BackupError naming the file.
void checkedDataOnly(const QString& chosen, const QString& to);

// Replaces the content of the database `live` by that of `from` inside one
// SQLite write transaction, so a crash at any point leaves the old or the
// new content and other connections wait or see either. Under the same
// lock `live` is first saved to `kept`, then `beforeReplace` runs.
void replaceContent(const QString& from, const QString& live, const QString& kept,
                    const std::function<void()>& beforeReplace);

} // namespace DatabaseCopy
