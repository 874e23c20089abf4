#include "records/windows/main_window.h"
#include "records/windows/recipient_editor.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "support/window_probe.h"
#include "ui/ui_fonts.h"

#include <QAction>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>

using namespace Drive;

namespace {

QStringList recipient(const QString& company, const QString& name)
{
    return {company, name, "", QStringLiteral(u"北京市"), "", "", "138", "", "", ""};
}

void trigger(QWidget* window, const QString& action)
{
    find<QAction>(window, action)->trigger();
}

} // namespace

// The address book's commands as a user reaches them: pop-up menu, double
// click, mouse and keyboard.
class RecordsCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void doubleClickAnywhereInTheGridOpensTheEditor();
    void titleClickShowsAMarkerAndKeepsTheOrder();
    void popupItemsRunTheSameCommands();
    void changesToRowsDeletedElsewhereAreReported();
    void editorMovesOnlyByItsBareSurface();
    void enterOnTheFocusedSaveButtonSaves();
};

void RecordsCommandsTest::doubleClickAnywhereInTheGridOpensTheEditor()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* grid = find<QTableView>(&w, "DBGridEh1");
    const QPoint blank = grid->viewport()->rect().center();

    // An empty book: the editor opens in modify mode with empty boxes.
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, blank);
    QVERIFY(!find(&w, "Panel2")->isHidden());
    QVERIFY(find(&w, "Button3")->isHidden());
    QVERIFY(!find(&w, "Button5")->isHidden());
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QString());

    // Below the rows it opens on the current row.
    w.recipientEditor().closeEditor();
    db.insert("inrxx", recipient("A", QStringLiteral(u"张三")));
    db.insert("inrxx", recipient("B", QStringLiteral(u"李四")));
    w.refresh();
    w.queries().recipients.setCurrentRow(1);
    QVERIFY(grid->indexAt(blank) == QModelIndex());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, blank);
    QVERIFY(!find(&w, "Panel2")->isHidden());
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QStringLiteral(u"李四"));

    // Clicks beside the rows or on the marked row with Ctrl keep it marked.
    const auto markedRows = [grid] {
        QList<int> rows;
        for (const QModelIndex& i : grid->selectionModel()->selectedRows())
            rows << i.row();
        return rows;
    };
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, blank);
    QCOMPARE(markedRows(), QList<int>{1});
    const QPoint second = grid->visualRect(grid->model()->index(1, 1)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    QCOMPARE(markedRows(), QList<int>{1});
    QCOMPARE(w.queries().recipients.currentRow(), 1);
    QVERIFY(dialogs.shown.isEmpty());
}

void RecordsCommandsTest::titleClickShowsAMarkerAndKeepsTheOrder()
{
    TestDatabase db;
    db.insert("inrxx", recipient("B", QStringLiteral(u"李四")));
    db.insert("inrxx", recipient("A", QStringLiteral(u"张三")));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* grid = find<QTableView>(&w, "DBGridEh1");
    QHeaderView* titles = grid->horizontalHeader();
    const int x = titles->sectionViewportPosition(0) + titles->sectionSize(0) / 2;
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, QPoint(x, 9));
    QCOMPARE(titles->sortIndicatorSection(), 0);
    QCOMPARE(grid->model()->index(0, 0).data().toString(), QStringLiteral("B"));
    QCOMPARE(w.queries().recipients.value(0, QStringLiteral(u"单位名称")), QStringLiteral("B"));

    // A column widened by dragging its title's edge stays wide after a search.
    const int edge = titles->sectionViewportPosition(3) + titles->sectionSize(3) - 1;
    QTest::mousePress(titles->viewport(), Qt::LeftButton, {}, QPoint(edge, 9));
    QTest::mouseMove(titles->viewport(), QPoint(edge + 70, 9));
    QTest::mouseRelease(titles->viewport(), Qt::LeftButton, {}, QPoint(edge + 70, 9));
    QCOMPARE(grid->columnWidth(3), 300);
    type(&w, "Edit15", QStringLiteral(u"张"));
    click(&w, "Button9");
    QCOMPARE(grid->model()->rowCount(), 1);
    QCOMPARE(grid->columnWidth(3), 300);
    QCOMPARE(grid->columnWidth(0), 150);
}

void RecordsCommandsTest::popupItemsRunTheSameCommands()
{
    TestDatabase db;
    db.insert("inrxx", recipient("A", QStringLiteral(u"张三")));
    db.insert("inrxx", recipient("B", QStringLiteral(u"李四")));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();

    trigger(&w, "N12");
    QVERIFY(!find(&w, "Button5")->isHidden());
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QStringLiteral(u"张三"));
    type(&w, "Edit21", QStringLiteral(u"北京"));
    trigger(&w, "N11");
    QVERIFY(!find(&w, "Button3")->isHidden());
    QVERIFY(find(&w, "Button5")->isHidden());
    QCOMPARE(find<QLineEdit>(&w, "Edit9")->text(), QString());
    QCOMPARE(find<QLineEdit>(&w, "Edit21")->text(), QStringLiteral(u"北京"));

    dialogs.answers << true;
    trigger(&w, "N13");
    QCOMPARE(dialogs.messageTexts(), QStringList{QStringLiteral(u"确定要删除选中的记录？")});
    QCOMPARE(db.rows("inrxx"), QList<QStringList>{recipient("B", QStringLiteral(u"李四"))});

    // The pop-up's single print stamps the date before its window opens.
    WindowProbe printWindow;
    QString stampedDay;
    printWindow.onOpen = [&] { stampedDay = db.rows("outrxx").value(0).value(10); };
    w.setWindows({nullptr, nullptr, &printWindow, nullptr, nullptr, {}});
    type(&w, "Edit20", "9");
    trigger(&w, "N7");
    QCOMPARE(stampedDay, QStringLiteral("9"));
}

void RecordsCommandsTest::changesToRowsDeletedElsewhereAreReported()
{
    TestDatabase db;
    db.insert("inrxx", recipient("A", QStringLiteral(u"张三")));
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.modifyRecipient();
    db.exec("delete from inrxx");
    type(&w, "Edit12", "010-1");
    click(&w, "Button5");
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).icon, Dialogs::Icon::Error);
    QVERIFY(dialogs.lastText() != QStringLiteral(u"修改记录成功！"));
    QVERIFY(!find(&w, "Panel2")->isHidden()); // the typed text is still there
    QCOMPARE(find<QLineEdit>(&w, "Edit12")->text(), QStringLiteral("010-1"));
    QVERIFY(db.rows("inrxx").isEmpty());

    // The sender row gone: the stamp fails and the print window stays shut.
    db.insert("outrxx", QStringList(11, QStringLiteral("s")));
    w.showRecipients();
    db.exec("delete from outrxx");
    WindowProbe printWindow;
    w.setWindows({nullptr, nullptr, &printWindow, nullptr, nullptr, {}});
    dialogs.clear();
    w.openSinglePrint();
    QCOMPARE(printWindow.openings, 0);
    QCOMPARE(dialogs.shown.size(), 1);
    QCOMPARE(dialogs.shown.at(0).icon, Dialogs::Icon::Error);
    QVERIFY(db.rows("outrxx").isEmpty());
}

void RecordsCommandsTest::editorMovesOnlyByItsBareSurface()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.addRecipient();
    QWidget* editor = find(&w, "Panel2");
    const QPoint start = editor->pos();
    const auto drag = [&](QPoint from, QPoint by) {
        QTest::mousePress(editor, Qt::LeftButton, {}, from);
        QTest::mouseMove(editor, from + by);
        QTest::mouseRelease(editor, Qt::LeftButton, {}, from + by);
    };

    QLabel* label = nullptr;
    for (QLabel* l : editor->findChildren<QLabel*>())
        if (l->text() == QStringLiteral(u"单位名称"))
            label = l;
    QVERIFY(label);
    drag(label->geometry().center(), {30, 20});
    QCOMPARE(editor->pos(), start);

    drag({20, 20}, {30, 20}); // the bare corner
    QCOMPARE(editor->pos(), start + QPoint(30, 20));

    drag({20, 20}, {-1000, -1000}); // it stays inside the window
    QCOMPARE(editor->pos(), QPoint(0, 0));
}

void RecordsCommandsTest::enterOnTheFocusedSaveButtonSaves()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.showSenderPanel();
    auto* save = find<QPushButton>(&w, "Button1");
    QCOMPARE(save->font().pixelSize(), UiFonts::songti(14).pixelSize());
    QCOMPARE(find<QPushButton>(&w, "Button5")->font().pixelSize(), 14);

    type(&w, "Edit2", QStringLiteral(u"王五"));
    type(&w, "Edit3", QStringLiteral(u"广州市"));
    type(&w, "Edit6", "139");
    auto* signature = find<QLineEdit>(&w, "Edit7");
    signature->setFocus();
    QTest::keyClick(signature, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), save);
    QVERIFY(db.rows("outrxx").isEmpty());
    QTest::keyClick(save, Qt::Key_Return);
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"寄件人信息保存成功！"));
    QCOMPARE(db.rows("outrxx").size(), 1);
    QCOMPARE(db.rows("outrxx").at(0).at(1), QStringLiteral(u"王五"));
}

QTEST_MAIN(RecordsCommandsTest)
#include "records_commands_test.moc"
