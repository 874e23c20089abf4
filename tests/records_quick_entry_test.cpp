#include "exchange/windows/import_window.h"
#include "records/windows/main_window.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"

#include <QClipboard>
#include <QTableView>

using namespace Drive;

namespace {

const QString pasted = QStringLiteral(u"张三 13800138000 广东深圳南山区科技园南区1栋101室 518057");

QString text(QWidget* w, const char* box)
{
    return find<QLineEdit>(w, QString::fromLatin1(box))->text();
}

QWidget* focused()
{
    return QApplication::focusWidget();
}

} // namespace

// Recipients entered fast: pasted text split into the boxes, the same person
// caught before being added twice, the keyboard left where the next key goes.
class RecordsQuickEntryTest : public QObject {
    Q_OBJECT
private slots:
    void pasteFillsTheBoxesBeforeSaving();
    void pasteInModifyModeWritesWhatChanged();
    void addingSomeoneAlreadyThereAsksFirst();
    void focusFollowsTheKeyboard();
    void enterInASearchBoxSearches();
};

void RecordsQuickEntryTest::pasteFillsTheBoxesBeforeSaving()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    w.addRecipient();
    find<QLineEdit>(&w, "Edit21")->setText(QStringLiteral(u"旧目的地"));
    QGuiApplication::clipboard()->setText(pasted);

    // Cancel changes nothing.
    click(&w, "PasteButton");
    QCOMPARE(dialogs.textInitials, QStringList{pasted});
    QCOMPARE(text(&w, "Edit9"), QString());

    dialogs.texts.enqueue(pasted);
    click(&w, "PasteButton");
    QCOMPARE(text(&w, "Edit9"), QStringLiteral(u"张三"));
    QCOMPARE(text(&w, "Edit13"), QStringLiteral("13800138000"));
    QCOMPARE(text(&w, "Edit12"), QString());
    QCOMPARE(text(&w, "Edit10"), QStringLiteral(u"广东省深圳市南山区科技园南区1栋101室"));
    QCOMPARE(text(&w, "Edit21"), QStringLiteral(u"广东省深圳市"));
    QCOMPARE(text(&w, "Edit11"), QStringLiteral("518057"));
    QVERIFY(db.rows("inrxx").isEmpty()); // shown, not saved

    click(&w, "Button3");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"新增记录成功！"));
    QCOMPARE(db.rows("inrxx"), (QList<QStringList>{{"", "张三", "广东省深圳市",
                                                    "广东省深圳市南山区科技园南区1栋101室",
                                                    "518057", "", "13800138000", "", "", ""}}));

    // A text without a destination keeps the one the boxes carry on.
    dialogs.texts.enqueue(QStringLiteral(u"李四\n13912345678\n科技园1号"));
    click(&w, "PasteButton");
    QCOMPARE(text(&w, "Edit9"), QStringLiteral(u"李四"));
    QCOMPARE(text(&w, "Edit10"), QStringLiteral(u"科技园1号"));
    QCOMPARE(text(&w, "Edit11"), QString());
    QCOMPARE(text(&w, "Edit21"), QStringLiteral(u"广东省深圳市"));

    // A whole file pasted by mistake is refused with a reason.
    dialogs.texts.enqueue(QString(5001, u'x'));
    click(&w, "PasteButton");
    QCOMPARE(dialogs.lastText(),
             QStringLiteral(u"粘贴的文字有5001个字符，超过5000个字符，请只粘贴一位收件人的信息！"));
    QCOMPARE(text(&w, "Edit9"), QStringLiteral(u"李四"));
}

void RecordsQuickEntryTest::pasteInModifyModeWritesWhatChanged()
{
    TestDatabase db;
    db.insert("inrxx", {"公司", "旧名", "", "旧地址", "", "0755-1", "139", "茶", "1", "备"});
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    w.modifyRecipient();
    dialogs.texts.enqueue(
        QStringLiteral(u"收件人：王五\n手机：13700001111\n地址：北京市朝阳区建国路1号"));
    click(&w, "PasteButton");
    click(&w, "Button5");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"修改记录成功！"));
    QCOMPARE(db.rows("inrxx"),
             (QList<QStringList>{{"公司", "王五", "北京市", "北京市朝阳区建国路1号", "", "",
                                  "13700001111", "茶", "1", "备"}}));
}

void RecordsQuickEntryTest::addingSomeoneAlreadyThereAsksFirst()
{
    TestDatabase db;
    db.insert("inrxx", {"", "张三", "", "深圳", "", "", "13800138000", "", "", ""});
    db.insert("inrxx", {"", "李四", "", "北京", "", "", " ", "", "", ""});
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    // The book lists only a search that does not show them; they count anyway.
    type(&w, "Edit15", QStringLiteral(u"没有这个人"));
    w.search();
    w.addRecipient();

    struct Case {
        const char16_t* name;
        const char16_t* address;
        const char* mobile;
        const char16_t* question; // naming the one there; none when not asked
    };
    const Case cases[] = {
        // The same mobile, written otherwise.
        {u"张三", u"别处", "+86 138-0013-8000",
         u"该收件人已存在（张三，13800138000，深圳），仍要新增吗？"},
        // No mobile: name and address.
        {u"李四", u"北京", " ", u"该收件人已存在（李四，北京），仍要新增吗？"},
        {u"李四", u"上海", " ", nullptr},
        {u"王五", u"深圳", "13900000000", nullptr},
    };
    for (const Case& c : cases) {
        const bool asked = c.question != nullptr;
        for (const bool yes : {false, true}) {
            if (!asked && !yes)
                continue;
            const qsizetype before = db.rows("inrxx").size();
            type(&w, "Edit9", QString::fromUtf16(c.name));
            type(&w, "Edit10", QString::fromUtf16(c.address));
            type(&w, "Edit13", QString::fromLatin1(c.mobile));
            dialogs.clear();
            if (asked)
                dialogs.answers.enqueue(yes);
            click(&w, "Button3");
            QCOMPARE(dialogs.shown.first().kind == QStringLiteral("ask"), asked);
            if (asked) {
                QCOMPARE(dialogs.shown.first().text, QString::fromUtf16(c.question));
                QCOMPARE(dialogs.shown.first().title, QStringLiteral(u"提示"));
                QCOMPARE(dialogs.shown.first().preset, Dialogs::Default::No);
            }
            QCOMPARE(db.rows("inrxx").size(), before + (yes ? 1 : 0));
            QCOMPARE(dialogs.lastText() == QStringLiteral(u"新增记录成功！"), yes);
        }
    }
}

void RecordsQuickEntryTest::focusFollowsTheKeyboard()
{
    TestDatabase db;
    db.insert("inrxx", {"", "张三", "", "深圳", "", "", "138", "", "", ""});
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));

    w.addRecipient();
    QCOMPARE(focused(), find(&w, "Edit8"));
    type(&w, "Edit9", QStringLiteral(u"李四"));
    click(&w, "Button3");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"收件地址不能为空！"));
    QCOMPARE(focused(), find(&w, "Edit10"));
    type(&w, "Edit10", QStringLiteral(u"北京"));
    click(&w, "Button3");
    QCOMPARE(focused(), find(&w, "Edit13"));
    type(&w, "Edit13", QStringLiteral("139"));
    click(&w, "Button3");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"新增记录成功！"));
    QCOMPARE(focused(), find(&w, "Edit8"));

    // The sender panel's checks too.
    w.showSenderPanel();
    click(&w, "Button1");
    QCOMPARE(dialogs.lastText(), QStringLiteral(u"寄件人姓名不能为空！"));
    QCOMPARE(focused(), find(&w, "Edit2"));

    // Both delete questions default to No.
    w.showRecipients();
    dialogs.clear();
    dialogs.answers << false << false;
    w.deleteRecipient();
    w.deleteAllRecipients();
    QCOMPARE(dialogs.shown.size(), 2);
    for (const auto& question : dialogs.shown)
        QCOMPARE(question.preset, Dialogs::Default::No);
    QCOMPARE(db.rows("inrxx").size(), 2);

    // Enter on a row of the grid opens it as "修 改" does; Esc closes the
    // editor as "关 闭" does, leaving the row as it was.
    auto* grid = find<QTableView>(&w, "DBGridEh1");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Return);
    QVERIFY(find(&w, "Panel2")->isVisible());
    QVERIFY(find(&w, "Button5")->isVisible() && !find(&w, "Button3")->isVisible());
    QCOMPARE(text(&w, "Edit9"), QStringLiteral(u"李四"));
    QCOMPARE(focused(), find(&w, "Edit8"));
    QTest::keyClick(focused(), Qt::Key_Escape);
    QVERIFY(find(&w, "Panel2")->isHidden());
    QCOMPARE(db.rows("inrxx").at(1).at(1), QStringLiteral(u"李四"));
}

void RecordsQuickEntryTest::enterInASearchBoxSearches()
{
    TestDatabase db;
    db.insert("inrxx", {"", "张三", "", "深圳", "", "", "138", "", "", ""});
    db.insert("inrxx", {"", "李四", "", "北京", "", "", "139", "", "", ""});
    db.insert("inrxx", {"", "钱七", "", "南京", "", "", "135-0000 1111", "", "", ""});
    db.insert("excel", {"", "王五", "", "上海", "", "", "137", "", "", ""});
    db.insert("excel", {"", "赵六", "", "广州", "", "", "136", "", "", ""});
    db.insert("excel", {"", "孙八", "", "杭州", "", "", "1340000 2222", "", "", ""});
    ScriptedDialogs dialogs;
    MainWindow w(db.session());
    w.open();
    w.show();
    type(&w, "Edit15", QStringLiteral(u"李"));
    QTest::keyClick(find(&w, "Edit15"), Qt::Key_Return);
    QCOMPARE(w.queries().recipients.recordCount(), 1);
    type(&w, "Edit25", QStringLiteral("138"));
    QTest::keyClick(find(&w, "Edit25"), Qt::Key_Enter);
    QCOMPARE(w.queries().recipients.field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"张三"));
    // A mobile is found however its blanks and dashes stand.
    for (const char* written : {"13500001111", "135 0000-1111", "0000 11"}) {
        type(&w, "Edit25", QString::fromLatin1(written));
        QTest::keyClick(find(&w, "Edit25"), Qt::Key_Return);
        QCOMPARE(w.queries().recipients.recordCount(), 1);
        QCOMPARE(w.queries().recipients.field(QStringLiteral(u"收件人姓名")),
                 QStringLiteral(u"钱七"));
    }

    ImportWindow import(db.session());
    import.show();
    type(&import, "Edit3", QStringLiteral("136"));
    QTest::keyClick(find(&import, "Edit3"), Qt::Key_Return);
    QCOMPARE(import.query().recordCount(), 1);
    QCOMPARE(import.query().field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"赵六"));
    type(&import, "Edit3", QStringLiteral("134-0000-2222"));
    QTest::keyClick(find(&import, "Edit3"), Qt::Key_Return);
    QCOMPARE(import.query().recordCount(), 1);
    QCOMPARE(import.query().field(QStringLiteral(u"收件人姓名")), QStringLiteral(u"孙八"));
    QVERIFY(dialogs.shown.isEmpty());
}

QTEST_MAIN(RecordsQuickEntryTest)
#include "records_quick_entry_test.moc"
