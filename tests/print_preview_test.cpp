#include "store/command_error.h"
#include "support/database_files.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/page_source.h"
#include "waybill/pdf_export.h"
#include "waybill/print_error.h"
#include "waybill/printing/printer_choice.h"
#include "waybill/printing/printing.h"
#include "waybill/printing/printing_job.h"
#include "waybill/windows/print_preview.h"
#include "waybill/windows/print_preview_thumbnails.h"
#include "waybill/windows/print_progress.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QPageRanges>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

// Numbered pages that count how often each is drawn.
class CountingPages : public PageSource {
public:
    explicit CountingPages(int count) : m_count(count) {}

    int pageCount() override { return m_count; }
    void drawPage(QPainter& painter, int index) override
    {
        ++draws[index];
        if (dynamic_cast<QPrinter*>(painter.device())) {
            ++printed[index];
            if (onPrinted)
                onPrinted(index);
        }
        painter.drawText(QPointF(100, 100), QStringLiteral("page %1").arg(index + 1));
    }
    // The whole-batch work: the warnings of every page, the printed-today count.
    QList<FieldWarning> warnings(int index) override
    {
        if (index > 0)
            ++(draws.isEmpty() ? batchReadsBeforeDraw : batchReads);
        checked.insert(index);
        if (onChecked)
            onChecked(index);
        FieldWarning lost;
        lost.title = QStringLiteral(u"收件地址");
        lost.charactersLost = 3;
        return warned.contains(index) ? QList<FieldWarning>{lost} : QList<FieldWarning>();
    }
    bool describePage(int, LoggedPage&) override
    {
        ++(draws.isEmpty() ? batchReadsBeforeDraw : batchReads);
        return false;
    }

    QHash<int, int> draws;
    int batchReadsBeforeDraw = 0;
    int batchReads = 0;
    QHash<int, int> printed; // drawn onto a printer
    std::function<void(int)> onPrinted;
    QSet<int> warned; // whose texts do not print whole
    QSet<int> checked;
    std::function<void(int)> onChecked;

private:
    int m_count;
};

// "Pages: 3" and each page's size in points, as pdfinfo reports them.
struct PdfInfo {
    int pages = 0;
    QList<QSizeF> sizes;
};

PdfInfo pdfInfo(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                        QStringLiteral("-l"), QStringLiteral("1000"), path});
    if (!p.waitForFinished())
        qFatal("pdfinfo did not run");
    PdfInfo info;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    info.pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(out).captured(1).toInt();
    auto sizes =
        QRegularExpression(QStringLiteral("Page\\s+\\d+ size:\\s+([\\d.]+) x ([\\d.]+) pts"))
            .globalMatch(out);
    while (sizes.hasNext()) {
        const auto m = sizes.next();
        info.sizes << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return info;
}

QAction* command(PrintPreview& preview, const char* name)
{
    auto* action = preview.findChild<QAction*>(QString::fromLatin1(name));
    if (!action)
        qFatal("no command %s", name);
    return action;
}

QString indicator(PrintPreview& preview)
{
    return preview.findChild<QLabel*>(QStringLiteral("pageIndicator"))->text();
}

} // namespace

class PrintPreviewTest : public QObject {
    Q_OBJECT
private slots:
    void toolbarAndStatusBar();
    void coversTheWorkAreaWithItsFrame();
    void opensLazilyOnTenThousandPages();
    void thumbnailsFollowAJumpPastWhatIsLaidOut();
    void keysAndCommandsPage();
    void keyboardPrintsAndOpensTheSettings();
    void thumbnailsAreNumberedAndChooseThePage();
    void zoomCommands();
    void settingsOnlyKeepTheChoice();
    void printGoesToPaperOfTheWaybillSize();
    void printHonoursPageRangeAndCopies();
    void cancelStopsTheLoop();
    void cancelInTheProgressWindow();
    void warningsAskedOfThePagesPrinted();
    void cancellingTheCheckPrintsNothing();
    void shrunkPagesAreCheckedAgainAfterThePrint();
    void noPrinterIsAnError();
    void statusBarNamesWhereThePagesGo();
    void printToFileNeverReplacesTheDatabase();
    void aPrintThatFailsLeavesThePreviousFileWhole();
};

void PrintPreviewTest::toolbarAndStatusBar()
{
    CountingPages pages(5);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    QCOMPARE(preview.windowTitle(), QStringLiteral(u"打印预览"));
    QStringList captions;
    for (QAction* a : preview.findChild<QToolBar*>()->actions())
        if (!a->isSeparator())
            captions << a->text();
    QCOMPARE(captions, QStringList({QStringLiteral(u"合适大小"), QStringLiteral(u"合适宽度"),
                                    QStringLiteral(u"缩放100%"), QStringLiteral(u"首 页"),
                                    QStringLiteral(u"上一页"), QStringLiteral(u"下一页"),
                                    QStringLiteral(u"末 页"), QStringLiteral(u"设 置"),
                                    QStringLiteral(u"打 印"), QStringLiteral(u"关 闭")}));
    QVERIFY(command(preview, "fitPage")->isChecked());
    QCOMPARE(preview.zoom(), PrintPreview::Zoom::FitPage);
    QCOMPARE(indicator(preview), QStringLiteral(u"第 1/5 页"));
    QCOMPARE(preview.findChild<QLabel*>(QStringLiteral("reportTitle"))->text(), QString());
    QCOMPARE(preview.findChild<QLabel*>(QStringLiteral("building"))->text(), QString());
}

void PrintPreviewTest::coversTheWorkAreaWithItsFrame()
{
    CountingPages pages(2);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    // The title bar must not push the status bar below the screen.
    const QRect work = preview.screen()->availableGeometry();
    QVERIFY2(work.contains(preview.frameGeometry()),
             qPrintable(QStringLiteral("%1,%2 %3x%4")
                            .arg(preview.frameGeometry().x())
                            .arg(preview.frameGeometry().y())
                            .arg(preview.frameGeometry().width())
                            .arg(preview.frameGeometry().height())));
    QVERIFY(preview.isMaximized());
    auto* status = preview.findChild<QLabel*>(QStringLiteral("pageIndicator"));
    QVERIFY(status->isVisible());
    QVERIFY(preview.rect().contains(status->mapTo(&preview, status->rect().bottomRight())));
}

void PrintPreviewTest::opensLazilyOnTenThousandPages()
{
    CountingPages pages(10000);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCoreApplication::processEvents();
    QCOMPARE(preview.pageCount(), 10000);
    QCOMPARE(indicator(preview), QStringLiteral(u"第 1/10000 页"));
    QVERIFY(pages.draws.value(0) >= 1);
    QVERIFY2(pages.draws.size() < 50, qPrintable(QString::number(pages.draws.size())));
    // The batch is read through only once a page is up.
    QTRY_COMPARE(pages.batchReads, 9999 + 1);
    QCOMPARE(pages.batchReadsBeforeDraw, 0);
    auto* thumbnails = qobject_cast<PreviewThumbnails*>(
        preview.findChild<QListView*>(QStringLiteral("thumbnails"))->model());
    QVERIFY(thumbnails->drawnCount() < 50);

    command(preview, "lastPage")->trigger();
    QCoreApplication::processEvents();
    QVERIFY(pages.draws.value(9999) >= 1);
    QVERIFY(pages.draws.size() < 100);
}

void PrintPreviewTest::thumbnailsFollowAJumpPastWhatIsLaidOut()
{
    // The pictures are placed a batch at a time while idle; the last page
    // chosen at once is still shown in the side tab.
    CountingPages pages(100000);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    preview.show();
    command(preview, "lastPage")->trigger();
    auto* list = preview.findChild<QListView*>(QStringLiteral("thumbnails"));
    const QRect last = list->visualRect(list->model()->index(99999, 0));
    QVERIFY(last.isValid());
    QVERIFY(list->viewport()->rect().contains(last));
}

void PrintPreviewTest::keysAndCommandsPage()
{
    CountingPages pages(5);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    preview.show();
    preview.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&preview));

    QTest::keyClick(&preview, Qt::Key_PageDown);
    QCOMPARE(indicator(preview), QStringLiteral(u"第 2/5 页"));
    QTest::keyClick(&preview, Qt::Key_End);
    QCOMPARE(preview.currentPage(), 4);
    QTest::keyClick(&preview, Qt::Key_PageDown); // stays on the last
    QCOMPARE(preview.currentPage(), 4);
    QTest::keyClick(&preview, Qt::Key_PageUp);
    QCOMPARE(preview.currentPage(), 3);
    QTest::keyClick(&preview, Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(preview.currentPage(), 0);
    QTest::keyClick(&preview, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(preview.currentPage(), 4);
    QTest::keyClick(&preview, Qt::Key_Home);
    QCOMPARE(indicator(preview), QStringLiteral(u"第 1/5 页"));

    command(preview, "nextPage")->trigger();
    command(preview, "nextPage")->trigger();
    QCOMPARE(preview.currentPage(), 2);
    command(preview, "previousPage")->trigger();
    QCOMPARE(preview.currentPage(), 1);
    command(preview, "lastPage")->trigger();
    QCOMPARE(indicator(preview), QStringLiteral(u"第 5/5 页"));
    command(preview, "firstPage")->trigger();
    QCOMPARE(preview.currentPage(), 0);

    command(preview, "close")->trigger();
    QVERIFY(!preview.isVisible());
}

void PrintPreviewTest::keyboardPrintsAndOpensTheSettings()
{
    QTemporaryDir dir;
    CountingPages pages(2);
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(dir.filePath(QStringLiteral("keys.pdf")));
    PrintPreview preview(pages, job);
    preview.show();
    // The progress window of a print leaves no window active offscreen,
    // where a desktop gives the preview its activation back.
    const auto activate = [&] {
        preview.activateWindow();
        return QTest::qWaitForWindowActive(&preview);
    };
    QVERIFY(activate());
    QTest::keyClick(&preview, Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(pages.printed.value(0), 1);
    QVERIFY(activate());
    QTest::keyClick(&preview, Qt::Key_P, Qt::AltModifier);
    QCOMPARE(pages.printed.value(0), 2);
    QVERIFY(activate());
    QString title;
    QTimer::singleShot(0, &preview, [&] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            title = dialog->windowTitle();
            dialog->reject();
        }
    });
    QTest::keyClick(&preview, Qt::Key_S, Qt::AltModifier);
    QCOMPARE(title, QStringLiteral(u"打印设置"));
    QVERIFY(activate());

    // Tab reaches "打 印"; Enter and Space press it.
    QWidget* print = preview.findChild<QToolBar*>()->widgetForAction(command(preview, "print"));
    for (int i = 0; i < 30 && QApplication::focusWidget() != print; ++i)
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &preview,
                        Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), print);
    QTest::keyClick(print, Qt::Key_Return);
    QCOMPARE(pages.printed.value(0), 3);
    QVERIFY(activate());
    QTest::keyClick(print, Qt::Key_Space);
    QCOMPARE(pages.printed.value(0), 4);
    QCOMPARE(command(preview, "print")->text(), QStringLiteral(u"打 印"));
    QCOMPARE(command(preview, "settings")->text(), QStringLiteral(u"设 置"));
}

void PrintPreviewTest::thumbnailsAreNumberedAndChooseThePage()
{
    CountingPages pages(30);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    auto* list = preview.findChild<QListView*>(QStringLiteral("thumbnails"));
    QAbstractItemModel* model = list->model();
    QCOMPARE(model->rowCount(), 30);
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("1"));
    QCOMPARE(model->index(29, 0).data().toString(), QStringLiteral("30"));
    const QIcon picture = model->index(7, 0).data(Qt::DecorationRole).value<QIcon>();
    QVERIFY(!picture.isNull());
    QVERIFY(picture.availableSizes(QIcon::Selected).size() == 1);

    const QModelIndex eighth = model->index(7, 0);
    list->scrollTo(eighth);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(eighth).center());
    QCOMPARE(preview.currentPage(), 7);
    QCOMPARE(indicator(preview), QStringLiteral(u"第 8/30 页"));
}

void PrintPreviewTest::zoomCommands()
{
    CountingPages pages(1);
    PrintJob job(currentDirectoryStore());
    PrintPreview preview(pages, job);
    preview.setWindowState(Qt::WindowNoState); // it opens maximised
    preview.resize(1600, 500);                 // wide: the whole page fits by its height
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    const double fitPage = preview.zoomFactor();
    command(preview, "fitWidth")->trigger();
    QCOMPARE(preview.zoom(), PrintPreview::Zoom::FitWidth);
    QVERIFY(preview.zoomFactor() > fitPage);
    QVERIFY(!command(preview, "fitPage")->isChecked());
    command(preview, "actualSize")->trigger();
    QCOMPARE(preview.zoomFactor(), preview.logicalDpiX() / 96.0);
    command(preview, "fitPage")->trigger();
    QCOMPARE(preview.zoomFactor(), fitPage);
}

void PrintPreviewTest::settingsOnlyKeepTheChoice()
{
    QTemporaryDir dir;
    CountingPages pages(4);
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(dir.filePath(QStringLiteral("settings.pdf")));
    PrintPreview preview(pages, job);
    preview.show();
    QString title;
    QStringList buttons;
    QTimer::singleShot(0, &preview, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        for (QPushButton* b : dialog->findChild<QDialogButtonBox*>()->findChildren<QPushButton*>())
            buttons << b->text();
        dialog->accept();
    });
    command(preview, "settings")->trigger();
    QCOMPARE(title, QStringLiteral(u"打印设置"));
    // Its confirming button must not claim to print: it prints nothing.
    QVERIFY2(buttons.contains(QStringLiteral(u"确定")), qPrintable(buttons.join(u',')));
    QVERIFY(pages.printed.isEmpty());
    QVERIFY(preview.isVisible());
}

void PrintPreviewTest::printGoesToPaperOfTheWaybillSize()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    CountingPages pages(3);
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(pdf);
    PrintPreview preview(pages, job);
    preview.show();
    command(preview, "print")->trigger();
    // Built anew for the printer; the preview stays open.
    QCOMPARE(pages.printed, (QHash<int, int>{{0, 1}, {1, 1}, {2, 1}}));
    QVERIFY(preview.isVisible());
    QCOMPARE(preview.findChild<QLabel*>(QStringLiteral("building"))->text(), QString());

    const PdfInfo info = pdfInfo(pdf);
    QCOMPARE(info.pages, 3);
    QCOMPARE(info.sizes.size(), 3);
    // The exact paper, not Qt's whole points (612 x 397).
    for (const QSizeF& size : info.sizes) {
        QVERIFY2(qAbs(size.width() - 612.28) < 0.01, qPrintable(QString::number(size.width())));
        QVERIFY2(qAbs(size.height() - 396.85) < 0.01, qPrintable(QString::number(size.height())));
    }
}

void PrintPreviewTest::printHonoursPageRangeAndCopies()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("range.pdf"));
    CountingPages pages(5);
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(pdf);
    job.printer().setPageRanges(QPageRanges::fromString(QStringLiteral("2-3")));
    job.printer().setCopyCount(2);
    job.printer().setCollateCopies(true);
    QVERIFY(job.run(pages));
    QCOMPARE(pdfInfo(pdf).pages, 4);
    QCOMPARE(pages.printed, (QHash<int, int>{{1, 2}, {2, 2}}));
}

void PrintPreviewTest::cancelStopsTheLoop()
{
    QTemporaryDir dir;
    CountingPages pages(10);
    QPrinter printer;
    printer.setOutputFileName(dir.filePath(QStringLiteral("cancel.pdf")));
    Printing::setUpPaper(printer);
    int calls = 0;
    QVERIFY(!Printing::printPages(pages, printer, [&](int done, int total) {
        ++calls;
        [&] { QCOMPARE(total, 10); }();
        return done < 3;
    }));
    QCOMPARE(calls, 3);
    QCOMPARE(pages.draws.size(), 3);
}

void PrintPreviewTest::cancelInTheProgressWindow()
{
    QTemporaryDir dir;
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(dir.filePath(QStringLiteral("cancelled.pdf")));
    CountingPages pages(10);
    QString title;
    pages.onPrinted = [&](int index) {
        if (index != 2)
            return;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(w);
            if (progress && progress->isVisible()) {
                title = progress->windowTitle();
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            }
        }
    };
    QVERIFY(!PrintProgress::run(nullptr, job, pages));
    QCOMPARE(title, QStringLiteral("Printing progress"));
    QCOMPARE(pages.printed.size(), 3);
}

void PrintPreviewTest::warningsAskedOfThePagesPrinted()
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    const QString lost = QStringLiteral(u"收件地址 超出，3 字未打印");
    // A range without warned pages is not asked about, and prints.
    for (const auto& [range, box, checked] :
         {std::tuple{
              QString(),
              u"4 页的文字打印不全：\n第 2 页：%1\n第 5 页：%1\n第 13 页：%1\n第 18 页：%1"_qs, 20},
          std::tuple{u"3-13"_qs, u"2 页的文字打印不全：\n第 5 页：%1\n第 13 页：%1"_qs, 12},
          std::tuple{u"6-12"_qs, QString(), 8}}) {
        CountingPages pages(20);
        pages.warned = {1, 4, 12, 17};
        PrintJob job(currentDirectoryStore());
        job.setOutputFile(dir.filePath(QStringLiteral("range.pdf")));
        job.printer().setPageRanges(QPageRanges::fromString(range));
        PrintPreview preview(pages, job);
        dialogs.clear();
        if (!box.isEmpty())
            dialogs.choices.enqueue(QStringLiteral(u"取消"));
        command(preview, "print")->trigger();
        QCOMPARE(dialogs.lastText(), box.isEmpty() ? QString() : box.arg(lost));
        QCOMPARE(pages.printed.size(), box.isEmpty() ? 7 : 0);
        // The page shown and those printed; the rest is left to idle time.
        QCOMPARE(pages.checked.size(), checked);
    }
}

void PrintPreviewTest::cancellingTheCheckPrintsNothing()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("checked.pdf"));
    ScriptedDialogs dialogs;
    CountingPages pages(5000);
    pages.warned = {4000};
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(pdf);
    PrintPreview preview(pages, job);
    preview.show();
    QString shown;
    pages.onChecked = [&](int index) {
        if (index != 2500)
            return;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<QProgressDialog*>(w);
            if (progress && progress->isVisible()) {
                shown = progress->windowTitle() + QLatin1Char(' ') +
                        progress->labelText().section(QLatin1Char('/'), 1);
                QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
            }
        }
    };
    command(preview, "print")->trigger();
    QCOMPARE(shown, QStringLiteral(u"打印前检查 5000 页"));
    QVERIFY(dialogs.shown.isEmpty());
    QVERIFY(pages.printed.isEmpty());
    QVERIFY(!QFile::exists(pdf));
    // The idle check goes on with what is left.
    QTRY_COMPARE(preview.findChild<QLabel*>(QStringLiteral("batchWarnings"))->text(),
                 QStringLiteral(u"共 1 页有警告：第 4001 页"));
}

void PrintPreviewTest::shrunkPagesAreCheckedAgainAfterThePrint()
{
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    struct Shrinking : CountingPages {
        using CountingPages::CountingPages;
        void setShrinkToFit(double) override { warned = {19}; } // still too long
    } pages(20);
    pages.warned = {1, 19};
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(dir.filePath(QStringLiteral("shrunk.pdf")));
    PrintPreview preview(pages, job);
    auto* label = preview.findChild<QLabel*>(QStringLiteral("batchWarnings"));
    auto* next = preview.findChild<QPushButton*>(QStringLiteral("nextWarning"));
    QString whilePrinting;
    bool nextWhilePrinting = true;
    pages.onPrinted = [&](int) {
        whilePrinting = label->text();
        nextWhilePrinting = !next->isHidden();
    };
    dialogs.choices.enqueue(QStringLiteral(u"缩小字号打印"));
    command(preview, "print")->trigger();
    QCOMPARE(pages.printed.size(), 20);
    QCOMPARE(whilePrinting, QStringLiteral(u"检查中 0/20 页"));
    QVERIFY(!nextWhilePrinting);
    QTRY_COMPARE(label->text(), QStringLiteral(u"共 1 页有警告：第 20 页"));
    QVERIFY(!next->isHidden());
}

void PrintPreviewTest::noPrinterIsAnError()
{
    CountingPages pages(1);
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    // Said in Chinese, with what to do or which name was wrong.
    const auto reason = [](const auto& print) {
        try {
            print();
        } catch (const CommandError& e) {
            return e.text();
        }
        return QString();
    };
    QCOMPARE(reason([&] { Printing::printPages(pages, printer); }),
             QStringLiteral(u"没有可用的打印机：请先在系统中添加打印机，或点“设 置”打印到文件"));
    QCOMPARE(
        reason([] { PrintJob(currentDirectoryStore()).setPrinterName(QStringLiteral("no such")); }),
        QStringLiteral(u"没有名为“no such”的打印机"));
}

void PrintPreviewTest::statusBarNamesWhereThePagesGo()
{
    CountingPages pages(3);
    {
        // The printer in use, or words that there is none and "设 置".
        PrintJob job(currentDirectoryStore());
        PrintPreview preview(pages, job);
        const QString shown = preview.findChild<QLabel*>(QStringLiteral("destination"))->text();
        auto* offer = preview.findChild<QPushButton*>(QStringLiteral("offerSettings"));
        const QString printer = PrinterChoice::inUse();
        QCOMPARE(shown, printer.isEmpty() ? QStringLiteral(u"没有可用的打印机：请先在系统中添加"
                                                           u"打印机，或点“设 置”打印到文件")
                                          : QStringLiteral(u"打印机：") + printer);
        QCOMPARE(offer->isHidden(), !printer.isEmpty());
        QString opened;
        QTimer::singleShot(0, &preview, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = dialog->windowTitle();
                dialog->reject();
            }
        });
        offer->click();
        QCOMPARE(opened, QStringLiteral(u"打印设置"));
    }
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("named.pdf"));
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(pdf);
    PrintPreview preview(pages, job);
    auto* destination = preview.findChild<QLabel*>(QStringLiteral("destination"));
    QCOMPARE(destination->text(), QStringLiteral(u"打印到文件：") + pdf);
    QVERIFY(preview.findChild<QPushButton*>(QStringLiteral("offerSettings"))->isHidden());
    for (const auto& [range, count] : {std::pair{QString(), 3}, std::pair{u"2-3"_qs, 2}}) {
        job.printer().setPageRanges(QPageRanges::fromString(range));
        command(preview, "print")->trigger();
        QCOMPARE(destination->text(), QStringLiteral(u"已将 %1 页保存到 %2").arg(count).arg(pdf));
    }
}

void PrintPreviewTest::printToFileNeverReplacesTheDatabase()
{
    TestDatabase db;
    const QString link = db.dir() + QStringLiteral("/out.pdf");
    QVERIFY(QFile::link(QStringLiteral("data.mdb"), link));
    const QByteArray before = DatabaseFiles::contents(db.path());
    ScriptedDialogs dialogs;
    CountingPages pages(1);
    PrintJob job(db.session());
    job.setOutputFile(link);
    PrintPreview preview(pages, job);
    command(preview, "print")->trigger();
    QCOMPARE(dialogs.lastText(),
             link + QStringLiteral(u" 就是正在使用的数据库，不能打印到它上面，未打印任何页!"));
    QCOMPARE(DatabaseFiles::contents(db.path()), before);
}

void PrintPreviewTest::aPrintThatFailsLeavesThePreviousFileWhole()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("kept.pdf"));
    QFile previous(pdf);
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write("the previous print");
    previous.close();
    const auto kept = [&] {
        QFile file(pdf);
        return file.open(QIODevice::ReadOnly) && file.readAll() == "the previous print" &&
               QDir(dir.path()).entryList(QDir::Files) == QStringList{QStringLiteral("kept.pdf")};
    };
    CountingPages pages(3);
    PrintJob job(currentDirectoryStore());
    job.setOutputFile(pdf);
    QVERIFY(!job.run(pages, [](int done, int) { return done < 2; }));
    QVERIFY(kept());
    QCOMPARE(job.destination(), pdf);
    pages.onPrinted = {};
    struct Failing : CountingPages {
        using CountingPages::CountingPages;
        void drawPage(QPainter& painter, int index) override
        {
            if (index == 1)
                throw PrintError(QStringLiteral("no room"));
            CountingPages::drawPage(painter, index);
        }
    } failing(3);
    QVERIFY_THROWS_EXCEPTION(CommandError, exportPdf(failing, pdf, currentDirectoryStore()));
    QVERIFY(kept());
}

QTEST_MAIN(PrintPreviewTest)
#include "print_preview_test.moc"
