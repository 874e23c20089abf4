#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

// A database file opened through the SQLite C API, for the work QtSql
// does not offer (the online backup). Throws BackupError.
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
    QStringList firstColumn(const QString& sql) const;

private:
    QString m_path;
    sqlite3* m_db = nullptr;
};
