#include "store/connection_recipe.h"

#include <QDir>
#include <QUrl>

namespace ConnectionRecipe {

QString uriFor(const QString& path)
{
    return QUrl::fromLocalFile(QDir(path).absolutePath()).toString(QUrl::FullyEncoded) +
           QStringLiteral("?mode=rw");
}

} // namespace ConnectionRecipe
