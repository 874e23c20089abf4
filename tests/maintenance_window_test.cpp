#include "maintenance/windows/backup_window.h"
#include "store/connection.h"
#include "store/query_sets.h"
#include "support/database_files.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

using namespace DatabaseFiles;

namespace {

const QString backupOk = QStringLiteral(u"数据备份成功！");
const QString backupFailed = QStringLiteral(u"数据备份失败，请重试！");
const QString restoreOk = QStringLiteral(u"数据恢复成功！");
const QString restoreFailed = QStringLiteral(u"数据恢复失败，请重试！");

// The program as the window finds it: data.mdb open in the main queries.
struct Running {
    TestDatabase db;
    MainQueries program{db.session()};
    ScriptedDialogs dialogs;
    BackupWindow form{program.connection};

    Running()
    {
        db.insert("outrxx",
                  {"", QStringLiteral(u"李四"), "", "", "", "", "", "", "2026", "3", "4"});
        db.insert("inrxx", {"", QStringLiteral(u"张三"), "", "", "", "", "", "", "", ""});
        program.reopen();
        form.show();
    }

    void addRecipient(const QString& name)
    {
        program.recipients.append();
        program.recipients.setField(QStringLiteral(u"收件人姓名"), name);
        program.recipients.post();
    }
};

} // namespace

class MaintenanceWindowTest : public QObject {
    Q_OBJECT
private slots:
    void windowLooksAsDescribed();
    void cancelInEitherDialogDoesNothing();
    void backupWritesTheOpenDatabase();
    void backupThatFailsSaysSo();
    void restoreOfABackupEndsTheProgram();
    void restoreOfNoDatabaseKeepsTheProgramWorking_data();
    void restoreOfNoDatabaseKeepsTheProgramWorking();
};

void MaintenanceWindowTest::windowLooksAsDescribed()
{
    Running r;
    BackupWindow& f = r.form;
    const auto* label = Drive::find<QLabel>(&f, QStringLiteral("Label1"));
    const auto* backup = Drive::find<QPushButton>(&f, QStringLiteral("Button1"));
    const auto* restore = Drive::find<QPushButton>(&f, QStringLiteral("Button2"));
    QCOMPARE(f.windowTitle(), QStringLiteral(u"数据库备份与恢复"));
    QCOMPARE(f.size(), QSize(376, 116));
    QCOMPARE(f.minimumSize(), f.maximumSize());
    QCOMPARE(label->text(), QStringLiteral(u"提示：及时备份数据库，能更好地保护数据不被丢失！"));
    QCOMPARE(label->mapTo(&f, QPoint(0, 0)), QPoint(24, 26));
    QCOMPARE(label->font().pixelSize(), 13);
    QVERIFY(label->font().bold());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(backup->objectName(), "Button1");
    QCOMPARE(backup->text(), QStringLiteral(u"数据库备份"));
    QCOMPARE(QRect(backup->mapTo(&f, QPoint(0, 0)), backup->size()), QRect(64, 64, 110, 33));
    QCOMPARE(restore->text(), QStringLiteral(u"数据库恢复"));
    QCOMPARE(QRect(restore->mapTo(&f, QPoint(0, 0)), restore->size()), QRect(216, 64, 110, 33));
    QCOMPARE(restore->font().pixelSize(), 15);
    QVERIFY(restore->font().bold());
}

void MaintenanceWindowTest::cancelInEitherDialogDoesNothing()
{
    Running r;
    const QByteArray live = contents(r.db.path());
    QSignalSpy ended(&r.form, &BackupWindow::restoreSucceeded);
    r.dialogs.files << QString() << QString();
    Drive::click(&r.form, QStringLiteral("Button1"));
    Drive::click(&r.form, QStringLiteral("Button2"));
    QCOMPARE(r.dialogs.shown.size(), 2);
    QCOMPARE(r.dialogs.shown.at(0).kind, "save");
    QCOMPARE(r.dialogs.shown.at(1).kind, "open");
    QVERIFY(r.dialogs.messageTexts().isEmpty());
    QVERIFY(r.program.connection.isOpen());
    QCOMPARE(r.program.recipients.recordCount(), 1);
    QCOMPARE(ended.count(), 0);
    QCOMPARE(contents(r.db.path()), live);
    QCOMPARE(filesIn(r.db.dir()), QStringList{"data.mdb"});
}

void MaintenanceWindowTest::backupWritesTheOpenDatabase()
{
    Running r;
    QTemporaryDir elsewhere;
    r.dialogs.files << elsewhere.filePath("monday");
    Drive::click(&r.form, QStringLiteral("Button1"));
    QCOMPARE(r.dialogs.shown.at(0).title, QString());
    QCOMPARE(r.dialogs.filters.at(0), QString());
    QCOMPARE(r.dialogs.shown.at(1).title, QStringLiteral(u"提示"));
    QCOMPARE(r.dialogs.messageTexts(), QStringList{backupOk});
    QCOMPARE(filesIn(elsewhere.path()), QStringList{"monday.bak"});
    QCOMPARE(tablesOf(elsewhere.filePath("monday.bak")), tablesOf(r.db.path()));

    // The same name again replaces that file, without a question.
    r.addRecipient(QStringLiteral(u"王五"));
    r.dialogs.files << elsewhere.filePath("monday");
    Drive::click(&r.form, QStringLiteral("Button1"));
    QCOMPARE(r.dialogs.messageTexts(), (QStringList{backupOk, backupOk}));
    QCOMPARE(filesIn(elsewhere.path()), QStringList{"monday.bak"});
    QCOMPARE(tablesOf(elsewhere.filePath("monday.bak")), tablesOf(r.db.path()));
    QVERIFY(r.program.connection.isOpen());
    QVERIFY(r.form.isVisible());
}

void MaintenanceWindowTest::backupThatFailsSaysSo()
{
    Running r;
    r.dialogs.files << r.db.dir() + "/no such folder/monday";
    Drive::click(&r.form, QStringLiteral("Button1"));
    QCOMPARE(r.dialogs.messageTexts().size(), 1);
    // The given text first, then why.
    const QStringList lines = r.dialogs.lastText().split(u'\n');
    QCOMPARE(lines.first(), backupFailed);
    QVERIFY2(lines.value(1).startsWith(QStringLiteral(u"原因：")) &&
                 lines.value(1).contains(QStringLiteral("no such folder")),
             qPrintable(lines.value(1)));
    QCOMPARE(r.dialogs.shown.last().title, QStringLiteral(u"提示"));
    QVERIFY(r.program.connection.isOpen());
    QVERIFY(r.form.isVisible());
}

void MaintenanceWindowTest::restoreOfABackupEndsTheProgram()
{
    Running r;
    QTemporaryDir elsewhere;
    const QString backup = elsewhere.filePath("monday.bak");
    r.dialogs.files << elsewhere.filePath("monday");
    Drive::click(&r.form, QStringLiteral("Button1"));
    r.addRecipient(QStringLiteral(u"王五"));
    r.program.sender.edit();
    r.program.sender.setField(QStringLiteral(u"寄件人姓名"), QStringLiteral(u"赵六"));
    r.program.sender.post();
    r.dialogs.clear();

    int messagesWhenEnded = -1;
    connect(&r.form, &BackupWindow::restoreSucceeded, this, [&] {
        messagesWhenEnded = int(r.dialogs.messageTexts().size());
        QVERIFY(!r.program.connection.isOpen());
    });
    r.dialogs.files << backup;
    Drive::click(&r.form, QStringLiteral("Button2"));
    QCOMPARE(r.dialogs.shown.at(0).kind, "open");
    QCOMPARE(r.dialogs.shown.at(0).title, QString());
    QCOMPARE(r.dialogs.filters.at(0), QString());
    QCOMPARE(r.dialogs.messageTexts(),
             QStringList{restoreOk + QStringLiteral(u"\n点“确定”后程序将关闭：恢复的数据在下次"
                                                    u"启动时使用，请重新打开本程序。")});
    QCOMPARE(r.dialogs.shown.last().title, QStringLiteral(u"提示"));
    QCOMPARE(messagesWhenEnded, 1); // the program ends after the box
    QVERIFY(!r.program.connection.isOpen());
    QCOMPARE(r.program.recipients.recordCount(), 0);
    QCOMPARE(tablesOf(r.db.path()), tablesOf(backup));
    QVERIFY(QFile::exists(r.db.path() + ".before-restore"));

    // Started again: the sender and recipients of the moment of the backup.
    MainQueries again(r.db.session());
    again.reopen();
    QCOMPARE(again.sender.field(QStringLiteral(u"寄件人姓名")), QStringLiteral(u"李四"));
    QCOMPARE(again.recipients.recordCount(), 1);
    QCOMPARE(again.recipients.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));
}

void MaintenanceWindowTest::restoreOfNoDatabaseKeepsTheProgramWorking_data()
{
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QString>("sql");
    QTest::newRow("text file") << QByteArray("hello, this is a letter\n") << QString();
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("database without inrxx") << QByteArray() << "drop table inrxx";
}

void MaintenanceWindowTest::restoreOfNoDatabaseKeepsTheProgramWorking()
{
    QFETCH(QByteArray, chosen);
    QFETCH(QString, sql);
    Running r;
    QTemporaryDir elsewhere;
    const QString path = elsewhere.filePath("chosen.bak");
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(chosen);
    f.close();
    if (!sql.isEmpty()) {
        TestDatabase other;
        other.exec(sql);
        QFile::remove(path);
        QVERIFY(QFile::copy(other.path(), path));
    }
    const QByteArray live = contents(r.db.path());
    QSignalSpy ended(&r.form, &BackupWindow::restoreSucceeded);

    r.dialogs.files << path;
    Drive::click(&r.form, QStringLiteral("Button2"));
    QCOMPARE(r.dialogs.messageTexts().size(), 1);
    // The given text, then that the file is no backup and what to choose,
    // then the engine's detail.
    const QStringList lines = r.dialogs.lastText().split(u'\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), restoreFailed);
    QCOMPARE(lines.at(1), QStringLiteral(u"所选文件不是本程序的数据库备份，原数据库没有改动。"
                                         u"请选择用“数据库备份”做的备份文件（.bak）。"));
    QVERIFY2(lines.at(2).startsWith(QStringLiteral(u"（")) && lines.at(2).contains(path),
             qPrintable(lines.at(2)));
    QCOMPARE(r.dialogs.shown.last().title, QStringLiteral(u"提示"));
    QCOMPARE(ended.count(), 0);
    QCOMPARE(contents(r.db.path()), live);
    QCOMPARE(filesIn(r.db.dir()), QStringList{"data.mdb"});

    // The program goes on as before.
    QVERIFY(r.program.connection.isOpen());
    QCOMPARE(r.program.recipients.recordCount(), 1);
    r.addRecipient(QStringLiteral(u"王五"));
    QCOMPARE(r.db.rows("inrxx").size(), 2);
}

QTEST_MAIN(MaintenanceWindowTest)
#include "maintenance_window_test.moc"
