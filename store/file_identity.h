#pragma once

#include <QString>

// Whether a file name leads to the database file, under whatever name: a
// symbolic link, a hard link, another spelling of the path.
namespace FileIdentity {

// Why none of our outputs (export, backup, PDF) may be written to `target`:
// it leads to the database `database` (a path; a server's URL has no file),
// to a file a run of the program is staging, or to anything that is not a
// regular file (device, FIFO, folder). The reason ends where the command
// adds its own ending ("…，不能导出到它上面"); `doing` is its verb ("导出").
// Empty when the target may be written.
QString refusal(const QString& target, const QString& database, const QString& doing);

} // namespace FileIdentity
