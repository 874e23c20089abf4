#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/calibration_store.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing_job.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/imported_batch_print_window.h"
#include "waybill/windows/print_preview.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// Prints through a real CUPS queue of cups-pdf that scripts/test sets up:
// SF_TEST_PRINTER names the queue, SF_TEST_PRINTER_OUT the folder where
// cups-pdf writes the jobs of this user.
class PrintCupsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void batchOfThreeReachesThePrinterOnWaybillPaper();
    void commandLinePrintsTheSamePages();
    void printerChosenInSettingsLastsForTheRun();
    void parcelLabelReachesALabelQueueOnLabelPaper();

private:
    QString m_queue;
    QDir m_out;
};

namespace {

QStringList recipientRow(const QString& name)
{
    return {QStringLiteral(u"收件公司"), name,
            QStringLiteral(u"北京"),     QStringLiteral(u"北京长安街2号"),
            QStringLiteral("100000"),    QStringLiteral("010-5678"),
            QStringLiteral("139"),       QStringLiteral(u"文件"),
            QStringLiteral("1"),         QStringLiteral(u"轻放")};
}

// The newest file of `dir` whose name starts with `prefix`, once cups-pdf
// has finished writing it.
QString waitForOutput(const QDir& dir, const QString& prefix)
{
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        const QStringList found =
            dir.entryList({prefix + QLatin1Char('*')}, QDir::Files, QDir::Time);
        if (!found.isEmpty()) {
            const QString path = dir.filePath(found.first());
            const qint64 size = QFileInfo(path).size();
            QTest::qWait(500);
            if (size > 0 && QFileInfo(path).size() == size)
                return path;
        }
        QTest::qWait(200);
    }
    return {};
}

void fill(TestDatabase& db)
{
    db.insert(QStringLiteral("outrxx"),
              {QStringLiteral(u"寄件公司"), QStringLiteral(u"张三"), QString(), QString(),
               QString(), QString(), QString(), QString(), QStringLiteral("2026"),
               QStringLiteral("12"), QStringLiteral("8")});
    for (const QString& name :
         {QStringLiteral(u"甲"), QStringLiteral(u"乙"), QStringLiteral(u"丙")})
        db.insert(QStringLiteral("inrxx"), recipientRow(name));
}

// `pages` pages of 216.0 x 140.0 mm in the PDF cups-pdf wrote; removes it.
// The SF form's paper unless told: 216 x 140 mm.
void checkOutput(const QString& pdf, int pages, QSizeF points = {612.28, 396.85})
{
    QVERIFY2(!pdf.isEmpty(), "cups-pdf wrote nothing");
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                           QStringLiteral("-l"), QStringLiteral("100"), pdf});
    QVERIFY(info.waitForFinished());
    const QString text = QString::fromUtf8(info.readAllStandardOutput());
    QFile::remove(pdf);
    QCOMPARE(QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text).captured(1),
             QString::number(pages));
    auto sizes =
        QRegularExpression(QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"))
            .globalMatch(text);
    int sized = 0;
    while (sizes.hasNext()) {
        const auto m = sizes.next();
        ++sized;
        QVERIFY2(qAbs(m.captured(1).toDouble() - points.width()) < 0.1, qPrintable(m.captured(0)));
        QVERIFY2(qAbs(m.captured(2).toDouble() - points.height()) < 0.1, qPrintable(m.captured(0)));
    }
    QCOMPARE(sized, pages);
}

} // namespace

void PrintCupsTest::init()
{
    m_queue = qEnvironmentVariable("SF_TEST_PRINTER");
    m_out.setPath(qEnvironmentVariable("SF_TEST_PRINTER_OUT"));
    if (m_queue.isEmpty())
        QSKIP("no test printer queue; scripts/test starts one");
}

void PrintCupsTest::batchOfThreeReachesThePrinterOnWaybillPaper()
{
    TestDatabase db;
    fill(db);
    ScriptedDialogs dialogs;
    BatchPrintWindow window(db.session());
    window.show();
    // The window reads its rows when it becomes the active window.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    const QString title =
        QStringLiteral("sfwaybill-cups-%1").arg(QCoreApplication::applicationPid());
    // The user picks the queue in "设 置" and presses "打 印".
    dialogs.previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
        job.setPrinterName(m_queue);
        job.printer().setDocName(title);
        PrintPreview preview(pages, job, parent);
        preview.findChild<QAction*>(QStringLiteral("print"))->trigger();
    });
    window.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    QCOMPARE(dialogs.previewPageCounts, QList<int>{3});
    QVERIFY2(dialogs.messageTexts().isEmpty(), qPrintable(dialogs.lastText()));
    checkOutput(waitForOutput(m_out, title), 3);
}

void PrintCupsTest::commandLinePrintsTheSamePages()
{
    TestDatabase db;
    fill(db);
    QProcess cli;
    cli.setWorkingDirectory(db.dir());
    cli.start(qEnvironmentVariable("SF_CLI"),
              {QStringLiteral("print"), QStringLiteral("--window"), QStringLiteral("TEsf1Form"),
               QStringLiteral("--printer"), m_queue, QStringLiteral("--dx"), QStringLiteral("$a")});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    // ImportedSinglePrintWindow prints one page, even from an empty excel table.
    checkOutput(waitForOutput(m_out, QStringLiteral("TEsf1Form")), 1);

    cli.start(qEnvironmentVariable("SF_CLI"),
              {QStringLiteral("print"), QStringLiteral("--window"), QStringLiteral("TPlsf1Form"),
               QStringLiteral("--printer"), QStringLiteral("no such printer")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 1);
}

void PrintCupsTest::printerChosenInSettingsLastsForTheRun()
{
    QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    CalibrationStore().save(m_queue, {{10}, {0}, std::nullopt});
    TestDatabase db;
    fill(db);
    ScriptedDialogs dialogs;
    BatchPrintWindow window(db.session());
    window.show();
    // The user picks the queue in "设 置" of one preview and closes it; the
    // window takes the queue's calibration at once.
    QPoint moved;
    dialogs.previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
        PrintPreview preview(pages, job, parent);
        QTimer::singleShot(0, &preview, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
            printers->setCurrentIndex(printers->findText(m_queue));
            dialog->accept();
        });
        preview.findChild<QAction*>(QStringLiteral("settings"))->trigger();
        const FieldPlacement& first = window.layout().placements().first();
        moved = {first.left().value, first.top().value};
    });
    window.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    QCOMPARE(PrinterChoice::chosen(), m_queue);
    QCOMPARE(moved, QPoint(288 + 10, 140));
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("printerLabel"))->text(),
             QStringLiteral(u"打印机：") + m_queue);
    // Kept for the next start.
    QCOMPARE(QSettings(QSettings::IniFormat, QSettings::UserScope, "sfwaybill", "printing")
                 .value(QStringLiteral("printer"))
                 .toString(),
             m_queue);

    // Another window's preview goes there, names it, and tells what it sent.
    ImportedBatchPrintWindow other(db.session());
    other.show();
    const QString title =
        QStringLiteral("sfwaybill-chosen-%1").arg(QCoreApplication::applicationPid());
    QString before;
    QString after;
    dialogs.previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
        job.printer().setDocName(title);
        PrintPreview preview(pages, job, parent);
        auto* destination = preview.findChild<QLabel*>(QStringLiteral("destination"));
        before = destination->text();
        preview.findChild<QAction*>(QStringLiteral("print"))->trigger();
        after = destination->text();
    });
    other.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    PrinterChoice::remember(QString());
    QCOMPARE(before, QStringLiteral(u"打印机：") + m_queue);
    QCOMPARE(after, QStringLiteral(u"已将 1 页送往打印机 ") + m_queue);
    checkOutput(waitForOutput(m_out, title), 1);
}

// A thermal label printer: a queue whose own page is 100 x 150 mm, and the
// built-in parcel label printed on it page for page.
void PrintCupsTest::parcelLabelReachesALabelQueueOnLabelPaper()
{
    const QString queue = qEnvironmentVariable("SF_TEST_LABEL_PRINTER");
    if (queue.isEmpty())
        QSKIP("no label queue; scripts/test starts one");
    TestDatabase db;
    fill(db);
    QProcess cli;
    cli.setWorkingDirectory(db.dir());
    cli.start(qEnvironmentVariable("SF_CLI"),
              {QStringLiteral("print"), QStringLiteral("--template"),
               QStringLiteral("parcel-label-100x150"), QStringLiteral("--printer"), queue});
    QVERIFY(cli.waitForFinished(60000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    checkOutput(waitForOutput(m_out, QStringLiteral("TSf1Form")), 1, {283.46, 425.2});
}

QTEST_MAIN(PrintCupsTest)
#include "print_cups_test.moc"
