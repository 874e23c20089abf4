#pragma once

#include <QString>

// Creates an empty data.mdb holding the three tables, and its folder when
// missing; refuses to overwrite.
namespace DatabaseFile {

// Throws StoreError when the file exists or cannot be written.
void createEmpty(const QString& path);

} // namespace DatabaseFile
