#include "store/schema.h"
#include "support/command_line_run.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/font_substitutions.h"
#include "waybill/layout_template.h"
#include "waybill/print_error.h"
#include "waybill/printing/printing_job.h"
#include "waybill/template_document.h"
#include "waybill/template_picture.h"
#include "waybill/template_snapping.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/layout_view.h"
#include "waybill/windows/template_canvas.h"
#include "waybill/windows/template_designer.h"

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QFile>
#include <QListWidget>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QUndoStack>
#include <QtEndian>
#include <cstdio>
#include <zlib.h>

using namespace Qt::StringLiterals;

namespace {

void trigger(QWidget& window, const char* action)
{
    auto* a = window.findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY2(a, action);
    a->trigger();
}

QRectF boxOf(TemplateDesigner& w, int index)
{
    return w.document().layout().items.value(index).boxMm;
}

// A PNG whose header claims a picture of this size, and no pixels.
QByteArray pngHeader(quint32 width, quint32 height)
{
    const auto be32 = [](quint32 v) {
        QByteArray b(4, 0);
        qToBigEndian(v, b.data());
        return b;
    };
    const auto chunk = [&](const QByteArray& typeAndData) {
        const auto crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()),
                                       uInt(typeAndData.size())));
        return be32(quint32(typeAndData.size() - 4)) + typeAndData + be32(crc);
    };
    return QByteArray("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR" + be32(width) + be32(height) + QByteArray("\x08\x06\x00\x00\x00", 5)) +
           chunk("IDAT") + chunk("IEND");
}

// A PDF of pages this size in points, each filled with its colour.
void writePdf(const QString& path, const QList<std::pair<QSizeF, QColor>>& pages)
{
    QPdfWriter writer(path);
    writer.setPageMargins(QMarginsF());
    QPainter painter;
    for (const auto& [size, colour] : pages) {
        writer.setPageSize(QPageSize(size, QPageSize::Point));
        if (painter.isActive())
            writer.newPage();
        else
            painter.begin(&writer);
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), colour);
    }
}

// Two versions of one template, the second long enough that its save
// takes a while to be killed in.
LayoutTemplate savedVersion(int which)
{
    LayoutTemplate t = TemplateDocument::blank(QSizeF(100, 150));
    t.name = QStringLiteral(u"版本%1").arg(which);
    for (int i = 0; i < (which == 0 ? 1 : 4000); ++i) {
        TemplateItem item;
        item.kind = TemplateItem::Kind::Text;
        item.text = QStringLiteral(u"第%1项").arg(i);
        item.boxMm = QRectF(i % 80, i % 140, 10, 5);
        t.items << item;
    }
    return t;
}

// The child process of killedSaveLeavesAWholeFile: saves the two versions
// in turn until it is killed.
int saveForever(const QString& file)
{
    const LayoutTemplate versions[] = {savedVersion(0), savedVersion(1)};
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    for (int i = 0;; i = 1 - i)
        LayoutTemplates::write(versions[i], file);
}

// The message boxes shown, not the questions and choosers.
QStringList messages(const ScriptedDialogs& dialogs)
{
    QStringList texts;
    for (const ScriptedDialogs::Shown& box : dialogs.shown)
        if (box.kind == u"message"_s)
            texts << box.text;
    return texts;
}

} // namespace

class TemplateDesignerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void builtInTemplatesWriteAndReadBackEqual();
    void stepsSaveAsTyped();
    void designedLabelSavesReopensAndPrints();
    void mouseDragSnapsAndUndoesInOneStep();
    void clickAndKeysChangeTheChosenItemOnly();
    void copyPasteAndDelete();
    void exportAndImportLeaveTheDocumentAsItIs();
    void snapping_data();
    void snapping();
    void pictureIsRefusedWhenNoImageOrHuge();
    void scanScaledByTwoPoints();
    void pdfPageAsPicture();
    void killedSaveLeavesAWholeFile();
};

void TemplateDesignerTest::builtInTemplatesWriteAndReadBackEqual()
{
    for (const QString& name : LayoutTemplates::builtInNames()) {
        const LayoutTemplate& t = *LayoutTemplates::builtIn(name);
        QCOMPARE(LayoutTemplates::parse(LayoutTemplates::toJson(t), name), t);
    }
}

void TemplateDesignerTest::stepsSaveAsTyped()
{
    TemplateDocument document;
    TemplateItem item;
    item.boxMm = QRectF(5, 5, 10, 5);
    const int added = document.add(item);
    for (int i = 0; i < 3; ++i)
        document.move({added}, QPointF(0.1, 0));
    const QByteArray json = LayoutTemplates::toJson(document.layout());
    QVERIFY2(json.contains("\"x_mm\": 5.3,"), json.constData());
}

// The designer as a user drives it: a label from a paper size, a field
// placed with the keys, undone and redone, saved, opened again, printed.
void TemplateDesignerTest::designedLabelSavesReopensAndPrints()
{
    TestDatabase db;
    QStringList recipient(Schema::recipientColumns().size());
    recipient[Schema::recipientColumns().indexOf(u"收件人姓名"_s)] = u"王五"_s;
    recipient[Schema::recipientColumns().indexOf(u"手机号码"_s)] = u"13912345678"_s;
    db.insert(Schema::recipientTable, recipient);
    db.insert(Schema::senderTable, QStringList(Schema::senderColumns().size()));

    ScriptedDialogs dialogs;
    TemplateDesigner w(db.session());
    w.show();
    dialogs.choices << u"100 × 150 毫米"_s;
    trigger(w, "DesignerNew");
    QCOMPARE(w.document().layout().paperMm, QSizeF(100, 150));

    auto* fields = w.findChild<QListWidget*>(u"FieldList"_s);
    fields->setCurrentItem(fields->findItems(u"收件人：收件人姓名"_s, Qt::MatchExactly).value(0));
    trigger(w, "DesignerAddField");
    QCOMPARE(w.document().layout().items.size(), 1);
    QCOMPARE(w.document().layout().items.at(0).column, u"收件人姓名"_s);
    QCOMPARE(boxOf(w, 0).topLeft(), QPointF(5, 5));

    TemplateCanvas& canvas = w.canvas();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(boxOf(w, 0).topLeft(), QPointF(5.3, 6));
    auto* x = w.findChild<QDoubleSpinBox*>(u"ItemX"_s);
    QCOMPARE(x->value(), 5.3);
    trigger(w, "DesignerUndo"); // the key moves are one step
    QCOMPARE(boxOf(w, 0).topLeft(), QPointF(5, 5));
    trigger(w, "DesignerRedo");
    QCOMPARE(boxOf(w, 0).topLeft(), QPointF(5.3, 6));

    // The properties panel changes the item, undoably as well.
    auto* size = w.findChild<QDoubleSpinBox*>(u"ItemSize"_s);
    size->setValue(16);
    QCOMPARE(w.document().layout().items.at(0).sizePt, 16.0);
    dialogs.texts << u"月结0123"_s;
    trigger(w, "DesignerAddText");
    trigger(w, "DesignerAddBarcode");
    QCOMPARE(w.document().layout().items.size(), 3);

    const QString file = db.dir() + u"/标签.json"_s;
    dialogs.files << db.dir() + u"/标签"_s;
    trigger(w, "DesignerSave");
    QVERIFY(!w.document().isModified());
    const LayoutTemplate designed = w.document().layout();
    QCOMPARE(LayoutTemplates::read(file), designed);

    TemplateDesigner again(db.session());
    dialogs.files << file;
    trigger(again, "DesignerOpen");
    QCOMPARE(again.document().layout(), designed);
    QCOMPARE(messages(dialogs), QStringList());

    // Printed from the command line, and from the designer with its sample.
    const CommandLineRun run = runCommandLine({"print", "--template", file, "--pdf", "label.pdf"});
    QCOMPARE(run.status, 0);
    again.setCurrentRecord([](RecordRole role, const QString& column) {
        return role == RecordRole::Recipient && column == u"收件人姓名"_s ? u"王五"_s : QString();
    });
    dialogs.previewActions.enqueue([&](QWidget*, PageSource& pages, PrintJob& job) {
        job.setOutputFile(db.dir() + u"/sample.pdf"_s);
        job.run(pages);
    });
    trigger(again, "DesignerPrint");
    for (const QString& pdf : {u"label.pdf"_s, u"sample.pdf"_s}) {
        QProcess text;
        text.start(u"pdftotext"_s, {u"-bbox"_s, db.dir() + u"/"_s + pdf, u"-"_s});
        QVERIFY(text.waitForFinished(60000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(page.contains(u"<page width=\"283.46"_s), qPrintable(page));
        const QRegularExpression name(u"<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>王五"_s);
        const QRegularExpressionMatch m = name.match(page);
        QVERIFY2(m.hasMatch(), qPrintable(page));
        QVERIFY(qAbs(m.captured(1).toDouble() * 25.4 / 72 - 5.3) <= 0.1);
        QVERIFY(qAbs(m.captured(2).toDouble() * 25.4 / 72 - 6) <= 0.3);
        QVERIFY(page.contains(u"月结0123"_s));
    }
    // A test print is no waybill: only the command line's page is logged.
    QCOMPARE(db.rows(u"printlog"_s).size(), 1);
}

namespace {

// Two texts: 甲 at (10, 10), 30 x 6 mm, and a second one in `second`.
void addTwoTexts(TemplateDesigner& w, const QRectF& second)
{
    TemplateItem first;
    first.kind = TemplateItem::Kind::Text;
    first.text = u"甲"_s;
    first.boxMm = QRectF(10, 10, 30, 6);
    TemplateItem other = first;
    other.boxMm = second;
    w.document().add(first);
    w.document().add(other);
}

} // namespace

void TemplateDesignerTest::mouseDragSnapsAndUndoesInOneStep()
{
    ScriptedDialogs dialogs;
    TemplateDesigner w(currentDirectoryStore());
    w.show();
    TemplateCanvas& canvas = w.canvas();
    addTwoTexts(w, QRectF(50, 40, 20, 6));
    const double perMm = canvas.zoom() * 96 / 25.4;
    const auto at = [&](QPointF mm) { return (mm * perMm).toPoint(); };
    // Dragged from (55, 43) to near x = 10 + 0.4 mm: its left edge goes onto the other's.
    QTest::mousePress(&canvas, Qt::LeftButton, {}, at({55, 43}));
    QMouseEvent move(QEvent::MouseMove, at({15.4, 23}), canvas.mapToGlobal(at({15.4, 23})),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&canvas, &move);
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, at({15.4, 23}));
    QCOMPARE(boxOf(w, 1).left(), 10.0);
    // A screen pixel is 0.26 mm at 100 %.
    QVERIFY(qAbs(boxOf(w, 1).top() - 20) < 0.2);
    QCOMPARE(canvas.selection(), QList<int>{1});
    w.document().undoStack().undo();
    QCOMPARE(boxOf(w, 1), QRectF(50, 40, 20, 6));
    w.document().undoStack().undo();
    QCOMPARE(w.document().layout().items.size(), 1);
    QVERIFY(canvas.selection().isEmpty());
}

// An item a snap's width from another's edge stays where it is when
// clicked to be chosen, and arrow keys move what is chosen as one step.
void TemplateDesignerTest::clickAndKeysChangeTheChosenItemOnly()
{
    ScriptedDialogs dialogs;
    TemplateDesigner w(currentDirectoryStore());
    w.show();
    TemplateCanvas& canvas = w.canvas();
    addTwoTexts(w, QRectF(11, 40, 20, 6));
    const QPoint at = (QPointF(20, 43) * (canvas.zoom() * 96 / 25.4)).toPoint();
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, at);
    QCOMPARE(canvas.selection(), QList<int>{1});
    QCOMPARE(boxOf(w, 1), QRectF(11, 40, 20, 6));
    QCOMPARE(w.document().undoStack().count(), 2);

    // Key moves of one item, then of another: each item's are one step.
    QTest::keyClick(&canvas, Qt::Key_Right);
    canvas.select({0});
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Right);
    w.document().undoStack().undo();
    QCOMPARE(boxOf(w, 0), QRectF(10, 10, 30, 6));
    QCOMPARE(boxOf(w, 1).topLeft(), QPointF(11.1, 40));
}

void TemplateDesignerTest::copyPasteAndDelete()
{
    ScriptedDialogs dialogs;
    TemplateDesigner w(currentDirectoryStore());
    dialogs.texts << u"√"_s;
    trigger(w, "DesignerAddText");
    trigger(w, "DesignerCopy");
    trigger(w, "DesignerPaste");
    const QList<TemplateItem>& items = w.document().layout().items;
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(1).text, u"√"_s);
    QVERIFY(items.at(1).id != items.at(0).id);
    QCOMPARE(items.at(1).boxMm.topLeft(), items.at(0).boxMm.topLeft() + QPointF(2, 2));
    QCOMPARE(w.canvas().selection(), QList<int>{1});
    trigger(w, "DesignerDelete");
    QCOMPARE(w.document().layout().items.size(), 1);
    trigger(w, "DesignerUndo");
    QCOMPARE(w.document().layout().items.size(), 2);
}

// Export writes a copy, import adds another template's items as one step;
// neither changes which file the document is.
void TemplateDesignerTest::exportAndImportLeaveTheDocumentAsItIs()
{
    TestFolder folder;
    ScriptedDialogs dialogs;
    TemplateDesigner w(currentDirectoryStore());
    dialogs.choices << u"取消"_s;
    trigger(w, "DesignerCopyBuiltIn");
    QVERIFY(w.document().layout().items.isEmpty());
    dialogs.choices << LayoutTemplates::builtIn(u"parcel-label-100x150"_s)->name;
    trigger(w, "DesignerCopyBuiltIn");
    const int labelItems = int(w.document().layout().items.size());
    QVERIFY(labelItems > 0);
    QVERIFY(w.document().path().isEmpty());

    dialogs.files << folder.filePath(u"copy"_s);
    trigger(w, "DesignerExport");
    QVERIFY(w.document().path().isEmpty());
    QVERIFY(w.document().isModified() == false);
    QCOMPARE(LayoutTemplates::read(folder.filePath(u"copy.json"_s)).items,
             w.document().layout().items);

    dialogs.files << folder.filePath(u"copy.json"_s);
    trigger(w, "DesignerImport");
    QCOMPARE(w.document().layout().items.size(), 2 * labelItems);
    QCOMPARE(w.canvas().selection().size(), labelItems);
    // Each added item has an id of its own, none of the originals'.
    QSet<QString> ids;
    for (const TemplateItem& item : w.document().layout().items)
        if (!item.id.isEmpty())
            ids << item.id;
    int named = 0;
    for (int i = 0; i < labelItems; ++i)
        named += w.document().layout().items.at(i).id.isEmpty() ? 0 : 1;
    QCOMPARE(ids.size(), named + labelItems);
    trigger(w, "DesignerUndo");
    QCOMPARE(w.document().layout().items.size(), labelItems);
    QCOMPARE(messages(dialogs), QStringList());
}

void TemplateDesignerTest::snapping_data()
{
    QTest::addColumn<QRectF>("moving");
    QTest::addColumn<QRectF>("expected");
    QTest::addColumn<int>("guides");
    // Another box at (20, 30, 40 x 10) on 100 x 150 paper; tolerance 1 mm.
    QTest::newRow("left onto left") << QRectF(20.6, 80, 10, 5) << QRectF(20, 80, 10, 5) << 1;
    QTest::newRow("right onto right") << QRectF(49.5, 80, 10, 5) << QRectF(50, 80, 10, 5) << 1;
    QTest::newRow("top onto bottom") << QRectF(70, 40.8, 10, 5) << QRectF(70, 40, 10, 5) << 1;
    QTest::newRow("centre onto paper centre")
        << QRectF(44.7, 100, 10, 5) << QRectF(45, 100, 10, 5) << 1;
    QTest::newRow("both axes") << QRectF(19.2, 29.5, 10, 5) << QRectF(20, 30, 10, 5) << 2;
    QTest::newRow("too far") << QRectF(23, 80, 10, 5) << QRectF(23, 80, 10, 5) << 0;
}

void TemplateDesignerTest::snapping()
{
    QFETCH(QRectF, moving);
    const SnappedBox snapped =
        TemplateSnapping::snap(moving, {QRectF(20, 30, 40, 10)}, QSizeF(100, 150), 1.0);
    QTEST(snapped.boxMm, "expected");
    QTEST(int(snapped.guidesMm.size()), "guides");
}

void TemplateDesignerTest::pictureIsRefusedWhenNoImageOrHuge()
{
    TestFolder folder;
    const QString notImage = folder.filePath(u"扫描.jpg"_s);
    const QString huge = folder.filePath(u"巨图.png"_s);
    {
        QFile f(notImage);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
        QFile g(huge);
        QVERIFY(g.open(QIODevice::WriteOnly));
        g.write(pngHeader(30000, 30000));
    }
    for (const QString& file : {notImage, huge}) {
        ScriptedDialogs dialogs;
        TemplateDesigner w(currentDirectoryStore());
        dialogs.files << file;
        trigger(w, "DesignerNewFromPicture");
        QCOMPARE(messages(dialogs).size(), 1);
        QVERIFY2(dialogs.lastText().contains(file), qPrintable(dialogs.lastText()));
        QVERIFY(!w.document().layout().background);
    }
    try {
        TemplatePicture::load(huge);
        QFAIL("a picture of 900 million pixels was read");
    } catch (const PrintError& e) {
        QVERIFY2(QString::fromUtf8(e.what()).contains(u"过大"_s), e.what());
    }
}

void TemplateDesignerTest::scanScaledByTwoPoints()
{
    TestFolder folder;
    const QString scan = folder.filePath(u"scan.png"_s);
    QImage picture(1181, 1772, QImage::Format_RGB32); // 100 x 150 mm at 300 dpi
    picture.fill(Qt::red);
    QVERIFY(picture.save(scan));
    ScriptedDialogs dialogs;
    TemplateDesigner w(currentDirectoryStore());
    w.show();
    dialogs.files << scan;
    dialogs.choices << u"按两点距离"_s;
    trigger(w, "DesignerNewFromPicture");
    // Shown at 96 dpi meanwhile: 300 picture pixels lie 300 screen pixels apart.
    TemplateCanvas& canvas = w.canvas();
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(10, 20));
    dialogs.texts << u"25.4"_s;
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(310, 20));
    const LayoutTemplate& t = w.document().layout();
    QVERIFY(t.background);
    QVERIFY(qAbs(t.background->dpi - 300) < 1);
    QVERIFY(qAbs(t.paperMm.width() - 100) < 0.2);
    QVERIFY(qAbs(t.paperMm.height() - 150) < 0.2);
    QCOMPARE(t.background->file, scan);
    // Shown over the whole paper, its bottom right corner too.
    const QImage shown = canvas.grab().toImage();
    QCOMPARE(shown.pixelColor(shown.width() - 3, shown.height() - 3), QColor(Qt::red));
}

// A page of a PDF scan is a picture of its own size, drawn at bounded
// pixels however large; a file or page that is not there is named.
void TemplateDesignerTest::pdfPageAsPicture()
{
    TestFolder folder;
    const QString scan = folder.filePath(u"扫描.pdf"_s);
    writePdf(scan, {{QSizeF(288, 432), Qt::red},
                    {QSizeF(216, 144), Qt::blue},
                    {QSizeF(8000, 8000), Qt::green}});
    const QString notPdf = folder.filePath(u"不是.PDF"_s);
    QFile f(notPdf);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("%PDF- not really");
    f.close();

    const TemplatePicture::Picture second = TemplatePicture::load(scan, 2);
    const QRectF box =
        TemplatePicture::boxMm(TemplateBackground{scan, QRectF(5, 5, 0, 0), 0, 1}, second.units);
    QVERIFY2(qAbs(box.width() - 76.2) < 0.01 && qAbs(box.height() - 50.8) < 0.01 &&
                 box.topLeft() == QPointF(5, 5),
             qPrintable(QDebug::toString(box)));
    QCOMPARE(second.image.pixelColor(second.image.rect().center()), QColor(Qt::blue));
    const QImage huge = TemplatePicture::load(scan, 3).image;
    QVERIFY(qint64(huge.width()) * huge.height() <= TemplatePicture::largestPdfPixels);
    QVERIFY(huge.width() > 1000);

    const struct {
        QString file;
        int page;
        QString says;
    } refused[] = {{scan, 4, u"没有第 4 页（共 3 页）"_s},
                   {notPdf, 1, u"不是可读的 PDF"_s},
                   {folder.filePath(u"没有.pdf"_s), 1, u"不是可读的 PDF"_s}};
    for (const auto& r : refused) {
        const QString problem = TemplatePicture::problem(r.file, r.page);
        QVERIFY2(problem.contains(r.file) && problem.contains(r.says), qPrintable(problem));
        try {
            TemplatePicture::load(r.file, r.page);
            QFAIL("a page that is not there was shown");
        } catch (const PrintError& e) {
            QCOMPARE(QString::fromUtf8(e.what()), problem);
        }
    }

    // A template on the second page: read back, and shown by the designer.
    LayoutTemplate t = TemplateDocument::blank(QSizeF(76.2, 50.8));
    t.background = TemplateBackground{u"扫描.pdf"_s, {}, 0, 2};
    const QString file = folder.filePath(u"pdf.json"_s);
    LayoutTemplates::write(t, file);
    QCOMPARE(LayoutTemplates::read(file).background, t.background);
    ScriptedDialogs dialogs;
    TemplateDesigner w(currentDirectoryStore());
    w.show();
    w.document().open(file);
    QImage shown = w.canvas().grab().toImage();
    QCOMPARE(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(Qt::blue));
    // A new template from the scan: the page chosen, its size the paper's.
    dialogs.files << scan;
    dialogs.texts << u"1"_s;
    trigger(w, "DesignerNewFromPicture");
    QVERIFY2(messages(dialogs).isEmpty(), qPrintable(dialogs.lastText()));
    QCOMPARE(w.document().layout().paperMm, QSizeF(101.6, 152.4));
    shown = w.canvas().grab().toImage();
    QCOMPARE(shown.pixelColor(shown.width() - 3, shown.height() - 3), QColor(Qt::red));

    // The print windows show it too (a template without items as well);
    // the window's own page again afterwards, for other tests.
    TestDatabase db;
    BatchPrintWindow window(db.session());
    const auto own = qScopeGuard(
        [&] { window.useTemplate(LayoutTemplates::builtIn(WaybillVariant::AddressBookBatch)); });
    dialogs.files << file;
    window.openTemplateFile();
    QVERIFY2(messages(dialogs).isEmpty(), qPrintable(dialogs.lastText()));
    shown = window.view().grab().toImage();
    QCOMPARE(shown.pixelColor(100, 100), QColor(Qt::blue));
    // Printed, a page of nothing on its paper, and logged.
    QCOMPARE(runCommandLine({u"print"_s, u"--template"_s, file, u"--pdf"_s, u"empty.pdf"_s}).status,
             0);
}

// A save killed at any moment leaves one of the versions whole.
void TemplateDesignerTest::killedSaveLeavesAWholeFile()
{
    TestFolder folder;
    const QString file = folder.filePath(u"模板.json"_s);
    const LayoutTemplate versions[] = {savedVersion(0), savedVersion(1)};
    LayoutTemplates::write(versions[0], file);
    for (int round = 0; round < 8; ++round) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {u"--save-forever"_s, file});
        QVERIFY(saver.waitForReadyRead());
        QTest::qWait(5 + 7 * round);
        saver.kill();
        QVERIFY(saver.waitForFinished());
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);
        const LayoutTemplate left = LayoutTemplates::read(file);
        QVERIFY2(left == versions[0] || left == versions[1], qPrintable(left.name));
    }
}

int main(int argc, char** argv)
{
    if (argc == 3 && qstrcmp(argv[1], "--save-forever") == 0)
        return saveForever(QString::fromLocal8Bit(argv[2]));
    QApplication app(argc, argv);
    TemplateDesignerTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "template_designer_test.moc"
