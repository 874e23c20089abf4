#pragma once

#include <QString>
#include <QStringList>

// A data folder named on the command line instead of the current directory:
// "--data-dir DIR" (or --data-dir=DIR), or "--user-data" for the user's
// own folder, the one the menu entry uses.
namespace DataFolder {

// Takes the option out of args, wherever it stands, and puts the chosen
// folder into *folder (empty when none was given). False when the option
// is malformed: no DIR, or given twice.
bool takeOption(QStringList& args, QString* folder);

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
