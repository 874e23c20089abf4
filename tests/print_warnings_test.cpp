#include "store/query_sets.h"
#include "store/schema.h"
#include "store/statements.h"
#include "support/command_line_run.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/font_substitutions.h"
#include "waybill/pdf_export.h"
#include "waybill/printing/printing_job.h"
#include "waybill/waybill_pages.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/layout_view.h"
#include "waybill/windows/print_preview.h"
#include "waybill/windows/single_print_window.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList senderRow{QStringLiteral(u"顺丰寄件公司"),
                            QStringLiteral(u"张三"),
                            QStringLiteral(u"深圳"),
                            QStringLiteral(u"深圳南山路1号"),
                            QStringLiteral("518000"),
                            QStringLiteral("0755-1234"),
                            QString(),
                            QStringLiteral(u"张"),
                            QStringLiteral("2026"),
                            QStringLiteral("12"),
                            QStringLiteral("8")};

// Every text as long as it may be and still print whole at 12 points; an
// 11-digit mobile reaches past the 手机/电话 divider.
QHash<QString, QString> fittingRecipient()
{
    return {
        {QStringLiteral(u"单位名称"), QStringLiteral(u"北京某某贸易有限公司第一分部")},
        {QStringLiteral(u"收件人姓名"), QStringLiteral(u"李四")},
        {QStringLiteral(u"收件地址"), QStringLiteral(u"北京市朝阳区建国路八十八号现代城写字楼")},
        {QStringLiteral(u"联系电话"), QStringLiteral("010-87650001")},
        {QStringLiteral(u"手机号码"), QString()},
        {QStringLiteral(u"内件品名"), QStringLiteral(u"文件")},
        {QStringLiteral(u"数量"), QStringLiteral("1")},
        {QStringLiteral(u"备注"), QStringLiteral(u"易碎物品小心轻放")}};
}

// Extension G: no installed face has it.
const QString noGlyph = QString::fromUcs4(U"\U00030000");

// The file without its creation time, the one thing two runs may differ in.
QByteArray pdfWithoutDate(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no %s", qPrintable(path));
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[0-9Z+'-]*\\)"));
    return QString::fromLatin1(file.readAll()).replace(date, QString()).toLatin1();
}

} // namespace

class PrintWarningsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    void init();
    void cleanup();

    void sameWarningsInWindowPreviewAndCommandLine_data();
    void sameWarningsInWindowPreviewAndCommandLine();
    void aPageLineNamesLostCharactersFirst();
    void theCheckLeavesThePdfAsItWas();
    void previewCountsThePagesWithWarnings();
    void shrinkingPrintsOrdinaryAddressesWhole();

private:
    QTemporaryDir m_config;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void PrintWarningsTest::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_db->insert(Schema::senderTable, senderRow);
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void PrintWarningsTest::cleanup()
{
    m_dialogs.reset();
    m_db.reset();
}

void PrintWarningsTest::sameWarningsInWindowPreviewAndCommandLine_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("points");
    QTest::addColumn<QStringList>("warnings"); // in drawing order

    QTest::newRow("fits") << QString() << QString() << 12 << QStringList();
    QTest::newRow("59-character address")
        << QStringLiteral(u"收件地址") << QStringLiteral(u"北京市朝阳区建国路").repeated(7).left(59)
        << 12 << QStringList{QStringLiteral(u"收件地址 超出，31 字未打印")};
    QTest::newRow("300-character remark")
        << QStringLiteral(u"备注") << QStringLiteral(u"易碎").repeated(150) << 12
        << QStringList{QStringLiteral(u"备注 超出，286 字未打印")};
    QTest::newRow("11-digit mobile")
        << QStringLiteral(u"手机号码") << QStringLiteral("13910000001") << 12
        << QStringList{QStringLiteral(u"收件人手机号码 越过手机/电话分隔线")};
    QTest::newRow("10 digits") << QStringLiteral(u"手机号码") << QStringLiteral("1391000000") << 12
                               << QStringList();
    QTest::newRow("13-digit mobile")
        << QStringLiteral(u"手机号码") << QStringLiteral("1391000000123") << 12
        << QStringList{
               QStringLiteral(u"收件人手机号码 过长，盖住了收件人联系电话，越过手机/电话分隔线")};
    QTest::newRow("telephone past its box")
        << QStringLiteral(u"联系电话") << QStringLiteral("0755-12345678-123456789") << 12
        << QStringList{QStringLiteral(u"收件人联系电话 越过电话栏右边线")};
    QTest::newRow("16 points")
        << QString() << QString() << 16
        << QStringList{QStringLiteral(u"收件人单位名称 超出，4 字未打印，过长，盖住了收件人姓名"),
                       QStringLiteral(u"备注 超出，1 字未打印")};
    QTest::newRow("a character no font has")
        << QStringLiteral(u"收件人姓名") << (u"张"_qs + noGlyph + u"三"_qs + noGlyph) << 12
        << QStringList{u"收件人姓名 缺字“"_qs + noGlyph + u"”，印出空框"_qs};
    // Wrapped over two lines: each line's own, the rare ones printed.
    const QString otherNoGlyph = QString::fromUcs4(U"\U00030001");
    QTest::newRow("characters no font has on two lines")
        << QStringLiteral(u"收件地址")
        << (u"𠮷"_qs + noGlyph + u"㐀𪚥朝阳区建国路八十八号现代城写字楼"_qs + otherNoGlyph) << 12
        << QStringList{u"收件地址 缺字“"_qs + noGlyph + otherNoGlyph + u"”，印出空框"_qs};
    QTest::newRow("a control character")
        << QStringLiteral(u"收件人姓名") << QStringLiteral(u"张\u0001三") << 12
        << QStringList{QStringLiteral(u"收件人姓名 缺字“U+0001”，印出空框")};
}

void PrintWarningsTest::sameWarningsInWindowPreviewAndCommandLine()
{
    QFETCH(QString, column);
    QFETCH(QString, value);
    QFETCH(int, points);
    QFETCH(QStringList, warnings);
    QHash<QString, QString> recipient = fittingRecipient();
    if (!column.isEmpty())
        recipient[column] = value;
    QStringList row;
    for (const QString& c : Schema::recipientColumns())
        row << recipient.value(c);
    m_db->insert(Schema::recipientTable, row);
    QFont font(QStringLiteral(u"宋体"));
    font.setPointSize(points);

    // The window: the placement outlined in red, the warning its tooltip.
    MainQueries main(m_db->session());
    main.reopen();
    SinglePrintWindow window(m_db->session(), main.sender, main.recipients);
    window.show();
    if (points != 12) {
        m_dialogs->fonts.enqueue(font);
        window.chooseFont();
    }
    QStringList tooltips;
    const QImage view = window.view().grab().toImage();
    for (const FieldPlacement* p : window.layout().drawingOrder()) {
        const QWidget* box = window.view().findChild<QWidget*>(p->controlName());
        if (box->toolTip().isEmpty())
            continue;
        tooltips << box->toolTip();
        const QColor outline = view.pixelColor(box->x() - 1, box->geometry().center().y());
        QVERIFY2(outline.red() > 200 && outline.green() < 80 && outline.blue() < 80,
                 qPrintable(p->controlName()));
    }
    QCOMPARE(tooltips, warnings);

    // The preview's status bar, for the page shown.
    WaybillPages pages(window.layout(), &main.sender, &main.recipients, RecordMode::CurrentRow);
    PrintJob job(m_db->session());
    PrintPreview preview(pages, job);
    QCOMPARE(preview.findChild<QLabel*>(QStringLiteral("pageWarnings"))->text(),
             warnings.join(u"；"_qs));

    // The command line: a line per field on standard error, the status
    // changed by --strict only.
    QStringList args{QStringLiteral("print"), QStringLiteral("--window"), QStringLiteral("single"),
                     QStringLiteral("--pdf"), m_db->dir() + QStringLiteral("/out.pdf")};
    if (points != 12)
        args << QStringLiteral("--font") << QStringLiteral(u"宋体,%1").arg(points);
    QString expected;
    for (const QString& w : warnings)
        expected += QStringLiteral("page 1: ") + w + QLatin1Char('\n');
    if (!warnings.isEmpty())
        expected += QStringLiteral("1 of 1 pages do not print whole\n");
    const CommandLineRun plain = runCommandLine(args);
    QCOMPARE(plain.err, expected);
    QCOMPARE(plain.status, 0);
    const CommandLineRun strict = runCommandLine(args << QStringLiteral("--strict"));
    QCOMPARE(strict.err, expected);
    QCOMPARE(strict.status, warnings.isEmpty() ? 0 : 3);
}

void PrintWarningsTest::aPageLineNamesLostCharactersFirst()
{
    // Both mobiles touch the divider on an ordinary page; the cut address
    // must not hide behind them where the status bar ends.
    FieldWarning senderMobile;
    senderMobile.title = QStringLiteral(u"寄件人手机号码");
    senderMobile.crosses = QStringLiteral(u"手机/电话分隔线");
    FieldWarning recipientMobile = senderMobile;
    recipientMobile.title = QStringLiteral(u"收件人手机号码");
    FieldWarning address;
    address.title = QStringLiteral(u"收件地址");
    address.charactersLost = 5;
    QCOMPARE(PageWarnings::pageText({senderMobile, recipientMobile, address}),
             QStringLiteral(u"收件地址 超出，5 字未打印；寄件人手机号码 越过手机/电话分隔线；"
                            u"收件人手机号码 越过手机/电话分隔线"));
}

void PrintWarningsTest::theCheckLeavesThePdfAsItWas()
{
    QHash<QString, QString> recipient = fittingRecipient();
    recipient[QStringLiteral(u"收件地址")] = QStringLiteral(u"北京市朝阳区建国路").repeated(7);
    recipient[QStringLiteral(u"手机号码")] = QStringLiteral("1391000000123");
    QStringList row;
    for (const QString& c : Schema::recipientColumns())
        row << recipient.value(c);
    for (int i = 0; i < 3; ++i)
        m_db->insert(Schema::recipientTable, row);
    PrintingQueries queries(m_db->session(), Statements::selectRecipients());
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    WaybillPages plain(layout, &queries.sender, &queries.recipients, RecordMode::EveryRow);
    WaybillPages checked(layout, &queries.sender, &queries.recipients, RecordMode::EveryRow);
    QList<int> warned;
    checked.setWarningSink([&](int index, const QList<FieldWarning>&) { warned << index; });
    const QString without = m_db->dir() + QStringLiteral("/without.pdf");
    const QString with = m_db->dir() + QStringLiteral("/with.pdf");
    exportPdf(plain, without, m_db->session());
    exportPdf(checked, with, m_db->session());
    QCOMPARE(warned, (QList<int>{0, 1, 2}));
    QCOMPARE(pdfWithoutDate(with), pdfWithoutDate(without));
}

void PrintWarningsTest::previewCountsThePagesWithWarnings()
{
    QHash<QString, QString> recipient = fittingRecipient();
    for (const QString& remark :
         {u"轻放"_qs, u"易碎"_qs.repeated(20), u"轻放"_qs, u"易碎"_qs.repeated(9)}) {
        recipient[QStringLiteral(u"备注")] = remark;
        QStringList row;
        for (const QString& c : Schema::recipientColumns())
            row << recipient.value(c);
        m_db->insert(Schema::recipientTable, row);
    }
    PrintingQueries queries(m_db->session(), Statements::selectRecipients());
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    WaybillPages pages(layout, &queries.sender, &queries.recipients, RecordMode::EveryRow);
    PrintJob job(m_db->session());
    PrintPreview preview(pages, job);
    auto* shown = preview.findChild<QLabel*>(QStringLiteral("pageWarnings"));
    QCOMPARE(shown->text(), QString());
    QTRY_COMPARE(preview.findChild<QLabel*>(QStringLiteral("batchWarnings"))->text(),
                 QStringLiteral(u"共 2 页有警告：第 2、4 页"));
    // "下一个警告" steps through them, round to the first; their pictures
    // are marked.
    QList<int> stepped;
    for (int i = 0; i < 3; ++i) {
        Drive::click(&preview, QStringLiteral("nextWarning"));
        stepped << preview.currentPage();
    }
    QCOMPARE(stepped, (QList<int>{1, 3, 1}));
    QCOMPARE(shown->text(), QStringLiteral(u"备注 超出，26 字未打印"));
    preview.showPage(3);
    QCOMPARE(shown->text(), QStringLiteral(u"备注 超出，4 字未打印"));
    auto* thumbnails = preview.findChild<QListView*>(QStringLiteral("thumbnails"))->model();
    QStringList numbers;
    for (int row = 0; row < thumbnails->rowCount(); ++row)
        numbers << thumbnails->index(row, 0).data().toString();
    QCOMPARE(numbers, (QStringList{"1", u"2 ⚠"_qs, "3", u"4 ⚠"_qs}));
}

void PrintWarningsTest::shrinkingPrintsOrdinaryAddressesWhole()
{
    const QStringList addresses{
        QStringLiteral(u"广东省深圳市南山区粤海街道高新南七道环球都会广场写字楼3508室前台"),
        QStringLiteral(u"浙江省杭州市西湖区文三路华星时代广场A座十五楼1502室前台收发处"),
        QStringLiteral(u"北京市朝阳区建国路八十八号现代城写字楼C座2106室行政部收发室"),
        QStringLiteral(u"上海市浦东新区张江高科技园区碧波路690号张江大厦二号楼301室"),
        QStringLiteral(u"江苏省南京市鼓楼区中山北路一百零五号中环国际广场写字楼2203室"),
        QStringLiteral(u"四川省成都市高新区天府大道北段1700号环球中心东一区1208室前台"),
        QStringLiteral(u"湖北省武汉市洪山区珞喻路1037号华中科技大学东校区西十二楼"),
        QStringLiteral(u"福建省厦门市思明区软件园二期观日路44号楼三层302单元前台"),
        QStringLiteral(u"山东省青岛市市南区香港中路六十一号阳光大厦东塔楼17层1703室"),
        QStringLiteral(u"陕西省西安市雁塔区科技路四十八号创业广场B座1905室行政部收")};
    QHash<QString, QString> recipient = fittingRecipient();
    recipient[QStringLiteral(u"手机号码")] = QStringLiteral("13910000001");
    for (const QString& address : addresses) {
        recipient[QStringLiteral(u"收件地址")] = address;
        QStringList row;
        for (const QString& c : Schema::recipientColumns())
            row << recipient.value(c);
        m_db->insert(Schema::recipientTable, row);
    }
    // Found whole: the lines the wrap makes of it, one after the other in
    // the text of the PDF.
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    const FieldPlacement& placement = *layout.placement(QStringLiteral("QRDBText12"));
    const auto whole = [&](const QString& pdf) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        p.waitForFinished(60000);
        const QString text = QString::fromUtf8(p.readAllStandardOutput())
                                 .remove(QRegularExpression(QStringLiteral("\\s")));
        int found = 0;
        for (const QString& address : addresses)
            found += text.contains(PageRenderer::printedLines(placement, address).join(QString()));
        return found;
    };

    BatchPrintWindow batch(m_db->session());
    batch.show();
    QStringList questions;
    const auto print = [&](const QString& choice) {
        const QString pdf = m_db->dir() + QLatin1Char('/') + choice + QStringLiteral(".pdf");
        if (!choice.isEmpty())
            m_dialogs->choices.enqueue(choice);
        m_dialogs->previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
            job.setOutputFile(pdf);
            PrintPreview preview(pages, job, parent);
            preview.findChild<QAction*>(QStringLiteral("print"))->trigger();
        });
        m_dialogs->clear();
        batch.findChild<QAction*>(QStringLiteral("N1"))->trigger();
        questions << m_dialogs->messageTexts();
        return pdf;
    };
    QVERIFY(!QFile::exists(print(QStringLiteral(u"取消"))));
    const QString asLaidOut = print(QStringLiteral(u"仍然打印"));
    const QString shrunk = print(QStringLiteral(u"缩小字号打印"));
    QCOMPARE(questions.size(), 3);
    QVERIFY2(questions.first().startsWith(u"10 页的文字打印不全：\n第 1 页：收件地址 超出，"_qs),
             qPrintable(questions.first()));
    QCOMPARE(whole(shrunk), 10);
    const int cut = 10 - whole(asLaidOut);
    QVERIFY2(cut == 8, qPrintable(QString::number(cut)));

    // The command line: the same with --fit, and as laid out without.
    QCOMPARE(
        runCommandLine({"print", "--window", "batch", "--fit", "--pdf", m_db->dir() + "/fit.pdf"})
            .status,
        0);
    QCOMPARE(whole(m_db->dir() + "/fit.pdf"), 10);
    QCOMPARE(
        runCommandLine({"print", "--window", "batch", "--pdf", m_db->dir() + "/plain.pdf"}).status,
        0);
    QCOMPARE(whole(m_db->dir() + "/plain.pdf"), 10 - cut);

    // "总是缩小放不下的文字", from the window's menu: no question.
    QAction* always = batch.findChild<QAction*>(QStringLiteral("alwaysShrink"));
    always->trigger();
    QVERIFY(always->isChecked());
    questions.clear();
    QCOMPARE(whole(print(QString())), 10);
    QCOMPARE(questions, QStringList());
}

QTEST_MAIN(PrintWarningsTest)
#include "print_warnings_test.moc"
