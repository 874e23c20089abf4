#include "maintenance/database_backup.h"
#include "store/command_error.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/query_sets.h"
#include "store/statements.h"
#include "support/database_files.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

using namespace DatabaseFiles;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QStringList names(const QList<QStringList>& rows)
{
    QStringList result;
    for (const QStringList& row : rows)
        result << row.at(1);
    return result;
}

// Rows read from any database file through a connection of their own.
QStringList recipientNamesIn(const QString& path)
{
    Connection c;
    c.openFile(path);
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    QStringList result;
    for (d.first(); !d.atEnd(); d.next())
        result << d.field(QStringLiteral(u"收件人姓名"));
    return result;
}

// Several hundred kilobytes of address book.
void fillAddressBook(const TestDatabase& db, int rows)
{
    db.exec(QStringLiteral(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           u"WHERE i < %1) INSERT INTO inrxx (收件人姓名, 备注) "
                           u"SELECT 'bulk' || i, hex(randomblob(100)) FROM n")
                .arg(rows));
}

// Files may not grow past `bytes` while it lives: a disk that fills up.
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

} // namespace

class MaintenanceBackupTest : public QObject {
    Q_OBJECT
private slots:
    void backupNameGetsBakAppended_data();
    void backupNameGetsBakAppended();
    void backupIsAConsistentDatabaseWhileTheProgramWorks();
    void backupReplacesAnExistingFile();
    void backupThatCannotBeWrittenLeavesTheOldFile();
    void restoreRejectsWhatIsNoWaybillDatabase_data();
    void restoreRejectsWhatIsNoWaybillDatabase();
    void restoreReplacesAndKeepsThePrevious();
    void restoreOfAWalDatabaseLeavesNoSideFiles();
    void restoreThatFailsWhileWritingChangesNothing_data();
    void restoreThatFailsWhileWritingChangesNothing();
    void commandLineRunsTheSameCode();
};

void MaintenanceBackupTest::backupNameGetsBakAppended_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "/b/monday"
                           << "/b/monday.bak";
    QTest::newRow("already .bak") << "/b/monday.bak"
                                  << "/b/monday.bak.bak";
    QTest::newRow("other extension") << "/b/monday.mdb"
                                     << "/b/monday.mdb.bak";
    QTest::newRow("bak inside") << "/b/monday.bak.old"
                                << "/b/monday.bak.old.bak";
    QTest::newRow("chinese") << QStringLiteral(u"/b/备份") << QStringLiteral(u"/b/备份.bak");
}

void MaintenanceBackupTest::backupNameGetsBakAppended()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QCOMPARE(DatabaseBackup::backupFileName(chosen), written);
}

void MaintenanceBackupTest::backupIsAConsistentDatabaseWhileTheProgramWorks()
{
    TestDatabase db;
    db.insert("outrxx",
              {"co", QStringLiteral(u"李四"), "", "addr", "", "", "139", "", "2026", "12", "8"});
    db.insert("inrxx", {"", QStringLiteral(u"张三"), "", "", "", "", "", "", "", ""});
    MainQueries program(db.session());
    program.reopen();

    // Another connection is half-way through a write when the backup runs.
    Connection writer(db.session());
    writer.open();
    writer.beginTransaction();
    writer.execute({QStringLiteral(u"insert into inrxx (收件人姓名) values ('uncommitted')"), {}});

    const QString target = db.dir() + "/monday.bak";
    DatabaseBackup::backup(db.path(), target);
    writer.rollback();

    QCOMPARE(recipientNamesIn(target), QStringList{QStringLiteral(u"张三")});
    Connection c(db.session());
    c.openFile(target);
    Dataset sender(c);
    sender.setQuery(Statements::selectSender());
    sender.open();
    QCOMPARE(sender.field(QStringLiteral(u"寄件人姓名")), QStringLiteral(u"李四"));
    QCOMPARE(sender.field(QStringLiteral(u"日")), QStringLiteral("8"));

    // Nothing of the program was closed, and it goes on working.
    QVERIFY(program.connection.isOpen());
    QVERIFY(program.recipients.isOpen());
    program.recipients.append();
    program.recipients.setField(QStringLiteral(u"收件人姓名"), QStringLiteral(u"王五"));
    program.recipients.post();
    QCOMPARE(names(db.rows("inrxx")),
             (QStringList{QStringLiteral(u"张三"), QStringLiteral(u"王五")}));
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "monday.bak"}));
}

void MaintenanceBackupTest::backupReplacesAnExistingFile()
{
    TestDatabase db;
    db.insert("inrxx", {"", "first", "", "", "", "", "", "", "", ""});
    const QString target = db.dir() + "/monday.bak";
    write(target, "not a database at all, written by someone else\n");
    DatabaseBackup::backup(db.path(), target);
    QCOMPARE(recipientNamesIn(target), QStringList{"first"});

    db.insert("inrxx", {"", "second", "", "", "", "", "", "", "", ""});
    DatabaseBackup::backup(db.path(), target);
    QCOMPARE(recipientNamesIn(target), (QStringList{"first", "second"}));
    QCOMPARE(tablesOf(target), tablesOf(db.path()));
    QCOMPARE(QFile::permissions(target), QFile::permissions(db.path()));
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "monday.bak"}));
}

void MaintenanceBackupTest::backupThatCannotBeWrittenLeavesTheOldFile()
{
    TestDatabase db;
    fillAddressBook(db, 2000);
    const QByteArray live = contents(db.path());
    QVERIFY_THROWS_EXCEPTION(CommandError,
                             DatabaseBackup::backup(db.path(), db.dir() + "/missing/monday.bak"));
    QVERIFY_THROWS_EXCEPTION(
        CommandError, DatabaseBackup::backup(db.dir() + "/nothing.mdb", db.dir() + "/x.bak"));
    QVERIFY_THROWS_EXCEPTION(CommandError, DatabaseBackup::backup(db.path(), db.path()));

    const QString target = db.dir() + "/monday.bak";
    write(target, "an older backup");
    {
        const FileSizeLimit full(64 * 1024);
        QString reason;
        try {
            DatabaseBackup::backup(db.path(), target);
        } catch (const CommandError& e) {
            reason = e.text();
        }
        // The engine's words after ours, of the file named, not of the one
        // written aside: "…monday.bak：disk I/O error".
        QVERIFY2(reason.startsWith(u"无法备份到 "_qs + target + u"："_qs) &&
                     !reason.contains(QStringLiteral(".tmp")),
                 qPrintable(reason));
    }
    QCOMPARE(contents(target), QByteArray("an older backup"));
    QCOMPARE(contents(db.path()), live);
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "monday.bak"}));
}

void MaintenanceBackupTest::restoreRejectsWhatIsNoWaybillDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("said"); // %1 the file chosen
    const QString foreign = QStringLiteral(u"%1 不是本软件的数据库：");
    const QString noFile = QStringLiteral(u"%1 不是可读取的文件");
    QTest::newRow("text file") << "text" << foreign;
    QTest::newRow("empty file") << "empty" << foreign;
    QTest::newRow("database without inrxx") << "no inrxx" << foreign;
    QTest::newRow("inrxx without a column") << "short inrxx" << foreign;
    QTest::newRow("cut-off database") << "cut" << foreign;
    QTest::newRow("missing file") << "missing" << noFile;
    QTest::newRow("a folder") << "folder" << noFile;
    // A backup all the same: not called another program's file.
    QTest::newRow("unreadable backup") << "unreadable" << QStringLiteral(u"无法读取 %1：");
}

void MaintenanceBackupTest::restoreRejectsWhatIsNoWaybillDatabase()
{
    QFETCH(QString, kind);
    QFETCH(QString, said);
    TestDatabase db;
    db.insert("inrxx", {"", QStringLiteral(u"张三"), "", "", "", "", "", "", "", ""});
    fillAddressBook(db, 300);
    const QByteArray live = contents(db.path());

    QTemporaryDir elsewhere;
    QString chosen = elsewhere.filePath("chosen.bak");
    if (kind == "text") {
        write(chosen, QStringLiteral(u"单位名称,收件人姓名\n顺丰,张三\n").toUtf8());
    } else if (kind == "empty") {
        write(chosen, {});
    } else if (kind == "cut") {
        write(chosen, live.left(live.size() / 2));
    } else if (kind == "missing") {
        chosen = elsewhere.filePath("gone.bak");
    } else if (kind == "folder") {
        chosen = elsewhere.path();
    } else if (kind == "unreadable") {
        DatabaseBackup::backup(db.path(), chosen);
        QVERIFY(QFile::setPermissions(chosen, {}));
    } else {
        auto other = QSqlDatabase::addDatabase("QSQLITE", "other");
        other.setDatabaseName(chosen);
        QVERIFY(other.open());
        QSqlQuery q(other);
        QVERIFY(q.exec(QStringLiteral(u"create table outrxx (单位名称 text)")));
        QVERIFY(q.exec(QStringLiteral(u"create table excel (单位名称 text)")));
        if (kind == "short inrxx")
            QVERIFY(q.exec(QStringLiteral(u"create table inrxx (单位名称, 收件人姓名, 目的地)")));
        q.finish();
        other.close();
        other = {};
        QSqlDatabase::removeDatabase("other");
    }
    const QStringList chosenFolder = filesIn(elsewhere.path());

    MainQueries program(db.session());
    program.reopen();
    int closes = 0;
    QString told;
    try {
        const PermissionsHold asAUser;
        DatabaseBackup::restore(chosen, db.path(), [&] {
            ++closes;
            program.connection.close();
        });
    } catch (const CommandError& e) {
        told = e.text();
    }
    QVERIFY2(told.startsWith(said.arg(chosen)), qPrintable(told));
    QCOMPARE(closes, 0);
    QCOMPARE(contents(db.path()), live);
    QCOMPARE(filesIn(db.dir()), QStringList{"data.mdb"});
    QCOMPARE(filesIn(elsewhere.path()), chosenFolder);
    QVERIFY(program.connection.isOpen());
    QCOMPARE(program.recipients.recordCount(), 301);
    program.reopen();
    QCOMPARE(program.recipients.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));
}

void MaintenanceBackupTest::restoreReplacesAndKeepsThePrevious()
{
    TestDatabase db;
    db.insert("outrxx", {"", QStringLiteral(u"李四"), "", "", "", "", "", "", "2026", "1", "2"});
    db.insert("inrxx", {"", "kept", "", "", "", "", "", "", "", ""});
    MainQueries program(db.session());
    program.reopen();
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("monday.bak");
    DatabaseBackup::backup(db.path(), backup);

    program.recipients.append();
    program.recipients.setField(QStringLiteral(u"收件人姓名"), "added later");
    program.recipients.post();
    program.sender.edit();
    program.sender.setField(QStringLiteral(u"寄件人姓名"), "changed later");
    program.sender.post();
    const QStringList replacedRows = tablesOf(db.path());
    const QByteArray replaced = contents(db.path());

    QVERIFY_THROWS_EXCEPTION(CommandError, DatabaseBackup::restore(backup, QString()));
    QCOMPARE(filesIn(db.dir()), QStringList{"data.mdb"});

    int closes = 0;
    DatabaseBackup::restore(backup, db.path(), [&] {
        ++closes;
        // The replaced content is kept before the connection goes.
        QVERIFY(QFileInfo::exists(DatabaseBackup::beforeRestorePath(db.path())));
        program.connection.close();
    });
    QCOMPARE(closes, 1);
    QCOMPARE(tablesOf(db.path()), tablesOf(backup));
    QCOMPARE(contents(DatabaseBackup::beforeRestorePath(db.path())), replaced);
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "data.mdb.before-restore"}));

    // Started again: exactly what there was at the backup.
    MainQueries again(db.session());
    again.reopen();
    QCOMPARE(again.recipients.recordCount(), 1);
    QCOMPARE(again.recipients.field(QStringLiteral(u"收件人姓名")), "kept");
    QCOMPARE(again.sender.field(QStringLiteral(u"寄件人姓名")), QStringLiteral(u"李四"));
    again.connection.close();

    // The kept file undoes a wrong choice.
    DatabaseBackup::restore(DatabaseBackup::beforeRestorePath(db.path()), db.path());
    QCOMPARE(tablesOf(db.path()), replacedRows);
    QCOMPARE(names(db.rows("inrxx")), (QStringList{"kept", "added later"}));
    QCOMPARE(tablesOf(DatabaseBackup::beforeRestorePath(db.path())), tablesOf(backup));

    // A new computer: there is no database yet, so nothing to keep.
    QTemporaryDir fresh;
    DatabaseBackup::restore(backup, fresh.filePath("data.mdb"));
    QCOMPARE(filesIn(fresh.path()), QStringList{"data.mdb"});
    QCOMPARE(recipientNamesIn(fresh.filePath("data.mdb")), QStringList{"kept"});
}

void MaintenanceBackupTest::restoreOfAWalDatabaseLeavesNoSideFiles()
{
    QTemporaryDir elsewhere;
    const QString chosen = elsewhere.filePath("wal.bak");
    {
        TestDatabase source;
        source.exec("PRAGMA journal_mode=WAL");
        source.insert("inrxx", {"", "from wal", "", "", "", "", "", "", "", ""});
        QVERIFY(QFile::copy(source.path(), chosen));
    }
    TestDatabase db;
    DatabaseBackup::restore(chosen, db.path());
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "data.mdb.before-restore"}));
    QCOMPARE(contents(db.path()).at(18), char(1)); // rollback journal
    QCOMPARE(names(db.rows("inrxx")), QStringList{"from wal"});
}

void MaintenanceBackupTest::restoreThatFailsWhileWritingChangesNothing_data()
{
    QTest::addColumn<int>("chosenRows");
    QTest::addColumn<int>("liveRows");
    QTest::newRow("copy of the chosen file") << 2000 << 0;
    QTest::newRow("keeping the replaced file") << 0 << 2000;
}

void MaintenanceBackupTest::restoreThatFailsWhileWritingChangesNothing()
{
    QFETCH(int, chosenRows);
    QFETCH(int, liveRows);
    QTemporaryDir elsewhere;
    const QString chosen = elsewhere.filePath("big.bak");
    {
        TestDatabase source;
        fillAddressBook(source, chosenRows + 1);
        QVERIFY(QFile::copy(source.path(), chosen));
    }
    TestDatabase db;
    fillAddressBook(db, liveRows + 1);
    const QByteArray live = contents(db.path());
    MainQueries program(db.session());
    program.reopen();

    int closes = 0;
    {
        const FileSizeLimit full(64 * 1024);
        QVERIFY_THROWS_EXCEPTION(CommandError,
                                 DatabaseBackup::restore(chosen, db.path(), [&] { ++closes; }));
    }
    QCOMPARE(closes, 0);
    QCOMPARE(contents(db.path()), live);
    QCOMPARE(filesIn(db.dir()), QStringList{"data.mdb"});
    QVERIFY(program.connection.isOpen());
}

void MaintenanceBackupTest::commandLineRunsTheSameCode()
{
    TestDatabase db;
    db.insert("inrxx", {"", "at backup", "", "", "", "", "", "", "", ""});
    const auto cli = [&](const QStringList& args, QByteArray* out = nullptr) {
        QProcess p;
        p.setWorkingDirectory(db.dir());
        p.start(qEnvironmentVariable("SF_CLI"), args);
        p.waitForFinished(60000);
        if (out)
            *out = p.readAllStandardOutput();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    QByteArray out;
    QCOMPARE(cli({"backup", "monday"}, &out), 0);
    QCOMPARE(out.trimmed(), QByteArray("monday.bak"));
    QCOMPARE(cli({"backup", "tuesday.bak"}), 0);
    QCOMPARE(filesIn(db.dir()), (QStringList{"data.mdb", "monday.bak", "tuesday.bak.bak"}));

    db.insert("inrxx", {"", "after backup", "", "", "", "", "", "", "", ""});
    const QByteArray changed = contents(db.path());
    write(db.dir() + "/notes.txt", "hello");
    QCOMPARE(cli({"restore", "notes.txt"}), 1);
    QCOMPARE(contents(db.path()), changed);

    QCOMPARE(cli({"restore", "monday.bak"}), 0);
    QCOMPARE(names(db.rows("inrxx")), QStringList{"at backup"});
    QCOMPARE(contents(db.dir() + "/data.mdb.before-restore"), changed);
    QCOMPARE(cli({"backup"}), 2);
}

QTEST_GUILESS_MAIN(MaintenanceBackupTest)
#include "maintenance_backup_test.moc"
