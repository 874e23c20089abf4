#include "store/command_error.h"
#include "waybill/blank_form.h"
#include "waybill/blank_form_picture.h"
#include "waybill/font_substitutions.h"
#include "waybill/page_renderer.h"
#include "waybill/waybill_layout.h"
#include "waybill/windows/layout_view.h"

#include <QFile>
#include <QFontInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <climits>

namespace {

const QList<WaybillVariant> allVariants{
    WaybillVariant::AddressBookSingle, WaybillVariant::ImportedSingle,
    WaybillVariant::AddressBookBatch, WaybillVariant::ImportedBatch};

QStringList names(const QList<const FieldPlacement*>& placements)
{
    QStringList out;
    for (const FieldPlacement* p : placements)
        out << p->controlName();
    return out;
}

const FieldPlacement& find(const WaybillLayout& layout, RecordRole role, const QString& column)
{
    for (const FieldPlacement& p : layout.placements()) {
        if (p.role() == role && p.column() == column)
            return p;
    }
    qFatal("no placement %s", qPrintable(column));
}

QRect geometry(const FieldPlacement& p)
{
    return {p.left().value, p.top().value, p.width().value, p.height().value};
}

} // namespace

class WaybillLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void catalogueOfTheAddressBookSingleWindow();
    void differencesOfTheOtherWindows_data();
    void differencesOfTheOtherWindows();
    void drawingAndPlacementOrder();
    void shiftsMoveEveryPlacementAndItsMillimetres();
    void shiftsStopAtTheIntegerRange();
    void oneFontForAllPlacements();
    void facesResolveToInstalledFonts();
    void everyPlacementFallsIntoItsBoxOfTheForm();
    void pictureIsOurJpegAt150PerInch();
    void brokenJpegIsAnError();
    void viewShowsPictureAndPlaceholders();
    void viewScalesThePictureSmoothly();
    void clicksOnThePictureAndOnPlacements();
    void viewFollowsShiftsAndFont();
};

void WaybillLayoutTest::catalogueOfTheAddressBookSingleWindow()
{
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    QCOMPARE(layout.placements().size(), 16);
    QCOMPARE(layout.pictureBox(), QRect(0, 0, 816, 529));
    QCOMPARE(WaybillLayout::paperSizeMm(), QSizeF(216.0, 140.0));
    QCOMPARE(WaybillLayout::detailSize(), QSize(816, 529));

    const FieldPlacement* name = layout.placement(QStringLiteral("QRDBText1"));
    QVERIFY(name);
    QCOMPARE(name->role(), RecordRole::Sender);
    QCOMPARE(name->column(), QStringLiteral(u"寄件人姓名"));
    QCOMPARE(geometry(*name), QRect(288, 137, 81, 17));
    QCOMPARE(name->left().toMillimetres().value, 76.2);
    QCOMPARE(qRound(name->top().toMillimetres().value * 100), 3625);
    QCOMPARE(qRound(name->width().toMillimetres().value * 100), 2143);
    QCOMPARE(qRound(name->height().toMillimetres().value * 100), 450);
    QVERIFY(!name->isWrapped());

    const FieldPlacement* remark = layout.placement(QStringLiteral("QRDBText6"));
    QCOMPARE(remark->role(), RecordRole::Recipient);
    QCOMPARE(remark->column(), QStringLiteral(u"备注"));
    QCOMPARE(geometry(*remark), QRect(576, 472, 33, 41));
    QCOMPARE(remark->wrapWidth(), 16);
    QCOMPARE(qRound(remark->left().toMillimetres().value * 100), 15240);
    QCOMPARE(qRound(remark->top().toMillimetres().value * 100), 12488);

    QCOMPARE(layout.placement(QStringLiteral("QRDBText4"))->wrapWidth(), 22);
    QCOMPARE(layout.placement(QStringLiteral("QRDBText11"))->wrapWidth(), 22);
    QCOMPARE(layout.placement(QStringLiteral("QRDBText5"))->wrapWidth(), 30);
    QCOMPARE(layout.placement(QStringLiteral("QRDBText12"))->wrapWidth(), 30);
    QCOMPARE(geometry(*layout.placement(QStringLiteral("QRDBText12"))), QRect(88, 325, 65, 44));
    QCOMPARE(geometry(*layout.placement(QStringLiteral("QRDBText9"))), QRect(262, 370, 65, 17));
    QCOMPARE(geometry(*layout.placement(QStringLiteral("QRDBText18"))), QRect(646, 344, 17, 17));
    QCOMPARE(layout.placement(QStringLiteral("QRDBText15")), nullptr);
    QCOMPARE(layout.placement(QStringLiteral("QRDBText16")), nullptr);

    int wrapped = 0;
    for (const FieldPlacement& p : layout.placements()) {
        QCOMPARE(p.font().family(), QStringLiteral(u"宋体"));
        QCOMPARE(p.font().pointSize(), 12);
        QVERIFY(!p.font().bold() && !p.font().italic() && !p.font().underline());
        QVERIFY(p.column() != QStringLiteral(u"年"));
        wrapped += p.isWrapped();
    }
    QCOMPARE(wrapped, 5);
}

void WaybillLayoutTest::differencesOfTheOtherWindows_data()
{
    QTest::addColumn<WaybillVariant>("variant");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("expected");
    const int s = int(RecordRole::Sender);
    const int r = int(RecordRole::Recipient);
    const auto E = WaybillVariant::ImportedSingle;
    const auto P = WaybillVariant::AddressBookBatch;
    const auto EP = WaybillVariant::ImportedBatch;
    QTest::newRow("E company") << E << s << u"单位名称"_qs << "QRDBText4"
                               << QRect(104, 137, 65, 40);
    QTest::newRow("E address") << E << s << u"寄件地址"_qs << "QRDBText5" << QRect(88, 173, 65, 44);
    QTest::newRow("E month") << E << s << u"月"_qs << "QRDBText17" << QRect(602, 346, 17, 17);
    QTest::newRow("E day") << E << s << u"日"_qs << "QRDBText18" << QRect(646, 346, 17, 17);
    QTest::newRow("E goods") << E << r << u"内件品名"_qs << "QRDBText13" << QRect(96, 444, 65, 17);
    QTest::newRow("E name") << E << s << u"寄件人姓名"_qs << "QRDBText1" << QRect(288, 137, 81, 17);
    QTest::newRow("P company") << P << s << u"单位名称"_qs << "QRDBText4"
                               << QRect(104, 140, 65, 37);
    QTest::newRow("P month") << P << s << u"月"_qs << "QRDBText16" << QRect(602, 348, 17, 17);
    QTest::newRow("P day") << P << s << u"日"_qs << "QRDBText17" << QRect(645, 348, 17, 17);
    QTest::newRow("P phone") << P << r << u"联系电话"_qs << "QRDBText9" << QRect(270, 374, 65, 17);
    QTest::newRow("P address") << P << r << u"收件地址"_qs << "QRDBText12"
                               << QRect(88, 328, 65, 41);
    QTest::newRow("P goods") << P << r << u"内件品名"_qs << "QRDBText13" << QRect(88, 448, 65, 17);
    QTest::newRow("P quantity") << P << r << u"数量"_qs << "QRDBText14" << QRect(320, 445, 33, 17);
    QTest::newRow("P remark") << P << r << u"备注"_qs << "QRDBText6" << QRect(576, 476, 33, 41);
    QTest::newRow("P signature") << P << s << u"签名"_qs << "QRDBText7" << QRect(664, 296, 33, 17);
    QTest::newRow("EP month") << EP << s << u"月"_qs << "QRDBText17" << QRect(600, 348, 17, 17);
    QTest::newRow("EP address") << EP << r << u"收件地址"_qs << "QRDBText12"
                                << QRect(88, 331, 65, 41);
    QTest::newRow("EP goods") << EP << r << u"内件品名"_qs << "QRDBText13"
                              << QRect(96, 448, 65, 17);
    QTest::newRow("EP remark") << EP << r << u"备注"_qs << "QRDBText6" << QRect(576, 475, 33, 41);
    QTest::newRow("EP company") << EP << r << u"单位名称"_qs << "QRDBText11"
                                << QRect(104, 294, 65, 35);
}

void WaybillLayoutTest::differencesOfTheOtherWindows()
{
    QFETCH(WaybillVariant, variant);
    QFETCH(int, role);
    QFETCH(QString, column);
    QFETCH(QString, control);
    QFETCH(QRect, expected);
    const WaybillLayout layout = WaybillLayout::forWindow(variant);
    const FieldPlacement& p = find(layout, RecordRole(role), column);
    QCOMPARE(p.controlName(), control);
    QCOMPARE(geometry(p), expected);
    QCOMPARE(p.top().toMillimetres().value, expected.top() * 25.4 / 96);
    QCOMPARE(layout.pictureBox().top(), isBatch(variant) ? 3 : 0);
    const FieldPlacement& address = find(layout, RecordRole::Recipient, u"收件地址"_qs);
    const bool arial = variant == WaybillVariant::ImportedBatch;
    QCOMPARE(address.font().family(), arial ? u"Arial"_qs : u"宋体"_qs);
}

void WaybillLayoutTest::drawingAndPlacementOrder()
{
    const QStringList single{"QRDBText9",  "QRDBText8",  "QRDBText4",  "QRDBText3",
                             "QRDBText2",  "QRDBText11", "QRDBText10", "QRDBText1",
                             "QRDBText7",  "QRDBText12", "QRDBText5",  "QRDBText6",
                             "QRDBText13", "QRDBText14", "QRDBText17", "QRDBText18"};
    QCOMPARE(names(WaybillLayout::forWindow(WaybillVariant::AddressBookSingle).drawingOrder()),
             single);
    QStringList batch = single;
    batch.replace(14, QStringLiteral("QRDBText16"));
    batch.replace(15, QStringLiteral("QRDBText17"));
    QCOMPARE(names(WaybillLayout::forWindow(WaybillVariant::AddressBookBatch).drawingOrder()),
             batch);
    const WaybillLayout imported = WaybillLayout::forWindow(WaybillVariant::ImportedBatch);
    QStringList order;
    for (const FieldPlacement& p : imported.placements())
        order << p.controlName();
    QCOMPARE(order, (QStringList{"QRDBText1", "QRDBText2", "QRDBText3", "QRDBText4", "QRDBText5",
                                 "QRDBText6", "QRDBText7", "QRDBText8", "QRDBText9", "QRDBText10",
                                 "QRDBText11", "QRDBText12", "QRDBText13", "QRDBText14",
                                 "QRDBText17", "QRDBText18"}));
    for (WaybillVariant v : allVariants) {
        QCOMPARE(variantForWindow(windowClassName(v)), std::optional(v));
        QCOMPARE(isBatch(v), windowClassName(v).contains(QStringLiteral("Pl")));
    }
    QCOMPARE(variantForWindow(QStringLiteral("TForm1")), std::nullopt);
}

void WaybillLayoutTest::shiftsMoveEveryPlacementAndItsMillimetres()
{
    WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::ImportedSingle);
    const WaybillLayout atRest = layout;
    layout.shiftLeft(5);
    layout.shiftLeft(5);
    layout.shiftTop(12);
    for (int i = 0; i < 16; ++i) {
        const FieldPlacement& moved = layout.placements().at(i);
        const FieldPlacement& before = atRest.placements().at(i);
        QCOMPARE(moved.left().value, before.left().value + 10);
        QCOMPARE(moved.top().value, before.top().value + 12);
        QCOMPARE(moved.width(), before.width());
        QCOMPARE(moved.left().toMillimetres().value, (before.left().value + 10) * 25.4 / 96);
        QVERIFY(qAbs(moved.top().toMillimetres().value - before.top().toMillimetres().value -
                     3.175) < 1e-9);
    }
    QCOMPARE(layout.pictureBox(), atRest.pictureBox());
    layout.shiftLeft(-10);
    layout.shiftTop(-12);
    for (int i = 0; i < 16; ++i)
        QCOMPARE(layout.placements().at(i).left().toMillimetres(),
                 atRest.placements().at(i).left().toMillimetres());
}

void WaybillLayoutTest::shiftsStopAtTheIntegerRange()
{
    WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    layout.shiftLeft(INT_MAX);
    layout.shiftLeft(INT_MAX);
    QCOMPARE(layout.placements().first().left().value, INT_MAX);
    layout.shiftTop(INT_MIN);
    layout.shiftTop(INT_MIN);
    QCOMPARE(layout.placements().first().top().value, INT_MIN);
    QVERIFY(layout.placements().first().top().toMillimetres().value < 0);
}

void WaybillLayoutTest::oneFontForAllPlacements()
{
    WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::ImportedBatch);
    QFont chosen(QStringLiteral("MS Sans Serif"));
    chosen.setPointSize(16);
    chosen.setBold(true);
    layout.setFont(chosen);
    for (const FieldPlacement& p : layout.placements())
        QCOMPARE(p.font(), chosen);
    QCOMPARE(PageRenderer::lineHeight(chosen), 16 * 96.0 / 72);
    QCOMPARE(PageRenderer::lineHeight(FieldPlacement::defaultFont()), 16.0);
}

void WaybillLayoutTest::facesResolveToInstalledFonts()
{
    QCOMPARE(QFontInfo(QFont(QStringLiteral(u"宋体"))).family(), QStringLiteral("AR PL UMing CN"));
    QCOMPARE(QFontInfo(QFont(QStringLiteral("Arial"))).family(), QStringLiteral("Liberation Sans"));
    const QString sans = QFontInfo(QFont(QStringLiteral("MS Sans Serif"))).family();
    QVERIFY2(sans == QStringLiteral("DejaVu Sans") || sans == QStringLiteral("Liberation Sans"),
             qPrintable(sans));
}

void WaybillLayoutTest::everyPlacementFallsIntoItsBoxOfTheForm()
{
    for (WaybillVariant v : allVariants) {
        const WaybillLayout layout = WaybillLayout::forWindow(v);
        for (const FieldPlacement& p : layout.placements()) {
            const FormBox* box = BlankForm::box(p.formBox());
            QVERIFY2(box, qPrintable(p.formBox()));
            // The first line at rest, where the picture lies in this window.
            const QRect line = QRect(p.left().value, p.top().value, p.width().value, 16)
                                   .translated(-layout.pictureBox().topLeft());
            QVERIFY2(box->rect.contains(line),
                     qPrintable(windowClassName(v) + QLatin1Char(' ') + p.controlName()));
        }
    }
}

void WaybillLayoutTest::pictureIsOurJpegAt150PerInch()
{
    QFile file(QStringLiteral(SF_SOURCE_DIR "/waybill/assets/sf_blank_form.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const DecodedJpeg jpeg = decodeJpeg(file.readAll());
    QCOMPARE(jpeg.image.size(), QSize(1272, 820));
    QCOMPARE(jpeg.densityUnit, 1);
    QCOMPARE(jpeg.densityX, 150);
    QCOMPARE(jpeg.densityY, 150);
    QVERIFY(!jpeg.image.isGrayscale());
    QCOMPARE(blankFormPicture().size(), QSize(1272, 820));
}

void WaybillLayoutTest::brokenJpegIsAnError()
{
    QFile file(QStringLiteral(SF_SOURCE_DIR "/waybill/assets/sf_blank_form.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    QVERIFY_THROWS_EXCEPTION(CommandError, decodeJpeg(whole.left(400)));
    // Cut off after the header: libjpeg would fill the rest with grey.
    QVERIFY_THROWS_EXCEPTION(CommandError, decodeJpeg(whole.left(whole.size() / 2)));
    QVERIFY_THROWS_EXCEPTION(CommandError, decodeJpeg(QByteArray("not a picture")));
}

void WaybillLayoutTest::viewShowsPictureAndPlaceholders()
{
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    LayoutView view(layout);
    QCOMPARE(view.size(), QSize(816, 529));
    auto* picture = view.findChild<QWidget*>(QStringLiteral("Image1"));
    QVERIFY(picture);
    QCOMPARE(picture->geometry(), QRect(0, 3, 816, 529));
    // Placeholders are as wide as their column names: 16 px a character
    // and one more.
    QCOMPARE(view.findChild<QWidget*>(QStringLiteral("QRDBText4"))->geometry(),
             QRect(104, 140, 65, 37));
    QCOMPARE(view.findChild<QWidget*>(QStringLiteral("QRDBText1"))->geometry(),
             QRect(288, 140, 81, 17));
    QCOMPARE(view.findChild<QWidget*>(QStringLiteral("QRDBText6"))->width(), 33);
    QCOMPARE(view.findChild<QWidget*>(QStringLiteral("QRDBText16"))->width(), 17);

    const QImage shot = view.grab().toImage();
    // The placeholder box is white, its column name black, the picture
    // around it the form's paper and red rules.
    QCOMPARE(shot.pixelColor(104 + 60, 140 + 30), QColor(Qt::white));
    int dark = 0;
    for (int x = 288; x < 288 + 80; ++x)
        for (int y = 140; y < 156; ++y)
            dark += qGray(shot.pixel(x, y)) < 100;
    QVERIFY(dark > 40);
    int red = 0;
    for (int x = 10; x < 200; ++x)
        for (int y = 20; y < 60; ++y) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 150 && c.green() < 120 && c.blue() < 120;
        }
    QVERIFY(red > 100);
}

void WaybillLayoutTest::viewScalesThePictureSmoothly()
{
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    LayoutView view(layout);
    const QImage shot = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Where no placement covers it, the picture is the area-averaged one,
    // not every n-th pixel of the scan.
    QRegion picture(QRect(QPoint(), WaybillLayout::detailSize()));
    for (const QWidget* box : view.findChildren<QWidget*>(QRegularExpression("^QRDBText")))
        picture -= box->geometry();
    const auto off = [&](Qt::TransformationMode mode) {
        const QImage scaled = blankFormPicture()
                                  .scaled(WaybillLayout::detailSize(), Qt::IgnoreAspectRatio, mode)
                                  .convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (const QRect& r : picture)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += qAbs(qGray(shot.pixel(x, y)) - qGray(scaled.pixel(x, y))) > 8;
        return n;
    };
    QCOMPARE(off(Qt::SmoothTransformation), 0);
    QVERIFY(off(Qt::FastTransformation) > 1000);
}

void WaybillLayoutTest::clicksOnThePictureAndOnPlacements()
{
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    LayoutView view(layout);
    view.show();
    QSignalSpy clicked(&view, &LayoutView::pictureClicked);

    QWidget* onPlacement = view.childAt(QPoint(300, 145));
    QVERIFY(onPlacement);
    QCOMPARE(onPlacement->objectName(), QStringLiteral("QRDBText1"));
    QTest::mouseClick(onPlacement, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(clicked.count(), 0);

    QWidget* onPicture = view.childAt(QPoint(700, 60));
    QVERIFY(onPicture);
    QCOMPARE(onPicture->objectName(), QStringLiteral("Image1"));
    QTest::mouseClick(onPicture, Qt::LeftButton, {}, QPoint(700, 60));
    QCOMPARE(clicked.count(), 1);
}

void WaybillLayoutTest::viewFollowsShiftsAndFont()
{
    WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookSingle);
    LayoutView view(layout);
    layout.shiftLeft(10);
    layout.shiftTop(-4);
    QFont big(QStringLiteral(u"宋体"));
    big.setPointSize(16);
    layout.setFont(big);
    view.refresh();
    const QRect box = view.findChild<QWidget*>(QStringLiteral("QRDBText3"))->geometry();
    QCOMPARE(box.topLeft(), QPoint(178, 216));
    // Four characters of 16 points are 4 x 21.33 px wide, less where the
    // screen rounds advances to whole pixels; one line is taller than the
    // 17 px at rest.
    QVERIFY2(box.width() >= 85 && box.width() <= 87, qPrintable(QString::number(box.width())));
    QCOMPARE(box.height(), 22);
    QCOMPARE(view.findChild<QWidget*>(QStringLiteral("Image1"))->geometry(), QRect(0, 0, 816, 529));
}

QTEST_MAIN(WaybillLayoutTest)
#include "waybill_layout_test.moc"
