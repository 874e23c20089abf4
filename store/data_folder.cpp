#include "store/data_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder {

QString userFolder()
{
    // Not AppDataLocation: that would add an organisation folder once one is set.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("sfwaybill"));
}

QString missingDatabaseAdvice(const QString& databasePath)
{
    const QFileInfo file(databasePath);
    if (file.exists())
        return {};
    return QStringLiteral(u"文件夹 %1 中没有数据库文件 %2。\n"
                          u"新建一个空数据库：在该文件夹中运行 sfwaybill-cli init；"
                          u"或从应用程序菜单启动本软件，数据将保存在 %3。")
        .arg(QDir::toNativeSeparators(file.absolutePath()), file.fileName(),
             QDir::toNativeSeparators(userFolder()));
}

} // namespace DataFolder
