#include "store/bulk_insert.h"

#include "store/sql_dialect.h"
#include "store/statements.h"
#include "store/store_error.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <algorithm>
#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// COPY's text goes to the server in pieces of about this size. A piece
// waits for the server to take all of it but what the socket holds: in
// small pieces the server stores rows while the next piece is written,
// instead of waiting for it.
constexpr qsizetype copyPiece = 1 << 16;

PGconn* serverHandle(Connection& connection)
{
    QSqlDriver* driver = connection.driver();
    const QVariant handle = driver ? driver->handle() : QVariant();
    // The driver names the type by its typedef or by the struct behind it.
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        throw StoreError(QStringLiteral("no PostgreSQL connection for COPY"));
    return *static_cast<PGconn* const*>(handle.constData());
}

sqlite3* fileHandle(Connection& connection)
{
    QSqlDriver* driver = connection.driver();
    const QVariant handle = driver ? driver->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw StoreError(QStringLiteral("no SQLite connection"));
    return *static_cast<sqlite3* const*>(handle.constData());
}

// As the driver binds each type. Texts and blobs are bound where they lie
// in `held`, which keeps them until the row is written: copied by the
// engine instead, every value of an import took an allocation more.
int bind(sqlite3_stmt* statement, int index, const QVariant& value, QByteArray& held)
{
    if (value.isNull())
        return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
    case QMetaType::QByteArray:
        held = value.toByteArray();
        return sqlite3_bind_blob(statement, index, held.constData(), int(held.size()),
                                 SQLITE_STATIC);
    case QMetaType::Int:
    case QMetaType::Bool:
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(statement, index, value.toDouble());
    default:
        held = value.toString().toUtf8();
        return sqlite3_bind_text(statement, index, held.constData(), int(held.size()),
                                 SQLITE_STATIC);
    }
}

QString serverText(PGconn* server)
{
    return QString::fromUtf8(PQerrorMessage(server)).trimmed();
}

// The letter that follows a backslash in COPY's text form for what would
// end a value or a row; 0 for any other character.
char escapeLetter(char16_t c)
{
    switch (c) {
    case u'\\':
        return '\\';
    case u'\t':
        return 't';
    case u'\n':
        return 'n';
    case u'\r':
        return 'r';
    default:
        return 0;
    }
}

// `text` in COPY's text form at `out`, which has room for
// requiredSpace(text.size()): an escape takes two bytes of the three a
// UTF-16 unit may need. Returns the end. Through a UTF-8 copy of each
// value and a byte at a time, the rows took longer to write than the
// server took to store them.
char* appendCopyText(char* out, const QString& text, QStringEncoder& utf8)
{
    char* const begin = out;
    const auto* units = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Every unit above the backslash needs no escape.
        const char escape = units[i] > u'\\' ? 0 : escapeLetter(units[i]);
        if (!escape)
            continue;
        out = utf8.appendToBuffer(out, QStringView(units + from, i - from));
        *out++ = '\\';
        *out++ = escape;
        from = i + 1;
    }
    out = utf8.appendToBuffer(out, QStringView(units + from, text.size() - from));
    if (!utf8.hasError())
        return out;
    // Half a surrogate pair: written as toUtf8() writes it ('?'), as
    // data.mdb stores it, where the encoder writes U+FFFD.
    utf8.resetState();
    out = begin;
    for (const char c : text.toUtf8()) {
        if (const char escape = escapeLetter(uchar(c))) {
            *out++ = '\\';
            *out++ = escape;
        } else {
            *out++ = c;
        }
    }
    return out;
}

} // namespace

BulkInsert::BulkInsert(Connection& connection, const QString& table, const QStringList& columns)
    : m_connection(connection), m_table(table), m_columns(columns)
{
}

BulkInsert::~BulkInsert()
{
    sqlite3_finalize(m_insert);
    if (!m_copying)
        return;
    try {
        PGconn* server = serverHandle(m_connection);
        PQputCopyEnd(server, "abandoned");
        while (PGresult* r = PQgetResult(server))
            PQclear(r);
    } catch (const StoreError&) {
        // The connection is gone, and the COPY with it.
    }
}

void BulkInsert::add(const QVariantList& values)
{
    if (!m_connection.dialect().isServer()) {
        insertRow(values);
        return;
    }
    static const QVariant none;
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        const QVariant& value = c < values.size() ? values.at(c) : none;
        const bool null = value.isNull();
        const QString text = null ? QString() : value.toString();
        // A separator, then \N or the text.
        char* out = copyRoom(1 + (null ? 2 : m_utf8.requiredSpace(text.size())));
        if (c > 0)
            *out++ = '\t';
        out = null ? std::copy_n("\\N", 2, out) : appendCopyText(out, text, m_utf8);
        m_copyUsed = out - m_copy.constData();
    }
    *copyRoom(1) = '\n';
    ++m_copyUsed;
    if (m_copyUsed >= copyPiece)
        sendCopy(false);
}

char* BulkInsert::copyRoom(qsizetype bytes)
{
    if (m_copyUsed + bytes > m_copy.size())
        m_copy.resize(std::max(2 * m_copy.size(), m_copyUsed + bytes));
    return m_copy.data() + m_copyUsed;
}

void BulkInsert::insertRow(const QVariantList& values)
{
    sqlite3* file = fileHandle(m_connection);
    if (!m_insert) {
        const QByteArray text =
            Statements::insertRow(m_connection.dialect(), m_table, m_columns, {}).text.toUtf8();
        if (sqlite3_prepare_v2(file, text.constData(), int(text.size()), &m_insert, nullptr) !=
            SQLITE_OK)
            throw StoreError(QString::fromUtf8(sqlite3_errmsg(file)));
    }
    m_held.resize(m_columns.size());
    for (qsizetype c = 0; c < m_columns.size(); ++c)
        if (bind(m_insert, int(c + 1), values.value(c), m_held[c]) != SQLITE_OK)
            throw StoreError(QString::fromUtf8(sqlite3_errmsg(file)));
    if (sqlite3_step(m_insert) != SQLITE_DONE) {
        const QString why = QString::fromUtf8(sqlite3_errmsg(file));
        sqlite3_reset(m_insert);
        throw StoreError(why);
    }
    sqlite3_reset(m_insert);
}

void BulkInsert::sendCopy(bool last)
{
    PGconn* server = serverHandle(m_connection);
    if (!m_copying) {
        if (m_copyUsed == 0)
            return;
        const QByteArray start = Statements::copyRows(m_table, m_columns).toUtf8();
        PGresult* r = PQexec(server, start.constData());
        const bool ready = PQresultStatus(r) == PGRES_COPY_IN;
        PQclear(r);
        if (!ready)
            throw StoreError(serverText(server));
        m_copying = true;
    }
    if (m_copyUsed > 0 && PQputCopyData(server, m_copy.constData(), int(m_copyUsed)) != 1)
        throw StoreError(serverText(server));
    m_copyUsed = 0;
    if (!last)
        return;
    m_copying = false;
    if (PQputCopyEnd(server, nullptr) != 1)
        throw StoreError(serverText(server));
    QString failure;
    while (PGresult* r = PQgetResult(server)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK && failure.isEmpty())
            failure = QString::fromUtf8(PQresultErrorMessage(r)).trimmed();
        PQclear(r);
    }
    if (!failure.isEmpty())
        throw StoreError(failure);
}

void BulkInsert::finish()
{
    if (m_connection.dialect().isServer())
        sendCopy(true);
}
