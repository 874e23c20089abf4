#include "print_page_texts.h"
#include "store/connection.h"
#include "store/query_sets.h"
#include "store/schema.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/calibration_store.h"
#include "waybill/print_log.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing_job.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/imported_single_print_window.h"
#include "waybill/windows/layout_view.h"
#include "waybill/windows/print_log_window.h"
#include "waybill/windows/print_preview.h"
#include "waybill/windows/single_print_window.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QXmlStreamReader>

namespace {

struct Word {
    QString text;
    QRectF mm;
};

// The words of the first page with their boxes in millimetres, and the
// page's size in points.
QList<Word> readWords(const QString& pdf, QSizeF* pagePoints)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        qFatal("pdftotext did not finish");
    QXmlStreamReader xml(p.readAllStandardOutput());
    QList<Word> words;
    constexpr double mm = 25.4 / 72;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        const auto v = [&](const char* name) { return a.value(QLatin1String(name)).toDouble(); };
        if (xml.name() == QLatin1String("page"))
            *pagePoints = {v("width"), v("height")};
        else if (xml.name() == QLatin1String("word"))
            words.append({xml.readElementText(), QRectF(QPointF(v("xMin") * mm, v("yMin") * mm),
                                                        QPointF(v("xMax") * mm, v("yMax") * mm))});
    }
    return words;
}

int cli(const QStringList& args)
{
    QProcess p;
    p.start(qEnvironmentVariable("SF_CLI"), args);
    if (!p.waitForFinished(60000))
        qFatal("sfwaybill-cli did not finish");
    return p.exitCode();
}

QPoint firstPlacement(PrintWindow& w)
{
    const FieldPlacement& p = w.layout().placements().first();
    return {p.left().value, p.top().value};
}

const QPoint factory(288, 137); // QRDBText1 of SinglePrintWindow

// Empty for a file that is not there.
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PrintCalibrationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void storeKeepsOnePerPrinter();
    void windowKeepsItsCalibrationOnlyWhenAsked();
    void windowTakesTheCalibrationOfThePrinterChosen();
    void reprintStandsWhereThePrinterInUsePutsIt();
    void calibrationPageRulersAndCrosses_data();
    void calibrationPageRulersAndCrosses();
    void calibrationPageFromTheWindow();

private:
    QTemporaryDir m_config;
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<MainQueries> m_main;
};

void PrintCalibrationTest::initTestCase()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_config.path());
}

void PrintCalibrationTest::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_main = std::make_unique<MainQueries>(m_db->session());
    m_main->reopen();
}

void PrintCalibrationTest::cleanup()
{
    PrinterChoice::remember(QString());
    QDir(m_config.path()).removeRecursively();
    QDir().mkpath(m_config.path());
    m_main.reset();
    m_dialogs.reset();
    m_db.reset();
}

void PrintCalibrationTest::storeKeepsOnePerPrinter()
{
    CalibrationStore store;
    QFont font(QStringLiteral(u"宋体"));
    font.setPointSize(14);
    const Calibration a{{10}, {-12}, font};
    const Calibration b{{-3}, {0}, std::nullopt};
    const QString odd = QStringLiteral("ipp://host/printers/a b%");
    store.save(QStringLiteral("A"), a);
    store.save(odd, b);
    store.save(QString(), b);
    const QList<std::pair<QString, std::optional<Calibration>>> expected{
        {QStringLiteral("A"), a}, {QStringLiteral("B"), std::nullopt},      {odd, b},
        {QString(), b},           {QStringLiteral("(none)"), std::nullopt},
    };
    for (const auto& [printer, calibration] : expected)
        QVERIFY2(store.load(printer) == calibration, qPrintable(printer));

    // The choice for texts that do not fit stays when the position goes.
    QVERIFY(!store.alwaysShrinks(QStringLiteral("A")));
    store.setAlwaysShrinks(QStringLiteral("A"), true);
    store.clear(QStringLiteral("A"));
    QCOMPARE(store.load(QStringLiteral("A")), std::nullopt);
    QVERIFY(store.alwaysShrinks(QStringLiteral("A")));
    QVERIFY(!store.alwaysShrinks(odd));
    QVERIFY(store.load(odd) == b);
    QCOMPARE(store.minimumPoints(), 8.0);
    store.setMinimumPoints(7.5);
    QCOMPARE(store.minimumPoints(), 7.5);

    // Saved one per window by an older version: carried over, 单张打印's
    // first, and replaced by the next save.
    QSettings old(QSettings::IniFormat, QSettings::UserScope, "sfwaybill", "calibration");
    for (const auto& [key, value] : QList<std::pair<const char*, int>>{{"C/TPlsf1Form/right", 3},
                                                                       {"C/TPlsf1Form/down", 4},
                                                                       {"C/TSf1Form/right", 1},
                                                                       {"C/TSf1Form/down", 2},
                                                                       {"D/TEPlsf1Form/right", 5},
                                                                       {"D/TEPlsf1Form/down", 6}})
        old.setValue(QString::fromLatin1(key), value);
    old.sync();
    QVERIFY((store.load(QStringLiteral("C")) == Calibration{{1}, {2}, {}}));
    QVERIFY((store.load(QStringLiteral("D")) == Calibration{{5}, {6}, {}}));
    store.save(QStringLiteral("C"), b);
    QVERIFY(store.load(QStringLiteral("C")) == b);
    old.sync();
    QVERIFY(!old.contains(QStringLiteral("C/TPlsf1Form/right")));

    // A value edited by hand into nonsense counts as nothing stored.
    old.setValue(QStringLiteral("(none)/right"), QStringLiteral("abc"));
    old.sync();
    QCOMPARE(store.load(QString()), std::nullopt);
}

void PrintCalibrationTest::windowKeepsItsCalibrationOnlyWhenAsked()
{
    const QString settingsFile =
        QSettings(QSettings::IniFormat, QSettings::UserScope, "sfwaybill", "calibration")
            .fileName();
    QFont chosen(QStringLiteral(u"宋体"));
    chosen.setPointSize(16);
    const auto offset = [](QWidget* w) {
        return Drive::find<QLabel>(w, QStringLiteral("offsetLabel"))->text();
    };
    // 10 px right, 12 down and a font, as a user sets them; saved if asked.
    for (const bool save : {false, true}) {
        SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
        QCOMPARE(firstPlacement(w), factory);
        Drive::type(&w, QStringLiteral("Edit1"), QStringLiteral("10"));
        Drive::click(&w, QStringLiteral("Button2"));
        Drive::type(&w, QStringLiteral("Edit2"), QStringLiteral("12"));
        Drive::click(&w, QStringLiteral("Button3"));
        m_dialogs->fonts.enqueue(chosen);
        w.chooseFont();
        QCOMPARE(offset(&w), QStringLiteral(u"总偏移：左右 2.65 mm，上下 3.18 mm"));
        if (save)
            w.findChild<QAction*>(QStringLiteral("saveCalibration"))->trigger();
        QCOMPARE(QFile::exists(settingsFile), save);

        // Shifted once more and printed: an ordinary print keeps nothing.
        const QByteArray kept = readAll(settingsFile);
        const QString pdf = m_db->dir() + QStringLiteral("/printed%1.pdf").arg(save);
        Drive::type(&w, QStringLiteral("Edit1"), QStringLiteral("-3"));
        Drive::click(&w, QStringLiteral("Button2"));
        m_dialogs->previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
            job.setOutputFile(pdf);
            PrintPreview preview(pages, job, parent);
            preview.findChild<QAction*>(QStringLiteral("print"))->trigger();
        });
        w.findChild<QAction*>(QStringLiteral("N1"))->trigger();
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(readAll(settingsFile), kept);
    }
    const QString printer = PrinterChoice::inUse();
    QCOMPARE(m_dialogs->lastText(), QStringLiteral(u"已保存为打印机 %1 的默认位置！")
                                        .arg(printer.isEmpty() ? u"（无打印机）"_qs : printer));
    {
        // The next start: shifted, in the chosen font, in every print
        // window, since they print on the same form.
        SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
        QCOMPARE(firstPlacement(w), factory + QPoint(10, 12));
        for (const FieldPlacement& p : w.layout().placements())
            QCOMPARE(p.font(), chosen);
        QCOMPARE(w.adjustments().chooserFont(), chosen);
        QCOMPARE(offset(&w), QStringLiteral(u"总偏移：左右 2.65 mm，上下 3.18 mm"));
        ImportedSinglePrintWindow other(m_db->session(), m_main->sender, m_main->recipients);
        QCOMPARE(other.adjustments().calibration(), (Calibration{{10}, {12}, chosen}));
        BatchPrintWindow batch(m_db->session());
        QCOMPARE(firstPlacement(batch), QPoint(288, 140) + QPoint(10, 12));

        w.findChild<QAction*>(QStringLiteral("restoreFactoryPositions"))->trigger();
        QCOMPARE(firstPlacement(w), factory);
        QCOMPARE(w.layout().placements().first().font(), FieldPlacement::defaultFont());
        QCOMPARE(w.adjustments().chooserFont().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(offset(&w), QStringLiteral(u"总偏移：左右 0.00 mm，上下 0.00 mm"));
        // The others when they next open.
        batch.show();
        QCOMPARE(firstPlacement(batch), QPoint(288, 140));
    }
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    QCOMPARE(firstPlacement(w), factory);
}

void PrintCalibrationTest::windowTakesTheCalibrationOfThePrinterChosen()
{
    // Named whole: the label is as wide as its text, whenever that changes.
    const auto printerShown = [](QWidget* w) {
        const auto* label = Drive::find<QLabel>(w, QStringLiteral("printerLabel"));
        return label->width() >= label->sizeHint().width() ? label->text() : QString();
    };
    {
        // Made while nothing is stored, as at start-up: named when shown.
        BatchPrintWindow first(m_db->session());
        first.show();
        QVERIFY(printerShown(&first).startsWith(QStringLiteral(u"打印机：")));
    }
    CalibrationStore().save(QStringLiteral("A"), {{4}, {-2}, std::nullopt});
    PrinterChoice::remember(QStringLiteral("A"));
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    QCOMPARE(firstPlacement(w), factory + QPoint(4, -2));
    w.show();
    QCOMPARE(printerShown(&w), QStringLiteral(u"打印机：A"));

    // Chosen anywhere (a preview's "设 置" remembers it so), the window
    // takes it at once: B has nothing stored, so the catalogue's positions,
    // not A's.
    PrinterChoice::remember(QStringLiteral("B"));
    QCOMPARE(firstPlacement(w), factory);
    QCOMPARE(printerShown(&w), QStringLiteral(u"打印机：B"));
    QCOMPARE(Drive::find<QLabel>(&w, QStringLiteral("offsetLabel"))->text(),
             QStringLiteral(u"总偏移：左右 0.00 mm，上下 0.00 mm"));

    // Saved for B in another window: this one takes it at its next opening.
    BatchPrintWindow other(m_db->session());
    other.show();
    Drive::type(&other, QStringLiteral("Edit1"), QStringLiteral("1"));
    Drive::click(&other, QStringLiteral("Button2"));
    Drive::type(&other, QStringLiteral("Edit2"), QStringLiteral("1"));
    Drive::click(&other, QStringLiteral("Button3"));
    other.findChild<QAction*>(QStringLiteral("saveCalibration"))->trigger();
    w.hide();
    w.show();
    QCOMPARE(firstPlacement(w), factory + QPoint(1, 1));
    PrinterChoice::remember(QStringLiteral("A"));
    QCOMPARE(firstPlacement(w), factory + QPoint(4, -2));

    // The printer chosen last is kept for the next start.
    QCOMPARE(QSettings(QSettings::IniFormat, QSettings::UserScope, "sfwaybill", "printing")
                 .value(QStringLiteral("printer"))
                 .toString(),
             QStringLiteral("A"));
}

void PrintCalibrationTest::reprintStandsWhereThePrinterInUsePutsIt()
{
    // Printed on A, with A's calibration and 2 px more to the right by hand.
    CalibrationStore().save(QStringLiteral("A"), {{4}, {-2}, std::nullopt});
    CalibrationStore().save(QStringLiteral("C"), {{1}, {1}, std::nullopt});
    LoggedPage page;
    page.calibration = {{6}, {-2}, std::nullopt};
    for (const QString& column : Schema::senderColumns())
        page.sender << (column == u"寄件人姓名"_qs ? u"张三"_qs : QString());
    page.recipient = QStringList(Schema::recipientColumns().size());
    {
        Connection c(m_db->session());
        c.open();
        PrintLog::write(c, {page}, QStringLiteral("A"), QDateTime::currentDateTime());
    }
    PrintLogWindow window(m_db->session());
    window.show();
    window.findChild<QTableView*>(QStringLiteral("DBGridEh1"))->selectAll();
    QList<QPointF> at;
    const auto seen = [&](PageSource& pages) { at << positionOf(pages, 0, u"张三"_qs); };
    PrinterChoice::remember(QStringLiteral("A"));
    m_dialogs->previewActions.enqueue([&](QWidget*, PageSource& pages, PrintJob&) {
        seen(pages);
        PrinterChoice::remember(QStringLiteral("C")); // in the preview's "设 置"
        seen(pages);
        PrinterChoice::remember(QStringLiteral("B")); // nothing stored
        seen(pages);
    });
    Drive::click(&window, QStringLiteral("Button2"));
    QCOMPARE(at.size(), 3);
    QCOMPARE(at.at(1) - at.at(0), QPointF(-3, 3));
    QCOMPARE(at.at(2) - at.at(0), QPointF(-4, 2));
}

void PrintCalibrationTest::calibrationPageRulersAndCrosses_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QPoint>("shift");
    QTest::newRow("TSf1Form") << QStringList() << QPoint();
    QTest::newRow("TPlsf1Form shifted")
        << QStringList{"--window", "TPlsf1Form", "--dx", "10", "--dy", "-12"} << QPoint(10, -12);
}

void PrintCalibrationTest::calibrationPageRulersAndCrosses()
{
    QFETCH(QStringList, options);
    QFETCH(QPoint, shift);
    const QString pdf = m_db->dir() + QStringLiteral("/calibration.pdf");
    QCOMPARE(cli(QStringList{"print", "--calibration", "--pdf", pdf} + options), 0);
    QSizeF page;
    const QList<Word> words = readWords(pdf, &page);
    QVERIFY(qAbs(page.width() - 216.0 * 72 / 25.4) < 0.001);
    QVERIFY(qAbs(page.height() - 140.0 * 72 / 25.4) < 0.001);

    // Each number stands centred on its mark: along the top edge across,
    // along the left edge down.
    const auto numbered = [&](int mm, bool top) {
        int found = 0;
        for (const Word& w : words) {
            const double along = top ? w.mm.center().x() : w.mm.center().y();
            const double across = top ? w.mm.center().y() : w.mm.center().x();
            found += w.text == QString::number(mm) && qAbs(along - mm) <= 0.1 && across < 9;
        }
        return found;
    };
    for (int mm = 10; mm <= 210; mm += 10)
        QVERIFY2(numbered(mm, true) == 1, qPrintable(QStringLiteral("top %1").arg(mm)));
    for (int mm = 10; mm <= 130; mm += 10)
        QVERIFY2(numbered(mm, false) == 1, qPrintable(QStringLiteral("left %1").arg(mm)));

    // Each placement's name stands just below and right of its cross.
    const WaybillLayout layout =
        WaybillLayout::forWindow(*variantForWindow(options.value(1, QStringLiteral("TSf1Form"))));
    for (const FieldPlacement& p : layout.placements()) {
        const QPointF origin(Pixels{p.left().value + shift.x()}.toMillimetres().value,
                             Pixels{p.top().value + shift.y()}.toMillimetres().value);
        int found = 0;
        for (const Word& w : words)
            found += w.text == p.column() &&
                     (w.mm.topLeft() - origin - QPointF(0.8, 0.8)).manhattanLength() <= 0.2;
        QVERIFY2(found == 1, qPrintable(p.controlName()));
    }
}

void PrintCalibrationTest::calibrationPageFromTheWindow()
{
    SinglePrintWindow w(m_db->session(), m_main->sender, m_main->recipients);
    Drive::type(&w, QStringLiteral("Edit1"), QStringLiteral("10"));
    Drive::click(&w, QStringLiteral("Button2"));
    QPointF name;
    m_dialogs->previewActions.enqueue([&](QWidget*, PageSource& pages, PrintJob&) {
        QCOMPARE(pages.pageCount(), 1);
        name = positionOf(pages, 0, QStringLiteral(u"寄件人姓名"));
    });
    w.findChild<QAction*>(QStringLiteral("printCalibrationPage"))->trigger();
    QCOMPARE(m_dialogs->previewPageCounts, QList<int>{1});
    // The cross follows the window's shift; the name stands 0.8 mm from it.
    QVERIFY(qAbs(name.x() - (factory.x() + 10 + 0.8 * 96 / 25.4)) < 0.01);
}

QTEST_MAIN(PrintCalibrationTest)
#include "print_calibration_test.moc"
