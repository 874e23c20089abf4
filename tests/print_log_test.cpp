// The print log: what reaches it from the print windows and the command
// line, reprints from it, the questions it raises, backup and restore.
#include "maintenance/database_backup.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/query_sets.h"
#include "store/schema.h"
#include "store/statements.h"
#include "support/command_line_run.h"
#include "support/main_window_driver.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/layout_template.h"
#include "waybill/print_log.h"
#include "waybill/printing/printing_job.h"
#include "waybill/waybill_pages.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/print_log_window.h"
#include "waybill/windows/print_preview.h"
#include "waybill/windows/single_print_window.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>
#include <QXmlStreamReader>
#include <ctime>

namespace {

QStringList senderRow()
{
    return {u"寄件公司"_qs,
            u"张三"_qs,
            u"深圳"_qs,
            u"深圳南山路1号"_qs,
            "518000",
            "0755-1234",
            "13800000001",
            u"签"_qs,
            "2026",
            "12",
            "9"};
}

QStringList recipient(const QString& name, const QString& mobile,
                      const QString& remarks = u"轻放"_qs)
{
    return {u"收件公司"_qs, name, u"北京"_qs, u"北京长安街2号"_qs, "100000", "010-5678", mobile,
            u"文件"_qs,     "1",  remarks};
}

// Each word of a PDF with where it starts, page by page.
QStringList pdfWords(const QString& pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        qFatal("pdftotext did not finish");
    QXmlStreamReader xml(p.readAllStandardOutput());
    QStringList words;
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            if (xml.name() == QLatin1String("page"))
                words << QStringLiteral("-- page");
            if (xml.name() == QLatin1String("word")) {
                const auto a = xml.attributes();
                const QString at =
                    a.value("xMin").toString() + QLatin1Char(',') + a.value("yMin").toString();
                words << xml.readElementText() + QLatin1Char('@') + at;
            }
        }
    return words;
}

// The next preview prints its pages to `pdf`, each `copies` times.
void printNextPreviewTo(ScriptedDialogs& dialogs, const QString& pdf, int copies = 1)
{
    dialogs.previewActions.enqueue([pdf, copies](QWidget*, PageSource& pages, PrintJob& job) {
        job.setOutputFile(pdf);
        job.printer().setCopyCount(copies);
        QVERIFY(job.run(pages));
        QVERIFY(!job.logFailure());
    });
}

void trigger(QWidget& window)
{
    window.findChild<QAction*>(QStringLiteral("N1"))->trigger();
}

using Run = CommandLineRun;

Run cli(const QStringList& args)
{
    return runCommandLine(args);
}

// Pages that describe themselves by their index.
class NumberedPages : public PageSource {
public:
    int pageCount() override { return 6; }
    void drawPage(QPainter&, int) override {}
    bool describePage(int index, LoggedPage& page) override
    {
        page.recipient = {QString::number(index)};
        return true;
    }
};

} // namespace

class PrintLogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pagesAreLoggedOnceInTheOrderFirstDrawn_data();
    void pagesAreLoggedOnceInTheOrderFirstDrawn();
    void reprintIsThePagePrintedWhateverTheRowsBecame();
    void aLongLogListsTheNewestAndFindsAnyNumber();
    void templatePagesPrintAgain();
    void recipientPrintedTodayIsAskedForOrCounted();
    void batchLooksOnlyAtTodaysRecipientsAndCountsAsTheWalk();
    void todayIsTheLocalDay();
    void logSurvivesBackupAndRestore_data();
    void logSurvivesBackupAndRestore();
    void printWhoseLogFailsIsPrintedAndSaysSo();
    void commandLineLogsAndLists();

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void PrintLogTest::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_db->insert(Schema::senderTable, senderRow());
    m_db->insert(Schema::recipientTable, recipient(u"甲一"_qs, "13900000001"));
    // The log keeps a tab and a backslash of a value as they are.
    m_db->insert(Schema::recipientTable, recipient(u"乙二"_qs, "13900000002", u"轻\\放\t易碎"_qs));
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void PrintLogTest::cleanup()
{
    m_dialogs.reset();
    m_db.reset();
}

void PrintLogTest::pagesAreLoggedOnceInTheOrderFirstDrawn_data()
{
    QTest::addColumn<QList<int>>("drawn");
    QTest::addColumn<QList<int>>("logged");
    QTest::newRow("in order") << QList<int>{0, 1, 2, 3, 4, 5} << QList<int>{0, 1, 2, 3, 4, 5};
    QTest::newRow("two copies") << QList<int>{0, 0, 1, 1} << QList<int>{0, 1};
    QTest::newRow("a range, then the rest")
        << QList<int>{2, 3, 4, 3, 0, 1, 5} << QList<int>{2, 3, 4, 0, 1, 5};
    QTest::newRow("backwards") << QList<int>{5, 4, 3} << QList<int>{5, 4, 3};
    QTest::newRow("outside") << QList<int>{-1, 6, 1} << QList<int>{1};
}

void PrintLogTest::pagesAreLoggedOnceInTheOrderFirstDrawn()
{
    QFETCH(QList<int>, drawn);
    QFETCH(QList<int>, logged);
    NumberedPages numbered;
    RecordedPages pages(numbered);
    QImage paper(8, 8, QImage::Format_RGB32);
    QPainter painter(&paper);
    for (const int index : drawn)
        pages.drawPage(painter, index);
    QList<int> described;
    LoggedPage page;
    for (qsizetype at = 0; at < pages.drawnCount(); ++at)
        if (pages.describeDrawn(at, page))
            described << page.recipient.first().toInt();
    QCOMPARE(described, logged);
    QVERIFY(!pages.describeDrawn(pages.drawnCount(), page));
}

void PrintLogTest::reprintIsThePagePrintedWhateverTheRowsBecame()
{
    const QString printed = m_db->dir() + QStringLiteral("/printed.pdf");
    const QString reprinted = m_db->dir() + QStringLiteral("/reprinted.pdf");
    BatchPrintWindow batch(m_db->session());
    batch.show();
    batch.rereadRows();
    Drive::type(&batch, QStringLiteral("Edit1"), QStringLiteral("7"));
    Drive::click(&batch, QStringLiteral("Button2"));
    Drive::type(&batch, QStringLiteral("Edit2"), QStringLiteral("-5"));
    Drive::click(&batch, QStringLiteral("Button3"));
    m_dialogs->fonts.enqueue(QFont(u"宋体"_qs, 14));
    batch.chooseFont();
    // Two copies: each page drawn twice, logged once.
    printNextPreviewTo(*m_dialogs, printed, 2);
    trigger(batch);

    const QList<QStringList> log = m_db->rows(Schema::printLogTable);
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.at(1).at(6), u"乙二"_qs);
    const QStringList first = log.first();
    QCOMPARE(first.mid(1, 4), (QStringList{"TPlsf1Form", printed, "7", "-5"}));
    QVERIFY(first.at(5).startsWith(u"宋体"_qs));
    QCOMPARE(first.mid(6, 3), (QStringList{u"甲一"_qs, "13900000001", u"北京长安街2号"_qs}));
    QCOMPARE(first.at(10), recipient(u"甲一"_qs, "13900000001").join(QLatin1Char('\t')));

    // The address book changes; the log keeps what was printed.
    m_db->exec(u"UPDATE inrxx SET 收件人姓名 = '丙三', 收件地址 = '上海某路'"_qs);
    PrintLogWindow window(m_db->session());
    window.show();
    QCOMPARE(window.listedNumbers(), (QList<qlonglong>{2, 1}));
    Drive::type(&window, QStringLiteral("Edit1"), u"甲"_qs);
    Drive::click(&window, QStringLiteral("Button1"));
    QCOMPARE(window.listedNumbers(), QList<qlonglong>{1});
    // A backslash is a character like any other, on either store.
    Drive::type(&window, QStringLiteral("Edit1"), u"\\一"_qs);
    Drive::click(&window, QStringLiteral("Button1"));
    QCOMPARE(window.listedNumbers(), QList<qlonglong>{});
    Drive::type(&window, QStringLiteral("Edit1"), QString());
    Drive::type(&window, QStringLiteral("Edit3"), QDate::currentDate().toString(Qt::ISODate));
    Drive::click(&window, QStringLiteral("Button1"));
    QCOMPARE(window.listedNumbers(), (QList<qlonglong>{2, 1}));
    // The window as its menus name it; the log keeps the class name.
    const QAbstractItemModel* listed =
        window.findChild<QTableView*>(QStringLiteral("DBGridEh1"))->model();
    QCOMPARE(listed->headerData(1, Qt::Horizontal).toString(), u"打印窗口"_qs);
    QCOMPARE(listed->index(0, 1).data().toString(), u"批量打印"_qs);

    Drive::click(&window, QStringLiteral("Button2"));
    QCOMPARE(m_dialogs->lastText(), u"请先选择要重新打印的记录！"_qs);
    window.findChild<QTableView*>(QStringLiteral("DBGridEh1"))->selectAll();
    printNextPreviewTo(*m_dialogs, reprinted, 2);
    Drive::click(&window, QStringLiteral("Button2"));
    QCOMPARE(m_dialogs->previewPageCounts, (QList<int>{2, 2}));

    // The reprint: every word where the print had it, shifted as it was.
    const QStringList words = pdfWords(printed);
    QCOMPARE(words.count(QStringLiteral("-- page")), 4);
    QVERIFY(std::any_of(words.begin(), words.end(),
                        [](const QString& w) { return w.startsWith(u"甲一@"_qs); }));
    QCOMPARE(pdfWords(reprinted), words);
    // A reprint is a print: logged again, as the same window's pages.
    const QList<QStringList> after = m_db->rows(Schema::printLogTable);
    QCOMPARE(after.size(), 4);
    QCOMPARE(after.at(2).mid(1, 4), (QStringList{"TPlsf1Form", reprinted, "7", "-5"}));
    QCOMPARE(after.at(2).mid(5), first.mid(5));
    QCOMPARE(window.listedNumbers(), (QList<qlonglong>{4, 3, 2, 1}));
}

// A log longer than the list: its newest pages with their numbers, a note
// that there are more, and an old page found by its waybill number.
void PrintLogTest::aLongLogListsTheNewestAndFindsAnyNumber()
{
    QList<LoggedPage> pages(5);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        pages[i].recipient = recipient(u"甲一"_qs, "13900000001");
        pages[i].waybillNumber = QStringLiteral("90000%1").arg(i + 1);
    }
    {
        Connection connection(m_db->session());
        connection.open();
        PrintLog::write(connection, pages, QStringLiteral("printer"), PrintLog::now());
    }
    PrintLogWindow window(m_db->session(), nullptr, 3);
    window.show();
    const QAbstractItemModel* listed =
        window.findChild<QTableView*>(QStringLiteral("DBGridEh1"))->model();
    const auto* note = window.findChild<QLabel*>(QStringLiteral("MoreNote"));
    QCOMPARE(window.listedNumbers(), (QList<qlonglong>{5, 4, 3}));
    QCOMPARE(listed->index(0, 7).data().toString(), u"900005"_qs);
    QCOMPARE(note->text(), u"仅显示最近 3 页，请按姓名、手机号码、日期或运单号查找更早的记录"_qs);
    QVERIFY(note->isVisible());
    Drive::type(&window, QStringLiteral("Edit4"), QStringLiteral("900001"));
    Drive::click(&window, QStringLiteral("Button1"));
    QCOMPARE(window.listedNumbers(), QList<qlonglong>{1});
    QCOMPARE(listed->index(0, 7).data().toString(), u"900001"_qs);
    QVERIFY(!note->isVisible());
}

// Pages of a template file and of the built-in label print again on their
// template; a file gone since, or pages on two papers, are said.
void PrintLogTest::templatePagesPrintAgain()
{
    const QString label = m_db->dir() + QStringLiteral("/label.json");
    QFile file(label);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(R"({"format": 1, "name": "小标签", "paper": {"width_mm": 80, "height_mm": 60},
        "items": [{"source": "recipient", "column": "收件人姓名", "x_mm": 10.3, "y_mm": 12.7,
                   "width_mm": 30, "height_mm": 6}]})");
    file.close();
    const QString printed = m_db->dir() + QStringLiteral("/printed.pdf");
    const QString reprinted = m_db->dir() + QStringLiteral("/reprinted.pdf");
    BatchPrintWindow batch(m_db->session());
    // The window's choice outlives it: its own page again for other tests.
    const auto own = qScopeGuard(
        [&] { batch.useTemplate(LayoutTemplates::builtIn(WaybillVariant::AddressBookBatch)); });
    batch.rereadRows();
    m_dialogs->files.enqueue(label);
    batch.openTemplateFile();
    printNextPreviewTo(*m_dialogs, printed);
    trigger(batch);
    batch.useTemplate(*LayoutTemplates::builtIn(u"parcel-label-100x150"_qs));
    printNextPreviewTo(*m_dialogs, m_db->dir() + QStringLiteral("/parcels.pdf"));
    trigger(batch);
    const QList<QStringList> log = m_db->rows(Schema::printLogTable);
    QCOMPARE(log.size(), 4);
    QCOMPARE(log.at(0).mid(1, 2), (QStringList{u"TPlsf1Form 模板 小标签"_qs, printed}));
    QCOMPARE(log.at(0).last(), label);
    QCOMPARE(log.at(2).last(), u"parcel-label-100x150"_qs);
    // The label as a log from before kept it: known by its name.
    m_db->exec(u"UPDATE printlog SET 模板 = '' WHERE 打印到 LIKE '%parcels.pdf'"_qs);

    PrintLogWindow window(m_db->session());
    window.show();
    auto* list = window.findChild<QTableView*>(QStringLiteral("DBGridEh1"));
    const auto reprint = [&](const QList<int>& rows) {
        list->clearSelection();
        for (int row : rows)
            list->selectionModel()->select(list->model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Drive::click(&window, QStringLiteral("Button2"));
    };
    // Newest first, each reprint logged on top: labels 4 3, file 2 1.
    printNextPreviewTo(*m_dialogs, reprinted);
    reprint({2, 3});
    QCOMPARE(pdfWords(reprinted), pdfWords(printed));
    // File 6 5, labels 4 3, file 2 1.
    printNextPreviewTo(*m_dialogs, m_db->dir() + QStringLiteral("/parcels-again.pdf"));
    reprint({2});
    QCOMPARE(m_dialogs->previewPageCounts, (QList<int>{2, 2, 2, 1}));
    QCOMPARE(m_db->rows(Schema::printLogTable).last().last(), u"parcel-label-100x150"_qs);
    // Label 7, file 6 5, ...
    reprint({0, 1});
    QVERIFY2(m_dialogs->lastText().contains(u"纸张大小不同"_qs), qPrintable(m_dialogs->lastText()));
    QVERIFY(QFile::remove(label));
    reprint({1});
    QVERIFY2(m_dialogs->lastText().contains(u"第 1 页的模板文件已不在："_qs + label),
             qPrintable(m_dialogs->lastText()));
    QCOMPARE(m_dialogs->previewPageCounts.size(), 4);
}

void PrintLogTest::recipientPrintedTodayIsAskedForOrCounted()
{
    MainQueries main(m_db->session());
    main.reopen();
    BatchPrintWindow batch(m_db->session());
    batch.show();
    const auto batchStatus = [&] {
        batch.rereadRows();
        QString status;
        m_dialogs->previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
            PrintPreview preview(pages, job, parent);
            auto* label = preview.findChild<QLabel*>(QStringLiteral("printedToday"));
            QTRY_VERIFY(!label->text().isEmpty());
            status = label->text();
        });
        trigger(batch);
        return status;
    };
    QCOMPARE(batchStatus(), u"其中 0 页今天已打印过"_qs);
    m_dialogs->clear();
    SinglePrintWindow single(m_db->session(), main.sender, main.recipients);
    printNextPreviewTo(*m_dialogs, m_db->dir() + QStringLiteral("/one.pdf"));
    trigger(single);
    QVERIFY(m_dialogs->messageTexts().isEmpty());

    // Again today: asked, No by default; No opens no preview, Yes does.
    for (const bool yes : {false, true}) {
        m_dialogs->answers.enqueue(yes);
        trigger(single);
        QCOMPARE(m_dialogs->shown.last().kind == QLatin1String("preview"), yes);
    }
    QCOMPARE(m_dialogs->messageTexts(),
             QStringList(2, u"该收件人今天已经打印过，确定要再打印吗？"_qs));
    for (const ScriptedDialogs::Shown& s : m_dialogs->shown)
        if (s.kind == QLatin1String("ask"))
            QCOMPARE(s.preset, Dialogs::Default::No);

    // The other recipient was not printed: no question.
    main.recipients.setCurrentRow(1);
    m_dialogs->clear();
    trigger(single);
    QVERIFY(m_dialogs->messageTexts().isEmpty());

    QCOMPARE(batchStatus(), u"其中 1 页今天已打印过"_qs);
}

void PrintLogTest::batchLooksOnlyAtTodaysRecipientsAndCountsAsTheWalk()
{
    const auto row = [](const QString& name, const QString& mobile, const QString& address) {
        QStringList r = recipient(name, mobile);
        r[3] = address;
        return r;
    };
    const QString street = u"北京长安街2号"_qs;
    // Beside 甲一 and 乙二: each printed today in another spelling, or not.
    for (const QStringList& r :
         {row(u"丙三"_qs, "138-0013-8000", street), row(u"丁四"_qs, "13800138000", street),
          row(u"戊五"_qs, u"１３７ ００１３ ７０００"_qs, street), row(u" 己六 "_qs, "", street),
          row(u"庚七"_qs, "", street), row("", "", ""), row(u"辛八"_qs, "13600136000", street)})
        m_db->insert(Schema::recipientTable, r);
    QList<LoggedPage> today;
    for (const QStringList& r :
         {row(u"别名"_qs, "+86 13800138000", ""), row(u"别名"_qs, u"１３７００１３７０００"_qs, ""),
          row(u"己六"_qs, "", street + u" "_qs), row("", "", ""),
          row(u"甲一"_qs, "1390000000", street)}) {
        LoggedPage page;
        page.window = WaybillVariant::AddressBookBatch;
        page.sender = senderRow();
        page.recipient = r;
        today << page;
    }
    Connection log(m_db->session());
    log.open();
    PrintLog::write(log, today, QStringLiteral("desk"), PrintLog::now());

    // 丙三 and 丁四 by the mobile's digits, 戊五 by digits of another
    // script, 己六 by name and address.
    PrintingQueries keyed(m_db->session(), Statements::selectRecipients());
    Dataset unkeyed(keyed.connection);
    unkeyed.setQuery(Statements::selectRecipients());
    unkeyed.open();
    const WaybillLayout layout = WaybillLayout::forWindow(WaybillVariant::AddressBookBatch);
    WaybillPages looked(layout, &keyed.sender, &keyed.recipients, RecordMode::EveryRow);
    WaybillPages walked(layout, &keyed.sender, &unkeyed, RecordMode::EveryRow);
    QVERIFY(looked.pagesKeyedAs({}).has_value());
    QVERIFY(!walked.pagesKeyedAs({}).has_value());
    QCOMPARE(PrintLog::countPrintedToday(m_db->session(), looked), 4);
    QCOMPARE(PrintLog::countPrintedToday(m_db->session(), walked), 4);
}

void PrintLogTest::todayIsTheLocalDay()
{
    // China at 00:30 on New Year's Day, when UTC is still in 2024.
    const QByteArray zone = qgetenv("TZ");
    const auto realClock = PrintLog::now;
    const auto restore = qScopeGuard([&] {
        zone.isNull() ? qunsetenv("TZ") : qputenv("TZ", zone);
        tzset();
        PrintLog::now = realClock;
    });
    qputenv("TZ", "Asia/Shanghai");
    tzset();
    PrintLog::now = [] { return QDateTime(QDate(2025, 1, 1), QTime(0, 30)); };
    {
        Connection c(m_db->session());
        c.open();
        LoggedPage page;
        page.sender = senderRow();
        page.recipient = recipient(u"甲一"_qs, "13900000001");
        PrintLog::write(c, {page}, u"打印机一"_qs, QDateTime(QDate(2024, 12, 31), QTime(20, 0)));
    }
    MainQueries main(m_db->session());
    main.reopen();
    SinglePrintWindow single(m_db->session(), main.sender, main.recipients);
    // Printed yesterday evening: not asked; printed now: asked next time.
    printNextPreviewTo(*m_dialogs, m_db->dir() + QStringLiteral("/morning.pdf"));
    trigger(single);
    QVERIFY(m_dialogs->messageTexts().isEmpty());
    QCOMPARE(m_db->rows(Schema::printLogTable).last().first(),
             QStringLiteral("2025-01-01 00:30:00"));
    m_dialogs->answers.enqueue(false);
    trigger(single);
    QCOMPARE(m_dialogs->messageTexts(),
             QStringList{u"该收件人今天已经打印过，确定要再打印吗？"_qs});
}

void PrintLogTest::logSurvivesBackupAndRestore_data()
{
    QTest::addColumn<bool>("withLog");
    QTest::newRow("backup with the log") << true;
    QTest::newRow("backup from before the log") << false;
}

void PrintLogTest::logSurvivesBackupAndRestore()
{
    if (TestDatabase::onServer())
        QSKIP("data.mdb's own file; the server's backups are store_copy_test's");
    QFETCH(bool, withLog);
    if (withLog) {
        Connection c(m_db->session());
        c.open();
        LoggedPage page;
        page.calibration = {{-3}, {5}, QFont(u"宋体"_qs, 10)};
        page.sender = senderRow();
        page.recipient = recipient(u"甲一"_qs, "13900000001");
        PrintLog::write(c, {page, page}, u"打印机一"_qs, QDateTime::currentDateTime());
    } else {
        m_db->exec(QStringLiteral("DROP TABLE printlog"));
    }
    const QList<QStringList> logged =
        withLog ? m_db->rows(Schema::printLogTable) : QList<QStringList>{};
    const QString bak = m_db->dir() + QStringLiteral("/kept.bak");
    DatabaseBackup::backup(m_db->path(), bak);

    TestDatabase other;
    DatabaseBackup::restore(bak, other.path());
    QCOMPARE(other.rows(Schema::printLogTable), logged);
    QCOMPARE(other.rows(Schema::recipientTable).size(), 2);

    if (!withLog) {
        // The database itself gets the table once the program opens it.
        QFile::remove(other.path());
        QVERIFY(QFile::copy(bak, other.path()));
        MainQueries main(other.session());
        main.reopen();
        QCOMPARE(other.rows(Schema::printLogTable), QList<QStringList>{});
    }
}

void PrintLogTest::printWhoseLogFailsIsPrintedAndSaysSo()
{
    if (TestDatabase::onServer())
        QSKIP("data.mdb's own file; the server's backups are store_copy_test's");
    m_db->exec(QStringLiteral("DROP TABLE printlog"));
    m_db->exec(QStringLiteral("CREATE TABLE printlog (other)"));
    const QString pdf = m_db->dir() + QStringLiteral("/unlogged.pdf");
    BatchPrintWindow batch(m_db->session());
    batch.show();
    batch.rereadRows();
    QString done;
    m_dialogs->choices.enqueue(u"仍然打印"_qs);
    m_dialogs->previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
        job.setOutputFile(pdf);
        PrintPreview preview(pages, job, parent);
        preview.findChild<QAction*>(QStringLiteral("print"))->trigger();
        done = preview.findChild<QLabel*>(QStringLiteral("destination"))->text();
    });
    trigger(batch);
    QCOMPARE(done, u"已将 2 页保存到 %1（未写入打印记录）"_qs.arg(pdf));
    QCOMPARE(pdfWords(pdf).count(QStringLiteral("-- page")), 2);
    const ScriptedDialogs::Shown& told = m_dialogs->shown.last();
    QCOMPARE(told.icon, Dialogs::Icon::Warning);
    QVERIFY2(told.text.startsWith(u"已打印，但打印记录未能写入！"_qs), qPrintable(told.text));

    // The command line says so too, and --strict still tells of a text
    // that does not print whole.
    m_db->exec(u"UPDATE inrxx SET 备注 = '%1'"_qs.arg(u"易碎"_qs.repeated(150)));
    const Run strict = cli({"print", "--window", "batch", "--pdf", "strict.pdf", "--strict"});
    QCOMPARE(strict.status, 3);
    QVERIFY2(strict.err.contains(u"page 2: 备注 超出，286 字未打印\n"_qs), qPrintable(strict.err));
    QVERIFY2(strict.err.contains(QStringLiteral("printed, but the print log could not be written")),
             qPrintable(strict.err));
    QCOMPARE(strict.out, QStringLiteral("2\tstrict.pdf\n"));
}

void PrintLogTest::commandLineLogsAndLists()
{
    const QString pdf = m_db->dir() + QStringLiteral("/cli.pdf");
    const Run print = cli({"print", "--window", "batch", "--pdf", "cli.pdf", "--dx", "-4"});
    QCOMPARE(print.status, 0);
    // Page warnings may be there; a failed log may not.
    QVERIFY2(!print.err.contains(QStringLiteral("print log")), qPrintable(print.err));
    const Run all = cli({"log"});
    QCOMPARE(all.status, 0);
    const QStringList lines = all.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    const QString today = QDate::currentDate().toString(Qt::ISODate);
    QCOMPARE(lines.first().split(QLatin1Char('\t')).size(), 7);
    QVERIFY(lines.first().startsWith(QStringLiteral("2\t") + today));
    QVERIFY(lines.first().endsWith(
        QStringLiteral(u"\tTPlsf1Form\t%1\t乙二\t13900000002\t北京长安街2号").arg(pdf)));
    QCOMPARE(m_db->rows(Schema::printLogTable).first().at(3), QStringLiteral("-4"));
    QCOMPARE(cli({"log", "--since", today}).out, all.out);
    // The calibration page is no waybill: not logged.
    QCOMPARE(cli({"print", "--window", "batch", "--pdf", "rulers.pdf", "--calibration"}).status, 0);
    QCOMPARE(cli({"log"}).out, all.out);
    QCOMPARE(cli({"log", "--since", QDate::currentDate().addDays(1).toString(Qt::ISODate)}).out,
             QString());
    // A page without recipient (the address book empty) is listed as well.
    m_db->exec(QStringLiteral("DELETE FROM inrxx"));
    QCOMPARE(cli({"print", "--window", "batch", "--pdf", "empty.pdf"}).status, 0);
    QVERIFY(cli({"log"}).out.startsWith(QStringLiteral("3\t")));
}

QTEST_MAIN(PrintLogTest)
#include "print_log_test.moc"
