#include "store/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ProgramFiles {

QString find(const QString& relative)
{
    return find(relative, QCoreApplication::applicationDirPath());
}

QString find(const QString& relative, const QString& programFolder)
{
    // SF_FILES_FROM_BINDIR: the installed folder seen from the installed
    // programs, e.g. "../share/sfwaybill"; set by the install rules.
    const QDir program(programFolder);
    for (const QString& folder :
         {program.filePath(QStringLiteral(SF_FILES_FROM_BINDIR)), program.path()}) {
        const QFileInfo file(QDir(folder).filePath(relative));
        if (file.exists())
            return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

} // namespace ProgramFiles
