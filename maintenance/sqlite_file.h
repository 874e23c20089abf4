#pragma once

#include "store/statement.h"

#include <QString>
#include <QStringList>

struct sqlite3;
struct sqlite3_file;
struct sqlite3_stmt;

// A database file opened through the SQLite C API, for the work QtSql
// does not offer (the online backup, locks, row copies). A read-write open
// rolls back a journal left by a crash; a file that cannot be written is
// opened read-only. The file's own SQL (views, triggers) is never trusted
// to call functions. Throws BackupError.
class SqliteFile {
public:
    enum class Mode { ReadOnly, ReadWrite };

    SqliteFile(const QString& path, Mode mode);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    sqlite3* handle() const { return m_db; }
    QString path() const { return m_path; }
    QString lastError() const;

    // First column of every row a statement returns.
    QStringList firstColumn(const Statement& statement) const;
    QStringList firstColumn(const QString& sql) const { return firstColumn(Statement{sql, {}}); }
    // Runs statements that return nothing of interest.
    void execute(const QString& sql);
    // SQLite's own handle of the main file: reading through it keeps the
    // locks this connection holds, which closing a descriptor of our own
    // on the same file would drop.
    sqlite3_file* mainFile() const;

    [[noreturn]] void fail(int code) const;

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};

// One statement prepared on a file, its values bound (numbers as numbers,
// everything else as text), finalized whatever happens. Throws BackupError.
class SqliteStatement {
public:
    SqliteStatement(const SqliteFile& file, const Statement& statement);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    sqlite3_stmt* operator*() const { return m_statement; }
    // True while there is a row.
    bool step();

private:
    const SqliteFile& m_file;
    sqlite3_stmt* m_statement = nullptr;
};
