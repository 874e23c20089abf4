#include "store/connection_recipe.h"

#include <QDir>
#include <QUrl>

namespace ConnectionRecipe {

namespace {

QString& dataFolder()
{
    static QString folder;
    return folder;
}

} // namespace

void setDataFolder(const QString& folder)
{
    dataFolder() = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString databasePath()
{
    const QDir folder = dataFolder().isEmpty() ? QDir::current() : QDir(dataFolder());
    return folder.absoluteFilePath(fileName);
}

QString uriFor(const QString& path)
{
    return QUrl::fromLocalFile(QDir(path).absolutePath()).toString(QUrl::FullyEncoded) +
           QStringLiteral("?mode=rw");
}

} // namespace ConnectionRecipe
