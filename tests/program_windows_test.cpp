#include "app/program_start.h"
#include "app/program_windows.h"
#include "exchange/windows/import_window.h"
#include "maintenance/windows/backup_window.h"
#include "records/windows/main_window.h"
#include "records/windows/recipient_editor.h"
#include "store/store_choice.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "ui/app_info.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/imported_batch_print_window.h"
#include "waybill/windows/imported_single_print_window.h"
#include "waybill/windows/single_print_window.h"
#include "waybill/windows/template_designer.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

class ProgramWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void everyWindowIsCreatedHidden();
    void printCommandsStampThenPreviewTheirRows();
    void startupWithoutDatabaseStopsAfterOneReport();
    void startupWithoutImportTableStopsWithTheEnginesText();
    void wrongDatabaseOptionEndsTheStartWithStatus2();
    void exportFromBothMenusEndsWithItsOwnMessage();
    void importWindowPrintsTheRowItFound();
    void designerIsMadeWhenFirstOpened();
};

void ProgramWindowsTest::everyWindowIsCreatedHidden()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    ProgramWindows windows(db.session());
    QCOMPARE(windows.singlePrintWindow().windowTitle(), QStringLiteral(u"单张打印顺丰快递单"));
    QCOMPARE(windows.batchPrintWindow().windowTitle(), QStringLiteral(u"批量打印顺丰快递单"));
    QCOMPARE(windows.backupWindow().windowTitle(), QStringLiteral(u"数据库备份与恢复"));
    QVERIFY(windows.singlePrintWindow().isHidden());
    QVERIFY(windows.batchPrintWindow().isHidden());
    QVERIFY(dialogs.shown.isEmpty());
}

void ProgramWindowsTest::printCommandsStampThenPreviewTheirRows()
{
    TestDatabase db;
    db.insert("outrxx", {"", QStringLiteral(u"王五"), "", "", "", "", "", "", "2020", "1", "1"});
    db.insert("inrxx", {"", "a", "", "", "", "", "", "", "", ""});
    ScriptedDialogs dialogs;
    ProgramWindows windows(db.session());
    MainWindow& main = windows.mainWindow();

    // A recipient added after start-up is on the batch pages.
    main.addRecipient();
    main.recipientEditor().findChild<QLineEdit*>("Edit9")->setText("b");
    main.recipientEditor().findChild<QLineEdit*>("Edit10")->setText("x");
    main.recipientEditor().findChild<QLineEdit*>("Edit13")->setText("1");
    main.recipientEditor().add();

    // Each window: its menu command previews, then the window is closed.
    const auto runThenClose = [](QDialog& window) {
        QTimer::singleShot(0, &window, [&window] {
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QMetaObject::invokeMethod(&window, "previewAndPrint");
            window.close();
        });
    };
    runThenClose(windows.batchPrintWindow());
    main.openBatchPrint();
    runThenClose(windows.singlePrintWindow());
    main.openSinglePrint();
    QCOMPARE(dialogs.previewPageCounts, (QList<int>{2, 1}));
    const QStringList sender = db.rows("outrxx").at(0);
    const QDate today = QDate::currentDate();
    QCOMPARE(sender.mid(8),
             (QStringList{QString::number(today.year()), QString::number(today.month()),
                          QString::number(today.day())}));
    QCOMPARE(sender.at(1), QStringLiteral(u"王五"));
}

void ProgramWindowsTest::startupWithoutDatabaseStopsAfterOneReport()
{
    TestFolder dir;
    {
        ScriptedDialogs dialogs;
        QString told;
        QTextStream err(&told);
        QVERIFY(!ProgramStart::windows(currentDirectoryStore(), err));
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown.at(0).icon, Dialogs::Icon::Error);
    }
    QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void ProgramWindowsTest::startupWithoutImportTableStopsWithTheEnginesText()
{
    TestDatabase db;
    db.exec(QStringLiteral("DROP TABLE excel"));
    ScriptedDialogs dialogs;
    QString told;
    QTextStream err(&told);
    QVERIFY(!ProgramStart::windows(db.session(), err));
    QVERIFY2(told.contains(QStringLiteral("excel")), qPrintable(told));
    QCOMPARE(dialogs.shown.size(), 1);
}

// Shown, and on the terminal with the program's name; 2 for the option.
void ProgramWindowsTest::wrongDatabaseOptionEndsTheStartWithStatus2()
{
    ScriptedDialogs dialogs;
    QString told;
    QTextStream err(&told);
    try {
        StoreChoice::choose({}, QStringLiteral("postgresql://host/"));
        QFAIL("taken as a server");
    } catch (const CommandError& e) {
        QCOMPARE(ProgramStart::failed(e, {}, err), 2);
        QCOMPARE(told, QStringLiteral("sfwaybill: ") + e.text() + u'\n');
    }
    QCOMPARE(dialogs.shown.size(), 1);
}

void ProgramWindowsTest::exportFromBothMenusEndsWithItsOwnMessage()
{
    TestDatabase db;
    db.insert("inrxx", {"", "a", "", "", "", "", "", "", "", ""});
    db.insert("inrxx", {"", "b", "", "", "", "", "", "", "", ""});
    ScriptedDialogs dialogs;
    ProgramWindows windows(db.session());
    MainWindow& main = windows.mainWindow();
    const QDir dir(db.dir());
    const auto bytes = [&](const char* name) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    dialogs.files << QString(); // cancelled: nothing written, nothing said
    main.exportFromMenu();
    QCOMPARE(dialogs.messageTexts(), QStringList());
    QCOMPARE(dialogs.filters.last().split(QStringLiteral(";;")).size(), 3); // .xls .xlsx .csv

    dialogs.files << dir.filePath("book.xls");
    main.exportFromMenu();
    QCOMPARE(dialogs.shown.last().title, QStringLiteral(u"提示"));
    QCOMPARE(dialogs.lastText(),
             QStringLiteral(u"成功导出全部数据!\n已写入文件：") + dir.filePath("book.xls"));
    QVERIFY(QFile::exists(dir.filePath("book.xls")));
    QVERIFY(!QFile::exists(dir.filePath("book.xls.xls")));
    QCOMPARE(main.queries().recipients.currentRow(), 1); // the grid ends on the last row

    // The type chosen gives the extension; one typed wins, .csv writes CSV.
    struct Case {
        const char* typed;
        int type;
        const char* written;
    };
    for (const Case& c : {Case{"book2", 1, "book2.xlsx"}, Case{"book3", 2, "book3.csv"},
                          Case{"通讯录3.csv", 0, "通讯录3.csv"}}) {
        dialogs.files << dir.filePath(QString::fromUtf8(c.typed));
        dialogs.fileTypes << c.type;
        main.exportFromPopup();
        QCOMPARE(dialogs.shown.last().title, AppInfo::title);
        QCOMPARE(dialogs.lastText(), QStringLiteral(u"成功导出全部数据！\n已写入文件：") +
                                         dir.filePath(QString::fromUtf8(c.written)));
        QVERIFY(QFile::exists(dir.filePath(QString::fromUtf8(c.written))));
    }
    QVERIFY(bytes("通讯录3.csv").startsWith("\xEF\xBB\xBF" + QStringLiteral(u"单位名称").toUtf8()));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral(u"通讯录3.csv.xls"))));

    // A file that is there is replaced only when the user says so; Enter says No.
    const QByteArray before = bytes("book.xls");
    db.insert("inrxx", {"", "c", "", "", "", "", "", "", "", ""});
    main.refresh();
    dialogs.clear();
    dialogs.files << dir.filePath("book");
    dialogs.answers << false;
    main.exportFromMenu();
    QCOMPARE(dialogs.shown.size(), 2);
    QCOMPARE(dialogs.shown.last().text,
             QStringLiteral(u"文件“%1”已存在，要替换它吗？").arg(dir.filePath("book.xls")));
    QCOMPARE(dialogs.shown.last().preset, Dialogs::Default::No);
    QCOMPARE(bytes("book.xls"), before);
    dialogs.files << dir.filePath("book.xls");
    dialogs.answers << true;
    main.exportFromMenu();
    QVERIFY(bytes("book.xls") != before);
    QVERIFY(dialogs.lastText().startsWith(QStringLiteral(u"成功导出全部数据!")));

    // A folder that cannot be written goes to the error report, no closing message.
    dialogs.files << dir.filePath("missing/book");
    main.exportFromPopup();
    QCOMPARE(dialogs.shown.last().icon, Dialogs::Icon::Error);
}

void ProgramWindowsTest::importWindowPrintsTheRowItFound()
{
    TestDatabase db;
    db.insert("excel", {"", QStringLiteral(u"甲"), "", "", "", "", "131", "", "", ""});
    db.insert("excel", {"", QStringLiteral(u"乙"), "", "", "", "", "132", "", "", ""});
    db.insert("excel", {"", QStringLiteral(u"丙"), "", "", "", "", "133", "", "", ""});
    ScriptedDialogs dialogs;
    ProgramWindows windows(db.session());
    ImportWindow& dr = windows.importWindow();
    dr.findChild<QLineEdit*>("Edit3")->setText("132");
    dr.search();
    QCOMPARE(dr.query().recordCount(), 1);

    // The single print reads the import window's query: the found row.
    QTimer::singleShot(0, &windows.importedSinglePrintWindow(), [&] {
        QVERIFY(QTest::qWaitForWindowActive(&windows.importedSinglePrintWindow()));
        windows.importedSinglePrintWindow().previewAndPrint();
        windows.importedSinglePrintWindow().close();
    });
    windows.mainWindow().findChild<QLineEdit*>("Edit20")->setText("9");
    dr.requestSinglePrint();
    QCOMPARE(db.rows("outrxx").at(0).at(10), QStringLiteral("9"));
    QCOMPARE(dr.query().field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"乙"));

    // The batch print reads every row of excel, whatever the search shows.
    QTimer::singleShot(0, &windows.importedBatchPrintWindow(), [&] {
        QVERIFY(QTest::qWaitForWindowActive(&windows.importedBatchPrintWindow()));
        windows.importedBatchPrintWindow().previewAndPrint();
        windows.importedBatchPrintWindow().close();
    });
    dr.requestBatchPrint();
    QCOMPARE(dialogs.previewPageCounts, (QList<int>{1, 3}));
}

// A start that never opens the designer does not pay for it.
void ProgramWindowsTest::designerIsMadeWhenFirstOpened()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    ProgramWindows windows(db.session());
    QVERIFY(!windows.mainWindow().findChild<TemplateDesigner*>());
    windows.mainWindow().findChild<QAction*>(QStringLiteral("TemplateDesignerMenu"))->trigger();
    auto* designer = windows.mainWindow().findChild<TemplateDesigner*>();
    QVERIFY(designer);
    QVERIFY(designer->isVisible());
    windows.mainWindow().findChild<QAction*>(QStringLiteral("TemplateDesignerMenu"))->trigger();
    QCOMPARE(windows.mainWindow().findChildren<TemplateDesigner*>().size(), 1);
    QVERIFY(dialogs.shown.isEmpty());

    // Unsaved work is asked about before the program ends, and may stop it.
    designer->document().add(TemplateItem{});
    windows.mainWindow().show();
    dialogs.choices << QStringLiteral(u"取消");
    QVERIFY(!windows.mainWindow().close());
    QVERIFY(designer->isVisible());
    dialogs.choices << QStringLiteral(u"不保存");
    QVERIFY(windows.mainWindow().close());
    QVERIFY(!designer->isVisible());
}

QTEST_MAIN(ProgramWindowsTest)
#include "program_windows_test.moc"
