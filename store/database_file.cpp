#include "store/database_file.h"

#include "store/schema.h"
#include "store/staged_file.h"
#include "store/store_error.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace DatabaseFile {

void createEmpty(const QString& path)
{
    // An empty file holds nothing to keep: what a failed attempt may have
    // left before files were staged.
    if (const QFileInfo existing(path); existing.exists() || existing.isSymLink()) {
        if (!existing.isFile() || existing.size() > 0)
            throw StoreError(QStringLiteral("%1 already exists; nothing was changed").arg(path));
    }
    // A data folder named on the command line may not exist yet.
    QDir().mkpath(QFileInfo(path).absolutePath());
    StagedFile staged(path);
    const QString name = QStringLiteral("sf-create-") + path;
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(staged.path());
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery q(db);
            q.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
            for (const QString& sql : Schema::createStatements()) {
                if (!q.exec(sql)) {
                    error = q.lastError().text();
                    break;
                }
            }
            q.finish();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty())
        throw StoreError(error);
    staged.commit();
}

} // namespace DatabaseFile
