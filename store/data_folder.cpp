#include "store/data_folder.h"

#include "store/connection_recipe.h"
#include "store/database_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder {

namespace {

const QString dataDirOption = QStringLiteral("--data-dir");
const QString userDataOption = QStringLiteral("--user-data");

} // namespace

bool takeOption(QStringList& args, QString* folder)
{
    folder->clear();
    bool given = false;
    for (qsizetype i = 0; i < args.size();) {
        const QString arg = args.at(i);
        QString chosen;
        if (arg == userDataOption) {
            chosen = userFolder();
            args.removeAt(i);
        } else if (arg == dataDirOption) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty())
                return false;
            chosen = args.at(i + 1);
            args.remove(i, 2);
        } else if (arg.startsWith(dataDirOption + QLatin1Char('='))) {
            chosen = arg.mid(dataDirOption.size() + 1);
            if (chosen.isEmpty())
                return false;
            args.removeAt(i);
        } else {
            ++i;
            continue;
        }
        if (given)
            return false;
        given = true;
        *folder = chosen;
    }
    return true;
}

QString userFolder()
{
    // Not AppDataLocation: that would add an organisation folder once one is set.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("sfwaybill"));
}

void prepare(const QString& folder)
{
    const QString path = QDir(folder).absoluteFilePath(ConnectionRecipe::fileName);
    if (!QFileInfo::exists(path))
        DatabaseFile::createEmpty(path);
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
