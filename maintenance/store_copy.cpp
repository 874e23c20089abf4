#include "maintenance/store_copy.h"

#include "maintenance/backup_error.h"
#include "maintenance/database_copy.h"
#include "store/bulk_insert.h"
#include "store/connection.h"
#include "store/database_file.h"
#include "store/schema.h"
#include "store/server_address.h"
#include "store/staged_file.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "store/store_tables.h"
#include "store/temporary_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <optional>

namespace StoreCopy {

namespace {

// Reads see one moment of the source, however long the copy takes.
void beginSnapshot(Connection& c)
{
    c.beginTransaction();
    if (c.dialect().isServer())
        c.execute(Statements::readOnlySnapshot());
}

int rowCount(Connection& c)
{
    int rows = 0;
    const QStringList there = StoreTables::present(c);
    for (const Schema::Table& t : Schema::tables()) {
        if (!there.contains(t.name))
            continue;
        QSqlQuery q = c.run(Statements::countRows(t.name));
        rows += q.next() ? q.value(0).toInt() : 0;
    }
    return rows;
}

// Every row of every table, in insertion order, values as they are (NULL
// stays NULL). Runs inside the callers' transactions.
int copyRows(Connection& from, Connection& to)
{
    int copied = 0;
    // A database from before the print log has none to copy.
    const QStringList there = StoreTables::present(from);
    for (const Schema::Table& t : Schema::tables()) {
        if (!there.contains(t.name))
            continue;
        QSqlQuery rows = from.run({from.dialect().selectRows(t.name), {}});
        BulkInsert insert(to, t.name, t.columns);
        QVariantList values;
        while (rows.next()) {
            values.clear();
            for (int i = 0; i < t.columns.size(); ++i)
                values << rows.value(i);
            insert.add(values);
            ++copied;
        }
        insert.finish();
    }
    return copied;
}

} // namespace

void open(Connection& connection, const QString& store, Connection::Shape shape)
{
    if (ServerAddress::looksLikeUrl(store)) {
        connection.openServer(ServerAddress::parse(store), shape);
        return;
    }
    if (!QFileInfo(store).isFile())
        throw StoreError(QStringLiteral("no database %1").arg(store));
    connection.openFile(store, shape);
}

int copy(const QString& from, const QString& to)
{
    // Read as it is: a backup copied from stays the file it was.
    Connection source;
    open(source, from, Connection::Shape::AsItIs);
    // A file's columns are checked as a restore checks them: a column
    // missing from it would otherwise read as its name in every row.
    if (!source.dialect().isServer())
        DatabaseCopy::requireWaybillTables(from);
    const bool toServer = ServerAddress::looksLikeUrl(to);
    // A file made for the copy is made aside and put in place only once
    // every row is in: an empty or half-filled data.mdb left by a failed or
    // killed copy would pass for a shop's data.
    std::optional<StagedFile> made;
    if (!toServer && !QFileInfo::exists(to)) {
        QDir().mkpath(QFileInfo(to).absolutePath());
        made.emplace(to);
        DatabaseFile::createEmpty(made->path());
    }
    Connection target;
    open(target, made ? made->path() : to, Connection::Shape::UpToDate);
    if (!toServer && !source.dialect().isServer() && QFileInfo(from) == QFileInfo(to))
        throw StoreError(QStringLiteral("%1 is the source itself").arg(to));
    if (toServer && StoreTables::present(target).isEmpty())
        StoreTables::create(target);
    beginSnapshot(source);
    target.beginTransaction();
    int copied = 0;
    try {
        for (const Schema::Table& t : Schema::tables())
            if (const QString lock = target.dialect().lockForReplace(t.name); !lock.isEmpty())
                target.execute({lock, {}});
        if (const int there = rowCount(target); there > 0)
            throw StoreError(
                QStringLiteral("%1 already holds %2 rows; nothing was copied").arg(to).arg(there));
        copied = copyRows(source, target);
        target.commit();
        source.rollback();
    } catch (...) {
        target.rollback();
        source.rollback();
        throw;
    }
    target.close();
    if (made)
        made->commit();
    return copied;
}

void backupServer(const QString& url, const QString& target)
{
    Connection server;
    open(server, url, Connection::Shape::UpToDate);
    StagedFile staged(target);
    // The staged file is there, empty; the database is made in it.
    DatabaseFile::createEmpty(staged.path());
    {
        Connection file;
        file.openFile(staged.path());
        beginSnapshot(server);
        file.beginTransaction();
        try {
            copyRows(server, file);
            file.commit();
            server.rollback();
        } catch (...) {
            file.rollback();
            server.rollback();
            throw;
        }
    }
    staged.commit();
}

void restoreServer(const QString& chosen, const QString& url,
                   const std::function<void()>& beforeReplace)
{
    if (!QFileInfo(chosen).isFile())
        throw BackupError(QStringLiteral(u"%1 不是可读取的文件").arg(chosen),
                          BackupError::Kind::NoFile);
    Connection server;
    open(server, url, Connection::Shape::UpToDate);
    // The same checks as a restore of data.mdb, and only the tables' rows
    // of the backup are read, from a copy of its own.
    QTemporaryDir scratch(TemporaryFiles::scratchTemplate());
    const QString checked = scratch.filePath(QStringLiteral("restore.mdb"));
    if (!scratch.isValid() || !QFile(checked).open(QIODevice::WriteOnly))
        throw BackupError(QStringLiteral("no room for a scratch copy: %1").arg(checked));
    DatabaseCopy::checkedDataOnly(chosen, checked);
    Connection backup;
    backup.openFile(checked, Connection::Shape::AsItIs);
    server.beginTransaction();
    try {
        for (const Schema::Table& t : Schema::tables()) {
            server.execute({server.dialect().lockForReplace(t.name), {}});
            server.execute(Statements::deleteAll(t.name));
        }
        copyRows(backup, server);
        if (beforeReplace)
            beforeReplace();
        server.commit();
    } catch (...) {
        server.rollback();
        throw;
    }
}

} // namespace StoreCopy
