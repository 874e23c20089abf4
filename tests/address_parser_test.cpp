#include "records/address_parse_command.h"
#include "records/address_parser.h"
#include "records/division_table.h"
#include "support/sample_sheets.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>

namespace {

const QStringList fieldKeys{"收件人姓名", "手机号码", "联系电话", "收件地址", "目的地", "邮政编码"};

QStringList fieldsOf(const ParsedRecipient& r)
{
    return {r.name, r.mobile, r.phone, r.address, r.destination, r.postcode};
}

} // namespace

class AddressParserTest : public QObject {
    Q_OBJECT
private slots:
    void tableOfRealTexts();
    void placesFromTheDivisionTable_data();
    void placesFromTheDivisionTable();
    void unclearTextLeavesFieldsEmpty_data();
    void unclearTextLeavesFieldsEmpty();
    void labelledCompanyAndRemarks();
    void everyLabelWord_data();
    void everyLabelWord();
    void commandLinePrintsJson();
    void phoneNumbersTidied_data();
    void phoneNumbersTidied();
};

// At least 95% of the texts give every field exactly and at most 0.5% of
// the fields are filled wrongly; a miss leaves a field empty and never
// yields a wrong number or place. With ADDRESS_TEXTS_MEASURE set it only
// reports the figures, to compare one build of the parser with another.
void AddressParserTest::tableOfRealTexts()
{
    QFile file(SampleSheets::path(QStringLiteral("address_texts.json")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray cases = QJsonDocument::fromJson(file.readAll()).array();
    QVERIFY(cases.size() >= 60);
    const bool measure = qEnvironmentVariableIsSet("ADDRESS_TEXTS_MEASURE");

    int exact = 0;
    int wrong = 0;
    for (const QJsonValue& value : cases) {
        const QJsonObject c = value.toObject();
        const QString text = c.value(QStringLiteral("text")).toString();
        const QStringList got = fieldsOf(AddressParser::parse(text));
        QStringList expected;
        for (const QString& key : fieldKeys)
            expected << c.value(key).toString();
        if (got == expected) {
            ++exact;
            continue;
        }
        qInfo().noquote() << "miss:" << text << "\n  got     " << got << "\n  expected" << expected;
        for (int i = 0; i < fieldKeys.size(); ++i) {
            if (got.at(i).isEmpty() || got.at(i) == expected.at(i))
                continue;
            ++wrong;
            // Only the name and the address may be wrong, now and then.
            if (!measure)
                QVERIFY2(i == 0 || fieldKeys.at(i) == QStringLiteral("收件地址"),
                         qPrintable(QStringLiteral("wrong %1 for %2").arg(fieldKeys.at(i), text)));
        }
    }
    const qsizetype fields = cases.size() * fieldKeys.size();
    qInfo("%d of %lld exact (%.1f%%), %d of %lld fields wrong (%.2f%%)", exact,
          qlonglong(cases.size()), 100.0 * exact / cases.size(), wrong, qlonglong(fields),
          100.0 * wrong / fields);
    if (measure)
        return;
    QVERIFY(exact * 100 >= cases.size() * 95);
    QVERIFY(wrong * 1000 <= fields * 5);
}

void AddressParserTest::placesFromTheDivisionTable_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("destination");
    QTest::addColumn<QString>("written");
    const auto row = [](const char16_t* a, const char16_t* d, const char16_t* w) {
        QTest::newRow(QString::fromUtf16(a).toUtf8())
            << QString::fromUtf16(a) << QString::fromUtf16(d) << QString::fromUtf16(w);
    };
    row(u"广东深圳南山区科技园", u"广东省深圳市", u"广东省深圳市南山区科技园");
    row(u"深圳南山科技园", u"广东省深圳市", u"广东省深圳市南山科技园");
    row(u"广东南山区科技园", u"广东省深圳市", u"广东省深圳市南山区科技园");
    row(u"海淀区中关村大街1号", u"北京市", u"北京市海淀区中关村大街1号");
    row(u"北京北京市东城区东长安街1号", u"北京市", u"北京市东城区东长安街1号");
    row(u"吉林市船营区北京路1号", u"吉林省吉林市", u"吉林省吉林市船营区北京路1号");
    row(u"海南藏族自治州共和县1号", u"青海省海南藏族自治州", u"青海省海南藏族自治州共和县1号");
    row(u"天津河北区五马路1号", u"天津市", u"天津市河北区五马路1号");
    // A short name alone is the start of a street, not a place.
    row(u"南京路100号", u"", u"南京路100号");
    row(u"江西路8号", u"", u"江西路8号");
    // "河北" would be a province, but "河北区" is one county of the nation.
    row(u"河北区五马路1号", u"天津市", u"天津市河北区五马路1号");
    // A short name with the last character of its full name.
    row(u"重庆石柱县南宾街道1号", u"重庆市", u"重庆市石柱县南宾街道1号");
    // A county's full name alone, where the city's short name would not stand.
    row(u"苏州工业园区星湖街1号", u"江苏省苏州市", u"江苏省苏州市苏州工业园区星湖街1号");
    row(u"高雄市前镇区中华五路1号", u"台湾省", u"台湾省高雄市前镇区中华五路1号");
}

void AddressParserTest::placesFromTheDivisionTable()
{
    QFETCH(QString, address);
    const DivisionTable::Location place = DivisionTable::national().locate(address);
    QTEST(place.destination(), "destination");
    QTEST(place.address, "written");
}

void AddressParserTest::unclearTextLeavesFieldsEmpty_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fields");
    const auto row = [](const char* tag, const char16_t* text, QStringList fields) {
        QTest::newRow(tag) << QString::fromUtf16(text) << fields;
    };
    // Ten and twelve digits (a mobile has eleven), a number glued to a
    // house number, a too-short landline.
    row("ten digits", u"订单 1380013800 张三", {"张三", "", "", "", "", ""});
    row("ten digits in groups", u"张三 138-0013-800", {"张三", "", "", "", "", ""});
    row("long number", u"订单 138001380001 张三", {"张三", "", "", "", "", ""});
    row("twelve digits in groups", u"张三 138 0013 80001", {"张三", "", "", "", "", ""});
    row("86 after a street", u"解放路86 13800138000", {"", "13800138000", "", "解放路86", "", ""});
    row("no area code", u"李四 86001234 上海市静安区南京西路1号",
        {"李四", "", "", "上海市静安区南京西路1号", "上海市", ""});
    row("labelled local number", u"电话：86001234", {"", "", "86001234", "", "", ""});
    row("greeting only", u"你好 谢谢", {"", "", "", "", "", ""});
    row("empty", u"", {"", "", "", "", "", ""});
}

void AddressParserTest::unclearTextLeavesFieldsEmpty()
{
    QFETCH(QString, text);
    QTEST(fieldsOf(AddressParser::parse(text)), "fields");
}

void AddressParserTest::labelledCompanyAndRemarks()
{
    const ParsedRecipient r = AddressParser::parse(
        QStringLiteral(u"公司：深圳市某某科技有限公司\n收件人：赵敏\n手机：13700001111\n"
                       u"地址：广东省深圳市福田区福华一路1号\n备注：工作日送达"));
    QCOMPARE(r.company, QStringLiteral(u"深圳市某某科技有限公司"));
    QCOMPARE(r.remarks, QStringLiteral(u"工作日送达"));
    QCOMPARE(r.name, QStringLiteral(u"赵敏"));
    QCOMPARE(r.address, QStringLiteral(u"广东省深圳市福田区福华一路1号"));

    // Each is one line; the lines after them are not theirs.
    ParsedRecipient expected;
    expected.name = QStringLiteral(u"张三");
    expected.mobile = QStringLiteral("13800138000");
    expected.address = QStringLiteral(u"广东省深圳市南山区科技园1号");
    expected.destination = QStringLiteral(u"广东省深圳市");
    expected.company = QStringLiteral(u"深圳市某某科技有限公司");
    expected.remarks = QStringLiteral(u"放门卫");
    QCOMPARE(AddressParser::parse(QStringLiteral(u"公司：深圳市某某科技有限公司\n备注：放门卫\n"
                                                 u"张三 13800138000\n广东省深圳市南山区科技园1号")),
             expected);
    // An address goes on over the lines that read as one.
    expected.company = expected.remarks = QString();
    QCOMPARE(AddressParser::parse(QStringLiteral(u"地址：广东省深圳市\n南山区科技园1号\n"
                                                 u"张三 13800138000")),
             expected);
}

// Each word labels what follows it, written without a colon: with one the
// shorter word at its end ("地址：") would stand in for it.
void AddressParserTest::everyLabelWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");
    // Values read only by their label: a latin name or address, a number
    // without area code, a postcode starting with 9.
    const QList<std::tuple<int, const char16_t*, QString>> kinds{
        {0,
         u"收件人姓名 收货人姓名 收件人名字 收货人名字 收件人 收货人 联系人 姓名 名字 客户姓名 "
         u"买家姓名 name",
         "Tom"},
        {1,
         u"收件人手机号码 收件人手机号 收件人手机 收货人手机号码 收货人手机号 收货人手机 "
         u"收件人电话 "
         u"收货人电话 联系手机 联系电话 联系方式 手机号码 手机号 电话号码 手机 电话 固话 座机 tel "
         u"mobile phone",
         "86001234"},
        {2, u"收件人地址 收货人地址 收件地址 收货地址 详细地址 所在地区 地址 address addr",
         "Baker Street"},
        {3, u"邮政编码 邮编", "900001"},
        {4, u"单位名称 公司名称 公司 单位", u"鹿帆科技"_qs},
        {5, u"备注 留言 买家留言", u"放门卫"_qs},
    };
    for (const auto& [field, words, value] : kinds)
        for (const QString& word : QString::fromUtf16(words).split(u' '))
            QTest::newRow(word.toUtf8()) << word + u' ' + value << field << value;
}

void AddressParserTest::everyLabelWord()
{
    QFETCH(QString, text);
    QFETCH(int, field);
    const ParsedRecipient r = AddressParser::parse(text);
    const QStringList fields{r.name, r.phone, r.address, r.postcode, r.company, r.remarks};
    QTEST(fields.at(field), "value");
}

void AddressParserTest::commandLinePrintsJson()
{
    const QString text = QStringLiteral(u"张三 13800138000 广东省深圳市南山区科技园南区1栋101室");
    const QString expected = QStringLiteral(
        u"{\"收件人姓名\":\"张三\",\"手机号码\":\"13800138000\",\"联系电话\":\"\","
        u"\"收件地址\":\"广东省深圳市南山区科技园南区1栋101室\",\"目的地\":\"广东省深圳市\","
        u"\"邮政编码\":\"\",\"单位名称\":\"\",\"备注\":\"\"}");
    QCOMPARE(AddressParseCommand::json(text), expected);

    QProcess cli;
    cli.start(qEnvironmentVariable("SF_CLI"), {QStringLiteral("parse-address"), text});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).trimmed(), expected);
    // From standard input, over several lines.
    cli.start(qEnvironmentVariable("SF_CLI"), {QStringLiteral("parse-address")});
    cli.write(QStringLiteral(u"李四\n13900001111\n北京市海淀区中关村大街1号\n").toUtf8());
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(60000));
    const QJsonObject fields = QJsonDocument::fromJson(cli.readAllStandardOutput()).object();
    QCOMPARE(fields.value(QStringLiteral(u"收件人姓名")).toString(), QStringLiteral(u"李四"));
    QCOMPARE(fields.value(QStringLiteral(u"目的地")).toString(), QStringLiteral(u"北京市"));
}

QTEST_GUILESS_MAIN(AddressParserTest)
#include "address_parser_test.moc"

void AddressParserTest::phoneNumbersTidied_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("tidied");
    const auto row = [](const char* n, const char* t) {
        QTest::newRow(n) << QString::fromUtf8(n) << QString::fromUtf8(t);
    };
    row("", "");
    row("13910000001", "13910000001");
    row("12910000001", "12910000001");
    row("1391000000", "1391000000");
    row("8613910000001", "13910000001");
    row("008613910000001", "13910000001");
    row("0086 139 1000 0001", "13910000001");
    row("+86 139-1000-0001", "13910000001");
    row("(+86)13910000001", "13910000001");
    row(" 139 1000 0001 ", "13910000001");
    row("'13910000001", "13910000001");
    row("'010-87650001", "010-87650001");
    row("'=1+1", "'=1+1");
    row("010-87650001", "010-87650001");
    row("0755 1234 5678", "0755 1234 5678");
    row("87650001", "87650001");
    row("400-811-1111", "400-811-1111");
    row("1391000000１", "1391000000１");
}

void AddressParserTest::phoneNumbersTidied()
{
    QFETCH(QString, number);
    QTEST(AddressParser::tidyPhone(number), "tidied");
}
