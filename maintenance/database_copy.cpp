#include "maintenance/database_copy.h"

#include "maintenance/backup_error.h"
#include "maintenance/sqlite_file.h"
#include "store/schema.h"
#include "store/schema_steps.h"
#include "store/staged_file.h"
#include "store/statements.h"

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <sqlite3.h>

namespace DatabaseCopy {

namespace {

// Qt's reason for a failed write is often "Unknown error"; the system's is
// the one that tells (a full disk).
QString writeFailed(const QString& path)
{
    return QStringLiteral(u"无法写入 %1：%2")
        .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Case as SQLite itself ignores it in a table's name.
bool holdsTable(const SqliteFile& file, const QString& table)
{
    return file.firstColumn(Statements::tableNames(SqlDialect()))
        .contains(table, Qt::CaseInsensitive);
}

QStringList columnsOf(const SqliteFile& file, const QString& table)
{
    return file.firstColumn(Statements::tableColumns(SqlDialect(), table));
}

void requireTable(const SqliteFile& file, const QString& table, const QStringList& columns)
{
    if (!holdsTable(file, table))
        throw BackupError(QStringLiteral(u"没有表 %1").arg(table));
    const QStringList present = columnsOf(file, table);
    for (const QString& column : columns)
        if (!present.contains(column))
            throw BackupError(QStringLiteral(u"表 %2 中没有列 %1").arg(column, table));
}

// Every value goes in as text (or NULL), whatever the source column's type
// made of it.
void copyRows(const SqliteFile& from, const SqliteFile& to, const QString& table,
              const QStringList& columns)
{
    SqliteStatement select(from, Statements::selectColumns(table, columns));
    SqliteStatement insert(to, Statements::insertRow(SqlDialect(), table, columns, {}));
    while (select.step()) {
        for (int i = 0; i < columns.size(); ++i) {
            if (sqlite3_column_type(*select, i) == SQLITE_NULL) {
                sqlite3_bind_null(*insert, i + 1);
                continue;
            }
            const auto* text = sqlite3_column_text(*select, i);
            sqlite3_bind_text(*insert, i + 1, reinterpret_cast<const char*>(text),
                              sqlite3_column_bytes(*select, i), SQLITE_TRANSIENT);
        }
        insert.step();
        sqlite3_reset(*insert);
    }
}

// The online backup from one file into another, finished (and rolled back
// when incomplete) whatever happens.
class Backup {
public:
    Backup(const SqliteFile& to, const SqliteFile& from) : m_to(to)
    {
        m_backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
        if (!m_backup)
            throw BackupError(QStringLiteral("%1: %2").arg(to.lastError(), to.path()));
    }
    ~Backup() { sqlite3_backup_finish(m_backup); }
    Backup(const Backup&) = delete;
    Backup& operator=(const Backup&) = delete;

    // Zero pages only takes the locks: a write in progress anywhere is
    // waited for and a journal left by a crash is rolled back.
    void lock() { require(sqlite3_backup_step(m_backup, 0), SQLITE_OK); }
    void copyAll()
    {
        require(sqlite3_backup_step(m_backup, -1), SQLITE_DONE);
        const int rc = sqlite3_backup_finish(m_backup);
        m_backup = nullptr;
        require(rc, SQLITE_OK);
    }

private:
    void require(int rc, int expected) const
    {
        if (rc != expected)
            m_to.fail(rc);
    }

    const SqliteFile& m_to;
    sqlite3_backup* m_backup = nullptr;
};

void requireRollbackJournal(SqliteFile& file)
{
    // A copy of a WAL database would be one too, with its side files.
    if (file.firstColumn(Statements::rollbackJournal()) != QStringList{QStringLiteral("delete")})
        throw BackupError(QStringLiteral(u"无法退出 WAL 模式：%1").arg(file.path()));
}

void saveThroughSqlite(const SqliteFile& live, const QString& kept)
{
    sqlite3_file* file = live.mainFile();
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw BackupError(QStringLiteral(u"无法读取 %1").arg(live.path()));
    // Staged files are the owner's only, whatever data.mdb allows.
    StagedFile staged(kept);
    QFile out(staged.path());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw BackupError(writeFailed(kept));
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (sqlite3_int64 at = 0; at < size; at += chunk.size()) {
        const int n = int(std::min<sqlite3_int64>(chunk.size(), size - at));
        if (file->pMethods->xRead(file, chunk.data(), n, at) != SQLITE_OK)
            throw BackupError(QStringLiteral(u"无法读取 %1").arg(live.path()));
        if (out.write(chunk.constData(), n) != n)
            throw BackupError(writeFailed(kept));
    }
    if (!out.flush())
        throw BackupError(writeFailed(kept));
    out.close();
    staged.commit();
}

} // namespace

void online(const QString& from, const QString& to)
{
    SqliteFile source(from, SqliteFile::Mode::ReadWrite);
    SqliteFile target(to, SqliteFile::Mode::ReadWrite);
    Backup(target, source).copyAll();
    requireRollbackJournal(target);
}

void bytes(const QString& from, const QString& to)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly))
        throw BackupError(QStringLiteral(u"无法读取 %1：%2").arg(from, in.errorString()));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw BackupError(writeFailed(to));
    QByteArray chunk;
    while (!(chunk = in.read(1 << 20)).isEmpty())
        if (out.write(chunk) != chunk.size())
            throw BackupError(writeFailed(to));
    if (in.error() != QFileDevice::NoError)
        throw BackupError(QStringLiteral(u"无法读取 %1：%2").arg(from, in.errorString()));
    if (!out.flush())
        throw BackupError(writeFailed(to));
}

bool looksLikeDatabase(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

void requireWaybillTables(const QString& path)
{
    const SqliteFile file(path, SqliteFile::Mode::ReadOnly);
    const QStringList check = file.firstColumn(Statements::quickCheck());
    if (check != QStringList{QStringLiteral("ok")})
        throw BackupError(QStringLiteral(u"文件已损坏：%1").arg(check.join(' ')));
    requireTable(file, Schema::senderTable, Schema::senderColumns());
    requireTable(file, Schema::recipientTable, Schema::recipientColumns());
    requireTable(file, Schema::importedTable, Schema::recipientColumns());
}

void dataOnly(const QString& from, const QString& to)
{
    const SqliteFile source(from, SqliteFile::Mode::ReadOnly);
    SqliteFile target(to, SqliteFile::Mode::ReadWrite);
    requireRollbackJournal(target);
    target.execute(Statements::begin().text);
    for (const Schema::Table& t : Schema::tables())
        target.execute(Statements::createTable(SqlDialect(), t.name).text);
    copyRows(source, target, Schema::senderTable, Schema::senderColumns());
    copyRows(source, target, Schema::recipientTable, Schema::recipientColumns());
    copyRows(source, target, Schema::importedTable, Schema::recipientColumns());
    // A backup from before the print log has none; one with the log keeps
    // the columns we know of it.
    const QStringList logColumns = columnsOf(source, Schema::printLogTable);
    QStringList known;
    for (const QString& c : Schema::printLogColumns())
        if (logColumns.contains(c))
            known << c;
    if (!known.isEmpty())
        copyRows(source, target, Schema::printLogTable, known);
    // Order and waybill numbers: a backup from before them has none.
    for (const auto& [table, columns] :
         {std::pair{Schema::importedOrdersTable, Schema::importedOrdersColumns()},
          std::pair{Schema::waybillNumbersTable, Schema::waybillNumbersColumns()}})
        if (!columnsOf(source, table).isEmpty())
            copyRows(source, target, table, columns);
    // Made after the rows: one sort instead of one insert per row.
    for (const Schema::Table& t : Schema::tables())
        for (const Statement& s : Statements::createIndexes(t.name))
            target.execute(s.text);
    // The tables are this program's shape, whatever the backup's was.
    for (const Statement& s : Statements::writeVersion(SqlDialect(), SchemaSteps::current()))
        target.execute(s.text);
    // Tells connections that read rows before that their row ids are void.
    target.execute(
        Statements::setGeneration(QRandomGenerator::global()->bounded(1, 0x7FFFFFFF)).text);
    target.execute(Statements::commit().text);
}

void replaceContent(const QString& from, const QString& live, const QString& kept,
                    const std::function<void()>& beforeReplace)
{
    SqliteFile target(live, SqliteFile::Mode::ReadWrite);
    requireRollbackJournal(target);
    const SqliteFile source(from, SqliteFile::Mode::ReadOnly);
    Backup backup(target, source);
    backup.lock();
    saveThroughSqlite(target, kept);
    if (beforeReplace)
        beforeReplace();
    backup.copyAll();
}

void checkedDataOnly(const QString& chosen, const QString& to)
{
    // Unreadable is no sign of another program's file: said as it is.
    if (QFile file(chosen); !file.open(QIODevice::ReadOnly))
        throw BackupError(QStringLiteral(u"无法读取 %1：%2").arg(chosen, file.errorString()));
    try {
        requireWaybillTables(chosen);
        dataOnly(chosen, to);
    } catch (const CommandError& e) {
        throw BackupError(QStringLiteral(u"%1 不是本软件的数据库：%2").arg(chosen, e.text()),
                          BackupError::Kind::NotADatabase);
    }
}

} // namespace DatabaseCopy
