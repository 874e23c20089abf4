#pragma once

#include <QString>

// How a connection names data.mdb to the engine.
namespace ConnectionRecipe {

inline const QString fileName = QStringLiteral("data.mdb");

// SQLite URI that opens the file read-write and never creates it.
QString uriFor(const QString& path);

} // namespace ConnectionRecipe
