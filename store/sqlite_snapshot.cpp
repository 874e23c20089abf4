#include "store/sqlite_snapshot.h"

#include <QByteArrayView>
#include <QSqlDriver>
#include <QString>
#include <sqlite3.h>

namespace SqliteSnapshot {

namespace {

bool bind(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
        return sqlite3_bind_int64(statement, index, value.toLongLong()) == SQLITE_OK;
    default: {
        const QByteArray text = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, text.constData(), int(text.size()),
                                 SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

} // namespace

bool read(QSqlDriver* driver, const Statement& statement, Rows& rows)
{
    if (!driver || driver->dbmsType() != QSqlDriver::SQLite)
        return false;
    const QVariant handle = driver->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return false;
    sqlite3* db = *static_cast<sqlite3* const*>(handle.constData());
    if (!db)
        return false;
    sqlite3_stmt* s = nullptr;
    const QByteArray sql = statement.text.toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        return false;
    }
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owner(s, sqlite3_finalize);
    for (qsizetype i = 0; i < statement.bindings.size(); ++i)
        if (!bind(s, int(i + 1), statement.bindings.at(i)))
            return false;
    const int count = sqlite3_column_count(s);
    Rows result;
    result.text = std::exchange(rows.text, RowText(rows.text.compressed()));
    result.text.restart();
    for (int c = 1; c < count; ++c)
        result.columns << QString::fromUtf8(sqlite3_column_name(s, c));
    int step;
    while ((step = sqlite3_step(s)) == SQLITE_ROW) {
        result.identities.append(QVariant(qlonglong(sqlite3_column_int64(s, 0))));
        result.starts.append(result.text.beginRow());
        for (int c = 1; c < count; ++c) {
            // One look-up of the column for its text and its size: each
            // sqlite3_column_* call locks the connection anew, which costs
            // as much as the copy. The value is unprotected, which is sound
            // here: no other thread ever uses a connection of ours.
            sqlite3_value* cell = sqlite3_column_value(s, c);
            // Asked first: reading a value as text may change its type.
            const bool blob = sqlite3_value_type(cell) == SQLITE_BLOB;
            const char* value = reinterpret_cast<const char*>(sqlite3_value_text(cell));
            const int size = value ? sqlite3_value_bytes(cell) : 0;
            if (QByteArrayView(value, size).isValidUtf8()) {
                result.text.value(value, size);
                continue;
            }
            // Bytes that are no UTF-8 read as the driver reads them: text
            // through SQLite's own UTF-16, which keeps a stray byte as a
            // character of its own, and a blob through Qt's.
            const QString decoded =
                blob ? QString::fromUtf8(value, size)
                     : QString(static_cast<const QChar*>(sqlite3_value_text16(cell)),
                               sqlite3_value_bytes16(cell) / int(sizeof(QChar)));
            const QByteArray text = decoded.toUtf8();
            result.text.value(text.constData(), text.size());
        }
    }
    result.text.finish();
    if (step != SQLITE_DONE)
        return false;
    rows = std::move(result);
    return true;
}

} // namespace SqliteSnapshot
