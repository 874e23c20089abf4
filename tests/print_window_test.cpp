#include "print_page_texts.h"
#include "store/command_error.h"
#include "store/query_sets.h"
#include "store/statements.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/shift_value.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/imported_batch_print_window.h"
#include "waybill/windows/imported_single_print_window.h"
#include "waybill/windows/layout_view.h"
#include "waybill/windows/single_print_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

const QStringList senderRow{QStringLiteral(u"顺丰寄件公司"),
                            QStringLiteral(u"张三"),
                            QStringLiteral(u"深圳"),
                            QStringLiteral(u"深圳南山路1号"),
                            QStringLiteral("518000"),
                            QStringLiteral("0755-1234"),
                            QStringLiteral("13800000001"),
                            QStringLiteral(u"张"),
                            QStringLiteral("2026"),
                            QStringLiteral("12"),
                            QStringLiteral("8")};

QStringList recipientRow(const QString& name)
{
    return {QStringLiteral(u"收件公司"),   name,
            QStringLiteral(u"北京"),       QStringLiteral(u"北京长安街2号"),
            QStringLiteral("100000"),      QStringLiteral("010-5678"),
            QStringLiteral("13900000002"), QStringLiteral(u"文件"),
            QStringLiteral("1"),           QStringLiteral(u"轻放")};
}

QList<int> lefts(PrintWindow& w)
{
    QList<int> result;
    for (const FieldPlacement& p : w.layout().placements())
        result << p.left().value;
    return result;
}

QList<int> tops(PrintWindow& w)
{
    QList<int> result;
    for (const FieldPlacement& p : w.layout().placements())
        result << p.top().value;
    return result;
}

QList<int> plus(QList<int> values, int n)
{
    for (int& v : values)
        v += n;
    return values;
}

void shift(QWidget* w, const QString& box, const QString& button, const QString& text)
{
    Drive::type(w, box, text);
    Drive::click(w, button);
}

// Everything the pages of one preview print, page by page.
ScriptedDialogs::PreviewAction recordPages(QList<QList<PageText>>* pages)
{
    return [pages](QWidget*, PageSource& source, PrintJob&) {
        for (int i = 0; i < source.pageCount(); ++i)
            pages->append(pageTexts(source, i));
    };
}

QPointF find(const QList<PageText>& texts, const QString& text)
{
    for (const PageText& t : texts)
        if (t.text == text)
            return t.at;
    return {};
}

} // namespace

class PrintWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void shiftTextConversion_data();
    void shiftTextConversion();
    void shiftsAddUpOnScreenAndPage();
    void invalidShiftMovesNothing_data();
    void invalidShiftMovesNothing();
    void emptyBoxAndEnterDoNothing();
    void eachWindowKeepsItsOwnShiftAndFont();
    void fontChooserRemembersTheLastFont();
    void clickOnPlacementOpensNothing();
    void singlePrintIsOnePageOfTheCurrentRows();
    void singlePrintWithoutRecipientPrintsTheSender();
    void importedSinglePrintReadsItsQuery();
    void windowDesign();

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<MainQueries> m_main;
};

void PrintWindowTest::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_db->insert(QStringLiteral("outrxx"), senderRow);
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"李四")));
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"王五")));
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_main = std::make_unique<MainQueries>(m_db->session());
    m_main->reopen();
}

void PrintWindowTest::cleanup()
{
    m_main.reset();
    m_dialogs.reset();
    m_db.reset();
}

void PrintWindowTest::shiftTextConversion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("leading blank") << QStringLiteral(" 7") << true << 7;
    QTest::newRow("plus") << QStringLiteral("+5") << true << 5;
    QTest::newRow("minus") << QStringLiteral("  -10") << true << -10;
    QTest::newRow("dollar hex") << QStringLiteral("$10") << true << 16;
    QTest::newRow("0x hex") << QStringLiteral("0x1f") << true << 31;
    QTest::newRow("negative hex") << QStringLiteral("-$A") << true << -10;
    QTest::newRow("largest") << QStringLiteral("2147483647") << true << 2147483647;
    QTest::newRow("smallest") << QStringLiteral("-2147483648") << true << int(-2147483648LL);
    QTest::newRow("too large") << QStringLiteral("2147483648") << false << 0;
    QTest::newRow("trailing blank") << QStringLiteral("7 ") << false << 0;
    QTest::newRow("letters") << QStringLiteral("abc") << false << 0;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false << 0;
    QTest::newRow("sign only") << QStringLiteral("-") << false << 0;
    QTest::newRow("dollar only") << QStringLiteral("$") << false << 0;
    QTest::newRow("hex digit in decimal") << QStringLiteral("1a") << false << 0;
    QTest::newRow("fraction") << QStringLiteral("1.5") << false << 0;
}

void PrintWindowTest::shiftTextConversion()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    if (!valid) {
        try {
            ShiftValue::parse(text);
            QFAIL("accepted");
        } catch (const CommandError& e) {
            QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
        return;
    }
    QCOMPARE(ShiftValue::parse(text), std::optional<int>(value));
    QCOMPARE(ShiftValue::parse(QString()), std::nullopt);
}

void PrintWindowTest::shiftsAddUpOnScreenAndPage()
{
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    w.show();
    const QList<int> left0 = lefts(w);
    const QList<int> top0 = tops(w);
    auto* box = Drive::find<QWidget>(&w.view(), QStringLiteral("QRDBText1"));
    const QPoint screen0 = box->pos();
    QList<QList<PageText>> before;
    m_dialogs->previewActions.enqueue(recordPages(&before));
    w.previewAndPrint();

    shift(&w, QStringLiteral("Edit1"), QStringLiteral("Button2"), QStringLiteral("5"));
    QCOMPARE(lefts(w), plus(left0, 5));
    Drive::click(&w, QStringLiteral("Button2"));
    QCOMPARE(lefts(w), plus(left0, 10));
    QCOMPARE(tops(w), top0);
    QCOMPARE(box->pos(), screen0 + QPoint(10, 0));
    shift(&w, QStringLiteral("Edit2"), QStringLiteral("Button3"), QStringLiteral("12"));
    QCOMPARE(tops(w), plus(top0, 12));
    QCOMPARE(box->pos(), screen0 + QPoint(10, 12));
    // 12 px down is 3.175 mm on paper.
    QCOMPARE(w.layout().placements().first().top().toMillimetres().value,
             (top0.first() + 12) * 25.4 / 96);

    QList<QList<PageText>> after;
    m_dialogs->previewActions.enqueue(recordPages(&after));
    w.previewAndPrint();
    QCOMPARE(m_dialogs->previewPageCounts, QList<int>({1, 1}));
    const QPointF was = find(before.at(0), QStringLiteral(u"张三"));
    const QPointF now = find(after.at(0), QStringLiteral(u"张三"));
    QVERIFY(!was.isNull());
    QCOMPARE(now - was, QPointF(10, 12));

    shift(&w, QStringLiteral("Edit1"), QStringLiteral("Button2"), QStringLiteral("-10"));
    shift(&w, QStringLiteral("Edit2"), QStringLiteral("Button3"), QStringLiteral("-$c"));
    QCOMPARE(lefts(w), left0);
    QCOMPARE(tops(w), top0);
    QCOMPARE(box->pos(), screen0);
    QVERIFY(m_dialogs->messageTexts().isEmpty());
}

void PrintWindowTest::invalidShiftMovesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("trailing blank") << QStringLiteral("7 ");
    QTest::newRow("out of range") << QStringLiteral("2147483648");
}

void PrintWindowTest::invalidShiftMovesNothing()
{
    QFETCH(QString, text);
    BatchPrintWindow w(m_db->session());
    w.show();
    const QList<int> left0 = lefts(w);
    const QList<int> top0 = tops(w);
    for (const auto& [box, button] : {std::pair{"Edit1", "Button2"}, {"Edit2", "Button3"}}) {
        m_dialogs->clear();
        shift(&w, QString::fromLatin1(box), QString::fromLatin1(button), text);
        QCOMPARE(m_dialogs->messageTexts(),
                 QStringList(QStringLiteral("'%1' is not a valid integer value.").arg(text)));
        QCOMPARE(m_dialogs->shown.last().title, QStringLiteral(u"鹿帆顺丰快递单打印软件 V5.22"));
        QCOMPARE(m_dialogs->shown.last().icon, Dialogs::Icon::Error);
        QCOMPARE(Drive::find<QLineEdit>(&w, QString::fromLatin1(box))->text(), text);
    }
    QCOMPARE(lefts(w), left0);
    QCOMPARE(tops(w), top0);
    QVERIFY(w.isVisible());
}

void PrintWindowTest::emptyBoxAndEnterDoNothing()
{
    ImportedSinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    w.show();
    const QList<int> left0 = lefts(w);
    Drive::click(&w, QStringLiteral("Button2"));
    Drive::click(&w, QStringLiteral("Button3"));
    QCOMPARE(lefts(w), left0);
    QVERIFY(m_dialogs->shown.isEmpty());

    Drive::type(&w, QStringLiteral("Edit1"), QStringLiteral("5"));
    QTest::keyClick(Drive::find<QLineEdit>(&w, QStringLiteral("Edit1")), Qt::Key_Return);
    QCOMPARE(lefts(w), left0);
    QVERIFY(w.isVisible());
}

void PrintWindowTest::eachWindowKeepsItsOwnShiftAndFont()
{
    SinglePrintWindow single(m_db->session(), m_main->sender, m_main->recipients);
    BatchPrintWindow batch(m_db->session());
    ImportedSinglePrintWindow importedSingle(m_db->session(), m_main->sender, m_main->recipients);
    ImportedBatchPrintWindow importedBatch(m_db->session());
    QList<PrintWindow*> windows{&single, &batch, &importedSingle, &importedBatch};
    QList<QList<int>> left0, top0;
    QList<QFont> font0;
    for (PrintWindow* w : windows) {
        left0 << lefts(*w);
        top0 << tops(*w);
        font0 << w->layout().placements().first().font();
    }

    for (int i = 0; i < windows.size(); ++i) {
        PrintWindow& w = *windows.at(i);
        w.show();
        shift(&w, QStringLiteral("Edit1"), QStringLiteral("Button2"), QString::number(i + 1));
        shift(&w, QStringLiteral("Edit2"), QStringLiteral("Button3"), QString::number(-i - 1));
        QFont chosen(QStringLiteral("DejaVu Sans"), 10 + i);
        m_dialogs->fonts.enqueue(chosen);
        w.chooseFont();
        w.close();
        QVERIFY(!w.isVisible());
        // The windows not opened yet still have the built-in layout.
        for (int j = i + 1; j < windows.size(); ++j) {
            QCOMPARE(lefts(*windows.at(j)), left0.at(j));
            QCOMPARE(tops(*windows.at(j)), top0.at(j));
            QCOMPARE(windows.at(j)->layout().placements().first().font(), font0.at(j));
        }
    }
    for (int i = 0; i < windows.size(); ++i) {
        PrintWindow& w = *windows.at(i);
        w.show();
        QCOMPARE(lefts(w), plus(left0.at(i), i + 1));
        QCOMPARE(tops(w), plus(top0.at(i), -i - 1));
        QCOMPARE(Drive::find<QLineEdit>(&w, QStringLiteral("Edit1"))->text(),
                 QString::number(i + 1));
        for (const FieldPlacement& p : w.layout().placements())
            QCOMPARE(p.font().pointSize(), 10 + i);
        QCOMPARE(w.adjustments().chooserFont().pointSize(), 10 + i);
        w.close();
    }
    QVERIFY(font0.at(0) != windows.at(0)->layout().placements().first().font());
}

void PrintWindowTest::fontChooserRemembersTheLastFont()
{
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    w.show();
    const QFont start = w.layout().placements().first().font();
    QCOMPARE(start.family(), QStringLiteral(u"宋体"));
    auto* picture = Drive::find<QWidget>(&w.view(), QStringLiteral("Image1"));
    // Top right of the form: no placement there.
    const QPoint empty(800, 10);

    m_dialogs->fonts.enqueue(std::nullopt);
    QTest::mouseClick(picture, Qt::LeftButton, {}, empty);
    QCOMPARE(m_dialogs->fontInitials.size(), 1);
    QCOMPARE(m_dialogs->fontInitials.at(0).family(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(m_dialogs->fontInitials.at(0).pointSize(), 8);
    for (const FieldPlacement& p : w.layout().placements())
        QCOMPARE(p.font(), start);

    QFont big(QStringLiteral(u"宋体"), 16);
    big.setBold(true);
    m_dialogs->fonts.enqueue(big);
    auto* box = Drive::find<QWidget>(&w.view(), QStringLiteral("QRDBText12"));
    const int width0 = box->width();
    QTest::mouseClick(picture, Qt::LeftButton, {}, empty);
    for (const FieldPlacement& p : w.layout().placements())
        QCOMPARE(p.font(), big);
    QVERIFY(box->width() > width0);

    m_dialogs->fonts.enqueue(std::nullopt);
    QTest::mouseClick(picture, Qt::LeftButton, {}, empty);
    QCOMPARE(m_dialogs->fontInitials.size(), 3);
    QCOMPARE(m_dialogs->fontInitials.at(2), big);
    for (const FieldPlacement& p : w.layout().placements())
        QCOMPARE(p.font(), big);
}

void PrintWindowTest::clickOnPlacementOpensNothing()
{
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    w.show();
    QTest::mouseClick(Drive::find<QWidget>(&w.view(), QStringLiteral("QRDBText8")), Qt::LeftButton);
    QVERIFY(m_dialogs->shown.isEmpty());
}

void PrintWindowTest::singlePrintIsOnePageOfTheCurrentRows()
{
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    w.show();
    m_main->recipients.setCurrentRow(1);
    QList<QList<PageText>> pages;
    int images = -1;
    m_dialogs->previewActions.enqueue([&](QWidget*, PageSource& source, PrintJob&) {
        pages << pageTexts(source, 0, &images);
        // What "打 印" builds later reads the rows as they stand then.
        m_main->recipients.setCurrentRow(0);
        pages << pageTexts(source, 0);
    });
    w.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    QCOMPARE(m_dialogs->previewPageCounts, QList<int>{1});
    QCOMPARE(images, 0);
    QStringList strings;
    for (const PageText& t : pages.at(0))
        strings << t.text;
    QVERIFY(strings.contains(QStringLiteral(u"张三")));
    QVERIFY(strings.contains(QStringLiteral(u"王五")));
    QVERIFY(!strings.contains(QStringLiteral(u"李四")));
    QVERIFY(strings.contains(QStringLiteral("12"))); // month
    QVERIFY(!strings.contains(QStringLiteral("2026")));
    QVERIFY(!find(pages.at(1), QStringLiteral(u"李四")).isNull());
}

void PrintWindowTest::singlePrintWithoutRecipientPrintsTheSender()
{
    m_db->exec(QStringLiteral("delete from inrxx"));
    m_main->reopen();
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    QStringList strings;
    m_dialogs->previewActions.enqueue(
        [&](QWidget*, PageSource& source, PrintJob&) { strings = pageStrings(source, 0); });
    w.previewAndPrint();
    QCOMPARE(m_dialogs->previewPageCounts, QList<int>{1});
    QVERIFY(strings.contains(QStringLiteral(u"张三")));
    QVERIFY(!strings.contains(QStringLiteral(u"收件公司")));
}

void PrintWindowTest::importedSinglePrintReadsItsQuery()
{
    m_db->insert(QStringLiteral("excel"), recipientRow(QStringLiteral(u"赵六")));
    Dataset imported(m_main->connection);
    imported.setQuery(Statements::selectImported());
    imported.open();
    ImportedSinglePrintWindow w(m_db->session(), m_main->sender, imported);
    QStringList strings;
    m_dialogs->previewActions.enqueue(
        [&](QWidget*, PageSource& source, PrintJob&) { strings = pageStrings(source, 0); });
    w.previewAndPrint();
    QVERIFY(strings.contains(QStringLiteral(u"赵六")));
    QVERIFY(strings.contains(QStringLiteral(u"张三")));
}

void PrintWindowTest::windowDesign()
{
    SinglePrintWindow single(m_db->session(), m_main->sender, m_main->recipients);
    ImportedSinglePrintWindow importedSingle(m_db->session(), m_main->sender, m_main->recipients);
    BatchPrintWindow batch(m_db->session());
    ImportedBatchPrintWindow importedBatch(m_db->session());
    const QList<std::tuple<PrintWindow*, QString, QString, QSize, int>> designs{
        {&single, QStringLiteral("TSf1Form"), QStringLiteral(u"单张打印"), {821, 559}, 30},
        {&importedSingle, QStringLiteral("TEsf1Form"), QStringLiteral(u"单张打印"), {822, 559}, 32},
        {&batch, QStringLiteral("TPlsf1Form"), QStringLiteral(u"批量打印"), {821, 561}, 30},
        {&importedBatch,
         QStringLiteral("TEPlsf1Form"),
         QStringLiteral(u"批量打印"),
         {823, 562},
         32},
    };
    for (const auto& [w, name, command, client, top] : designs) {
        QCOMPARE(w->objectName(), name);
        QCOMPARE(w->windowTitle(), command + QStringLiteral(u"顺丰快递单"));
        QCOMPARE(w->findChild<QAction*>(QStringLiteral("N1"))->text(), command);
        QCOMPARE(Drive::find<QWidget>(w, QStringLiteral("Panel1"))->size(), client);
        QCOMPARE(w->view().geometry(), QRect(QPoint(5, top), QSize(816, 529)));
        QCOMPARE(Drive::find<QWidget>(w, QStringLiteral("Edit1"))->geometry(),
                 QRect(468, 8, 65, 18));
        QCOMPARE(Drive::find<QWidget>(w, QStringLiteral("Button3"))->geometry(),
                 QRect(752, 7, 50, 20));
        QHash<QString, QRect> labels;
        for (const QLabel* label : w->findChildren<QLabel*>())
            labels.insert(label->text(), label->geometry());
        QCOMPARE(labels.value(QStringLiteral(u"左右移动")), QRect(416, 10, 48, 12));
        QCOMPARE(labels.value(QStringLiteral(u"上下移动")), QRect(624, 10, 48, 12));
        QVERIFY(!w->isVisible());
    }
    QVERIFY(batch.layout().placement(QStringLiteral("QRDBText16")));
    QVERIFY(!batch.layout().placement(QStringLiteral("QRDBText18")));
}

QTEST_MAIN(PrintWindowTest)
#include "print_window_test.moc"
