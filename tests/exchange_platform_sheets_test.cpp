#include "exchange/recipient_sheet.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/schema.h"
#include "support/sample_sheets.h"
#include "support/test_database.h"

#include <QFile>
#include <QTest>

using Rows = QList<QStringList>;

// Order sheets as shop platforms write them, imported into table excel.
class ExchangePlatformSheetsTest : public QObject {
    Q_OBJECT
private slots:
    void platformSheetsImport_data();
    void platformSheetsImport();
    void failureSaysWhy_data();
    void failureSaysWhy();
    void titlesAsTheyImportedBefore();
    void placeColumnsGoBeforeTheAddress_data();
    void placeColumnsGoBeforeTheAddress();
    void linesAboveTheTitles_data();
    void linesAboveTheTitles();
};

void ExchangePlatformSheetsTest::platformSheetsImport_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("report");

    // 收货人/手机/"收货地址 "/"　邮编"/商品名称/件数/买家留言; no 备注 title.
    QTest::newRow("platform titles")
        << "platform_titles.xls"
        << Rows{{"", "张三", "广东省深圳市", "广东省深圳市南山区科技园1号", "518000", "",
                 "13800138000", "茶叶", "2", "周末送"},
                {"", "李四", "北京市", "北京市海淀区中关村大街27号", "", "", "13912345678", "样品",
                 "1", ""},
                {"", "张三", "广东省深圳市", "广东省深圳市南山区科技园1号", "518000", "",
                 "13800138000", "茶具", "1", ""}}
        << QStringLiteral(u"批量导入EXCEL成功!\n共导入3条收件人信息。\n"
                          u"其中1条的手机号码与前面的行相同，请检查是否重复。");
    // 联系电话 beside 电话 and 收件人姓名 beside 收货人: the exact title wins;
    // 省份 and 城市 make the destination.
    QTest::newRow("exact title wins")
        << "platform_exact_wins.xls"
        << Rows{{"", "王五", "上海市", "上海市浦东新区世纪大道100号", "", "021-87654321",
                 "13600000000", "", "", ""},
                {"", "赵六", "浙江省杭州市", "浙江省杭州市西湖区文三路90号", "", "", "15000000000",
                 "", "", ""}}
        << QStringLiteral(u"批量导入EXCEL成功!\n共导入2条收件人信息。");
    QTest::newRow("combined column")
        << "platform_combined.xls"
        << Rows{{"", "张三", "广东省深圳市", "广东省深圳市南山区科技园南区1栋101室", "", "",
                 "13800138000", QStringLiteral(u"茶叶"), "2", ""},
                {"", "李四", "广东省深圳市", "广东省深圳市南山区蛇口工业七路6号", "",
                 "0755-86001234", "", "", "1", ""}}
        << QStringLiteral(u"批量导入EXCEL成功!\n共导入2条收件人信息。");
    QTest::newRow("no Sheet1") << "xlwt_no_sheet1.xls" << SampleSheets::expectedRecipients()
                               << QStringLiteral(
                                      u"批量导入EXCEL成功!\n共导入4条收件人信息。\n"
                                      u"工作簿中没有Sheet1，读取的是第一个工作表“收件人”。");
    // The ten titles less 备注: the row holding only a remark is now blank.
    Rows withoutRemarks = SampleSheets::expectedRecipients();
    withoutRemarks.removeLast();
    for (QStringList& row : withoutRemarks)
        row.last().clear();
    QTest::newRow("missing 备注") << "xlwt_missing_title.xls" << withoutRemarks
                                  << QStringLiteral(u"批量导入EXCEL成功!\n共导入3条收件人信息。");
}

void ExchangePlatformSheetsTest::platformSheetsImport()
{
    QFETCH(QString, file);
    TestDatabase db;
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    QVERIFY_THROWS_NO_EXCEPTION(import.run(SampleSheets::path(file)));
    QTEST(db.rows(QStringLiteral("excel")), "rows");
    QTEST(import.report(), "report");
}

void ExchangePlatformSheetsTest::failureSaysWhy_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no address column")
        << SampleSheets::path(QStringLiteral("platform_no_address.xls"))
        << QStringLiteral(
               u"缺少“收件地址”列（也可用：收货地址、收件人地址、收货人地址、详细地址、地址）。\n"
               u"表格第一行的标题是：订单号、收货人、手机。");
    QTest::newRow("no such file") << QStringLiteral("/nonexistent/list.xls")
                                  << QStringLiteral(u"找不到文件：/nonexistent/list.xls");
    QTest::newRow("folder") << QStringLiteral(SF_TEST_DATA_DIR)
                            << QStringLiteral(u"所选的不是文件：" SF_TEST_DATA_DIR);
    QTest::newRow("damaged") << SampleSheets::path(QStringLiteral("fuzz/header_only.xls"))
                             << QStringLiteral(
                                    u"文件已损坏，或不是Excel工作簿（.xls、.xlsx）或CSV文件。");
}

void ExchangePlatformSheetsTest::failureSaysWhy()
{
    QFETCH(QString, path);
    QFETCH(QString, reason);
    TestDatabase db;
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure = SampleSheets::importFailure(import, path);
    QVERIFY(failure);
    QCOMPARE(failure->kind(), ImportError::Kind::Unreadable);
    QCOMPARE(failure->text(), QStringLiteral(u"批量导入EXCEL失败!\n") + reason);
}

void ExchangePlatformSheetsTest::titlesAsTheyImportedBefore()
{
    const QString combined = QStringLiteral(u"张三 13800138000 广东省深圳市南山区科技园1号");
    // The ten titles imported before the combined column was known: its
    // cell is not read;
    const QStringList row{
        "", QStringLiteral(u"李四"), "", QStringLiteral(u"北京市海淀区1号"), "", "", "", "", "",
        ""};
    // it does not fill the row's empty ones (the destination comes from
    // the row's own address).
    QStringList imported = row;
    imported[2] = QStringLiteral(u"北京市");
    QCOMPARE(RecipientSheet::recipients(
                 {Schema::recipientColumns() + QStringList{QStringLiteral(u"收货信息")},
                  row + QStringList{combined}}),
             SheetRows{imported});
    QCOMPARE(RecipientSheet::recipients(
                 {{QStringLiteral(u"手机号码"), QStringLiteral(u"收货信息")}, {"", combined}}),
             (SheetRows{{"", QStringLiteral(u"张三"), QStringLiteral(u"广东省深圳市"),
                         QStringLiteral(u"广东省深圳市南山区科技园1号"), "", "", "13800138000", "",
                         "", ""}}));
    // The title written exactly wins over the same title with a blank in
    // it, wherever the two stand.
    QCOMPARE(
        RecipientSheet::recipients({{QStringLiteral(u"收件人 姓名"), QStringLiteral(u"收件人姓名"),
                                     QStringLiteral(u"收件地址")},
                                    {"x", "y", "z"}})
            .value(0)
            .mid(1, 3),
        (QStringList{"y", "", "z"}));
}

void ExchangePlatformSheetsTest::placeColumnsGoBeforeTheAddress_data()
{
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("address");
    const QStringList named{QStringLiteral(u"收货人"), QStringLiteral(u"详细地址")};
    const auto row = [&](const char* tag, const char16_t* titles, const char16_t* cells,
                         const char16_t* destination, const char16_t* address) {
        QTest::newRow(tag) << named + QString::fromUtf16(titles).split(u',')
                           << QStringList{QStringLiteral(u"张三")} +
                                  QString::fromUtf16(cells).split(u',')
                           << QString::fromUtf16(destination) << QString::fromUtf16(address);
    };
    row("省 市 区", u"省,市,区", u"科技园1号,广东省,深圳市,南山区", u"广东省深圳市",
        u"广东省深圳市南山区科技园1号");
    row("所在地区", u"所在地区", u"科技园1号,广东省 深圳市 南山区", u"广东省深圳市",
        u"广东省深圳市南山区科技园1号");
    row("city already written", u"省份,城市", u"深圳市福田区1号,广东省,深圳市", u"广东省深圳市",
        u"广东省深圳市福田区1号");
    row("place written short", u"省,市", u"深圳南山科技园1号,广东省,深圳市", u"广东省深圳市",
        u"广东省深圳市南山科技园1号");
    row("another province written", u"省", u"北京市海淀区1号,广东省", u"", u"北京市海淀区1号");
    row("a region that is no place", u"地区", u"科技园1号,华南", u"", u"科技园1号");
    // NUL, BEL, VT and terminal escapes never reach a field.
    QTest::newRow("control characters")
        << named + QStringList{QStringLiteral(u"省")}
        << QStringList{QStringLiteral(u"张三"),
                       QStringLiteral(u"\x1b[31m科技园\a1号\v") + QChar(0) +
                           QStringLiteral("\x1b[0m"),
                       QStringLiteral(u"广东省")}
        << QStringLiteral(u"广东省") << QStringLiteral(u"广东省科技园1号");
}

void ExchangePlatformSheetsTest::placeColumnsGoBeforeTheAddress()
{
    QFETCH(QStringList, titles);
    QFETCH(QStringList, cells);
    const QStringList row = RecipientSheet::recipients({titles, cells}).value(0);
    QTEST(row.value(2), "destination");
    QTEST(row.value(3), "address");
}

void ExchangePlatformSheetsTest::linesAboveTheTitles_data()
{
    QTest::addColumn<int>("captions");
    QTest::addColumn<QString>("report");
    QTest::newRow("none") << 0 << QStringLiteral(u"批量导入EXCEL成功!\n共导入1条收件人信息。");
    QTest::newRow("two") << 2
                         << QStringLiteral(u"批量导入EXCEL成功!\n共导入1条收件人信息。\n"
                                           u"列标题上方的2行不是收件人，未导入。");
    QTest::newRow("six") << 6
                         << QStringLiteral(
                                u"批量导入EXCEL失败!\n缺少“收件人姓名”列（也可用：收货人、"
                                u"收货人姓名、收件人、姓名）。\n表格第一行的标题是：订单导出。");
}

void ExchangePlatformSheetsTest::linesAboveTheTitles()
{
    QFETCH(int, captions);
    TestDatabase db;
    QByteArray csv = "\xEF\xBB\xBF";
    for (int i = 0; i < captions; ++i)
        csv += QStringLiteral(u"订单导出\n").toUtf8();
    csv += QStringLiteral(u"收货人,收货地址\n张三,广东省深圳市南山区科技园1号\n").toUtf8();
    const QString path = db.dir() + QStringLiteral("/list.csv");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size());
    file.close();
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure = SampleSheets::importFailure(import, path);
    QTEST(failure ? failure->text() : import.report(), "report");
}

QTEST_GUILESS_MAIN(ExchangePlatformSheetsTest)
#include "exchange_platform_sheets_test.moc"
