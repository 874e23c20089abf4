#pragma once

#include "store/store_session.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A temporary folder that is the current directory while it lives.
class TestFolder {
public:
    TestFolder();
    ~TestFolder();

    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// A fresh data.mdb in a TestFolder; rows are read back through a
// connection of its own, as another program would. With SF_TEST_STORE=
// postgresql the store is instead a fresh set of tables in a database of
// its own on the server SF_TEST_POSTGRESQL names, chosen through the
// configuration file so that sfwaybill-cli run by a test uses it too.
// session() names the store to what the test runs.
class TestDatabase {
public:
    TestDatabase();

    // Whether the tests run against the PostgreSQL server.
    static bool onServer();

    const StoreSession& session() const { return m_session; }
    QString dir() const { return m_folder.path(); }
    QString path() const;

    // The store cannot be reached by a connection opened meanwhile: the
    // file is moved away, or the server's database is another that does
    // not exist. makeReachable() brings it back.
    void makeUnreachable();
    void makeReachable();

    // "CREATE TABLE" for a table of the program's, on the store in use,
    // with a constraint of the test's own added.
    // Server only: ends every other connection to the database, as a
    // server that went away and came back does.
    void dropOtherConnections() const;

    // What names this store to another program: the data folder, or the
    // server database's URL.
    QString storeArgument() const;

    static QString createTable(const QString& table, const QString& constraint);

    // Rows of a table as text, in insertion order; NULL reads as "<null>".
    QList<QStringList> rows(const QString& table) const;
    void insert(const QString& table, const QStringList& values) const;
    void exec(const QString& sql) const;

private:
    TestFolder m_folder;
    // data.mdb of the current directory, as the programs' default.
    StoreSession m_session;
};

// Files' permissions hold while it lives, also for a test run as root: the
// capabilities that pass over them are off in this thread.
class PermissionsHold {
public:
    PermissionsHold();
    ~PermissionsHold();
    PermissionsHold(const PermissionsHold&) = delete;
    PermissionsHold& operator=(const PermissionsHold&) = delete;

private:
    bool m_dropped = false;
};

// data.mdb of the current directory, as the programs' default: the store
// of a test without a TestDatabase (a TestFolder's missing or foreign
// file, pages that are no waybills and are never logged).
const StoreSession& currentDirectoryStore();

// For a test of data.mdb itself (a missing or foreign file).
#define SKIP_ON_SERVER()                                                                           \
    do {                                                                                           \
        if (TestDatabase::onServer())                                                              \
            QSKIP("concerns the data.mdb file only");                                              \
    } while (false)
