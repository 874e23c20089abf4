#pragma once

#include <QString>

// Where data.mdb is: the data folder chosen at start-up (--data-dir), else
// the current working directory at the moment a connection is (re)opened,
// never the program's folder.
namespace ConnectionRecipe {

inline const QString fileName = QStringLiteral("data.mdb");

// An empty folder brings back the current directory.
void setDataFolder(const QString& folder);

QString databasePath(); // absolute path of data.mdb

// SQLite URI that opens the file read-write and never creates it.
QString uriFor(const QString& path);

} // namespace ConnectionRecipe
