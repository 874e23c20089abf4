// Stores of every earlier shape open, print, log and restore; the schema
// work happens once, on opening, and a server role that may only read and
// write rows prints and reads its log without a word from the server.
#include "maintenance/sqlite_file.h"
#include "store/connection.h"
#include "store/database_file.h"
#include "store/schema.h"
#include "store/schema_steps.h"
#include "store/server_address.h"
#include "support/command_line_run.h"
#include "support/test_database.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTest>

class StoreSchemaTest : public QObject {
    Q_OBJECT
private slots:
    void opensEveryEarlierShape_data();
    void opensEveryEarlierShape();
    void restoresEveryEarlierShape_data();
    void restoresEveryEarlierShape();
    void deskRoleWithoutCreatePrintsAndLogs_data();
    void deskRoleWithoutCreatePrintsAndLogs();
};

namespace {

const QStringList senderRow =
    QString::fromUtf8(",寄件人,,寄件地址,,,13800000000,,2026,12,9").split(',');
const QStringList recipientRow =
    QString::fromUtf8(",张三,,北京长安街2号,,,13900000001,,,").split(',');

// The tables of a shape, as a program of that time made them (the server's
// with their hidden key; the log without its template before version 4).
QStringList createStatements(const QStringList& tables, bool server, bool withTemplate = false)
{
    QStringList statements;
    for (const QString& table : tables) {
        QStringList columns;
        for (const QString& c : Schema::columnsOf(table))
            if (withTemplate || c != Schema::printLogTemplateColumn)
                columns << QStringLiteral("\"%1\" TEXT").arg(c);
        if (server)
            columns << QStringLiteral("id bigint generated always as identity primary key");
        statements << QStringLiteral("CREATE TABLE %1 (%2)").arg(table, columns.join(", "));
    }
    return statements;
}

const QStringList waybillTables{"outrxx", "inrxx", "excel"};
const QStringList withPrintLog{"outrxx", "inrxx", "excel", "printlog"};
const QStringList withNumbers{"outrxx",   "inrxx",        "excel",
                              "printlog", "excel_orders", "printlog_numbers"};

void addShapes()
{
    QTest::addColumn<QStringList>("tables"); // none: as this program makes them
    QTest::addColumn<int>("restores");       // what the file's user version held
    QTest::addColumn<int>("version");        // 0: from before versions
    QTest::newRow("three tables as first defined") << waybillTables << 0 << 0;
    QTest::newRow("three tables, restored before versions") << waybillTables << 123456789 << 0;
    QTest::newRow("with the print log, before versions") << withPrintLog << 0 << 0;
    QTest::newRow("with the print log, restored before versions") << withPrintLog << 987654 << 0;
    QTest::newRow("version 2, before the numbers") << withPrintLog << 0 << 2;
    QTest::newRow("version 3, before the log's template") << withNumbers << 0 << 3;
    QTest::newRow("version 4, before the numbers' indexes") << withNumbers << 0 << 4;
    QTest::newRow("made by this program") << QStringList{} << 0 << 0;
}

// Turns the fresh store of `db` into one of an earlier shape.
void makeShape(const TestDatabase& db, const QStringList& tables, int restores, int version)
{
    if (tables.isEmpty())
        return;
    for (const Schema::Table& t : Schema::tables())
        db.exec(QStringLiteral("DROP TABLE ") + t.name);
    if (TestDatabase::onServer()) {
        db.exec(QStringLiteral("DROP TABLE schemaversion"));
    } else {
        db.exec(QStringLiteral("PRAGMA application_id = 0"));
        db.exec(QStringLiteral("PRAGMA user_version = %1").arg(restores));
    }
    for (const QString& create : createStatements(tables, TestDatabase::onServer(), version >= 4))
        db.exec(create);
    if (version == 0)
        return;
    if (TestDatabase::onServer()) {
        db.exec(QStringLiteral("CREATE TABLE schemaversion (version integer NOT NULL)"));
        db.exec(QStringLiteral("INSERT INTO schemaversion VALUES (%1)").arg(version));
    } else {
        db.exec(QStringLiteral("PRAGMA application_id = %1").arg(Schema::fileFormat | version));
    }
}

QString scalar(const TestDatabase& db, const QString& sql)
{
    Connection c(db.session());
    c.open();
    QSqlQuery q = c.run({sql, {}});
    return q.next() ? q.value(0).toString() : QString();
}

// The version the store holds, as this program writes it.
int storedVersion(const TestDatabase& db)
{
    if (TestDatabase::onServer())
        return scalar(db, QStringLiteral("SELECT version FROM schemaversion")).toInt();
    const int id = scalar(db, QStringLiteral("PRAGMA application_id")).toInt();
    return (id >> 16) == 0x5346 ? id & 0xFFFF : -1;
}

// The indexes on the numbers table, by name, without the server's key.
QStringList numberIndexes(const TestDatabase& db)
{
    Connection c(db.session());
    c.open();
    QSqlQuery q = c.run(
        {TestDatabase::onServer()
             ? QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = "
                              "current_schema() AND tablename = ? AND indexname <> tablename || "
                              "'_pkey' ORDER BY indexname")
             : QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name "
                              "= ? ORDER BY name"),
         {Schema::waybillNumbersTable}});
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

const QStringList allNumberIndexes{"printlog_numbers_number", "printlog_numbers_page",
                                   "printlog_numbers_run"};

QStringList logLines(const CommandLineRun& run)
{
    return run.out.split('\n', Qt::SkipEmptyParts);
}

} // namespace

void StoreSchemaTest::opensEveryEarlierShape_data()
{
    addShapes();
}

void StoreSchemaTest::opensEveryEarlierShape()
{
    QFETCH(QStringList, tables);
    QFETCH(int, restores);
    QFETCH(int, version);
    TestDatabase db;
    makeShape(db, tables, restores, version);
    db.insert(Schema::senderTable, senderRow);
    db.insert(Schema::recipientTable, recipientRow);

    const CommandLineRun printed = runCommandLine(
        {"print", "--window", "single", "--pdf", "first.pdf", "--first-number", "100000000001"});
    QCOMPARE(printed.status, 0);
    QVERIFY2(!printed.err.contains("print log") && !printed.err.contains("NOTICE"),
             qPrintable(printed.err));
    const CommandLineRun log = runCommandLine({"log"});
    QCOMPARE(log.status, 0);
    QCOMPARE(logLines(log).size(), 1);
    QVERIFY2(log.out.contains(QString::fromUtf8("张三\t13900000001")), qPrintable(log.out));
    QCOMPARE(storedVersion(db), SchemaSteps::current());
    QCOMPARE(numberIndexes(db), allNumberIndexes);
    QCOMPARE(db.rows(Schema::waybillNumbersTable).size(), 1);
    // The window's own page: no template to find again.
    QCOMPARE(db.rows(Schema::printLogTable).first().last(), QString());
    QCOMPARE(db.rows(Schema::senderTable), QList<QStringList>{senderRow});
    QCOMPARE(db.rows(Schema::recipientTable), QList<QStringList>{recipientRow});

    // Up to date, the store is not changed again by a print or a reading.
    if (TestDatabase::onServer())
        return;
    const QString before = scalar(db, QStringLiteral("PRAGMA schema_version"));
    QCOMPARE(runCommandLine({"print", "--window", "single", "--pdf", "second.pdf"}).status, 0);
    QCOMPARE(logLines(runCommandLine({"log"})).size(), 2);
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA schema_version")), before);
    QCOMPARE(scalar(db, QStringLiteral("PRAGMA user_version")), QString::number(restores));
}

void StoreSchemaTest::restoresEveryEarlierShape_data()
{
    addShapes();
}

void StoreSchemaTest::restoresEveryEarlierShape()
{
    QFETCH(QStringList, tables);
    QFETCH(int, restores);
    TestDatabase db;
    // A backup is an SQLite file whichever store it came from.
    const QString bak = db.dir() + QStringLiteral("/old.bak");
    if (tables.isEmpty()) {
        DatabaseFile::createEmpty(bak);
    } else {
        QFile(bak).open(QIODevice::WriteOnly);
        SqliteFile file(bak, SqliteFile::Mode::ReadWrite);
        for (const QString& create : createStatements(tables, false))
            file.execute(create);
        file.execute(QStringLiteral("PRAGMA user_version = %1").arg(restores));
    }
    {
        SqliteFile file(bak, SqliteFile::Mode::ReadWrite);
        file.execute(QStringLiteral("INSERT INTO inrxx VALUES ('%1')")
                         .arg(recipientRow.join(QStringLiteral("', '"))));
    }

    const CommandLineRun restored = runCommandLine({"restore", "old.bak"});
    QCOMPARE(restored.status, 0);
    QCOMPARE(db.rows(Schema::recipientTable), QList<QStringList>{recipientRow});
    QCOMPARE(db.rows(Schema::printLogTable), QList<QStringList>{});
    QCOMPARE(storedVersion(db), SchemaSteps::current());
    QCOMPARE(numberIndexes(db), allNumberIndexes);
    QCOMPARE(runCommandLine({"print", "--window", "single", "--pdf", "restored.pdf"}).status, 0);
    QCOMPARE(logLines(runCommandLine({"log"})).size(), 1);
}

void StoreSchemaTest::deskRoleWithoutCreatePrintsAndLogs_data()
{
    QTest::addColumn<QString>("change"); // by the owner, before the desk prints
    QTest::addColumn<bool>("logs");
    QTest::newRow("made by this program") << QString() << true;
    QTest::newRow("made before versions") << QStringLiteral("DROP TABLE schemaversion") << true;
    QTest::newRow("without the print log") << QStringLiteral("DROP TABLE printlog") << false;
}

void StoreSchemaTest::deskRoleWithoutCreatePrintsAndLogs()
{
    if (!TestDatabase::onServer())
        QSKIP("roles are the server's");
    QFETCH(QString, change);
    QFETCH(bool, logs);
    TestDatabase db;
    db.insert(Schema::senderTable, senderRow);
    db.insert(Schema::recipientTable, recipientRow);
    if (!change.isEmpty())
        db.exec(change);

    const QString role = QStringLiteral("desk_%1").arg(QCoreApplication::applicationPid());
    static bool made = false;
    if (!made) {
        db.exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(role));
        made = true;
    }
    db.exec(QStringLiteral("REVOKE CREATE ON SCHEMA public FROM PUBLIC"));
    db.exec(QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public "
                           "TO %1")
                .arg(role));
    db.exec(QStringLiteral("GRANT USAGE ON ALL SEQUENCES IN SCHEMA public TO %1").arg(role));
    ServerAddress desk = ServerAddress::parse(db.storeArgument());
    desk.user = role;
    const QStringList store{"--database", desk.display()};

    const CommandLineRun printed =
        runCommandLine(store + QStringList{"print", "--window", "single", "--pdf", "desk.pdf"});
    QCOMPARE(printed.status, 0);
    QVERIFY(QFile::exists(db.dir() + QStringLiteral("/desk.pdf")));
    QVERIFY2(!printed.err.contains("NOTICE"), qPrintable(printed.err));
    const CommandLineRun log = runCommandLine(store + QStringList{"log"});
    QVERIFY2(!log.err.contains("NOTICE"), qPrintable(log.err));
    if (logs) {
        QVERIFY2(!printed.err.contains("print log"), qPrintable(printed.err));
        QCOMPARE(log.status, 0);
        QCOMPARE(logLines(log).size(), 1);
        QVERIFY2(log.out.contains(QString::fromUtf8("张三\t13900000001")), qPrintable(log.out));
        return;
    }
    // Said once, with the server's reason; the log is no empty log.
    const QString missing = QString::fromUtf8("没有打印记录表，也无法建立：");
    QCOMPARE(printed.err.count(missing), 1);
    QVERIFY2(printed.err.contains("printed, but the print log could not be written") &&
                 printed.err.contains("permission denied"),
             qPrintable(printed.err));
    QCOMPARE(log.status, 1);
    QVERIFY2(log.err.contains(missing + QStringLiteral("permission denied for schema public\n")),
             qPrintable(log.err));
    QCOMPARE(log.out, QString());
}

QTEST_GUILESS_MAIN(StoreSchemaTest)
#include "store_schema_test.moc"
