#include "exchange/windows/import_window.h"
#include "store/schema.h"
#include "store/store_error.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/sheet_bombs.h"
#include "support/test_database.h"
#include "ui/recipient_grid.h"
#include "ui/widgets.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

QString dataFile(const char* name)
{
    return QStringLiteral(SF_TEST_DATA_DIR "/") + QString::fromLatin1(name);
}

const QStringList previous{"旧公司", "旧收件人", "", "旧地址", "", "", "139", "", "", ""};

QAction* action(QWidget* window, const char* name)
{
    auto* a = window->findChild<QAction*>(QString::fromLatin1(name));
    if (!a)
        qFatal("no action %s", name);
    return a;
}

void import(ImportWindow& form, const QString& path)
{
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit1"))->setText(path);
    Drive::click(&form, QStringLiteral("Button1"));
}

} // namespace

class ExchangeWindowTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAndMenus();
    void importFillsTheGridAndHidesThePanel();
    void platformOrderSheetsImportAndUndo();
    void failedImportsKeepThePreviousRows();
    void failuresAfterTheReadCloseTheListUntilRefresh();
    void listNotReadAfterAnImportSaysTheRowsAreIn();
    void pathWithAColonImports();
    void chooseFileAndPathPanel();
    void searchAndRefresh();
    void printCommandsAndClose();
    void missingDatabaseThrows();
};

void ExchangeWindowTest::layoutAndMenus()
{
    TestDatabase db;
    ImportWindow form(db.session());
    form.show(); // the rows and their columns are read at the first opening
    QCOMPARE(form.windowTitle(), QStringLiteral(u"Excel导入"));
    QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisibleTo(&form));
    QCOMPARE(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->geometry(),
             QRect(144, 216, 721, 89));
    QCOMPARE(Drive::find<QPushButton>(&form, QStringLiteral("Button1"))->text(),
             QStringLiteral(u"导 入"));
    QCOMPARE(Drive::find<QPushButton>(&form, QStringLiteral("Button2"))->text(),
             QStringLiteral(u"查 询"));
    QCOMPARE(Drive::find<QPushButton>(&form, QStringLiteral("Button3"))->text(),
             QStringLiteral(u"刷 新"));
    QCOMPARE(Drive::find<QToolButton>(&form, QStringLiteral("SpeedButton1"))->toolTip(),
             QStringLiteral(u"选择路径"));
    auto* bar = form.findChild<QMenuBar*>(QStringLiteral("MainMenu1"));
    QVERIFY(bar);
    QStringList captions;
    for (QAction* a : bar->actions())
        captions << a->text();
    QCOMPARE(captions, QStringList({"选择路径", "单张打印", "批量打印", "关闭窗口", "撤销导入"}));
    QVERIFY(!action(&form, "N60")->isEnabled()); // nothing imported yet
    captions.clear();
    for (QAction* a : Drive::find<QMenu>(&form, QStringLiteral("PopupMenu1"))->actions())
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(captions, QStringList({"选择路径", "-", "单张打印", "批量打印", "-", "关闭窗口"}));
    QCOMPARE(Drive::find<QTableView>(&form, QStringLiteral("DBGridEh1"))->model()->columnCount(),
             10);
}

void ExchangeWindowTest::importFillsTheGridAndHidesThePanel()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();
    QCOMPARE(form.query().recordCount(), 1);
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))
        ->setText(QStringLiteral("x")); // search boxes are left alone
    import(form, QStringLiteral("  ") + dataFile("libreoffice_recipients.xls"));
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"批量导入EXCEL成功!\n共导入4条收件人信息。"));
    QCOMPARE(dialogs.shown.last().title, QStringLiteral("鹿帆顺丰快递单打印软件 V5.22"));
    QVERIFY(!Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))->text(), QStringLiteral("x"));
    QCOMPARE(form.query().recordCount(), 4);
    QCOMPARE(form.query().currentRow(), 0);
    QCOMPARE(form.query().field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));
    QCOMPARE(db.rows(QStringLiteral("excel")).size(), 4);
}

void ExchangeWindowTest::platformOrderSheetsImportAndUndo()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();

    // A workbook whose only sheet is not Sheet1: that sheet, named.
    import(form, dataFile("xlwt_no_sheet1.xls"));
    QCOMPARE(dialogs.lastText(),
             QStringLiteral(u"批量导入EXCEL成功!\n共导入4条收件人信息。\n"
                            u"工作簿中没有Sheet1，读取的是第一个工作表“收件人”。"));
    const QList<QStringList> listed = db.rows(QStringLiteral("excel"));
    QCOMPARE(listed.size(), 4);

    // An order sheet as a shop platform writes it: quantity under its own
    // title, the destination from the address, numbers as the form needs them.
    const QString orders = db.dir() + QStringLiteral(u"/订单.csv");
    QFile csv(orders);
    QVERIFY(csv.open(QIODevice::WriteOnly));
    csv.write(
        QStringLiteral(u"订单编号,收货人姓名,联系手机,联系电话,收货地址,宝贝总数量\n"
                       u"1001,张三,'13811112222,'0755-86001234,广东省深圳市南山区科技园1号,2\n"
                       u"1002,李四,+86 134-6562-3510,,北京市朝阳区建国路1号,1\n"
                       u"1003,王五,138 1111 3333,010-12345678,杭州西湖区文三路90号,3\n")
            .toUtf8());
    csv.close();
    import(form, orders);
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"批量导入EXCEL成功!\n共导入3条收件人信息。"));
    QCOMPARE(db.rows(QStringLiteral("excel")),
             (QList<QStringList>{{"", "张三", "广东省深圳市", "广东省深圳市南山区科技园1号", "",
                                  "0755-86001234", "13811112222", "", "2", ""},
                                 {"", "李四", "北京市", "北京市朝阳区建国路1号", "", "",
                                  "13465623510", "", "1", ""},
                                 {"", "王五", "浙江省杭州市", "杭州西湖区文三路90号", "",
                                  "010-12345678", "13811113333", "", "3", ""}}));
    for (const char* title : {"购买数量", "商品数量"}) {
        QVERIFY(csv.open(QIODevice::WriteOnly));
        csv.write(QStringLiteral(u"收货人,收货地址,%1\n赵六,上海市徐汇区1号,5\n")
                      .arg(QString::fromUtf8(title))
                      .toUtf8());
        csv.close();
        import(form, orders);
        QCOMPARE(db.rows(QStringLiteral("excel")).value(0).value(8), QStringLiteral("5"));
    }

    // "撤销导入" brings back the list before the last import, once.
    QVERIFY(action(&form, "N60")->isEnabled());
    action(&form, "N60")->trigger();
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"已撤销导入，恢复了导入前的1条收件人信息。"));
    QCOMPARE(db.rows(QStringLiteral("excel")).value(0).value(1), QStringLiteral(u"赵六"));
    QCOMPARE(form.query().recordCount(), 1);
    QVERIFY(!action(&form, "N60")->isEnabled());
    // A failed import changes neither the list nor what an undo brings back,
    // not even one that left the connection closed.
    import(form, dataFile("xlwt_recipients.xls"));
    import(form, dataFile("missing.xls"));
    db.makeUnreachable();
    import(form, dataFile("xlwt_recipients.xls"));
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"连接ACCESS失败!"));
    db.makeReachable();
    action(&form, "N60")->trigger();
    QCOMPARE(form.query().recordCount(), 1);
    QCOMPARE(db.rows(QStringLiteral("excel")).value(0).value(1), QStringLiteral(u"赵六"));
}

void ExchangeWindowTest::failedImportsKeepThePreviousRows()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();
    import(form, QStringLiteral("   "));
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"请正确选择相关路径！"));
    QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    QCOMPARE(form.query().recordCount(), 1); // nothing was touched
    for (const char* bad : {"platform_no_address.xls", "missing.xls"}) {
        import(form, dataFile(bad));
        QCOMPARE(dialogs.lastText().section(u'\n', 0, 0), QStringLiteral(u"批量导入EXCEL失败!"));
        QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    }
    // Past a limit the box says which.
    QFile tooLong(db.dir() + QStringLiteral("/rows.xlsx"));
    QVERIFY(tooLong.open(QIODevice::WriteOnly));
    tooLong.write(SheetBombs::workbook({"<worksheet><sheetData><row r=\"1048577\"><c><v>1</v></c>"
                                        "</row></sheetData></worksheet>"}));
    tooLong.close();
    import(form, tooLong.fileName());
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"批量导入EXCEL失败!\n工作表超过1,048,576行"));
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
    QCOMPARE(dialogs.shown.size(), 4);
}

void ExchangeWindowTest::failuresAfterTheReadCloseTheListUntilRefresh()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();

    // The store gone: the connection cannot be made again.
    db.makeUnreachable();
    import(form, dataFile("xlwt_recipients.xls"));
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"连接ACCESS失败!"));
    QCOMPARE(dialogs.shown.last().icon, Dialogs::Icon::Information);
    QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    QVERIFY(!form.query().isOpen());
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))->setText(QStringLiteral(u"旧"));
    Drive::click(&form, QStringLiteral("Button2")); // needs the connection
    QCOMPARE(dialogs.shown.last().icon, Dialogs::Icon::Error);
    QVERIFY(!form.query().isOpen());
    db.makeReachable();
    Drive::click(&form, QStringLiteral("Button3"));
    QCOMPARE(form.query().recordCount(), 1);

    // A row the table refuses: nothing of the sheet stays.
    db.exec(QStringLiteral("DROP TABLE excel"));
    db.exec(TestDatabase::createTable(QStringLiteral("excel"),
                                      QStringLiteral("CHECK (\"备注\" <> '只有备注')")));
    db.insert(QStringLiteral("excel"), previous);
    const qsizetype shown = dialogs.shown.size();
    import(form, dataFile("xlwt_recipients.xls"));
    QCOMPARE(dialogs.shown.size(), shown + 1);
    QCOMPARE(dialogs.lastText().section(u'\n', 0, 0), QStringLiteral(u"批量导入EXCEL失败!"));
    QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    QVERIFY(!form.query().isOpen());
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
    Drive::click(&form, QStringLiteral("Button3"));
    QCOMPARE(form.query().recordCount(), 1);
    QCOMPARE(form.query().field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"旧收件人"));
}

// Told with the reason, and that the rows are in: a second import would
// only write them again.
void ExchangeWindowTest::listNotReadAfterAnImportSaysTheRowsAreIn()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();
    // Undo is offered once the rows are written, before the list is read.
    connect(
        action(&form, "N60"), &QAction::enabledChanged, this,
        [&] { db.exec(QStringLiteral("ALTER TABLE excel RENAME TO kept")); },
        Qt::SingleShotConnection);
    import(form, dataFile("xlwt_recipients.xls"));
    db.exec(QStringLiteral("ALTER TABLE kept RENAME TO excel"));
    // The engine's reason last, in brackets; the server's takes lines.
    const QString said = QStringLiteral(u"批量导入EXCEL失败!\n已导入%1条收件人信息，但无法重新"
                                        u"读取列表。请点“刷 新”查看，不要再次导入。\n（")
                             .arg(db.rows(QStringLiteral("excel")).size());
    const QString text = dialogs.lastText();
    QVERIFY2(text.startsWith(said) && text.endsWith(u'）') &&
                 text.contains(QStringLiteral("excel")),
             qPrintable(text));
    QVERIFY(!db.rows(QStringLiteral("excel")).isEmpty());
    QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
}

void ExchangeWindowTest::pathWithAColonImports()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("C:list.xls"));
    QVERIFY(QFile::copy(dataFile("xlwt_recipients.xls"), path));
    ImportWindow form(db.session());
    form.show();
    import(form, path);
    QCOMPARE(dialogs.messageTexts(),
             QStringList{QStringLiteral(u"批量导入EXCEL成功!\n共导入4条收件人信息。")});
    QCOMPARE(form.query().recordCount(), 4);
}

void ExchangeWindowTest::chooseFileAndPathPanel()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();
    dialogs.files.enqueue(dataFile("xlwt_recipients.xls"));
    QTest::mouseClick(Drive::find<QToolButton>(&form, QStringLiteral("SpeedButton1")),
                      Qt::LeftButton);
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit1"))->text(),
             dataFile("xlwt_recipients.xls"));
    QCOMPARE(dialogs.shown.last().kind, QStringLiteral("open"));
    QCOMPARE(dialogs.shown.last().title, QStringLiteral(u"请选择相应的Excel文件"));
    // Every kind at once first, then each.
    QCOMPARE(dialogs.filters.last().split(QStringLiteral(";;")),
             (QStringList{QStringLiteral(u"所有支持的表格(*.xls *.xlsx *.csv)"),
                          QStringLiteral("Excel(*.xls)"), QStringLiteral("Excel 2007(*.xlsx)"),
                          QStringLiteral("CSV(*.csv)")}));
    dialogs.files.enqueue(QString()); // cancelled: nothing changes
    QTest::mouseClick(Drive::find<QToolButton>(&form, QStringLiteral("SpeedButton1")),
                      Qt::LeftButton);
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit1"))->text(),
             dataFile("xlwt_recipients.xls"));

    QTest::mouseClick(Drive::find<ClosePicture>(&form, QStringLiteral("Image1")), Qt::LeftButton);
    QVERIFY(!Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    action(&form, "N4")->trigger();
    QVERIFY(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->isVisible());
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit1"))->text(), QString());

    // The panel follows the mouse while the left button is held.
    const QPoint start = Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->pos();
    QTest::mousePress(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1")), Qt::LeftButton,
                      {}, QPoint(300, 10));
    QMouseEvent move(
        QEvent::MouseMove, QPointF(320, 25),
        Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->mapToGlobal(QPointF(320, 25)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1")), &move);
    QTest::mouseRelease(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1")), Qt::LeftButton,
                        {}, QPoint(320, 25));
    QCOMPARE(Drive::find<MovablePanel>(&form, QStringLiteral("Panel1"))->pos(),
             start + QPoint(20, 15));
}

void ExchangeWindowTest::searchAndRefresh()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), {"", "张三", "", "", "", "", "13800", "", "", ""});
    db.insert(QStringLiteral("excel"), {"", "李四", "", "", "", "", "13900", "", "", ""});
    db.insert(QStringLiteral("excel"), {"", "张\"五", "", "", "", "", "13901", "", "", ""});
    ScriptedDialogs dialogs;
    ImportWindow form(db.session());
    form.show();
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))->setText(QStringLiteral(u"张"));
    Drive::click(&form, QStringLiteral("Button2"));
    QCOMPARE(form.query().recordCount(), 2);
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))->setText(QStringLiteral(u"\""));
    Drive::click(&form, QStringLiteral("Button2")); // bound, not pasted: no error
    QCOMPARE(form.query().recordCount(), 1);
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))->setText(QStringLiteral(u"张"));
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit3"))->setText(QStringLiteral("139"));
    Drive::click(&form, QStringLiteral("Button2")); // the mobile search wins
    QCOMPARE(form.query().recordCount(), 2);
    QCOMPARE(form.query().field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"李四"));
    QVERIFY(dialogs.shown.isEmpty());

    // Another connection's rows appear after "刷 新", which empties the boxes.
    db.insert(QStringLiteral("excel"), {"", "赵六", "", "", "", "", "", "", "", ""});
    Drive::click(&form, QStringLiteral("Button3"));
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit2"))->text(), QString());
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit3"))->text(), QString());
    QCOMPARE(form.query().recordCount(), 4);
}

void ExchangeWindowTest::printCommandsAndClose()
{
    TestDatabase db;
    ImportWindow form(db.session());
    QSignalSpy single(&form, &ImportWindow::singlePrintRequested);
    QSignalSpy batch(&form, &ImportWindow::batchPrintRequested);
    action(&form, "N2")->trigger();
    action(&form, "N8")->trigger();
    action(&form, "N3")->trigger();
    QCOMPARE(single.size(), 2);
    QCOMPARE(batch.size(), 1);
    action(&form, "N5")->trigger();
    QCOMPARE(batch.size(), 2);
    for (const char* handler :
         {"showPathPanel()", "requestSinglePrint()", "requestBatchPrint()", "closeWindow()"})
        QVERIFY2(form.metaObject()->indexOfSlot(handler) >= 0, handler);

    // Closing only hides: the texts are there at the next opening.
    form.show();
    Drive::find<QLineEdit>(&form, QStringLiteral("Edit3"))->setText(QStringLiteral("138"));
    action(&form, "N55")->trigger();
    QVERIFY(!form.isVisible());
    form.show();
    QCOMPARE(Drive::find<QLineEdit>(&form, QStringLiteral("Edit3"))->text(), QStringLiteral("138"));
    action(&form, "N49")->trigger();
    QVERIFY(!form.isVisible());
}

void ExchangeWindowTest::missingDatabaseThrows()
{
    TestDatabase db;
    db.makeUnreachable();
    bool threw = false;
    try {
        ImportWindow form(db.session());
    } catch (const StoreError&) {
        threw = true;
    }
    QVERIFY(threw);
    QVERIFY(!QFile::exists(db.path()));
    db.makeReachable();
}

QTEST_MAIN(ExchangeWindowTest)
#include "exchange_window_test.moc"
