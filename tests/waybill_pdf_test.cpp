#include "print_page_texts.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements.h"
#include "support/test_database.h"
#include "waybill/font_substitutions.h"
#include "waybill/pdf_export.h"
#include "waybill/shaped_text.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Word {
    QString text;
    double leftMm;
    double topMm;
};

struct PdfPage {
    double widthPt = 0;
    double heightPt = 0;
    QList<Word> words;

    QString text() const
    {
        QString all;
        for (const Word& w : words)
            all += w.text;
        return all;
    }
    const Word* find(const QString& text) const
    {
        for (const Word& w : words) {
            if (w.text == text)
                return &w;
        }
        return nullptr;
    }
};

QString run(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000))
        qFatal("%s did not finish", qPrintable(program));
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QList<PdfPage> readPdf(const QString& path)
{
    QXmlStreamReader xml(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, "-"}));
    QList<PdfPage> pages;
    constexpr double mmPerPoint = 25.4 / 72;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        if (xml.name() == QLatin1String("page")) {
            pages.append({a.value("width").toDouble(), a.value("height").toDouble(), {}});
        } else if (xml.name() == QLatin1String("word")) {
            const double left = a.value("xMin").toDouble() * mmPerPoint;
            const double top = a.value("yMin").toDouble() * mmPerPoint;
            pages.last().words.append({xml.readElementText(), left, top});
        }
    }
    return pages;
}

QStringList row(const QStringList& columns, const QMap<QString, QString>& values)
{
    QStringList out;
    for (const QString& c : columns)
        out << values.value(c);
    return out;
}

const QMap<QString, QString> senderValues{{u"单位名称"_qs, u"寄方公司"_qs},
                                          {u"寄件人姓名"_qs, u"寄件甲"_qs},
                                          {u"寄件地址"_qs, u"寄方地址"_qs},
                                          {u"联系电话"_qs, u"0755-1"_qs},
                                          {u"手机号码"_qs, u"1380"_qs},
                                          {u"签名"_qs, u"签甲"_qs},
                                          {u"年"_qs, u"2026"_qs},
                                          {u"月"_qs, u"12"_qs},
                                          {u"日"_qs, u"8"_qs}};

const QMap<QString, QString> recipientValues{{u"单位名称"_qs, u"收方公司"_qs},
                                             {u"收件人姓名"_qs, u"收件乙"_qs},
                                             {u"收件地址"_qs, u"收方地址"_qs},
                                             {u"联系电话"_qs, u"010-2"_qs},
                                             {u"手机号码"_qs, u"1390"_qs},
                                             {u"内件品名"_qs, u"文件"_qs},
                                             {u"数量"_qs, u"3"_qs},
                                             {u"备注"_qs, u"易碎"_qs}};

// The data source of one print window over data.mdb of the test.
struct Source {
    Connection connection;
    Dataset sender{connection};
    Dataset recipients{connection};

    Source(const StoreSession& store, WaybillVariant variant) : connection(store)
    {
        connection.open();
        sender.setQuery(Statements::selectSender());
        const bool imported =
            variant == WaybillVariant::ImportedSingle || variant == WaybillVariant::ImportedBatch;
        recipients.setQuery(imported ? Statements::selectImported()
                                     : Statements::selectRecipients());
        sender.open();
        recipients.open();
    }
};

QString exportTo(const QTemporaryDir& dir, const WaybillLayout& layout, Source& source,
                 RecordMode mode)
{
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    WaybillPages pages(layout, &source.sender, &source.recipients, mode);
    exportPdf(pages, path, *source.connection.store());
    return path;
}

QImage renderPage(PageSource& pages, int index)
{
    QImage image(816, 529, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    pages.drawPage(painter, index);
    return image;
}

int darkPixels(const QImage& image, const QRect& area)
{
    int dark = 0;
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            dark += qGray(image.pixel(x, y)) < 128;
    return dark;
}

} // namespace

class WaybillPdfTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void textsLandOnTheCatalogue_data();
    void textsLandOnTheCatalogue();
    void longAddressPrintsTwoLinesOnly();
    void largerFontLeavesRoomForFewerLines();
    void lineBreaksOfTheValue();
    void lineMayEndATenthOfAMillimetreBelowItsBox();
    void laterBoxCoversEarlierText();
    void batchPrintsOnePagePerRow();
    void batchInPartsPrintsTheSamePages();
    void singlePrintIsAlwaysOnePage();
    void printCommand();
    void pagesDrawTheSameWhateverWasDrawnBefore();
    void separatorKeepsTheLineTogether();
    void shapedLineMeasuresAsTheFontMetrics();
};

void WaybillPdfTest::textsLandOnTheCatalogue_data()
{
    QTest::addColumn<WaybillVariant>("variant");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    for (WaybillVariant v : {WaybillVariant::AddressBookSingle, WaybillVariant::ImportedSingle,
                             WaybillVariant::AddressBookBatch, WaybillVariant::ImportedBatch}) {
        const QByteArray name = windowClassName(v).toLatin1();
        QTest::newRow(name) << v << 0 << 0;
        QTest::newRow(name + " shifted") << v << 10 << 12;
    }
}

void WaybillPdfTest::textsLandOnTheCatalogue()
{
    QFETCH(WaybillVariant, variant);
    QFETCH(int, dx);
    QFETCH(int, dy);
    TestDatabase db;
    db.insert(Schema::senderTable, row(Schema::senderColumns(), senderValues));
    db.insert(Schema::recipientTable, row(Schema::recipientColumns(), recipientValues));
    db.insert(Schema::importedTable, row(Schema::recipientColumns(), recipientValues));
    const QString path = db.dir() + QStringLiteral("/out.pdf");
    if (dx == 0 && dy == 0) {
        Source source(db.session(), variant);
        const WaybillLayout layout = WaybillLayout::forWindow(variant);
        WaybillPages pages(layout, &source.sender, &source.recipients,
                           isBatch(variant) ? RecordMode::EveryRow : RecordMode::CurrentRow);
        exportPdf(pages, path, db.session());
    } else {
        // The same through the command line, shifted.
        int exitCode = -1;
        run(qEnvironmentVariable("SF_CLI"),
            {"print", "--window", windowClassName(variant), "--pdf", path, "--dx",
             QString::number(dx), "--dy", QString::number(dy)},
            &exitCode);
        QCOMPARE(exitCode, 0);
    }
    const QList<PdfPage> pages = readPdf(path);
    QCOMPARE(pages.size(), 1);
    // The exact paper, not Qt's whole points.
    QVERIFY(qAbs(pages[0].widthPt - 216.0 * 72 / 25.4) < 0.001);
    QVERIFY(qAbs(pages[0].heightPt - 140.0 * 72 / 25.4) < 0.001);

    const WaybillLayout layout = WaybillLayout::forWindow(variant);
    QCOMPARE(pages[0].words.size(), 16);
    for (const FieldPlacement& p : layout.placements()) {
        const auto& values = p.role() == RecordRole::Sender ? senderValues : recipientValues;
        const Word* word = pages[0].find(values.value(p.column()));
        QVERIFY2(word, qPrintable(p.controlName()));
        const double left = Pixels{p.left().value + dx}.toMillimetres().value;
        const double top = Pixels{p.top().value + dy}.toMillimetres().value;
        QVERIFY2(qAbs(word->leftMm - left) <= 0.1,
                 qPrintable(QStringLiteral("%1 left %2, wanted %3")
                                .arg(p.controlName())
                                .arg(word->leftMm)
                                .arg(left)));
        QVERIFY2(qAbs(word->topMm - top) <= 0.1, qPrintable(QStringLiteral("%1 top %2, wanted %3")
                                                                .arg(p.controlName())
                                                                .arg(word->topMm)
                                                                .arg(top)));
    }
    // The picture of the form never reaches the page.
    const QStringList images =
        run(QStringLiteral("pdfimages"), {"-list", path}).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(images.size(), 2); // the two heading lines
}

void WaybillPdfTest::longAddressPrintsTwoLinesOnly()
{
    const QString address =
        QStringLiteral(u"一二三四五六七八九十甲乙丙丁戊己庚辛壬癸子丑寅卯辰巳午未申酉"
                       u"戌亥东南西北金木水火");
    QCOMPARE(address.size(), 40);
    TestDatabase db;
    db.insert(Schema::recipientTable, row(Schema::recipientColumns(), {{u"收件地址"_qs, address}}));
    Source source(db.session(), WaybillVariant::AddressBookSingle);
    QTemporaryDir dir;
    const auto pages =
        readPdf(exportTo(dir, WaybillLayout::forWindow(WaybillVariant::AddressBookSingle), source,
                         RecordMode::CurrentRow));
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].words.size(), 2);
    QCOMPARE(pages[0].words[0].text, address.left(14));
    QCOMPARE(pages[0].words[1].text, address.mid(14, 14));
    QVERIFY(qAbs(pages[0].words[1].topMm - pages[0].words[0].topMm - 16 * 25.4 / 96) < 0.01);
}

void WaybillPdfTest::largerFontLeavesRoomForFewerLines()
{
    TestDatabase db;
    db.insert(Schema::recipientTable,
              row(Schema::recipientColumns(), {{u"单位名称"_qs, u"北京某某贸易有限公司分部"_qs},
                                               {u"收件人姓名"_qs, u"李四"_qs}}));
    Source source(db.session(), WaybillVariant::AddressBookSingle);
    WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    QFont big(QStringLiteral(u"宋体"));
    big.setPointSize(16);
    layout.setFont(big);
    QTemporaryDir dir;
    const auto pages = readPdf(exportTo(dir, layout, source, RecordMode::CurrentRow));
    // Two lines of 21.33 px need 42.67 px; the company placement is 39 px.
    QCOMPARE(pages[0].text(), QStringLiteral(u"北京某某贸易有限公司李四"));
    // A 17-px placement is raised to one line of the larger font.
    QVERIFY(pages[0].find(QStringLiteral(u"李四")));
}

void WaybillPdfTest::lineBreaksOfTheValue()
{
    TestDatabase db;
    db.insert(Schema::senderTable,
              row(Schema::senderColumns(),
                  {{u"寄件地址"_qs, u"庚\r辛"_qs}, {u"寄件人姓名"_qs, u"丙\n丁"_qs}}));
    db.insert(Schema::recipientTable,
              row(Schema::recipientColumns(),
                  {{u"备注"_qs, u"甲\r\n乙"_qs}, {u"内件品名"_qs, u"戊\r\n己"_qs}}));
    Source source(db.session(), WaybillVariant::AddressBookSingle);
    QTemporaryDir dir;
    const auto pages =
        readPdf(exportTo(dir, WaybillLayout::forWindow(WaybillVariant::AddressBookSingle), source,
                         RecordMode::CurrentRow));
    const PdfPage& page = pages.at(0);
    const double line = 16 * 25.4 / 96;
    // CR LF breaks a wrapped placement's text where it stands.
    const Word* first = page.find(QStringLiteral(u"甲"));
    const Word* second = page.find(QStringLiteral(u"乙"));
    QVERIFY(first && second);
    QVERIFY(qAbs(second->topMm - first->topMm - line) < 0.01);
    QCOMPARE(second->leftMm, first->leftMm);
    // A lone CR breaks too; a lone LF is dropped.
    QVERIFY(qAbs(page.find(QStringLiteral(u"辛"))->topMm - page.find(QStringLiteral(u"庚"))->topMm -
                 line) < 0.01);
    QVERIFY(page.find(QStringLiteral(u"丙丁")));
    // A placement without a wrap width breaks at CR LF as well; its second
    // line is below its 17 px and is dropped.
    QVERIFY(page.find(QStringLiteral(u"戊")));
    QVERIFY(!page.text().contains(QStringLiteral(u"己")));
}

void WaybillPdfTest::lineMayEndATenthOfAMillimetreBelowItsBox()
{
    TestDatabase db;
    db.insert(Schema::recipientTable,
              row(Schema::recipientColumns(), {{u"备注"_qs, u"甲\r\n乙"_qs}}));
    Source source(db.session(), WaybillVariant::AddressBookSingle);
    QTemporaryDir dir;
    // The remark is 41 px high; 0.1 mm is 0.378 px.
    for (const auto& [points, lines] : {std::pair{15.4, 2}, std::pair{15.6, 1}}) {
        WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
        QFont font(QStringLiteral(u"宋体"));
        font.setPointSizeF(points); // lines of 20.53 px (ends 0.07 px below) and 20.8 px
        layout.setFont(font);
        const auto pages = readPdf(exportTo(dir, layout, source, RecordMode::CurrentRow));
        QCOMPARE(pages[0].words.size(), lines);
    }
}

void WaybillPdfTest::laterBoxCoversEarlierText()
{
    TestDatabase db;
    // QRDBText9 (telephone, 262 px) is drawn before QRDBText10 (mobile,
    // 168 px), whose long value reaches over it.
    db.insert(Schema::recipientTable,
              row(Schema::recipientColumns(), {{u"联系电话"_qs, u"11111111111111111111"_qs},
                                               {u"手机号码"_qs, u"2222222222222222"_qs}}));
    Source both(db.session(), WaybillVariant::AddressBookSingle);
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    WaybillPages pages(layout, &both.sender, &both.recipients, RecordMode::CurrentRow);
    const QImage drawn = renderPage(pages, 0);

    db.exec(QStringLiteral(u"update inrxx set \"联系电话\" = ''"));
    Source mobileOnly(db.session(), WaybillVariant::AddressBookSingle);
    WaybillPages alone(layout, &mobileOnly.sender, &mobileOnly.recipients, RecordMode::CurrentRow);
    const QImage covered = renderPage(alone, 0);

    // Where the mobile's box lies, nothing of the telephone shows.
    const QRect mobileBox(262, 370, 168 + 16 * 8 - 262, 16);
    QCOMPARE(drawn.copy(mobileBox), covered.copy(mobileBox));
    // Beyond it, the telephone prints.
    QVERIFY(darkPixels(drawn, QRect(300, 370, 100, 16)) > 50);
    QCOMPARE(darkPixels(covered, QRect(300, 370, 100, 16)), 0);
}

void WaybillPdfTest::batchPrintsOnePagePerRow()
{
    TestDatabase db;
    db.insert(Schema::senderTable, row(Schema::senderColumns(), {{u"寄件人姓名"_qs, u"张三"_qs}}));
    db.insert(Schema::senderTable, row(Schema::senderColumns(), {{u"寄件人姓名"_qs, u"王五"_qs}}));
    for (const QString& name : {u"甲一"_qs, u"乙二"_qs, u"丙三"_qs})
        db.insert(Schema::recipientTable,
                  row(Schema::recipientColumns(), {{u"收件人姓名"_qs, name}}));
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    QTemporaryDir dir;
    {
        Source source(db.session(), WaybillVariant::AddressBookBatch);
        source.recipients.setCurrentRow(2); // the cursor does not matter
        const auto pages = readPdf(exportTo(dir, layout, source, RecordMode::EveryRow));
        QCOMPARE(pages.size(), 3);
        QCOMPARE(pages[0].text(), QStringLiteral(u"张三甲一"));
        QCOMPARE(pages[1].text(), QStringLiteral(u"张三乙二"));
        QCOMPARE(pages[2].text(), QStringLiteral(u"张三丙三"));
    }
    {
        // No recipients: one page with the sender only; nothing read
        // beyond the rows.
        db.exec(QStringLiteral("delete from inrxx"));
        Source source(db.session(), WaybillVariant::AddressBookBatch);
        const auto pages = readPdf(exportTo(dir, layout, source, RecordMode::EveryRow));
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].text(), QStringLiteral(u"张三"));
        // A closed recipient query prints the same; a missing sender query
        // prints nothing at all.
        source.recipients.close();
        WaybillPages empty(layout, nullptr, &source.recipients, RecordMode::EveryRow);
        QCOMPARE(empty.pageCount(), 1);
        QCOMPARE(readPdf(exportTo(dir, layout, source, RecordMode::EveryRow))[0].text(),
                 QStringLiteral(u"张三"));
        exportPdf(empty, dir.filePath(QStringLiteral("empty.pdf")), db.session());
        QCOMPARE(readPdf(dir.filePath(QStringLiteral("empty.pdf")))[0].words.size(), 0);
    }
}

void WaybillPdfTest::batchInPartsPrintsTheSamePages()
{
    TestDatabase db;
    db.insert(Schema::senderTable, row(Schema::senderColumns(), senderValues));
    for (const QString& name : {u"甲一"_qs, u"乙二"_qs, u"丙三"_qs, u"丁四"_qs, u"戊五"_qs}) {
        QMap<QString, QString> values = recipientValues;
        values[u"收件人姓名"_qs] = name;
        db.insert(Schema::recipientTable, row(Schema::recipientColumns(), values));
    }
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    Source source(db.session(), WaybillVariant::AddressBookBatch);
    WaybillPages pages(layout, &source.sender, &source.recipients, RecordMode::EveryRow);
    QTemporaryDir dir;
    const QString whole = dir.filePath(QStringLiteral("whole.pdf"));
    exportPdf(pages, whole, db.session());
    const QList<PdfPage> expected = readPdf(whole);
    QCOMPARE(expected.size(), 5);
    for (const int perPart : {1, 2, 4}) {
        const QString joined = dir.filePath(QStringLiteral("joined%1.pdf").arg(perPart));
        QList<int> told;
        exportPdf(
            pages, joined, db.session(), [&](int done, int) { return told << done, true; },
            perPart);
        QCOMPARE(told, (QList<int>{1, 2, 3, 4, 5}));
        const QList<PdfPage> read = readPdf(joined);
        QCOMPARE(read.size(), expected.size());
        for (qsizetype i = 0; i < read.size(); ++i) {
            QCOMPARE(read.at(i).text(), expected.at(i).text());
            QCOMPARE(read.at(i).widthPt, expected.at(i).widthPt);
            QCOMPARE(read.at(i).heightPt, expected.at(i).heightPt);
            for (qsizetype w = 0; w < read.at(i).words.size(); ++w) {
                QCOMPARE(read.at(i).words.at(w).leftMm, expected.at(i).words.at(w).leftMm);
                QCOMPARE(read.at(i).words.at(w).topMm, expected.at(i).words.at(w).topMm);
            }
        }
        int exitCode = -1;
        const QString info = run(QStringLiteral("pdfinfo"), {joined}, &exitCode);
        QCOMPARE(exitCode, 0);
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages: +5\\n"))),
                 qPrintable(info));
        QVERIFY(info.contains(QStringLiteral("sfwaybill")));
        // Nothing of the parts is left beside the file.
        QCOMPARE(
            QDir(dir.path()).entryList(QDir::Files).filter(QStringLiteral("joined%1").arg(perPart)),
            QStringList{QFileInfo(joined).fileName()});
    }
}

void WaybillPdfTest::singlePrintIsAlwaysOnePage()
{
    TestDatabase db;
    db.insert(Schema::senderTable, row(Schema::senderColumns(), {{u"寄件人姓名"_qs, u"张三"_qs}}));
    for (const QString& name : {u"甲一"_qs, u"乙二"_qs})
        db.insert(Schema::importedTable,
                  row(Schema::recipientColumns(), {{u"收件人姓名"_qs, name}}));
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::ImportedSingle);
    Source source(db.session(), WaybillVariant::ImportedSingle);
    source.recipients.setCurrentRow(1);
    QTemporaryDir dir;
    auto pages = readPdf(exportTo(dir, layout, source, RecordMode::CurrentRow));
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].text(), QStringLiteral(u"张三乙二"));
    db.exec(QStringLiteral("delete from excel"));
    Source none(db.session(), WaybillVariant::ImportedSingle);
    pages = readPdf(exportTo(dir, layout, none, RecordMode::CurrentRow));
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].text(), QStringLiteral(u"张三"));
}

void WaybillPdfTest::printCommand()
{
    TestDatabase db;
    db.insert(Schema::senderTable, row(Schema::senderColumns(), {{u"寄件人姓名"_qs, u"张三"_qs}}));
    for (const QString& name : {u"甲一"_qs, u"乙二"_qs, u"丙三"_qs})
        db.insert(Schema::recipientTable,
                  row(Schema::recipientColumns(), {{u"收件人姓名"_qs, name}}));
    const QString cli = qEnvironmentVariable("SF_CLI");
    const QString pdf = db.dir() + QStringLiteral("/run.pdf");
    int exitCode = -1;
    run(cli, {"print", "--window", "TPlsf1Form", "--pdf", pdf}, &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(readPdf(pdf).size(), 3);

    run(cli, {"print", "--window", "TSf1Form", "--pdf", pdf, "--row", "2"}, &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(readPdf(pdf).at(0).text(), QStringLiteral(u"张三乙二"));

    run(cli, {"print", "--window", "TSf1Form", "--pdf", pdf, "--font", u"宋体,16"_qs}, &exitCode);
    QCOMPARE(exitCode, 0);
    const auto big = readPdf(pdf);
    const Word* name = big.at(0).find(QStringLiteral(u"甲一"));
    QVERIFY(name);
    // 16 points: two characters are 2 x 21.33 px, which pdftotext reads back
    // as the word's right edge; the left edge stays.
    QVERIFY(qAbs(name->leftMm - 76.2) <= 0.1);

    for (const QStringList& bad :
         {QStringList{"print", "--window", "TForm1", "--pdf", pdf},
          QStringList{"print", "--window", "TSf1Form"},
          QStringList{"print", "--window", "TSf1Form", "--pdf", pdf, "--row", "4"},
          QStringList{"print", "--window", "TPlsf1Form", "--pdf", pdf, "--row", "1"},
          QStringList{"print", "--window", "TSf1Form", "--pdf", pdf, "--dx", "abc"},
          QStringList{"print", "--window", "TSf1Form", "--pdf", pdf, "--font", "宋体"}}) {
        run(cli, bad, &exitCode);
        QVERIFY2(exitCode != 0, qPrintable(bad.join(' ')));
    }
}

void WaybillPdfTest::pagesDrawTheSameWhateverWasDrawnBefore()
{
    // Pages of one run share the fonts and lines learnt on earlier pages
    // (the sender repeats on every page); each page must still come out as
    // if it were the first, also after a new font and a shift.
    TestDatabase db;
    db.insert(Schema::senderTable,
              row(Schema::senderColumns(),
                  {{u"寄件人姓名"_qs, u"张三"_qs},
                   {u"寄件地址"_qs, u"广东省深圳市南山区科技园南区高新南一道"_qs}}));
    QStringList manyLines; // more distinct lines than a font keeps
    for (int i = 0; i < 1100; ++i)
        manyLines << QStringLiteral("g%1").arg(i);
    for (const QMap<QString, QString>& values :
         {QMap<QString, QString>{{u"收件人姓名"_qs, u"甲一"_qs}, {u"数量"_qs, u"1"_qs}},
          {{u"收件人姓名"_qs, u"乙二二"_qs}, {u"内件品名"_qs, manyLines.join('\r')}},
          {{u"收件人姓名"_qs, u"甲一"_qs}, {u"备注"_qs, u"易碎物品小心轻放"_qs}}})
        db.insert(Schema::recipientTable, row(Schema::recipientColumns(), values));
    Source source(db.session(), WaybillVariant::AddressBookBatch);
    WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    WaybillPages reused(layout, &source.sender, &source.recipients, RecordMode::EveryRow);
    const auto firstDrawn = [&](int page) {
        WaybillPages fresh(layout, &source.sender, &source.recipients, RecordMode::EveryRow);
        return renderPage(fresh, page);
    };
    for (int page : {0, 1, 2, 1, 0})
        QCOMPARE(renderPage(reused, page), firstDrawn(page));
    QCOMPARE(pageStrings(reused, 1).last(), QStringLiteral("g0"));
    QFont big(QStringLiteral(u"宋体"));
    big.setPointSize(16);
    layout.setFont(big);
    layout.shiftLeft(7);
    for (int page : {2, 0})
        QCOMPARE(renderPage(reused, page), firstDrawn(page));
}

void WaybillPdfTest::separatorKeepsTheLineTogether()
{
    // QPainter::drawText() takes a line or paragraph separator as an
    // invisible character of no width: the text goes on where it stands.
    TestDatabase db;
    for (const QString& name : {u"左右"_qs, u"左\u2028右"_qs, u"左\u2029右"_qs})
        db.insert(Schema::recipientTable,
                  row(Schema::recipientColumns(), {{u"收件人姓名"_qs, name}}));
    Source source(db.session(), WaybillVariant::AddressBookBatch);
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    WaybillPages pages(layout, &source.sender, &source.recipients, RecordMode::EveryRow);
    const QImage plain = renderPage(pages, 0);
    QVERIFY(darkPixels(plain, QRect(288 + 16, 294, 16, 16)) > 20);
    QCOMPARE(renderPage(pages, 1), plain);
    QCOMPARE(renderPage(pages, 2), plain);
}

void WaybillPdfTest::shapedLineMeasuresAsTheFontMetrics()
{
    // The white box takes the width, and boxes are filled before earlier
    // texts only where no glyph outline reaches (hinted to within a pixel).
    for (const auto& [family, points] :
         {std::pair{u"宋体"_qs, 12}, std::pair{u"Arial"_qs, 20}, std::pair{u"宋体"_qs, 36}}) {
        QFont font(family);
        font.setPointSize(points);
        for (const QString& text : {u"gjpqy W"_qs, u"北京市 Text 中文"_qs, u"𠀀字 fi ffi"_qs,
                                    u"a\tb  "_qs, u"左\u2028右"_qs}) {
            const ShapedLine line(text, font);
            QCOMPARE(line.width(), QFontMetricsF(font).horizontalAdvance(text));
            QPainterPath outlines;
            outlines.addText(0, 0, font, QString(text).replace(QChar::LineSeparator, QString()));
            QVERIFY2(line.ink().adjusted(-1, -1, 1, 1).contains(outlines.boundingRect()),
                     qPrintable(text + QStringLiteral(" %1").arg(points)));
        }
    }
}

QTEST_MAIN(WaybillPdfTest)
#include "waybill_pdf_test.moc"
