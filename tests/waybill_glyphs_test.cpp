#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements.h"
#include "support/test_database.h"
#include "waybill/font_substitutions.h"
#include "waybill/glyph_coverage.h"
#include "waybill/pdf_export.h"
#include "waybill/waybill_layout.h"
#include "waybill/waybill_pages.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QProcess>
#include <QTest>

namespace {

// CJK Extensions B, A, B, B and B again (U+2A6D5, only in HanaMinB): none
// of them is in AR PL UMing CN.
const QString rare = QStringLiteral(u"𠮷㐀𪚥𠀀\U0002A6D5");
// The first character of each of CJK Extensions C, D, E and F.
const QString extensionsCtoF = QStringLiteral(u"\U0002A700\U0002B740\U0002B820\U0002CEB0");
// Extension G: no installed face has it.
const QString noGlyph = QString::fromUcs4(U"\U00030000");

constexpr int dotsPerPixel = 4; // rasterised at 384 dpi

QString run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The page of `variant` whose recipient `column` holds `value`, as a PDF.
QString printRecipient(const TestDatabase& db, WaybillVariant variant, const QString& column,
                       const QString& value, const QString& name)
{
    const bool imported = variant == WaybillVariant::ImportedBatch;
    db.exec(QStringLiteral("delete from %1").arg(imported ? "excel" : "inrxx"));
    QStringList row;
    for (const QString& c : Schema::recipientColumns())
        row << (c == column ? value : QString());
    db.insert(imported ? Schema::importedTable : Schema::recipientTable, row);

    Connection connection(db.session());
    connection.open();
    Dataset sender(connection);
    Dataset recipients(connection);
    sender.setQuery(Statements::selectSender());
    recipients.setQuery(imported ? Statements::selectImported() : Statements::selectRecipients());
    sender.open();
    recipients.open();
    const WaybillLayout layout = WaybillLayout::forWindow(variant);
    WaybillPages pages(layout, &sender, &recipients,
                       isBatch(variant) ? RecordMode::EveryRow : RecordMode::CurrentRow);
    const QString path = db.dir() + QLatin1Char('/') + name + QStringLiteral(".pdf");
    exportPdf(pages, path, db.session());
    return path;
}

QImage rasterise(const QString& pdf)
{
    const QString prefix = pdf.chopped(4);
    run(QStringLiteral("pdftoppm"),
        {"-r", QString::number(96 * dotsPerPixel), "-gray", "-singlefile", pdf, prefix});
    QImage image(prefix + QStringLiteral(".pgm"));
    if (image.isNull())
        qFatal("no picture of %s", qPrintable(pdf));
    return image.convertToFormat(QImage::Format_Grayscale8);
}

// The one-em cell of the i-th character of a line starting at `origin`.
QImage cell(const QImage& page, QPoint origin, int i)
{
    const int em = 16 * dotsPerPixel;
    return page.copy(origin.x() * dotsPerPixel + i * em, origin.y() * dotsPerPixel, em, em);
}

int inked(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
}

int differing(const QImage& a, const QImage& b)
{
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            n += qAbs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 96;
    return n;
}

} // namespace

class WaybillGlyphsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void fallbackFacesStandBehindUMing();
    void rareCharactersPrintFromTheFallbackFace_data();
    void rareCharactersPrintFromTheFallbackFace();
    void charactersWithoutGlyph_data();
    void charactersWithoutGlyph();
};

void WaybillGlyphsTest::fallbackFacesStandBehindUMing()
{
    // In this order before any face the system would offer, and installed.
    const QStringList cjk{QStringLiteral("AR PL UMing CN"), QStringLiteral("HanaMinA"),
                          QStringLiteral("HanaMinB")};
    for (const QString& family : {u"宋体"_qs, u"SimSun"_qs, u"Arial"_qs, u"MS Sans Serif"_qs}) {
        const QString chain = QFont::substitutes(family).join(u',');
        QVERIFY2(chain.endsWith(cjk.join(u',').toLower()), qPrintable(chain));
    }
    for (const QString& face : cjk)
        QVERIFY2(QFontDatabase::hasFamily(face), qPrintable(face));
}

void WaybillGlyphsTest::rareCharactersPrintFromTheFallbackFace_data()
{
    QTest::addColumn<WaybillVariant>("variant");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QPoint>("origin");
    QTest::newRow("宋体") << WaybillVariant::AddressBookSingle << QStringLiteral(u"收件人姓名")
                          << QPoint(288, 290);
    QTest::newRow("Arial") << WaybillVariant::ImportedBatch << QStringLiteral(u"收件地址")
                           << QPoint(88, 331);
}

void WaybillGlyphsTest::rareCharactersPrintFromTheFallbackFace()
{
    QFETCH(WaybillVariant, variant);
    QFETCH(QString, column);
    QFETCH(QPoint, origin);
    TestDatabase db;
    // A common character first: UMing stays the face of the line.
    const QString printed =
        printRecipient(db, variant, column, u"张"_qs + rare, QStringLiteral("rare"));
    const QString fonts = run(QStringLiteral("pdffonts"), {printed});
    for (const char* face : {"UMing", "HanaMinA", "HanaMinB"})
        QVERIFY2(fonts.contains(QLatin1String(face)), qPrintable(fonts));

    // The same line where no face has any of them: empty boxes, each
    // where the character would print if it had no glyph either.
    const QList<uint> characters = rare.toUcs4();
    const QImage boxes = rasterise(printRecipient(
        db, variant, column, u"张"_qs + noGlyph.repeated(characters.size()), "boxes"));
    const QImage page = rasterise(printed);
    for (int i = 1; i <= characters.size(); ++i) {
        const QImage glyph = cell(page, origin, i);
        const QByteArray which = QStringView(QChar::fromUcs4(characters.at(i - 1))).toUtf8();
        QVERIFY2(inked(glyph) > 200, which);
        QVERIFY2(differing(glyph, cell(boxes, origin, i)) > 200, which);
    }
}

void WaybillGlyphsTest::charactersWithoutGlyph_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("missing");
    for (const QString& family : {QStringLiteral(u"宋体"), QStringLiteral("Arial")}) {
        const QByteArray f = family.toUtf8() + ' ';
        QTest::newRow(f + "rare") << family << rare << QString();
        QTest::newRow(f + "Extensions C to F") << family << extensionsCtoF << QString();
        QTest::newRow(f + "common") << family << QStringLiteral(u"张三 Room 5, 深圳") << QString();
        QTest::newRow(f + "blanks and breaks")
            << family << QStringLiteral("\t \r\n\u200b") << QString();
        QTest::newRow(f + "none, once")
            << family << (u"甲"_qs + noGlyph + u"乙"_qs + noGlyph) << noGlyph;
        // Control characters the box stands for, unlike the invisible ones.
        QTest::newRow(f + "controls")
            << family << QStringLiteral(u"甲\u0001\u000b\u007f\u200b\u00ad乙")
            << QStringLiteral(u"\u0001\u000b\u007f");
    }
}

void WaybillGlyphsTest::charactersWithoutGlyph()
{
    QFETCH(QString, family);
    QFETCH(QString, text);
    QFETCH(QString, missing);
    QFont font(family);
    font.setPointSize(12);
    QCOMPARE(::charactersWithoutGlyph(font, text), missing);
}

QTEST_MAIN(WaybillGlyphsTest)
#include "waybill_glyphs_test.moc"
