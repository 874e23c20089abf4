#include "exchange/sheet_import.h"
#include "maintenance/database_backup.h"
#include "maintenance/sqlite_file.h"
#include "store/connection.h"
#include "store/database_file.h"
#include "store/query_sets.h"
#include "store/schema.h"
#include "store/store_error.h"
#include "store/temporary_files.h"
#include "support/database_files.h"
#include "support/sample_sheets.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <chrono>
#include <csignal>
#include <semaphore>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace DatabaseFiles;
using namespace std::chrono_literals;

namespace {

void fillAddressBook(const TestDatabase& db, int rows, const QString& prefix = "kept")
{
    db.exec(QStringLiteral(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           u"WHERE i < %1) INSERT INTO inrxx (收件人姓名, 备注) "
                           u"SELECT '%2' || i, hex(randomblob(100)) FROM n")
                .arg(rows)
                .arg(prefix));
}

QStringList column(const QString& path, const QString& sql)
{
    return SqliteFile(path, SqliteFile::Mode::ReadWrite).firstColumn(sql);
}

int count(const QString& path, const QString& where)
{
    return column(path, QStringLiteral(u"select count(*) from inrxx where ") + where)
        .value(0)
        .toInt();
}

// A program killed in the middle of a large change: the file holds pages
// of the change and the journal beside it what they replaced.
void crashDuringChange(const QString& path)
{
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {path});
    sqlite.write("PRAGMA cache_size=5;\nBEGIN;\n"
                 "UPDATE inrxx SET \"收件人姓名\" = 'rolled back';\n.shell kill -9 $PPID\n");
    sqlite.closeWriteChannel();
    QVERIFY(sqlite.waitForFinished(30000));
    QCOMPARE(sqlite.exitStatus(), QProcess::CrashExit);
    QVERIFY(QFileInfo(path + "-journal").size() > 0);
}

// Another connection in the middle of a change until `release` is done.
class ChangeInProgress {
public:
    ChangeInProgress(const QString& path, const QString& change)
        : m_thread([this, path, change] {
              SqliteFile file(path, SqliteFile::Mode::ReadWrite);
              file.execute(QStringLiteral("PRAGMA cache_size=5"));
              file.execute(QStringLiteral("BEGIN IMMEDIATE"));
              file.execute(change);
              m_started.release();
              std::this_thread::sleep_for(300ms);
              file.execute(m_commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
          })
    {
        m_started.acquire();
    }
    ~ChangeInProgress() { m_thread.join(); }
    void commitLater() { m_commit = true; }

private:
    std::binary_semaphore m_started{0};
    std::atomic<bool> m_commit = false;
    std::thread m_thread;
};

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_previous);
        rlimit limit = m_previous;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_previous); }

private:
    rlimit m_previous{};
};

qint64 deadProcessId()
{
    QProcess p;
    p.start(QStringLiteral("true"));
    p.waitForFinished();
    return p.processId() ? p.processId() : 999999;
}

} // namespace

class MaintenanceSafetyTest : public QObject {
    Q_OBJECT
private slots:
    void restoreAfterACrashIgnoresItsJournal();
    void restoreWaitsForAChangeInProgress();
    void restoredFileHoldsDataOnly();
    void backupHoldsOnlyCommittedRows_data();
    void backupHoldsOnlyCommittedRows();
    void backupNeverWritesOntoTheDatabase_data();
    void backupNeverWritesOntoTheDatabase();
    void restoreKeepsALinkedDatabaseALink();
    void anotherProgramsRestoreIsReportedAndRefreshRecovers();
    void leftoversOfKilledRunsGoAtTheNextStart();
    void initLeavesNothingWhenItFails();
};

void MaintenanceSafetyTest::restoreAfterACrashIgnoresItsJournal()
{
    TestDatabase db;
    fillAddressBook(db, 2000);
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("new.bak");
    {
        TestDatabase other;
        fillAddressBook(other, 30, "restored");
        DatabaseBackup::backup(other.path(), backup);
    }
    crashDuringChange(db.path());
    DatabaseBackup::restore(backup, db.path());
    QCOMPARE(column(db.path(), "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(tablesOf(db.path()), tablesOf(backup));
    const QString kept = DatabaseBackup::beforeRestorePath(db.path());
    QCOMPARE(column(kept, "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(count(kept, "收件人姓名 like 'kept%'"), 2000);
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "data.mdb.before-restore"}));
}

void MaintenanceSafetyTest::restoreWaitsForAChangeInProgress()
{
    TestDatabase db;
    fillAddressBook(db, 500);
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("new.bak");
    DatabaseBackup::backup(db.path(), backup);
    MainQueries program(db.session());
    program.reopen();
    int closes = 0;
    {
        ChangeInProgress change(db.path(),
                                QStringLiteral(u"UPDATE inrxx SET 收件人姓名 = 'later'"));
        change.commitLater();
        DatabaseBackup::restore(backup, db.path(), [&] {
            ++closes;
            program.connection.close();
        });
    }
    QCOMPARE(closes, 1);
    QCOMPARE(tablesOf(db.path()), tablesOf(backup));
    // The change was committed before the restore took over: it is in the
    // copy that undoes the restore, so nothing reported done is lost.
    QCOMPARE(count(DatabaseBackup::beforeRestorePath(db.path()), "收件人姓名 = 'later'"), 500);
}

void MaintenanceSafetyTest::restoredFileHoldsDataOnly()
{
    TestDatabase db;
    QTemporaryDir elsewhere;
    const QString chosen = elsewhere.filePath("odd.bak");
    {
        QFile(chosen).open(QIODevice::WriteOnly);
        SqliteFile file(chosen, SqliteFile::Mode::ReadWrite);
        QStringList numbers;
        for (const QString& c : Schema::recipientColumns())
            numbers << QStringLiteral("\"%1\" INTEGER").arg(c);
        file.execute(QStringLiteral("CREATE TABLE inrxx (%1, extra)").arg(numbers.join(',')));
        file.execute(QStringLiteral("CREATE TABLE excel (%1)").arg(numbers.join(',')));
        file.execute(QStringLiteral(u"CREATE TABLE outrxx (单位名称, 寄件人姓名, 始发地, 寄件地址, "
                                    u"邮政编码, 联系电话, 手机号码, 签名, 年, 月, 日)"));
        file.execute(QStringLiteral(u"INSERT INTO inrxx (收件人姓名, 邮政编码, extra) "
                                    u"VALUES ('张三', '010000', 'x')"));
        file.execute(QStringLiteral("CREATE TABLE evil (x)"));
        file.execute(QStringLiteral("CREATE INDEX i ON inrxx (\"收件人姓名\")"));
        file.execute(QStringLiteral("CREATE VIEW v AS SELECT * FROM inrxx"));
        file.execute(QStringLiteral(
            "CREATE TRIGGER wipe AFTER INSERT ON excel BEGIN DELETE FROM inrxx; END"));
    }
    DatabaseBackup::restore(chosen, db.path());
    QCOMPARE(
        column(db.path(), "SELECT type || ' ' || name FROM sqlite_schema ORDER BY name"),
        (QStringList{"table excel", "table excel_orders", "table inrxx", "table outrxx",
                     "table printlog", "table printlog_numbers", "index printlog_numbers_number",
                     "index printlog_numbers_page", "index printlog_numbers_run"}));
    // Stored as a number by the file's own column type; text from now on.
    QCOMPARE(db.rows("inrxx"),
             QList<QStringList>({{"<null>", QStringLiteral(u"张三"), "<null>", "<null>", "10000",
                                  "<null>", "<null>", "<null>", "<null>", "<null>"}}));
    db.insert("inrxx", {"", "", "", "", "010000", "", "", "", "", ""});
    QCOMPARE(db.rows("inrxx").last().at(4), QStringLiteral("010000"));
    Connection importWindow(db.session());
    SheetImport import(importWindow);
    QVERIFY_THROWS_NO_EXCEPTION(import.run(SampleSheets::path("xlwt_recipients.xls")));
    QCOMPARE(db.rows("inrxx").size(), 2);
}

void MaintenanceSafetyTest::backupHoldsOnlyCommittedRows_data()
{
    QTest::addColumn<bool>("crashed");
    QTest::newRow("another connection changing, on disk") << false;
    QTest::newRow("right after a crash") << true;
}

void MaintenanceSafetyTest::backupHoldsOnlyCommittedRows()
{
    QFETCH(bool, crashed);
    TestDatabase db;
    fillAddressBook(db, 3000);
    const QString target = db.dir() + "/monday.bak";
    if (crashed) {
        crashDuringChange(db.path());
        DatabaseBackup::backup(db.path(), target);
    } else {
        const QDateTime before = QFileInfo(db.path()).lastModified();
        ChangeInProgress change(db.path(),
                                QStringLiteral(u"UPDATE inrxx SET 收件人姓名 = 'rolled back'"));
        QVERIFY(QFileInfo(db.path()).lastModified() != before); // the change is in the file
        DatabaseBackup::backup(db.path(), target);
    }
    QCOMPARE(column(target, "PRAGMA integrity_check"), QStringList{"ok"});
    QCOMPARE(count(target, "收件人姓名 like 'kept%'"), 3000);
    QCOMPARE(count(target, "收件人姓名 = 'rolled back'"), 0);
}

void MaintenanceSafetyTest::backupNeverWritesOntoTheDatabase_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("link");
    QTest::newRow("empty name") << ""
                                << "";
    QTest::newRow("folder only") << "sub/"
                                 << "";
    QTest::newRow("symbolic link to data.mdb") << "link"
                                               << "symlink";
    QTest::newRow("hard link to data.mdb") << "link"
                                           << "hardlink";
}

void MaintenanceSafetyTest::backupNeverWritesOntoTheDatabase()
{
    QFETCH(QString, name);
    QFETCH(QString, link);
    TestDatabase db;
    fillAddressBook(db, 10);
    QDir(db.dir()).mkdir("sub");
    const QString target = DatabaseBackup::backupFileName(db.dir() + "/" + name);
    if (link == "symlink")
        QVERIFY(QFile::link(db.path(), target));
    else if (link == "hardlink")
        QCOMPARE(::link(QFile::encodeName(db.path()), QFile::encodeName(target)), 0);
    const QByteArray before = contents(db.path());
    const QStringList files = filesIn(db.dir());
    QVERIFY_THROWS_EXCEPTION(CommandError, DatabaseBackup::backup(db.path(), target));
    QCOMPARE(contents(db.path()), before);
    QCOMPARE(filesIn(db.dir()), files);
    QCOMPARE(QFileInfo(target).isSymLink(), link == "symlink");
}

void MaintenanceSafetyTest::restoreKeepsALinkedDatabaseALink()
{
    TestDatabase real;
    fillAddressBook(real, 5);
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("new.bak");
    {
        TestDatabase other;
        fillAddressBook(other, 3, "restored");
        DatabaseBackup::backup(other.path(), backup);
    }
    TestFolder folder;
    const QString live = folder.filePath("data.mdb");
    QVERIFY(QFile::link(real.path(), live));
    DatabaseBackup::restore(backup, live);
    QVERIFY(QFileInfo(live).isSymLink());
    QCOMPARE(tablesOf(real.path()), tablesOf(backup));
}

void MaintenanceSafetyTest::anotherProgramsRestoreIsReportedAndRefreshRecovers()
{
    TestDatabase db;
    fillAddressBook(db, 3);
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("old.bak");
    DatabaseBackup::backup(db.path(), backup);
    fillAddressBook(db, 2, "added");
    MainQueries program(db.session());
    program.reopen();
    QCOMPARE(program.recipients.recordCount(), 5);

    // A restore by another program, in place: the rows the window shows
    // are no longer the rows of the file.
    QProcess cli;
    cli.setWorkingDirectory(db.dir());
    cli.start(qEnvironmentVariable("SF_CLI"), {"restore", backup});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    program.recipients.last();
    program.recipients.edit();
    program.recipients.setField(QStringLiteral(u"收件人姓名"), "changed");
    QVERIFY_THROWS_EXCEPTION(StoreError, program.recipients.post());
    // A row whose identity the restored content uses again is not written.
    const QList<QStringList> restored = db.rows("inrxx");
    program.recipients.first();
    program.recipients.edit();
    program.recipients.setField(QStringLiteral(u"收件人姓名"), "changed");
    QVERIFY_THROWS_EXCEPTION(StoreError, program.recipients.post());
    QCOMPARE(db.rows("inrxx"), restored);
    try {
        program.recipients.deleteCurrent();
        QFAIL("a row of the replaced content was deleted");
    } catch (const StoreError& e) {
        QCOMPARE(e.text(), QStringLiteral(u"数据库正被其他程序替换，请重新打开!"));
    }
    program.reopen(); // "刷 新"
    QCOMPARE(program.recipients.recordCount(), 3);
    program.recipients.deleteCurrent();
    QCOMPARE(db.rows("inrxx").size(), 2);

    // A file put in its place by another program.
    QVERIFY(QFile::copy(backup, db.dir() + "/other.mdb"));
    QVERIFY(QFile::remove(db.path()));
    QVERIFY(QFile::rename(db.dir() + "/other.mdb", db.path()));
    program.recipients.first();
    program.recipients.edit();
    program.recipients.setField(QStringLiteral(u"收件人姓名"), "changed");
    try {
        program.recipients.post();
        QFAIL("a change went into a file no longer there");
    } catch (const StoreError& e) {
        QVERIFY(e.text().startsWith(QStringLiteral(u"数据库正被其他程序替换，请重新打开!")));
    }
    program.reopen();
    QCOMPARE(program.recipients.recordCount(), 3);
}

void MaintenanceSafetyTest::leftoversOfKilledRunsGoAtTheNextStart()
{
    TestDatabase db;
    const qint64 dead = deadProcessId();
    const qint64 alive = QCoreApplication::applicationPid();
    const QStringList ours{QStringLiteral("data.mdb.sfwaybill-%1-AbC123.tmp").arg(dead),
                           QStringLiteral("monday.bak.sfwaybill-%1-xYz789.tmp").arg(dead)};
    const QStringList others{QStringLiteral("data.mdb.sfwaybill-%1-AbC123.tmp").arg(alive),
                             "data.mdb.before-restore", "data.mdb.backup", "notes.sfwaybill-1.tmp"};
    for (const QString& name : ours + others)
        QFile(db.dir() + "/" + name).open(QIODevice::WriteOnly);
    const QString scratch =
        QDir(QDir::tempPath()).filePath(QStringLiteral("sfwaybill-%1-Qw3rty").arg(dead));
    QVERIFY(QDir().mkpath(scratch + "/inner"));

    QProcess cli;
    cli.setWorkingDirectory(db.dir());
    cli.start(qEnvironmentVariable("SF_CLI"), {"backup", "monday"});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QStringList want = others + QStringList{"data.mdb", "monday.bak"};
    want.sort();
    QCOMPARE(filesIn(db.dir()), want);
    QVERIFY(!QFileInfo::exists(scratch));
}

void MaintenanceSafetyTest::initLeavesNothingWhenItFails()
{
    TestFolder folder;
    const QString path = folder.filePath("data.mdb");
    {
        const FileSizeLimit full(512);
        QVERIFY_THROWS_EXCEPTION(CommandError, DatabaseFile::createEmpty(path));
    }
    QCOMPARE(filesIn(folder.path()), QStringList());
    QFile(path).open(QIODevice::WriteOnly); // what a failed init once left
    DatabaseFile::createEmpty(path);
    QCOMPARE(tablesOf(path), QStringList());
    QVERIFY_THROWS_EXCEPTION(CommandError, DatabaseFile::createEmpty(path));
    QCOMPARE(filesIn(folder.path()), QStringList{"data.mdb"});
}

QTEST_GUILESS_MAIN(MaintenanceSafetyTest)
#include "maintenance_safety_test.moc"
