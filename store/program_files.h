#pragma once

#include <QString>

// Files the program reads besides its code: the help pages and the
// picture of the blank form. Installed they lie in share/sfwaybill; in the
// build tree they are copied beside the program.
namespace ProgramFiles {

// The absolute path of a file named relative to that folder, from the
// installed folder first, else from beside the program; empty when neither
// holds it.
QString find(const QString& relative);
QString find(const QString& relative, const QString& programFolder);

} // namespace ProgramFiles
