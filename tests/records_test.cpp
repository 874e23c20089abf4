#include "app/program_start.h"
#include "app/program_windows.h"
#include "records/windows/main_window.h"
#include "records/windows/recipient_editor.h"
#include "store/schema.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/window_probe.h"
#include "ui/app_info.h"
#include "ui/error_report.h"

#include <QAction>
#include <QDialog>
#include <QTableView>
#include <QTextStream>

using namespace Drive;

namespace {

const QString kName = QStringLiteral(u"张三");

QStringList recipient(const QString& company, const QString& name, const QString& mobile)
{
    return {company,
            name,
            QStringLiteral(u"深圳"),
            QStringLiteral(u"南山区科技园"),
            "518000",
            "0755-1",
            mobile,
            QStringLiteral(u"文件"),
            "1",
            ""};
}

// The recipients' names as listed, top to bottom.
QStringList listedNames(const Dataset& d)
{
    QStringList names;
    for (int row = 0; row < d.recordCount(); ++row)
        names << d.value(row, QStringLiteral(u"收件人姓名"));
    return names;
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT
private slots:
    void senderSaveChecksInOrderThenWritesEveryColumn();
    void dateStampWritesTheBoxesAsTyped();
    void addChecksKeepsGoodsAndListsTheNewRowUnderASearch();
    void modifyWritesOnlyChangedBoxesOfTheCurrentRow();
    void deleteAndDeleteAllWorkOnTheListedRows();
    void searchByNameOrMobileAndRefresh();
    void largeBookFillsTheGridAsReadUntilRefresh();
    void enterMovesAlongTheChains();
    void lostServerIsReportedAndRefreshReconnects();
    void serverOutOfReachAtStartIsNotAMissingFile();
};

void RecordsTest::senderSaveChecksInOrderThenWritesEveryColumn()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.showSenderPanel();
    QVERIFY(find(&w, "Panel1")->isVisible() || !find(&w, "Panel1")->isHidden());
    QVERIFY(find(&w, "Panel3")->isHidden());

    click(&w, "Button1"); // everything empty: only the first missing field is reported
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral(u"寄件人姓名不能为空！")});
    QCOMPARE(dialogs.shown.last().title, QStringLiteral(u"提示"));
    type(&w, "Edit2", " "); // a blank passes
    click(&w, "Button1");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"寄件地址不能为空！"));
    type(&w, "Edit3", QStringLiteral(u"广州市天河区"));
    click(&w, "Button1");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"手机号码不能为空！"));
    QVERIFY(db.rows("outrxx").isEmpty());

    type(&w, "Edit1", QStringLiteral(u"鹿帆贸易"));
    type(&w, "Edit16", QStringLiteral(u"广州"));
    type(&w, "Edit4", "510000");
    type(&w, "Edit5", "020-1");
    type(&w, "Edit6", "13800138000");
    type(&w, "Edit7", QStringLiteral(u"李"));
    type(&w, "Edit18", "2026");
    type(&w, "Edit19", "13");
    type(&w, "Edit20", "");
    click(&w, "Button1");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"寄件人信息保存成功！"));
    QCOMPARE(dialogs.shown.last().title, AppInfo::title);
    QVERIFY(find(&w, "Panel1")->isHidden());
    QVERIFY(!find(&w, "Panel3")->isHidden());
    const auto rows = db.rows("outrxx");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0), (QStringList{QStringLiteral(u"鹿帆贸易"), " ", QStringLiteral(u"广州"),
                                      QStringLiteral(u"广州市天河区"), "510000", "020-1",
                                      "13800138000", QStringLiteral(u"李"), "2026", "13", ""}));

    // A second save edits the same row; the boxes keep unsaved text.
    type(&w, "Edit2", kName);
    click(&w, "Button1");
    QCOMPARE(db.rows("outrxx").size(), 1);
    QCOMPARE(db.rows("outrxx").at(0).at(1), kName);
}

void RecordsTest::dateStampWritesTheBoxesAsTyped()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    // Today's date fills the boxes without leading zeros.
    const QDate today = QDate::currentDate();
    QCOMPARE(find<QLineEdit>(&w, "Edit19")->text(), QString::number(today.month()));
    QCOMPARE(find<QLineEdit>(&w, "Edit20")->text(), QString::number(today.day()));

    // On an empty outrxx the stamp inserts a row holding only the date.
    type(&w, "Edit19", "13");
    type(&w, "Edit18", "");
    type(&w, "Edit2", kName); // typed but never saved: not stamped
    QVERIFY(w.stampDate());
    auto rows = db.rows("outrxx");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).mid(8), (QStringList{"", "13", QString::number(today.day())}));
    QCOMPARE(rows.at(0).at(1), QStringLiteral("<null>"));

    // A print command stamps before it opens its window.
    WindowProbe printWindow;
    w.setWindows({nullptr, nullptr, &printWindow, nullptr, nullptr, {}});
    type(&w, "Edit20", "31");
    w.openSinglePrint();
    QCOMPARE(printWindow.openings, 1);
    rows = db.rows("outrxx");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).at(10), QStringLiteral("31"));
    QVERIFY(dialogs.shown.isEmpty());
}

void RecordsTest::addChecksKeepsGoodsAndListsTheNewRowUnderASearch()
{
    TestDatabase db;
    db.insert("inrxx", recipient("A", QStringLiteral(u"王五"), "139"));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    auto* grid = find<QTableView>(&w, "DBGridEh1");
    QCOMPARE(grid->model()->rowCount(), 1);

    type(&w, "Edit15", QStringLiteral(u"王"));
    click(&w, "Button9");
    click(&w, "Button6");
    QVERIFY(!find(&w, "Panel2")->isHidden());
    QVERIFY(!find(&w, "Button3")->isHidden());
    QVERIFY(find(&w, "Button5")->isHidden());

    type(&w, "Edit9", kName);
    click(&w, "Button3");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"收件地址不能为空！"));
    QCOMPARE(dialogs.messageTexts().size(), 1);
    type(&w, "Edit10", QStringLiteral(u"北京市海淀区"));
    type(&w, "Edit21", QStringLiteral(u"北京"));
    type(&w, "Edit26", QStringLiteral(u"衣服"));
    type(&w, "Edit22", "2");
    type(&w, "Edit13", "13900000000");
    type(&w, "Edit14", QStringLiteral(u"易碎"));
    click(&w, "Button3");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"新增记录成功！"));
    QCOMPARE(dialogs.messageTexts().size(), 2);

    // The new row is listed and current although the search does not match it.
    QCOMPARE(grid->model()->rowCount(), 2);
    QCOMPARE(grid->currentIndex().row(), 1);
    QCOMPARE(w.queries().recipients.field(QStringLiteral(u"收件人姓名")), kName);
    const auto rows = db.rows("inrxx");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(1), (QStringList{"", kName, QStringLiteral(u"北京"),
                                      QStringLiteral(u"北京市海淀区"), "", "", "13900000000",
                                      QStringLiteral(u"衣服"), "2", QStringLiteral(u"易碎")}));
    // Destination, goods and quantity stay for the next recipient.
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QString());
    QCOMPARE(find<QLineEdit>(&w, "Edit21")->text(), QStringLiteral(u"北京"));
    QCOMPARE(find<QLineEdit>(&w, "Edit26")->text(), QStringLiteral(u"衣服"));
    QCOMPARE(find<QLineEdit>(&w, "Edit22")->text(), QStringLiteral("2"));
}

void RecordsTest::modifyWritesOnlyChangedBoxesOfTheCurrentRow()
{
    TestDatabase db;
    db.insert("inrxx", recipient("A", "n1", "131"));
    db.insert("inrxx", recipient("B", "n2", "132"));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    auto* grid = find<QTableView>(&w, "DBGridEh1");

    // Double click on the first row opens it in modify mode.
    const QRect cell = grid->visualRect(grid->model()->index(0, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(!find(&w, "Panel2")->isHidden());
    QVERIFY(find(&w, "Button3")->isHidden());
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QStringLiteral("n1"));

    // Another program changes the company meanwhile; only our change is written.
    db.exec(QString::fromUtf8("update inrxx set 单位名称 = 'X' where 收件人姓名 = 'n1'"));
    type(&w, "Edit13", ""); // a required column may be emptied
    click(&w, "Button5");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"修改记录成功！"));
    QVERIFY(find(&w, "Panel2")->isHidden());
    auto rows = db.rows("inrxx");
    QCOMPARE(rows.at(0).at(0), QStringLiteral("X"));
    QCOMPARE(rows.at(0).at(6), QString());
    QCOMPARE(rows.at(1), recipient("B", "n2", "132"));

    // The row written is the one current at the click, not the one loaded.
    w.modifyRecipient();
    type(&w, "Edit8", "C");
    w.queries().recipients.setCurrentRow(1);
    click(&w, "Button5");
    rows = db.rows("inrxx");
    QCOMPARE(rows.at(1).at(0), QStringLiteral("C"));
    QCOMPARE(rows.at(1).at(1), QStringLiteral("n2"));

    // An empty book: modify finds no row.
    db.exec("delete from inrxx");
    w.refresh();
    w.modifyRecipient();
    QCOMPARE(find<QLineEdit>(&w, "Edit8")->text(), QString());
    click(&w, "Button5");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"当前修改信息为空！"));
    QVERIFY(!find(&w, "Panel2")->isHidden());
}

void RecordsTest::deleteAndDeleteAllWorkOnTheListedRows()
{
    TestDatabase db;
    db.insert("inrxx", recipient("A", QStringLiteral(u"王一"), "131"));
    db.insert("inrxx", recipient("B", QStringLiteral(u"李二"), "132"));
    db.insert("inrxx", recipient("C", QStringLiteral(u"王三"), "133"));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();

    dialogs.answers << false;
    click(&w, "Button8");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"确定要删除选中的记录？"));
    QCOMPARE(db.rows("inrxx").size(), 3);
    dialogs.answers << true;
    click(&w, "Button8");
    QCOMPARE(db.rows("inrxx").size(), 2);
    QCOMPARE(w.queries().recipients.field(QStringLiteral(u"单位名称")), QStringLiteral("B"));

    db.insert("inrxx", recipient("D", QStringLiteral(u"王四"), "134"));
    // Another desk changes the first row: the server keeps it elsewhere now,
    // the list keeps its order.
    db.exec(QString::fromUtf8("update inrxx set 单位名称 = 'B2' where 单位名称 = 'B'"));
    w.refresh();
    QCOMPARE(
        listedNames(w.queries().recipients),
        (QStringList{QStringLiteral(u"李二"), QStringLiteral(u"王三"), QStringLiteral(u"王四")}));
    type(&w, "Edit15", QStringLiteral(u"王"));
    click(&w, "Button9");
    QCOMPARE(w.queries().recipients.recordCount(), 2);
    w.queries().recipients.last();
    dialogs.answers << true;
    w.deleteAllRecipients();
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"确定要删除全部记录？"));
    const auto rows = db.rows("inrxx");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).at(1), QStringLiteral(u"李二"));

    // An empty book: delete reports, delete all still asks and deletes nothing.
    db.exec("delete from inrxx");
    w.refresh();
    dialogs.clear();
    click(&w, "Button8");
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral(u"不能删除空信息！")});
    dialogs.answers << true;
    w.deleteAllRecipients();
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"确定要删除全部记录？"));
}

void RecordsTest::searchByNameOrMobileAndRefresh()
{
    TestDatabase db;
    db.insert("inrxx", recipient("A", QStringLiteral(u"王一"), "13100"));
    db.insert("inrxx", recipient("B", QStringLiteral(u"李二"), "13200"));
    db.insert("inrxx", recipient("C", "a\"b", "13300"));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    Dataset& d = w.queries().recipients;

    type(&w, "Edit15", QStringLiteral(u"王"));
    click(&w, "Button9");
    QCOMPARE(d.recordCount(), 1);
    type(&w, "Edit25", "132"); // mobile wins when both are filled
    click(&w, "Button9");
    QCOMPARE(d.recordCount(), 1);
    QCOMPARE(d.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"李二"));
    click(&w, "Button10"); // refresh keeps the mobile box
    QCOMPARE(d.recordCount(), 3);
    QCOMPARE(find<QLineEdit>(&w, "Edit15")->text(), QString());
    QCOMPARE(find<QLineEdit>(&w, "Edit25")->text(), QStringLiteral("132"));
    type(&w, "Edit25", "");
    type(&w, "Edit15", "a\"b");
    click(&w, "Button9");
    QCOMPARE(d.recordCount(), 1);
    type(&w, "Edit15", "%");
    click(&w, "Button9");
    QCOMPARE(d.recordCount(), 3);
    type(&w, "Edit15", "zzz");
    click(&w, "Button9");
    QCOMPARE(d.recordCount(), 0);
    QVERIFY(dialogs.shown.isEmpty());

    // 收件人信息 reopens the whole book and empties the person boxes only.
    w.addRecipient();
    type(&w, "Edit9", "x");
    type(&w, "Edit21", "y");
    w.showRecipients();
    QCOMPARE(d.recordCount(), 3);
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QString());
    QCOMPARE(find<QLineEdit>(&w, "Edit21")->text(), QStringLiteral("y"));
}

void RecordsTest::largeBookFillsTheGridAsReadUntilRefresh()
{
    TestDatabase db;
    db.exec(
        QStringLiteral(u"with recursive i(k) as (select 1 union all select k + 1 from i "
                       u"where k < 3000) insert into inrxx (收件人姓名) select '王' || k from i"));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    auto* grid = find<QTableView>(&w, "DBGridEh1");
    const auto lastName = [&] {
        return grid->model()->index(grid->model()->rowCount() - 1, 1).data().toString();
    };
    QTRY_COMPARE(grid->model()->rowCount(), 3000);
    db.exec(QStringLiteral(u"update inrxx set 收件人姓名 = '改' where 收件人姓名 = '王3000'"));
    grid->scrollToBottom();
    QCOMPARE(lastName(), QStringLiteral(u"王3000"));
    w.refresh(); // 刷 新
    QTRY_COMPARE(grid->model()->rowCount(), 3000);
    QCOMPARE(lastName(), QStringLiteral(u"改"));
    QVERIFY(dialogs.shown.isEmpty());
}

void RecordsTest::enterMovesAlongTheChains()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.showSenderPanel();
    const QStringList sender{"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit7"};
    for (int i = 0; i < sender.size(); ++i) {
        auto* box = find<QLineEdit>(&w, sender.at(i));
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Return);
        const QString next = i + 1 < sender.size() ? sender.at(i + 1) : QStringLiteral("Button1");
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
    QVERIFY(dialogs.shown.isEmpty()); // Enter on 签名 does not save
    QVERIFY(db.rows("outrxx").isEmpty());

    click(&w, "Button2");
    w.addRecipient();
    auto* remarks = find<QLineEdit>(&w, "Edit14");
    remarks->setFocus();
    QTest::keyClick(remarks, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), remarks);
    auto* mobile = find<QLineEdit>(&w, "Edit13");
    mobile->setFocus();
    QTest::keyClick(mobile, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), remarks);
}

void RecordsTest::lostServerIsReportedAndRefreshReconnects()
{
    if (!TestDatabase::onServer())
        QSKIP("concerns a server store only");
    TestDatabase db;
    db.insert("inrxx", recipient("A", QStringLiteral(u"王一"), "13100"));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    Dataset& d = w.queries().recipients;
    db.dropOtherConnections();

    type(&w, "Edit15", QStringLiteral(u"王"));
    click(&w, "Button9");
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).icon, Dialogs::Icon::Error);
    QVERIFY(!dialogs.lastText().isEmpty());
    QVERIFY2(!dialogs.lastText().contains(QLatin1String("()")), qPrintable(dialogs.lastText()));
    QCOMPARE(d.recordCount(), 0);

    click(&w, "Button10");
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(d.recordCount(), 1);
    type(&w, "Edit15", QStringLiteral(u"王"));
    click(&w, "Button9");
    QCOMPARE(d.recordCount(), 1);
}

void RecordsTest::serverOutOfReachAtStartIsNotAMissingFile()
{
    if (!TestDatabase::onServer())
        QSKIP("concerns a server store only");
    TestDatabase db;
    db.makeUnreachable();
    ScriptedDialogs dialogs;
    QString told;
    QTextStream err(&told);
    QVERIFY(!ProgramStart::windows(db.session(), err));
    const QString named =
        QStringLiteral(u"数据库 %1 无法打开：").arg(db.session().server()->display());
    db.makeReachable();
    // Named with the server's reason, and no advice to make a data.mdb here.
    QCOMPARE(dialogs.shown.size(), 1);
    QVERIFY2(told.startsWith(named), qPrintable(told));
    QCOMPARE(dialogs.lastText(), ErrorReport::boxText(told.section(u'\n', 0, 0)));
}

QTEST_MAIN(RecordsTest)
#include "records_test.moc"
