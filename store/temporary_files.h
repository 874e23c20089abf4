#pragma once

#include <QString>

// Our own temporary files: staged files beside the file they become, and
// scratch folders in the system's temporary folder. Their names carry the
// id of the process that made them, so a later start removes what a killed
// run left behind and never touches the files of a run still at work.
namespace TemporaryFiles {

// Template for QTemporaryFile: "<target>.sfwaybill-<pid>-XXXXXX.tmp".
QString stagedTemplate(const QString& target);
// Template for QTemporaryDir: "<temporary folder>/sfwaybill-<pid>-XXXXXX".
QString scratchTemplate();

// Whether `name` is one of our staged files (or its journal): a file some
// run of the program is writing.
bool isStaged(const QString& name);

// Removes staged files in `folder` and scratch folders of processes that
// no longer run. Failures are ignored: a leftover is no error.
void removeLeftovers(const QString& folder);

} // namespace TemporaryFiles
