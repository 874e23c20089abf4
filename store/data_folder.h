#pragma once

#include <QString>

// A data folder named on the command line (StoreOptions) instead of the
// current directory.
namespace DataFolder {

// $XDG_DATA_HOME/sfwaybill, by default ~/.local/share/sfwaybill.
QString userFolder();

// The window program's first start in a data folder: creates the folder
// and an empty data.mdb in it when they are missing; an existing file is
// left alone. Throws StoreError.
void prepare(const QString& folder);

// Told with the engine's error when data.mdb is missing at start-up: how
// to make one. Empty when the file exists.
QString missingDatabaseAdvice(const QString& databasePath);

} // namespace DataFolder
