#include "test_database.h"

#include "store/connection.h"
#include "store/database_file.h"
#include "store/schema.h"
#include "store/server_address.h"
#include "store/store_choice.h"
#include "store/store_error.h"
#include "store/store_tables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

QSqlDatabase openServer(const ServerAddress& a, const QString& name)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(a.host);
    db.setPort(a.port ? a.port : -1);
    db.setUserName(a.user);
    db.setDatabaseName(a.database);
    if (!db.open())
        qFatal("cannot open %s: %s", qPrintable(a.display()), qPrintable(db.lastError().text()));
    QSqlQuery(db).exec(QStringLiteral("set client_min_messages = warning"));
    return db;
}

// One database per test program, so that programs run at once stay apart.
ServerAddress serverDatabase()
{
    static const ServerAddress address = [] {
        const QString url = qEnvironmentVariable("SF_TEST_POSTGRESQL");
        ServerAddress admin;
        try {
            admin = ServerAddress::parse(url);
        } catch (const StoreError& e) {
            qFatal("SF_TEST_POSTGRESQL: %s", e.what());
        }
        ServerAddress own = admin;
        own.database = QStringLiteral("sft_%1").arg(QCoreApplication::applicationPid());
        {
            QSqlDatabase db = openServer(admin, QStringLiteral("test-admin"));
            QSqlQuery q(db);
            q.exec(QStringLiteral("drop database if exists ") + own.database);
            if (!q.exec(QStringLiteral("create database ") + own.database))
                qFatal("%s", qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("test-admin"));
        return own;
    }();
    return address;
}

template <typename F> void withDatabase(const QString& path, F f)
{
    const QString name = QStringLiteral("test-reader");
    {
        QSqlDatabase db;
        if (TestDatabase::onServer()) {
            db = openServer(serverDatabase(), name);
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(path);
            if (!db.open())
                qFatal("cannot open %s", qPrintable(path));
        }
        f(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString columnList(const QString& table)
{
    QStringList names;
    for (const QString& c : Schema::columnsOf(table))
        names << SqlDialect::quoted(c);
    return names.join(QLatin1Char(','));
}

} // namespace

TestFolder::TestFolder() : m_previous(QDir::currentPath())
{
    QDir::setCurrent(m_dir.path());
}

TestFolder::~TestFolder()
{
    QDir::setCurrent(m_previous);
}

namespace {

constexpr quint32 overrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool setOverrides(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0 || !(data[0].permitted & overrides))
        return false;
    data[0].effective = on ? data[0].effective | overrides : data[0].effective & ~overrides;
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

PermissionsHold::PermissionsHold() : m_dropped(setOverrides(false)) {}

PermissionsHold::~PermissionsHold()
{
    if (m_dropped)
        setOverrides(true);
}

const StoreSession& currentDirectoryStore()
{
    static const StoreSession store;
    return store;
}

bool TestDatabase::onServer()
{
    return qEnvironmentVariable("SF_TEST_STORE") == QLatin1String("postgresql");
}

TestDatabase::TestDatabase()
{
    if (!onServer()) {
        DatabaseFile::createEmpty(path());
        return;
    }
    const ServerAddress address = serverDatabase();
    exec(QStringLiteral("drop table if exists ") + [] {
        QStringList names;
        for (const Schema::Table& t : Schema::tables())
            names << t.name;
        return names.join(QLatin1Char(','));
    }());
    // The configuration file names the server, as a desk's would.
    const QString config = m_folder.filePath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    QDir().mkpath(config + QStringLiteral("/sfwaybill"));
    QFile file(StoreChoice::configFile());
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(file.fileName()));
    file.write("# written by the tests\ndatabase=" + address.display().toUtf8() + '\n');
    file.close();
    m_session = StoreChoice::choose(QString(), QString());
    Connection c(m_session);
    c.open();
    StoreTables::create(c);
}

QString TestDatabase::path() const
{
    return m_folder.filePath(QStringLiteral("data.mdb"));
}

void TestDatabase::makeUnreachable()
{
    if (!onServer()) {
        if (!QFile::rename(path(), path() + QStringLiteral(".away")))
            qFatal("cannot move %s", qPrintable(path()));
        return;
    }
    ServerAddress gone = serverDatabase();
    gone.database += QStringLiteral("_gone");
    m_session = StoreSession(QString(), gone);
}

void TestDatabase::makeReachable()
{
    if (!onServer()) {
        if (!QFile::rename(path() + QStringLiteral(".away"), path()))
            qFatal("cannot move %s back", qPrintable(path()));
        return;
    }
    m_session = StoreSession(QString(), serverDatabase());
}

void TestDatabase::dropOtherConnections() const
{
    exec(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname = "
                        "current_database() and pid <> pg_backend_pid()"));
}

QString TestDatabase::storeArgument() const
{
    return onServer() ? serverDatabase().display() : dir();
}

QString TestDatabase::createTable(const QString& table, const QString& constraint)
{
    const SqlDialect dialect(onServer() ? SqlDialect::Kind::Server : SqlDialect::Kind::File);
    QString text = dialect.createTable(table, Schema::columnsOf(table));
    text.chop(1);
    return text + QStringLiteral(", ") + constraint + QLatin1Char(')');
}

QList<QStringList> TestDatabase::rows(const QString& table) const
{
    QList<QStringList> result;
    withDatabase(path(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        const QString order = onServer() ? QStringLiteral("id") : QStringLiteral("rowid");
        if (!q.exec(QStringLiteral("select %1 from %2 order by %3")
                        .arg(columnList(table), table, order)))
            qFatal("%s", qPrintable(q.lastError().text()));
        while (q.next()) {
            QStringList row;
            for (int i = 0; i < q.record().count(); ++i)
                row << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            result << row;
        }
    });
    return result;
}

void TestDatabase::insert(const QString& table, const QStringList& values) const
{
    withDatabase(path(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        QStringList markers;
        for (int i = 0; i < values.size(); ++i)
            markers << QStringLiteral("?");
        const QStringList columns = Schema::columnsOf(table).mid(0, values.size());
        QStringList names;
        for (const QString& c : columns)
            names << SqlDialect::quoted(c);
        q.prepare(QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(table, names.join(','), markers.join(',')));
        for (const QString& v : values)
            q.addBindValue(v);
        if (!q.exec())
            qFatal("%s", qPrintable(q.lastError().text()));
    });
}

void TestDatabase::exec(const QString& sql) const
{
    withDatabase(path(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("%s", qPrintable(q.lastError().text()));
    });
}
