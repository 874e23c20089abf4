#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements.h"
#include "support/command_line_run.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/barcode.h"
#include "waybill/calibration_store.h"
#include "waybill/font_substitutions.h"
#include "waybill/layout_template.h"
#include "waybill/pdf_export.h"
#include "waybill/print_error.h"
#include "waybill/printing/printing_job.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/layout_view.h"

#include <QAction>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <sys/resource.h>

namespace {

constexpr std::array variants{WaybillVariant::AddressBookSingle, WaybillVariant::ImportedSingle,
                              WaybillVariant::AddressBookBatch, WaybillVariant::ImportedBatch};

// Each word pdftotext finds, with its box, one a line.
QStringList bboxWords(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        qFatal("pdftotext did not finish");
    QStringList words;
    static const QRegularExpression element(QStringLiteral("<(page|word) [^>]*>[^<\\n]*"));
    for (const auto& m : element.globalMatch(QString::fromUtf8(p.readAllStandardOutput())))
        words << m.captured(0);
    return words;
}

QStringList values(const QStringList& columns, const QString& prefix)
{
    QStringList out;
    for (const QString& c : columns)
        out << prefix + c + QStringLiteral(u"一二三四五六七八九十甲乙丙丁戊己庚辛");
    return out;
}

} // namespace

class LayoutTemplateTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        installFontSubstitutions();
        // The template chosen in a window is kept; not for other tests.
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
    }
    void builtInTemplatesPrintTheCompiledInPages_data();
    void builtInTemplatesPrintTheCompiledInPages();
    void badTemplatesAreRefusedNamingFileAndItem_data();
    void badTemplatesAreRefusedNamingFileAndItem();
    void doubtfulItemsAreWarned();
    void commandLinePrintsATemplate();
    void calibrationIsKeptPerTemplateAndPrinter();
    void handWrittenLabelWithBarcodes();
    void unencodableValueStaysInItsItem();
    void barsAreWholeDotsOnALabelPrinter_data();
    void barsAreWholeDotsOnALabelPrinter();
    void parcelLabelIsBuiltIn();
    void printWindowPrintsTheTemplateChosen();
    void chosenTemplateAndItsPictureComeBackAtTheNextStart();
    void tallPageScrollsInTheView();
    void paperMetresLongStaysBoundedInTheView();

private:
    QTemporaryDir m_config;
};

void LayoutTemplateTest::builtInTemplatesPrintTheCompiledInPages_data()
{
    QTest::addColumn<WaybillVariant>("variant");
    for (const WaybillVariant v : variants)
        QTest::newRow(windowClassName(v).toLatin1()) << v;
}

// Every column filled past its box, so wrapping, dropped lines and boxes
// covering each other all show; two rows for the batch windows. The words
// and boxes are those the layouts compiled into earlier versions printed.
void LayoutTemplateTest::builtInTemplatesPrintTheCompiledInPages()
{
    QFETCH(WaybillVariant, variant);
    TestDatabase db;
    db.insert(Schema::senderTable, values(Schema::senderColumns(), QStringLiteral(u"寄")));
    for (const QString& table : {Schema::recipientTable, Schema::importedTable}) {
        db.insert(table, values(Schema::recipientColumns(), QStringLiteral(u"收")));
        db.insert(table, values(Schema::recipientColumns(), QStringLiteral("AB 12")));
    }
    Connection connection(db.session());
    connection.open();
    Dataset sender(connection);
    Dataset recipients(connection);
    sender.setQuery(Statements::selectSender());
    const bool imported =
        variant == WaybillVariant::ImportedSingle || variant == WaybillVariant::ImportedBatch;
    recipients.setQuery(imported ? Statements::selectImported() : Statements::selectRecipients());
    sender.open();
    recipients.open();

    const WaybillLayout layout = WaybillLayout::forWindow(variant);
    WaybillPages pages(layout, &sender, &recipients,
                       isBatch(variant) ? RecordMode::EveryRow : RecordMode::CurrentRow);
    const QString pdf = db.dir() + QStringLiteral("/out.pdf");
    exportPdf(pages, pdf, db.session());
    QFile expected(QStringLiteral(SF_TEST_DATA_DIR "/built_in_pages/") + windowClassName(variant) +
                   QStringLiteral(".txt"));
    QVERIFY(expected.open(QIODevice::ReadOnly));
    QCOMPARE(bboxWords(pdf),
             QString::fromUtf8(expected.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts));
}

void LayoutTemplateTest::badTemplatesAreRefusedNamingFileAndItem_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("message");
    const QByteArray head = R"({"format": 1, "paper": {"width_mm": 100, "height_mm": 150}, )";
    QTest::newRow("not json") << QByteArray("{\"format\": 1,") << u"不是有效的 JSON"_qs;
    // The reason in Chinese, the command line's too.
    QTest::newRow("unterminated text") << QByteArray("{\"name\": \"abc")
                                       << u"不是有效的 JSON（第 15 字节：文字缺少结尾的引号）"_qs;
    QTest::newRow("garbage at end")
        << QByteArray("{} x") << u"不是有效的 JSON（第 4 字节：结尾多出了内容）"_qs;
    QTest::newRow("no object") << QByteArray("[1]") << u"应为一个 JSON 对象"_qs;
    QTest::newRow("newer format") << QByteArray(R"({"format": 2})")
                                  << u"不认识的格式“2”（本程序读格式 1）"_qs;
    QTest::newRow("no format") << QByteArray("{}") << u"缺少“format”"_qs;
    QTest::newRow("no paper") << QByteArray(R"({"format": 1, "items": []})")
                              << u" 纸张：“width_mm”应为数字"_qs;
    QTest::newRow("unknown column")
        << head + R"("items": [{"id": "a", "kind": "field", "source": "recipient",
                     "column": "邮编", "x_mm": 1, "y_mm": 1}]})"
        << u"第 1 项（a）：收件人没有“邮编”这一栏"_qs;
    QTest::newRow("unknown source")
        << head + R"("items": [{"source": "shop", "column": "签名", "x_mm": 1, "y_mm": 1}]})"
        << u"第 1 项：“source”应为 sender 或 recipient，而不是“shop”"_qs;
    QTest::newRow("unknown kind") << head + R"("items": [{"kind": "line", "x_mm": 1, "y_mm": 1}]})"
                                  << u"第 1 项：不认识的“kind”：“line”"_qs;
    QTest::newRow("position not a number")
        << head + R"("items": [{"kind": "text", "text": "x", "x_mm": "1", "y_mm": 1}]})"
        << u"第 1 项：“x_mm”应为数字"_qs;
    QTest::newRow("wrap without width")
        << head + R"("items": [{"kind": "text", "text": "x", "x_mm": 1, "y_mm": 1,
                     "wrap": "gb-bytes"}]})"
        << u"第 1 项：“wrap_width”应为数字"_qs;
    QTest::newRow("page of no PDF")
        << head + R"("background": {"file": "scan.pdf", "page": 1.5}, "items": []})"
        << u" 底图：“page”应为从 1 起的页码，而不是 1.5"_qs;
    QTest::newRow("huge paper") << QByteArray(R"({"format": 1, "paper": {"width_mm": 1e9,
                                                  "height_mm": 1}, "items": []})")
                                << u"“width_mm”应在 0 到 10000 毫米之间"_qs;
}

void LayoutTemplateTest::badTemplatesAreRefusedNamingFileAndItem()
{
    QFETCH(QByteArray, json);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral(u"面单.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(json);
    file.close();
    try {
        LayoutTemplates::read(path);
        QFAIL("read");
    } catch (const PrintError& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral(u"模板 ") + path), qPrintable(e.text()));
        QVERIFY2(e.text().contains(message), qPrintable(e.text()));
    }
}

void LayoutTemplateTest::doubtfulItemsAreWarned()
{
    const QByteArray json = R"({"format": 1, "name": "标签", "colour": "red",
        "paper": {"width_mm": 100, "height_mm": 150},
        "items": [
          {"kind": "text", "text": "√", "x_mm": 95, "y_mm": 10, "width_mm": 10, "height_mm": 5},
          {"kind": "field", "source": "sender", "column": "签名", "x_mm": 5, "y_mm": 5,
           "font": "No Such Face 9"},
          {"kind": "field", "source": "recipient", "column": "备注", "x_mm": 5, "y_mm": 20},
          {"kind": "barcode", "symbology": "code128", "text": "顺丰", "x_mm": 5, "y_mm": 40,
           "width_mm": 60, "height_mm": 15}]})";
    QStringList warnings;
    const LayoutTemplate t = LayoutTemplates::parse(json, QStringLiteral("a.json"), &warnings);
    QCOMPARE(
        warnings.mid(0, 3),
        QStringList({u"模板 a.json：不认识“colour”，已忽略"_qs,
                     u"模板 a.json 第 1 项：超出纸边（纸 100 × 150 毫米），超出的部分印不出"_qs,
                     u"模板 a.json 第 2 项：字体“No Such Face 9”未安装，以替代字体打印"_qs}));
    // The reason after it is libzint's own.
    QCOMPARE(warnings.size(), 4);
    QVERIFY2(warnings[3].startsWith(u"模板 a.json 第 4 项：Code 128 无法编码“顺丰”"_qs) &&
                 warnings[3].endsWith(u"，条码未打印"_qs),
             qPrintable(warnings[3]));
    QCOMPARE(t.name, u"标签"_qs);
    QCOMPARE(t.items.size(), 4);
    QCOMPARE(t.items.at(0).kind, TemplateItem::Kind::Text);
    QCOMPARE(t.items.at(0).text, u"√"_qs);
    QCOMPARE(t.items.at(1).role, RecordRole::Sender);
    QCOMPARE(t.items.at(2).font, u"宋体"_qs);
}

// A template file printed in place of a window's page: its paper, its
// items where it puts them, its doubtful items told, its name in the log.
void LayoutTemplateTest::commandLinePrintsATemplate()
{
    TestDatabase db;
    QStringList recipient = values(Schema::recipientColumns(), {});
    recipient[Schema::recipientColumns().indexOf(u"收件人姓名"_qs)] = u"张三"_qs;
    db.insert(Schema::recipientTable, recipient);
    QFile file(db.dir() + QStringLiteral("/label.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "name": "小标签", "paper": {"width_mm": 80, "height_mm": 60},
        "background": {"file": "no-such-scan.png", "dpi": 150},
        "items": [
          {"kind": "field", "source": "recipient", "column": "收件人姓名", "x_mm": 10.3,
           "y_mm": 12.7, "width_mm": 30, "height_mm": 6},
          {"kind": "text", "text": "ACCOUNT7", "x_mm": 40.15, "y_mm": 30.55, "size_pt": 10},
          {"kind": "text", "text": "EDGE", "x_mm": 75, "y_mm": 50, "width_mm": 10}]})");
    file.close();
    const CommandLineRun run = runCommandLine(
        {"print", "--template", file.fileName(), "--pdf", QStringLiteral("label.pdf")});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains(u"模板 "_qs + file.fileName() + u" 第 3 项：超出纸边"_qs),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(u"no-such-scan.png：不是可读的图片"_qs), qPrintable(run.err));
    const QStringList words = bboxWords(db.dir() + QStringLiteral("/label.pdf"));
    QCOMPARE(words.size(), 4);
    const auto attribute = [](const QString& word, const char* name) {
        const QRegularExpression re(QStringLiteral(" %1=\"([0-9.]+)\"").arg(QLatin1String(name)));
        return re.match(word).captured(1).toDouble() * 25.4 / 72;
    };
    QCOMPARE(qRound(attribute(words[0], "width") * 1000), 80000);
    QCOMPARE(qRound(attribute(words[0], "height") * 1000), 60000);
    QVERIFY(words[1].endsWith(u">张三"_qs));
    QVERIFY(qAbs(attribute(words[1], "xMin") - 10.3) < 0.1);
    QVERIFY(qAbs(attribute(words[1], "yMin") - 12.7) < 0.3);
    QVERIFY(words[2].endsWith(u">ACCOUNT7"_qs));
    QVERIFY(qAbs(attribute(words[2], "xMin") - 40.15) < 0.1);
    QVERIFY(qAbs(attribute(words[2], "yMin") - 30.55) < 0.3);

    const CommandLineRun log = runCommandLine({"log"});
    QVERIFY2(log.out.contains(u"\tTSf1Form 模板 小标签\t"_qs), qPrintable(log.out));

    const CommandLineRun missing =
        runCommandLine({"print", "--template", "no-such", "--pdf", QStringLiteral("x.pdf")});
    QCOMPARE(missing.status, 1);
    QVERIFY(missing.err.contains(u"没有模板“no-such”"_qs));
}

void LayoutTemplateTest::calibrationIsKeptPerTemplateAndPrinter()
{
    CalibrationStore store;
    const Calibration sf{{3}, {-2}, {}};
    const Calibration label{{-7}, {5}, QFont(QStringLiteral("DejaVu Sans"), 9)};
    store.save(QStringLiteral("P"), sf);
    store.save(QStringLiteral("P"), label, u"标签/一"_qs);
    QCOMPARE(store.load(QStringLiteral("P")), sf);
    QCOMPARE(store.load(QStringLiteral("P"), u"标签/一"_qs), label);
    QCOMPARE(store.load(QStringLiteral("P"), u"标签"_qs), std::nullopt);
    QCOMPARE(store.load(QStringLiteral("Q"), u"标签/一"_qs), std::nullopt);
    store.clear(QStringLiteral("P"));
    QCOMPARE(store.load(QStringLiteral("P"), u"标签/一"_qs), label);
    store.clear(QStringLiteral("P"), u"标签/一"_qs);
    QCOMPARE(store.load(QStringLiteral("P"), u"标签/一"_qs), std::nullopt);
    QVERIFY(store.isEmpty());
}

// A label written by hand on a paper none of the built-in templates has:
// every text starts where its item says, and every barcode reads back.
void LayoutTemplateTest::handWrittenLabelWithBarcodes()
{
    TestDatabase db;
    QStringList recipient = values(Schema::recipientColumns(), {});
    const auto set = [&](const char16_t* column, const QString& value) {
        recipient[Schema::recipientColumns().indexOf(QString::fromUtf16(column))] = value;
    };
    set(u"收件人姓名", u"王五"_qs);
    set(u"手机号码", u"13912345678"_qs);
    set(u"收件地址", u"上海市浦东新区某路9号"_qs);
    db.insert(Schema::recipientTable, recipient);
    QStringList sender = values(Schema::senderColumns(), {});
    sender[Schema::senderColumns().indexOf(u"寄件人姓名"_qs)] = u"赵六"_qs;
    db.insert(Schema::senderTable, sender);
    QFile file(db.dir() + QStringLiteral("/hand.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "name": "手写标签", "paper": {"width_mm": 120.5, "height_mm": 83},
        "items": [
          {"kind": "field", "source": "recipient", "column": "收件人姓名", "x_mm": 7.3,
           "y_mm": 6.1, "width_mm": 40, "height_mm": 8, "size_pt": 16},
          {"kind": "field", "source": "recipient", "column": "收件地址", "x_mm": 7.3,
           "y_mm": 15.45, "width_mm": 60, "height_mm": 6},
          {"kind": "field", "source": "sender", "column": "寄件人姓名", "x_mm": 80.17,
           "y_mm": 6.1, "width_mm": 30, "height_mm": 6, "size_pt": 10},
          {"kind": "text", "text": "月结0123", "x_mm": 80.17, "y_mm": 13.9, "size_pt": 9},
          {"kind": "text", "text": "√", "x_mm": 112.2, "y_mm": 74.05, "width_mm": 5},
          {"kind": "barcode", "symbology": "code128", "source": "recipient",
           "column": "手机号码", "x_mm": 8, "y_mm": 28, "width_mm": 70, "height_mm": 18},
          {"kind": "barcode", "symbology": "qr", "text": "SF0012345678", "x_mm": 85,
           "y_mm": 28, "width_mm": 28, "height_mm": 28}]})");
    file.close();
    const CommandLineRun run =
        runCommandLine({"print", "--template", file.fileName(), "--pdf", "hand.pdf"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err, QString());

    const QStringList words = bboxWords(db.dir() + QStringLiteral("/hand.pdf"));
    const auto mm = [](const QString& word, const char* name) {
        const QRegularExpression re(QStringLiteral(" %1=\"([0-9.]+)\"").arg(QLatin1String(name)));
        return re.match(word).captured(1).toDouble() * 25.4 / 72;
    };
    QCOMPARE(qRound(mm(words.value(0), "width") * 1000), 120500);
    QCOMPARE(qRound(mm(words.value(0), "height") * 1000), 83000);
    const QList<std::tuple<QString, double, double>> texts{
        {u"王五"_qs, 7.3, 6.1},
        {u"上海市浦东新区某路9号"_qs, 7.3, 15.45},
        {u"赵六"_qs, 80.17, 6.1},
        {u"月结0123"_qs, 80.17, 13.9},
        {u"√"_qs, 112.2, 74.05}};
    QCOMPARE(words.size(), texts.size() + 1);
    for (const auto& [text, x, y] : texts) {
        const auto word = std::find_if(words.begin(), words.end(), [&](const QString& w) {
            return w.endsWith(QLatin1Char('>') + text);
        });
        QVERIFY2(word != words.end(), qPrintable(text));
        QVERIFY2(qAbs(mm(*word, "xMin") - x) <= 0.1, qPrintable(*word));
        QVERIFY2(qAbs(mm(*word, "yMin") - y) <= 0.3, qPrintable(*word));
    }

    QProcess render;
    render.setWorkingDirectory(db.dir());
    render.start(QStringLiteral("pdftoppm"),
                 {"-r", "300", "-png", "-singlefile", "hand.pdf", "hand"});
    QVERIFY(render.waitForFinished(60000) && render.exitCode() == 0);
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {"-q", db.dir() + QStringLiteral("/hand.png")});
    QVERIFY(zbar.waitForFinished(60000));
    QStringList decoded = QString::fromUtf8(zbar.readAllStandardOutput())
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    decoded.sort();
    QCOMPARE(decoded, QStringList({"CODE-128:13912345678", "QR-Code:SF0012345678"}));
}

// No bars to centre it under: the value still starts inside its item,
// not half its width to the left, past the paper's edge.
void LayoutTemplateTest::unencodableValueStaysInItsItem()
{
    TestDatabase db;
    db.insert(Schema::recipientTable, values(Schema::recipientColumns(), {}));
    QFile file(db.dir() + QStringLiteral("/bad.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "paper": {"width_mm": 100, "height_mm": 50},
        "items": [{"kind": "barcode", "symbology": "code128", "text": "条码", "x_mm": 2,
                   "y_mm": 5, "width_mm": 60, "height_mm": 15, "human_readable": true}]})");
    file.close();
    const CommandLineRun run =
        runCommandLine({"print", "--template", file.fileName(), "--pdf", "bad.pdf"});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains(u"无法编码"_qs), qPrintable(run.err));
    const QStringList words = bboxWords(db.dir() + QStringLiteral("/bad.pdf"));
    QCOMPARE(words.size(), 2);
    const QRegularExpression left(QStringLiteral(" xMin=\"([0-9.]+)\""));
    const double xMm = left.match(words.at(1)).captured(1).toDouble() * 25.4 / 72;
    QVERIFY2(xMm >= 2 - 0.1, qPrintable(words.at(1)));
}

void LayoutTemplateTest::barsAreWholeDotsOnALabelPrinter_data()
{
    QTest::addColumn<int>("dpi");
    QTest::addColumn<Symbology>("symbology");
    for (const int dpi : {203, 300}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 code128").arg(dpi)))
            << dpi << Symbology::Code128;
        QTest::newRow(qPrintable(QStringLiteral("%1 qr").arg(dpi))) << dpi << Symbology::Qr;
    }
}

// On a label printer's dots every bar and space is a whole number of
// modules of the same whole number of dots, so the narrow bars are alike.
void LayoutTemplateTest::barsAreWholeDotsOnALabelPrinter()
{
    QFETCH(int, dpi);
    QFETCH(Symbology, symbology);
    const Barcode barcode = Barcode::encode(symbology, QStringLiteral("13912345678"));
    QVERIFY(barcode.isValid());
    QImage image(1200, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    {
        QPainter painter(&image);
        painter.scale(dpi / 96.0, dpi / 96.0);
        // 55.3 mm wide from 7.77 mm: neither falls on a dot.
        barcode.draw(painter, QRectF(29.37, 20.11, 209.0, 180.0));
    }
    const int module =
        int(std::lround(barcode.moduleWidth(QRectF(0, 0, 209.0, 180.0), dpi) * dpi / 96.0));
    QVERIFY(module >= 1);
    const int y = int(std::lround(20.11 * dpi / 96.0)) + module / 2;
    int runs = 0;
    int run = 0;
    int first = -1;
    for (int x = 0; x < image.width(); ++x) {
        const bool dark = qGray(image.pixel(x, y)) < 128;
        if (dark && first < 0)
            first = x;
        if (first < 0)
            continue;
        if (dark) {
            ++run;
        } else if (run > 0) {
            QCOMPARE(run % module, 0);
            ++runs;
            run = 0;
        }
    }
    QVERIFY(runs > 3);
    QCOMPARE(first, int(std::lround(29.37 * dpi / 96.0)));
}

void LayoutTemplateTest::parcelLabelIsBuiltIn()
{
    const LayoutTemplate* label = LayoutTemplates::builtIn(u"parcel-label-100x150"_qs);
    QVERIFY(label);
    QCOMPARE(label->paperMm, QSizeF(100, 150));
    QVERIFY(LayoutTemplates::builtInNames().contains(u"parcel-label-100x150"_qs));
    const auto barcode = std::find_if(label->items.begin(), label->items.end(), [](const auto& i) {
        return i.kind == TemplateItem::Kind::Barcode;
    });
    QVERIFY(barcode != label->items.end());
    QCOMPARE(barcode->column, u"手机号码"_qs);
    QCOMPARE(barcode->role, RecordRole::Recipient);
}

// "模板" → "打开模板文件…" in a batch window: the view shows the
// template's items, the pages are its own, on its paper, one per row;
// choosing the window's own template brings its page back.
void LayoutTemplateTest::printWindowPrintsTheTemplateChosen()
{
    TestDatabase db;
    for (const QString& name : {u"张三"_qs, u"李四"_qs}) {
        QStringList recipient = values(Schema::recipientColumns(), {});
        recipient[Schema::recipientColumns().indexOf(u"收件人姓名"_qs)] = name;
        db.insert(Schema::recipientTable, recipient);
    }
    QFile file(db.dir() + QStringLiteral("/window.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "name": "窗口标签", "paper": {"width_mm": 60, "height_mm": 40},
        "background": {"file": "scan.png", "dpi": 200},
        "items": [{"id": "name", "source": "recipient", "column": "收件人姓名", "x_mm": 5,
                   "y_mm": 5, "width_mm": 40, "height_mm": 6},
                  {"id": "mark", "kind": "text", "text": "√", "x_mm": 50, "y_mm": 5,
                   "width_mm": 5, "height_mm": 6, "font": "No Such Face 9"}]})");
    file.close();
    ScriptedDialogs dialogs;
    BatchPrintWindow window(db.session());
    dialogs.files.enqueue(file.fileName());
    window.openTemplateFile();
    QCOMPARE(window.layout().templateName(), u"窗口标签"_qs);
    QCOMPARE(window.layout().pictureBox(), QRect(0, 0, 227, 151));
    QVERIFY(dialogs.lastText().contains(u"字体“No Such Face 9”未安装"_qs));
    QVERIFY(window.view().findChild<QWidget*>(QStringLiteral("name")));
    QVERIFY(!window.view().findChild<QWidget*>(QStringLiteral("QRDBText1")));

    const QString pdf = db.dir() + QStringLiteral("/window.pdf");
    dialogs.previewActions.enqueue([&](QWidget*, PageSource& pages, PrintJob& job) {
        job.setOutputFile(pdf);
        job.run(pages);
    });
    window.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    const QStringList words = bboxWords(pdf);
    QCOMPARE(words.size(), 6);
    QVERIFY2(words[0].contains(u"width=\"170.07"_qs), qPrintable(words[0]));
    QVERIFY(words[1].endsWith(u">张三"_qs));
    QVERIFY(words[4].endsWith(u">李四"_qs));

    window.useTemplate(LayoutTemplates::builtIn(WaybillVariant::AddressBookBatch));
    QVERIFY(window.layout().isWindowsOwn());
    QCOMPARE(window.layout().placements().size(), 16);
    QVERIFY(window.view().findChild<QWidget*>(QStringLiteral("QRDBText1")));
    QVERIFY(!window.view().findChild<QWidget*>(QStringLiteral("name")));
}

// The picture is shown in the view, never printed; the choice outlives the
// window, and a picture that cannot be read is named and leaves it printable.
void LayoutTemplateTest::chosenTemplateAndItsPictureComeBackAtTheNextStart()
{
    TestDatabase db;
    QImage scan(200, 100, QImage::Format_RGB32); // 25.4 x 12.7 mm at 200 dpi
    scan.fill(Qt::red);
    QVERIFY(scan.save(db.dir() + QStringLiteral("/scan.png")));
    QFile file(db.dir() + QStringLiteral("/scanned.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "name": "扫描标签", "paper": {"width_mm": 60, "height_mm": 40},
        "background": {"file": "scan.png", "x_mm": 10, "y_mm": 10, "dpi": 200},
        "items": [{"id": "name", "source": "recipient", "column": "收件人姓名", "x_mm": 40,
                   "y_mm": 30, "width_mm": 15, "height_mm": 6}]})");
    file.close();
    ScriptedDialogs dialogs;
    {
        BatchPrintWindow window(db.session());
        dialogs.files.enqueue(file.fileName());
        window.openTemplateFile();
        QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.lastText()));
    }
    BatchPrintWindow again(db.session());
    QCOMPARE(again.layout().templateName(), u"扫描标签"_qs);
    const QImage shown = again.view().grab().toImage();
    const auto px = [](double mm) { return int(mm * 96 / 25.4); };
    QCOMPARE(shown.pixelColor(px(15), px(15)), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(px(5), px(5)), QColor(Qt::white));

    // A picture broken since: named, and the page prints without it.
    QFile broken(db.dir() + QStringLiteral("/scan.png"));
    QVERIFY(broken.open(QIODevice::WriteOnly | QIODevice::Truncate));
    broken.write("no picture");
    broken.close();
    dialogs.files.enqueue(file.fileName());
    again.openTemplateFile();
    QVERIFY2(dialogs.lastText().contains(db.dir() + QStringLiteral("/scan.png")),
             qPrintable(dialogs.lastText()));
    QCOMPARE(again.layout().templateName(), u"扫描标签"_qs);

    again.useTemplate(LayoutTemplates::builtIn(WaybillVariant::AddressBookBatch));
    BatchPrintWindow own(db.session());
    QVERIFY(own.layout().isWindowsOwn());
}

// The built-in form fills the view; a 150 mm label's foot is scrolled to.
void LayoutTemplateTest::tallPageScrollsInTheView()
{
    TestDatabase db;
    ScriptedDialogs dialogs;
    BatchPrintWindow window(db.session());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    LayoutView& view = window.view();
    QCOMPARE(view.verticalScrollBar()->maximum(), 0);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);

    LayoutTemplate label;
    label.name = u"高标签"_qs;
    label.paperMm = QSizeF(100, 150);
    TemplateItem foot;
    foot.kind = TemplateItem::Kind::Text;
    foot.id = u"foot"_qs;
    foot.text = u"底"_qs;
    foot.boxMm = QRectF(5, 143, 20, 6);
    label.items << foot;
    window.useTemplate(label);
    QTest::qWait(0);
    auto* box = view.findChild<QWidget*>(u"foot"_qs);
    QVERIFY(box);
    QVERIFY(view.verticalScrollBar()->isVisible());
    QVERIFY(!view.viewport()->rect().contains(box->geometry()));
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum());
    QVERIFY2(view.viewport()->rect().contains(box->geometry()),
             qPrintable(QDebug::toString(box->geometry())));
    // The paper's foot is in sight too.
    QCOMPARE(view.verticalScrollBar()->maximum() + view.viewport()->height(),
             qRound(150 * 96 / 25.4));
}

namespace {

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// A paper and its picture five metres square are shown coarser: kept at
// their size on screen they would take 1.4 GB each.
void LayoutTemplateTest::paperMetresLongStaysBoundedInTheView()
{
    TestDatabase db;
    QImage scan(20, 20, QImage::Format_RGB32);
    scan.fill(Qt::blue);
    QVERIFY(scan.save(db.dir() + QStringLiteral("/scan.png")));
    QFile file(db.dir() + QStringLiteral("/roll.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "name": "长卷", "paper": {"width_mm": 5000, "height_mm": 5000},
        "background": {"file": "scan.png", "width_mm": 5000, "height_mm": 5000}, "items": []})");
    file.close();
    ScriptedDialogs dialogs;
    BatchPrintWindow window(db.session());
    const long before = peakKiB();
    dialogs.files.enqueue(file.fileName());
    window.openTemplateFile();
    const QImage shown = window.view().grab().toImage();
    QVERIFY2(peakKiB() - before < 400 * 1024, qPrintable(QString::number(peakKiB() - before)));
    QCOMPARE(shown.pixelColor(10, 10), QColor(Qt::blue));
}

QTEST_MAIN(LayoutTemplateTest)
#include "layout_template_test.moc"
