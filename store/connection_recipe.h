#pragma once

#include <QString>

// Where data.mdb is: the current working directory at the moment a
// connection is (re)opened, never the program's folder.
namespace ConnectionRecipe {

inline const QString fileName = QStringLiteral("data.mdb");

QString databasePath(); // absolute path in the current directory

// SQLite URI that opens the file read-write and never creates it.
QString uriFor(const QString& path);

} // namespace ConnectionRecipe
