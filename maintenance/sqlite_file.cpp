#include "maintenance/sqlite_file.h"

#include "maintenance/backup_error.h"

#include <QFile>
#include <sqlite3.h>

namespace {

// Waits as long as a connection does for another connection's write.
constexpr int busyTimeoutMs = 10000;

} // namespace

SqliteFile::SqliteFile(const QString& path, Mode mode) : m_path(path)
{
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE; // never creates
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = lastError();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw BackupError(QStringLiteral("%1: %2").arg(text, path));
    }
    sqlite3_busy_timeout(m_db, busyTimeoutMs);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
}

SqliteFile::~SqliteFile()
{
    sqlite3_close_v2(m_db);
}

QString SqliteFile::lastError() const
{
    return QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : "out of memory");
}

void SqliteFile::fail(int code) const
{
    throw BackupError(
        QStringLiteral("%1: %2").arg(QString::fromUtf8(sqlite3_errstr(code)), m_path));
}

QStringList SqliteFile::firstColumn(const Statement& statement) const
{
    SqliteStatement q(*this, statement);
    QStringList values;
    while (q.step())
        values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(*q, 0)));
    return values;
}

void SqliteFile::execute(const QString& sql)
{
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        throw BackupError(QStringLiteral("%1: %2").arg(lastError(), m_path));
}

sqlite3_file* SqliteFile::mainFile() const
{
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(m_db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        throw BackupError(QStringLiteral("no file handle: %1").arg(m_path));
    return file;
}

SqliteStatement::SqliteStatement(const SqliteFile& file, const Statement& statement) : m_file(file)
{
    if (sqlite3_prepare_v2(file.handle(), statement.text.toUtf8().constData(), -1, &m_statement,
                           nullptr) != SQLITE_OK)
        throw BackupError(QStringLiteral("%1: %2").arg(file.lastError(), file.path()));
    for (int i = 0; i < statement.bindings.size(); ++i) {
        const QVariant& v = statement.bindings.at(i);
        if (v.isNull()) {
            sqlite3_bind_null(m_statement, i + 1);
        } else if (v.metaType() == QMetaType::fromType<int>() ||
                   v.metaType() == QMetaType::fromType<qlonglong>()) {
            sqlite3_bind_int64(m_statement, i + 1, v.toLongLong());
        } else {
            const QByteArray text = v.toString().toUtf8();
            sqlite3_bind_text(m_statement, i + 1, text.constData(), int(text.size()),
                              SQLITE_TRANSIENT);
        }
    }
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

bool SqliteStatement::step()
{
    const int rc = sqlite3_step(m_statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_file.fail(rc);
    return rc == SQLITE_ROW;
}
