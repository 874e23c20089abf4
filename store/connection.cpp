#include "store/connection.h"

#include "store/connection_recipe.h"
#include "store/server_address.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "store/store_session.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QtEndian>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

QAtomicInt nextId;

bool identify(const QString& path, quint64& device, quint64& inode)
{
    struct stat s {};
    if (::stat(QFile::encodeName(path).constData(), &s) != 0)
        return false;
    device = s.st_dev;
    inode = s.st_ino;
    return true;
}

QString engineText(const QSqlError& e)
{
    QString text = e.databaseText().trimmed();
    // The PostgreSQL driver appends the SQLSTATE in brackets, empty ones
    // too when the connection itself broke.
    if (text.endsWith(QLatin1String("()")))
        text = text.chopped(2).trimmed();
    if (text.isEmpty())
        text = e.text();
    return text.trimmed();
}

sqlite3* fileHandle(const QSqlDriver* driver)
{
    const QVariant handle = driver ? driver->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Bytes 24-27 of the file's header, which every commit changes with a
// rollback journal; -1 when they cannot be read, or under a write-ahead
// log (byte 18 is 2), where commits leave them be.
qint64 changeCounter(sqlite3* db)
{
    sqlite3_file* file = nullptr;
    uchar bytes[10];
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods || file->pMethods->xRead(file, bytes, 10, 18) != SQLITE_OK || bytes[0] != 1)
        return -1;
    return qFromBigEndian<quint32>(bytes + 6);
}

// A commit of one of this program's connections on data.mdb, by the
// change counter it began from.
struct Commit {
    qint64 to;
    int connection;
    QSet<QString> written;
    bool reshapes;
};

struct Commits {
    QMutex mutex;
    // By the file's device and inode.
    QHash<std::pair<quint64, quint64>, QHash<qint64, Commit>> files;
};

Commits& commits()
{
    static Commits all;
    return all;
}

} // namespace

Connection::Connection(QObject* parent) : QObject(parent), m_id(nextId.fetchAndAddRelaxed(1))
{
    m_name = QStringLiteral("sf-connection-%1").arg(m_id);
}

Connection::Connection(const StoreSession& store, QObject* parent) : Connection(parent)
{
    m_store = &store;
}

Connection::~Connection()
{
    close();
    if (QSqlDatabase::contains(m_name))
        QSqlDatabase::removeDatabase(m_name);
}

void Connection::open()
{
    if (!m_store)
        throw StoreError(QStringLiteral("Connection names no store"));
    if (const std::optional<ServerAddress>& server = m_store->server())
        openServer(*server);
    else
        openFile(m_store->databasePath());
}

QSqlDatabase Connection::handleFor(const QString& driver)
{
    if (QSqlDatabase::contains(m_name)) {
        if (QSqlDatabase::database(m_name, false).driverName() == driver)
            return QSqlDatabase::database(m_name, false);
        QSqlDatabase::removeDatabase(m_name);
    }
    return QSqlDatabase::addDatabase(driver, m_name);
}

void Connection::takeShape(Shape shape)
{
    m_schema = shape == Shape::UpToDate ? SchemaSteps::bringUpToDate(*this) : SchemaSteps::State{};
}

void Connection::openServer(const ServerAddress& address, Shape shape)
{
    close();
    m_path = address.display();
    m_dialect = SqlDialect(SqlDialect::Kind::Server);
    QSqlDatabase db = handleFor(QStringLiteral("QPSQL"));
    if (!db.isValid())
        throw StoreError(QStringLiteral("no PostgreSQL driver (libqt6sql6-psql): %1").arg(m_path));
    db.setHostName(address.host);
    db.setPort(address.port ? address.port : -1);
    db.setUserName(address.user);
    db.setPassword(QString());
    db.setDatabaseName(address.database);
    // A network that drops without a word must not hold a desk's window
    // for the system's default of many minutes: unanswered keepalives or
    // data end the connection after about half a minute, as an error.
    db.setConnectOptions(QStringLiteral("connect_timeout=10;keepalives=1;keepalives_idle=10;"
                                        "keepalives_interval=5;keepalives_count=3;"
                                        "tcp_user_timeout=30000"));
    if (!db.open()) {
        const QString text = engineText(db.lastError());
        db.close();
        // Said as a data.mdb that cannot be opened is, the server's reason after it.
        throw StoreError(QStringLiteral(u"数据库 %1 无法打开：%2").arg(m_path, text), text);
    }
    takeShape(shape);
}

void Connection::openFile(const QString& path, Shape shape)
{
    close();
    m_path = QFileInfo(path).absoluteFilePath();
    m_dialect = SqlDialect(SqlDialect::Kind::File);
    QSqlDatabase db = handleFor(QStringLiteral("QSQLITE"));
    db.setDatabaseName(ConnectionRecipe::uriFor(m_path));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=10000"));
    // Missing, unreadable or no database at all: the engine says which.
    const auto unopenable = [this](const QString& engine) {
        return StoreError(QStringLiteral(u"数据库 %1 无法打开：%2").arg(m_path, engine), engine);
    };
    if (!db.open()) {
        const QString text = engineText(db.lastError());
        db.close();
        throw unopenable(text);
    }
    // Each statement names what it may change as it is prepared; a
    // connection that cannot tell may have changed anything.
    m_written.clear();
    m_writingFrom.reset();
    sqlite3* handle = fileHandle(db.driver());
    m_reshapes = !handle;
    if (handle)
        sqlite3_set_authorizer(handle, &Connection::authorize, this);
    // A file that is not a database fails here, before anything is written.
    QSqlQuery probe(db);
    if (!probe.exec(Statements::rollbackJournal().text) ||
        !probe.exec(Statements::fullSync().text)) {
        const QString text = engineText(probe.lastError());
        probe.finish();
        db.close();
        throw unopenable(text);
    }
    identify(m_path, m_device, m_inode);
    takeShape(shape);
}

void Connection::close()
{
    m_schema = {};
    if (!QSqlDatabase::contains(m_name))
        return;
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen()) {
        emit aboutToClose();
        db.close();
    }
}

bool Connection::isOpen() const
{
    return QSqlDatabase::contains(m_name) && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_name, false);
}

QSqlQuery Connection::run(const Statement& statement)
{
    if (!isOpen())
        throw StoreError(QStringLiteral("Connection is closed"));
    QSqlQuery q(database());
    q.setForwardOnly(true);
    // The server prepares only queries and row changes, not DDL or locks.
    if (m_dialect.isServer() && statement.bindings.isEmpty()) {
        if (!q.exec(statement.text))
            throw StoreError(failureText(engineText(q.lastError())));
        return q;
    }
    if (!q.prepare(statement.text))
        throw StoreError(failureText(engineText(q.lastError())));
    for (const QVariant& v : statement.bindings)
        q.addBindValue(v);
    if (!q.exec())
        throw StoreError(failureText(engineText(q.lastError())));
    return q;
}

qint64 Connection::generation()
{
    // A restore on the server gives every row a new identity, and
    // identities are never used again, so a stale row cannot be hit.
    if (m_dialect.isServer())
        return 0;
    QSqlQuery q = run(Statements::generation());
    return q.next() ? q.value(0).toLongLong() : 0;
}

QString Connection::replacedText()
{
    return QStringLiteral(u"数据库正被其他程序替换，请重新打开!");
}

QString Connection::failureText(const QString& engineText) const
{
    if (m_dialect.isServer())
        return engineText;
    quint64 device = 0, inode = 0;
    if (!identify(m_path, device, inode) || device != m_device || inode != m_inode)
        return replacedText() + QStringLiteral(" (") + engineText + QLatin1Char(')');
    return engineText;
}

void Connection::execute(const Statement& statement)
{
    run(statement).finish();
}

void Connection::beginTransaction()
{
    m_writingFrom.reset(); // a transaction noted by nothing
    if (!isOpen() || !database().transaction())
        throw StoreError(failureText(engineText(database().lastError())));
}

void Connection::beginWriting()
{
    if (m_dialect.isServer()) {
        beginTransaction();
        return;
    }
    // Qt's driver would say BEGIN, which leaves a read then write open to
    // another writer (and to SQLITE_BUSY when both upgrade).
    execute(Statements::beginWriting());
    // Under the write lock: no other commit comes between this and ours.
    try {
        m_writingFrom = mark();
    } catch (const StoreError&) {
        m_writingFrom.reset();
    }
}

void Connection::commit()
{
    const std::optional<Mark> from = std::exchange(m_writingFrom, std::nullopt);
    if (!database().commit())
        throw StoreError(failureText(engineText(database().lastError())));
    if (from)
        noteCommit(*from);
}

void Connection::rollback()
{
    m_writingFrom.reset();
    database().rollback();
}

Connection::Mark Connection::mark()
{
    sqlite3* db = fileHandle(driver());
    if (!db)
        throw StoreError(QStringLiteral("no SQLite connection"));
    // Both under one lock, which a transaction already open holds.
    const bool alone = sqlite3_get_autocommit(db) != 0;
    if (alone && !database().transaction())
        throw StoreError(failureText(engineText(database().lastError())));
    Mark m;
    try {
        QSqlQuery q = run(Statements::dataVersion());
        m.dataVersion = q.next() ? q.value(0).toLongLong() : -1;
        q.finish();
        m.counter = changeCounter(db);
    } catch (...) {
        if (alone)
            database().rollback();
        throw;
    }
    if (alone && !database().commit())
        database().rollback();
    return m;
}

void Connection::noteCommit(const Mark& before)
{
    Mark after;
    try {
        after = mark();
    } catch (const StoreError&) {
        return;
    }
    // With data_version still, no other connection has committed since
    // the write lock was taken: the counter moved by our commit alone.
    if (after.dataVersion != before.dataVersion || before.counter < 0 || after.counter < 0 ||
        after.counter == before.counter)
        return;
    Commits& all = commits();
    const QMutexLocker lock(&all.mutex);
    QHash<qint64, Commit>& noted = all.files[{m_device, m_inode}];
    // Those of a long run are of no use any more: every dataset has
    // looked since.
    if (noted.size() >= 4096)
        noted.clear();
    noted.insert(before.counter, {after.counter, m_id, m_written, m_reshapes});
}

bool Connection::ownCommitsOnly(const Mark& from, const Mark& to, const QString& table) const
{
    if (from.dataVersion >= 0 && from.dataVersion == to.dataVersion)
        return true;
    // Another's commit moves the counter too.
    if (from.counter < 0 || to.counter < 0 || from.counter == to.counter)
        return false;
    const QString changed = table.toLower();
    Commits& all = commits();
    const QMutexLocker lock(&all.mutex);
    const QHash<qint64, Commit> noted = all.files.value({m_device, m_inode});
    // Commit after commit, each from where the one before left the file.
    qint64 at = from.counter;
    for (qsizetype walked = 0; at != to.counter; ++walked) {
        const auto it = noted.constFind(at);
        if (it == noted.constEnd() || walked > noted.size())
            return false;
        if (it->connection != m_id && (it->reshapes || it->written.contains(changed)))
            return false;
        at = it->to;
    }
    return true;
}

int Connection::authorize(void* self, int action, const char* first, const char*, const char*,
                          const char*)
{
    auto* connection = static_cast<Connection*>(self);
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        connection->m_written.insert(QString::fromUtf8(first).toLower());
        break;
    case SQLITE_READ:
    case SQLITE_SELECT:
    case SQLITE_FUNCTION:
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
    case SQLITE_RECURSIVE:
        break;
    case SQLITE_PRAGMA:
        // The others change no row; this one lets the schema be edited.
        if (qstricmp(first, "writable_schema") == 0)
            connection->m_reshapes = true;
        break;
    default: // a table made, altered or dropped, another database attached
        connection->m_reshapes = true;
    }
    return SQLITE_OK;
}

QSqlDriver* Connection::driver() const
{
    return isOpen() ? database().driver() : nullptr;
}

Connection::Prepared Connection::prepare(const QString& text)
{
    if (!isOpen())
        throw StoreError(QStringLiteral("Connection is closed"));
    auto q = std::make_unique<QSqlQuery>(database());
    q->setForwardOnly(true);
    if (!q->prepare(text))
        throw StoreError(failureText(engineText(q->lastError())));
    return Prepared(std::move(q));
}

Connection::Prepared::Prepared(std::unique_ptr<QSqlQuery> query) : m_query(std::move(query)) {}

Connection::Prepared::~Prepared()
{
    if (m_query)
        m_query->finish();
}

namespace {

// Bound alike: a null text binds NULL, an empty one '', though they compare equal.
bool sameBinding(const QVariant& a, const QVariant& b)
{
    if (!a.isValid() || a.metaType() != b.metaType() || a != b)
        return false;
    return a.metaType() != QMetaType::fromType<QString>() ||
           static_cast<const QString*>(a.constData())->isNull() ==
               static_cast<const QString*>(b.constData())->isNull();
}

} // namespace

void Connection::Prepared::execute(const QVariantList& values)
{
    if (m_bound.size() < values.size())
        m_bound.resize(values.size());
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (sameBinding(m_bound.at(i), values.at(i)))
            continue;
        m_query->bindValue(int(i), values.at(i));
        m_bound[i] = values.at(i);
    }
    if (!m_query->exec())
        throw StoreError(engineText(m_query->lastError()));
}
