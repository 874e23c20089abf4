#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Looking at database files from the outside, as a user's file manager or
// a second program would.
namespace DatabaseFiles {

QByteArray contents(const QString& path); // empty when unreadable

// Every row of the three tables, "table|col|col...", read through a
// connection of its own.
QStringList tablesOf(const QString& path);

QStringList filesIn(const QString& dir); // names, sorted

} // namespace DatabaseFiles
