#pragma once

#include <QString>

// Whether a file name leads to the database file, under whatever name: a
// symbolic link, a hard link, another spelling of the path.
namespace FileIdentity {

// True when writing to `target` would write into the database `database`
// or one of the files SQLite keeps beside it (journal, WAL).
bool isPartOfDatabase(const QString& target, const QString& database);

} // namespace FileIdentity
