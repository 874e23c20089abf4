#include "app/program_start.h"
#include "app/program_windows.h"
#include "app/qt_dialogs.h"
#include "exchange/windows/import_window.h"
#include "records/windows/main_window.h"
#include "store/command_error.h"
#include "store/data_folder.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "ui/app_info.h"
#include "ui/error_report.h"
#include "ui/qt_texts.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

using namespace Drive;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void windowMenusAndGrid();
    void everyPlaceOfACommandRunsItAndIsEnabledWithIt_data();
    void everyPlaceOfACommandRunsItAndIsEnabledWithIt();
    void clockShowsAfterTheFirstSecond();
    void unopenableDatabaseIsNamed_data();
    void unopenableDatabaseIsNamed();
    void questionButtonsSpeakChinese();
    void pastedTextIsConfirmedByKeyboard();
    void errorBoxesEndChineseTheChineseWay();
};

static QStringList captions(const QList<QAction*>& actions)
{
    QStringList result;
    for (const QAction* a : actions)
        result << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return result;
}

void MainWindowTest::windowMenusAndGrid()
{
    TestDatabase db;
    db.insert("inrxx", {"A", QStringLiteral(u"张三"), "", "", "", "", "138", "", "", ""});
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    QCOMPARE(w.windowTitle(), QStringLiteral(u"鹿帆顺丰快递单打印软件 V5.22"));
    QCOMPARE(w.centralWidget()->width(), 1017);
    QCOMPARE(w.centralWidget()->height() + w.statusBar()->height(), 631);
    QCOMPARE(captions(w.menuBar()->actions()),
             (QStringList{QStringLiteral(u"寄件人信息"), QStringLiteral(u"收件人信息"),
                          QStringLiteral(u"单张打印"), QStringLiteral(u"批量打印"),
                          QStringLiteral(u"数据导入"), QStringLiteral(u"数据导出"),
                          QStringLiteral(u"数据备份与恢复"), QStringLiteral(u"帮助主题"),
                          QStringLiteral(u"退出软件"), QStringLiteral(u"打印记录"),
                          QStringLiteral(u"模板设计")}));
    auto* popup = find<QMenu>(&w, "PopupMenu1");
    QCOMPARE(captions(popup->actions()),
             (QStringList{QStringLiteral(u"新增记录"), QStringLiteral(u"修改记录"),
                          QStringLiteral(u"删除记录"), "-", QStringLiteral(u"全部删除"), "-",
                          QStringLiteral(u"单张打印"), QStringLiteral(u"批量打印"), "-",
                          QStringLiteral(u"数据导入"), QStringLiteral(u"数据导出")}));
    for (const QString& caption : captions(w.menuBar()->actions()) + captions(popup->actions()))
        QVERIFY2(!caption.contains(QLatin1Char('&')), qPrintable(caption));

    auto* grid = find<QTableView>(&w, "DBGridEh1");
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral(u"姓 名"));
    QCOMPARE(grid->columnWidth(3), 230);
    QCOMPARE(grid->toolTip(), QStringLiteral(u"双击可以修改收件人信息"));
    QVERIFY(find(&w, "Panel1")->isHidden());
    QVERIFY(find(&w, "Panel2")->isHidden());
    QVERIFY(!find(&w, "Panel3")->isHidden());

    // 寄件人信息 hides the editor; 收件人信息 brings back the bar, not the editor.
    w.addRecipient();
    w.showSenderPanel();
    QVERIFY(find(&w, "Panel2")->isHidden());
    w.showRecipients();
    QVERIFY(!find(&w, "Panel3")->isHidden());
    QVERIFY(find(&w, "Panel1")->isHidden());
    QVERIFY(find(&w, "Panel2")->isHidden());
    QVERIFY(dialogs.shown.isEmpty());
}

void MainWindowTest::everyPlaceOfACommandRunsItAndIsEnabledWithIt_data()
{
    QTest::addColumn<bool>("importWindow");
    QTest::addColumn<QString>("command"); // its action
    QTest::addColumn<QString>("place");   // a pop-up item or a button for the same command
    const auto row = [](bool import, const char* command, const char* place) {
        QTest::addRow("%s %s %s", import ? "import" : "main", command, place)
            << import << QString::fromLatin1(command) << QString::fromLatin1(place);
    };
    row(false, "N5", "N7");
    row(false, "N6", "N8");
    row(false, "N18", "N31");
    row(false, "N11", "Button6");
    row(false, "N12", "Button7");
    row(false, "N13", "Button8");
    row(true, "N1", "N4");
    row(true, "N2", "N8");
    row(true, "N3", "N5");
    row(true, "N49", "N55");
}

void MainWindowTest::everyPlaceOfACommandRunsItAndIsEnabledWithIt()
{
    QFETCH(bool, importWindow);
    QFETCH(QString, command);
    QFETCH(QString, place);
    TestDatabase db;
    ScriptedDialogs dialogs;
    std::unique_ptr<QWidget> window;
    if (importWindow) {
        window = std::make_unique<ImportWindow>(db.session());
    } else {
        auto main = std::make_unique<MainWindow>(db.session());
        main->open();
        window = std::move(main);
    }
    auto* action = find<QAction>(window.get(), command);
    auto* item = window->findChild<QAction*>(place);
    auto* button = window->findChild<QPushButton*>(place);
    QVERIFY(item || button);
    if (item)
        QCOMPARE(item->text(), action->text());
    const auto enabled = [&] { return item ? item->isEnabled() : button->isEnabled(); };
    const auto choose = [&] {
        if (item)
            item->trigger();
        else
            QTest::mouseClick(button, Qt::LeftButton);
    };
    QSignalSpy ran(action, &QAction::triggered);
    action->setEnabled(false);
    QVERIFY(!enabled());
    choose();
    QCOMPARE(ran.size(), 0);
    action->setEnabled(true);
    QVERIFY(enabled());
    choose();
    QCOMPARE(ran.size(), 1);
}

void MainWindowTest::clockShowsAfterTheFirstSecond()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    auto labels = w.statusBar()->findChildren<QLabel*>();
    QCOMPARE(w.clockText(), QString());
    w.setClock([] { return QDateTime(QDate(2026, 3, 8), QTime(9, 5, 7)); });
    QTRY_COMPARE_WITH_TIMEOUT(w.clockText(), QStringLiteral(u" 今天是：2026年03月08日  09:05:07"),
                              3000);
    QStringList texts;
    for (const QLabel* l : labels)
        texts << l->text();
    QVERIFY(texts.contains(QLatin1Char(' ') + AppInfo::webAddress));
    QVERIFY(texts.contains(QStringLiteral(u"最佳分辨率：1024*768")));
}

void MainWindowTest::unopenableDatabaseIsNamed_data()
{
    QTest::addColumn<QByteArray>("file"); // none: an empty database
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("engine");
    QTest::newRow("missing") << QByteArray() << false << "unable to open database file";
    QTest::newRow("not a database") << QByteArray(4096, 'x') << true << "file is not a database";
    QTest::newRow("not readable") << QByteArray() << true << "unable to open database file";
}

// Named in Chinese with the engine's reason; a missing one is not made,
// and how to make one follows.
void MainWindowTest::unopenableDatabaseIsNamed()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, exists);
    QFETCH(QString, engine);
    TestFolder dir;
    const QString path = dir.filePath("data.mdb");
    if (!file.isEmpty()) {
        QFile junk(path);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(file);
    } else if (exists) {
        DataFolder::prepare(dir.path());
        QVERIFY(QFile::setPermissions(path, {}));
    }
    QString advice;
    if (!exists) {
        advice = QStringLiteral("\n\n") + DataFolder::missingDatabaseAdvice(path);
        QVERIFY(advice.contains(QStringLiteral("sfwaybill-cli init")));
        QVERIFY(advice.contains(dir.path()) && advice.contains(DataFolder::userFolder()));
    }
    ScriptedDialogs dialogs;
    QString told;
    QTextStream err(&told);
    {
        const PermissionsHold asAUser;
        QVERIFY(!ProgramStart::windows(currentDirectoryStore(), err));
    }
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).icon, Dialogs::Icon::Error);
    QCOMPARE(dialogs.shown.at(0).title, AppInfo::title);
    QCOMPARE(dialogs.shown.at(0).text,
             QStringLiteral(u"数据库 %1 无法打开：%2.").arg(path, engine) + advice);
    QCOMPARE(QFile::exists(path), exists);
}

void MainWindowTest::questionButtonsSpeakChinese()
{
    QVERIFY(QtTexts::installChinese(*qApp));
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* b : box->buttons())
            buttons << b->text();
        box->button(QMessageBox::No)->click();
    });
    QtDialogs dialogs;
    QVERIFY(
        !dialogs.ask(nullptr, QStringLiteral(u"提示"), QStringLiteral(u"确定要删除全部记录？")));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral(u"否(&N)"), QStringLiteral(u"是(&Y)")}));

    // A question that defaults to No: Enter answers No.
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    QVERIFY(!dialogs.ask(nullptr, QStringLiteral(u"提示"),
                         QStringLiteral(u"确定要删除选中的记录？"), Dialogs::Default::No));
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    QVERIFY(
        dialogs.ask(nullptr, QStringLiteral(u"提示"), QStringLiteral(u"确定要删除选中的记录？")));
}

void MainWindowTest::pastedTextIsConfirmedByKeyboard()
{
    const QString pasted = QStringLiteral(u"张三\t13800138000");
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        if (auto* stuck = qobject_cast<QDialog*>(dialog); stuck && stuck->isVisible())
            stuck->reject();
    });
    QtDialogs dialogs;
    QCOMPARE(dialogs.editText(nullptr, QStringLiteral(u"智能识别"), QString(), pasted), pasted);

    // The pasted text is not selected: a key adds to it. Ctrl+Enter confirms.
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QTest::keyClicks(dialog->focusWidget(), QStringLiteral("x"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return, Qt::ControlModifier);
        if (auto* stuck = qobject_cast<QDialog*>(dialog); stuck && stuck->isVisible())
            stuck->reject();
    });
    QCOMPARE(dialogs.editText(nullptr, QStringLiteral(u"智能识别"), QString(), pasted),
             pasted + QStringLiteral("x"));

    // A number box takes a scanner's digits and its Enter, one line.
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog);
        QTest::keyClicks(dialog->focusWidget(), QStringLiteral("123456789012"));
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Return);
        if (auto* stuck = qobject_cast<QDialog*>(dialog); stuck && stuck->isVisible())
            stuck->reject();
    });
    QCOMPARE(dialogs.editLine(nullptr, QStringLiteral(u"运单号"), QString(), QString()),
             QStringLiteral("123456789012"));
}

void MainWindowTest::errorBoxesEndChineseTheChineseWay()
{
    // The engine's own texts keep their full stop.
    const QStringList texts[] = {
        {QStringLiteral("no such table: excel"), QStringLiteral("no such table: excel.")},
        {QStringLiteral(u"内存不足，命令未完成"), QStringLiteral(u"内存不足，命令未完成。")},
        {QStringLiteral(u"无法写入 /tmp/x"), QStringLiteral(u"无法写入 /tmp/x.")},
        {QStringLiteral(u"数据库正被其他程序替换，请重新打开!"),
         QStringLiteral(u"数据库正被其他程序替换，请重新打开!")},
        {QStringLiteral(u"缺少“收件地址”列。"), QStringLiteral(u"缺少“收件地址”列。")},
        {QStringLiteral(u"请检查！"), QStringLiteral(u"请检查！")},
    };
    for (const QStringList& t : texts)
        QCOMPARE(ErrorReport::boxText(t.at(0)), t.at(1));
    ScriptedDialogs dialogs;
    ErrorReport::run(nullptr, [] { throw std::bad_alloc(); });
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"内存不足，命令未完成。"));
    // The engine's reason goes under the message, never lost.
    ErrorReport::run(nullptr, [] {
        throw CommandError(QStringLiteral(u"批量导入EXCEL失败!"), QStringLiteral("csv: binary"));
    });
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"批量导入EXCEL失败!\n\ncsv: binary"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
