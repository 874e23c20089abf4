#include "store/database_file.h"

#include "store/connection.h"
#include "store/connection_recipe.h"
#include "store/data_folder.h"
#include "store/staged_file.h"
#include "store/store_error.h"
#include "store/store_tables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace DatabaseFile {

void createEmpty(const QString& path)
{
    // An empty file holds nothing to keep: what a failed attempt may have
    // left before files were staged.
    if (const QFileInfo existing(path); existing.exists() || existing.isSymLink()) {
        if (!existing.isFile() || existing.size() > 0)
            throw StoreError(QStringLiteral("%1 already exists; nothing was changed").arg(path));
    }
    // A data folder named on the command line may not exist yet; why it
    // cannot be made is the reason, not the file missing from it. The
    // system's words in the user's language, as QFile gives them.
    const QString folder = QFileInfo(path).absolutePath();
    std::error_code made;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), made);
    if (made)
        throw StoreError(
            QStringLiteral(u"无法创建文件夹 %1：%2").arg(folder, qt_error_string(made.value())));
    StagedFile staged(path);
    {
        Connection connection;
        connection.openFile(staged.path());
        StoreTables::create(connection);
    }
    staged.commit();
}

} // namespace DatabaseFile

// Here, not in data_folder.cpp: what only names folders links without the
// database engine (sfwaybill-cli's light start).
void DataFolder::prepare(const QString& folder)
{
    const QString path = QDir(folder).absoluteFilePath(ConnectionRecipe::fileName);
    if (!QFileInfo::exists(path))
        DatabaseFile::createEmpty(path);
}
