#pragma once

#include <QString>

// Creates an empty data.mdb holding the three tables, and its folder when
// missing, written aside and renamed into place, so a failure leaves
// nothing; refuses to overwrite a file that holds anything.
namespace DatabaseFile {

// Throws StoreError when the file exists or cannot be written.
void createEmpty(const QString& path);

} // namespace DatabaseFile
