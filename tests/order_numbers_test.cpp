// From a platform's order sheet to the shipping sheet it takes back: order
// numbers kept through import and print, waybill numbers given by a first
// number or afterwards, and the sheet pairing them; on both stores.
#include "exchange/sheet_import.h"
#include "exchange/shipping_sheet.h"
#include "maintenance/database_backup.h"
#include "store/connection.h"
#include "store/query_sets.h"
#include "store/schema.h"
#include "store/store_session.h"
#include "support/collected_cells.h"
#include "support/command_line_run.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/number_assignment.h"
#include "waybill/print_error.h"
#include "waybill/print_log.h"
#include "waybill/printing/printing_job.h"
#include "waybill/waybill_numbers.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/print_log_window.h"
#include "waybill/windows/print_preview.h"
#include "waybill/windows/scan_window.h"
#include "waybill/windows/single_print_window.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPageRanges>
#include <QPrinter>
#include <QTableView>
#include <QTest>

namespace {

// A shop's export, titled as the platform titles it (not as our sheets are).
const QByteArray platformSheet = "\xEF\xBB\xBF"
                                 "订单编号,收货人姓名,联系手机,收货地址,店铺名称\n"
                                 "T1001,张三,13800000001,广东省深圳市南山区科技园1号,小店\n"
                                 ",王五,13800000003,上海市浦东新区世纪大道3号,小店\n"
                                 "T1002,李四,13800000002,北京市朝阳区建国路2号,小店\n";

QString importAndPrint(const TestDatabase& db, const QStringList& numbering)
{
    QFile sheet(db.dir() + "/orders.csv");
    if (!sheet.open(QIODevice::WriteOnly) || sheet.write(platformSheet) != platformSheet.size())
        qFatal("cannot write the sheet");
    sheet.close();
    const CommandLineRun imported = runCommandLine({"import", sheet.fileName()});
    if (imported.status != 0)
        qFatal("import failed: %s", qPrintable(imported.err));
    const CommandLineRun printed = runCommandLine(
        QStringList{"print", "--window", "imported-batch", "--pdf", "out.pdf"} + numbering);
    if (printed.status != 0)
        qFatal("print failed: %s", qPrintable(printed.err));
    return printed.out.section(u"run\t"_qs, 1).trimmed();
}

// The shipping sheet's rows without the titles, as the CSV file holds them.
SheetRows shippedRows(const QString& run)
{
    const CommandLineRun exported =
        runCommandLine({"ship-export", "--run", run, "--format", "csv", "ship"});
    if (exported.status != 0)
        qFatal("ship-export failed: %s", qPrintable(exported.err));
    QFile csv("ship.csv");
    if (!csv.open(QIODevice::ReadOnly) || !csv.read(3).startsWith("\xEF\xBB\xBF"))
        qFatal("no byte-order mark");
    return CollectedCells::inFile("ship.csv").mid(1);
}

const SheetRows expectedShipping(const QStringList& numbers)
{
    // In print order; the recipient without an order number last, marked.
    return {{"T1001", u"顺丰速运"_qs, numbers.at(0), u"张三"_qs, "13800000001"},
            {"T1002", u"顺丰速运"_qs, numbers.at(2), u"李四"_qs, "13800000002"},
            {"", u"顺丰速运"_qs, numbers.at(1), u"王五"_qs, "13800000003", u"无订单编号"_qs}};
}

} // namespace

class OrderNumbersTest : public QObject {
    Q_OBJECT
private slots:
    void s10CheckDigit_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<int>("check");
        // Published examples, then the two remainders that are no digit.
        QTest::newRow("RR 47312482 GB") << "47312482" << 9;
        QTest::newRow("RA 12345678 CN") << "12345678" << 5;
        QTest::newRow("10 gives 0") << "00000008" << 0;
        QTest::newRow("11 gives 5") << "00000000" << 5;
    }
    void s10CheckDigit()
    {
        QFETCH(QString, serial);
        QFETCH(int, check);
        QCOMPARE(WaybillNumbers::s10CheckDigit(serial), check);
    }

    void series_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("numbers"); // empty: refused
        QTest::newRow("plus one keeps the width")
            << "000998"
            << "plus-one" << 3 << QStringList{"000998", "000999", "001000"};
        QTest::newRow("plus one past the width") << "999998"
                                                 << "plus-one" << 3 << QStringList{};
        QTest::newRow("letters in a digit series") << "SF12345"
                                                   << "plus-one" << 2 << QStringList{};
        QTest::newRow("s10 computes each check digit")
            << "RR473124829GB"
            << "s10" << 2 << QStringList{"RR473124829GB", "RR473124832GB"};
        QTest::newRow("s10 without its check digit") << "RA12345678CN"
                                                     << "s10" << 1 << QStringList{"RA123456785CN"};
        QTest::newRow("s10 with a wrong check digit") << "RR473124828GB"
                                                      << "s10" << 1 << QStringList{};
        QTest::newRow("s10 past eight digits") << "RR999999995GB"
                                               << "s10" << 2 << QStringList{};
    }
    void series()
    {
        QFETCH(QString, first);
        QFETCH(QString, rule);
        QFETCH(int, count);
        QFETCH(QStringList, numbers);
        try {
            const WaybillNumbers::Series s(first, *WaybillNumbers::ruleNamed(rule), count);
            QCOMPARE(s.all(), numbers);
        } catch (const PrintError& e) {
            QVERIFY2(numbers.isEmpty(), qPrintable(e.text()));
        }
    }

    void firstNumberPairsEachOrderWithItsPage()
    {
        TestDatabase db;
        const QString run = importAndPrint(db, {"--first-number", "123456789012"});
        QCOMPARE(run, "1");
        QCOMPARE(shippedRows(run),
                 expectedShipping({"123456789012", "123456789013", "123456789014"}));
        // The same first number again: refused before a page is written,
        // the pages and numbers named.
        QFile::remove("again.pdf");
        const CommandLineRun again =
            runCommandLine({"print", "--window", "imported-batch", "--pdf", "again.pdf",
                            "--first-number", "123456789014"});
        QCOMPARE(again.status, 1);
        QVERIFY2(again.err.contains(u"第1页 123456789014"_qs), qPrintable(again.err));
        QVERIFY(!QFile::exists("again.pdf"));
    }

    void usedNumbersAreLookedUpInSlices()
    {
        // Numbers used by pages 495 to 504 of a thousand, and by page 901:
        // the first ten are named, across the slices they are looked up in.
        TestDatabase db;
        for (const int page : {494, 495, 496, 497, 498, 499, 500, 501, 502, 503, 900})
            db.insert(Schema::waybillNumbersTable,
                      {QString::number(page + 1), "1", "", "", QString::number(10000000 + page)});
        Connection connection(db.session());
        connection.open();
        const WaybillNumbers::Series numbers("10000000", WaybillNumbers::Rule::PlusOne, 1000);
        const QString used = PrintLog::usedNumbers(connection, numbers);
        QVERIFY2(used.contains(u"第495页 10000494"_qs) && used.contains(u"第504页 10000503"_qs),
                 qPrintable(used));
        QVERIFY(!used.contains(u"第901页"_qs));
        QCOMPARE(PrintLog::usedNumbers(connection, numbers, 494), QString());
        QVERIFY(PrintLog::usedNumbers(connection, numbers, 495).contains(u"第495页"_qs));
    }

    void numbersScannedAfterThePrint()
    {
        TestDatabase db;
        const QString run = importAndPrint(db, {"--number-rule", "none"});
        // A double read is refused and takes no page.
        const CommandLineRun assigned = runCommandLineWithInput(
            {"assign-numbers", "--run", run}, "RA123456785CN\nRA123456785CN\nRR473124829GB\n");
        QCOMPARE(assigned.status, 1);
        QCOMPARE(assigned.err.count('\n'), 1);
        // From a file a wrong check digit ends it: the numbers after it
        // would each go on the page before their own.
        const CommandLineRun misread = runCommandLineWithInput({"assign-numbers", "--run", run},
                                                               "EE000000081CN\nEE000000080CN\n");
        QCOMPARE(misread.status, 1);
        QVERIFY2(misread.err.contains(u"从第 3 页起未填运单号"_qs), qPrintable(misread.err));
        QCOMPARE(misread.out, QString());
        const CommandLineRun rest = runCommandLineWithInput({"assign-numbers", "--run", run},
                                                            "EE000000080CN\nEE000000005CN\n");
        QCOMPARE(rest.status, 1);
        QCOMPARE(rest.err.count('\n'), 1); // no page left
        QCOMPARE(shippedRows(run),
                 expectedShipping({"RA123456785CN", "RR473124829GB", "EE000000080CN"}));
    }

    void twoDesksAssigningToOneRun()
    {
        TestDatabase db;
        const QString run = importAndPrint(db, {"--number-rule", "none"});
        Connection one(db.session()), other(db.session());
        one.open();
        other.open();
        NumberAssignment first(one, run), second(other, run);
        QCOMPARE(first.attach("100001"), QString());
        // The other desk still sees page 1 free: told, nothing written.
        const QString refused = second.attach("200002");
        QVERIFY2(refused.contains(u"另一处"_qs), qPrintable(refused));
        QCOMPARE(second.next(), 1);
        QCOMPARE(second.attach("200002"), QString());
        QVERIFY(first.attach("100001").contains(u"用过"_qs));
        // Letters where the run's numbers are digits: a misread.
        QVERIFY(first.attach("AB12345").contains(u"纯数字"_qs));
        QCOMPARE(first.undo(), QString());
        first.reload();
        QCOMPARE(first.next(), 0);
        QCOMPARE(first.pages().at(1).waybillNumber, "200002");
    }

    void scanningIntoTheWindowAsAScannerTypes()
    {
        TestDatabase db;
        const QString run = importAndPrint(db, {"--number-rule", "none"});
        ScriptedDialogs dialogs;
        PrintLogWindow log(db.session());
        ScanWindow& scan = log.scanWindow();
        scan.openRun(run);
        scan.show();
        QVERIFY(QTest::qWaitForWindowActive(&scan));
        auto* box = scan.findChild<QLineEdit*>("scanBox");
        const auto type = [&](const char* digits) {
            QTest::keyClicks(QApplication::focusWidget(), digits);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        };
        type("880001");
        type("880001"); // the same form scanned twice
        QVERIFY2(scan.lastMessage().contains(u"用过"_qs), qPrintable(scan.lastMessage()));
        type("880009"); // the wrong form
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        type("880002");
        type("880003");
        // The table and its title as the scans and the undo left them.
        const QAbstractItemModel* pages = scan.findChild<QTableView*>("scanPages")->model();
        QStringList shown;
        for (int r = 0; r < pages->rowCount(); ++r)
            shown << pages->index(r, 4).data().toString();
        QCOMPARE(shown, (QStringList{"880001", "880002", "880003"}));
        const QList<QLabel*> labels = scan.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](const QLabel* l) { return l->text().endsWith(u"已回填3张"_qs); }));
        type("880004"); // no page left
        QVERIFY(scan.lastMessage().contains(u"都已有运单号"_qs));
        QCOMPARE(QApplication::focusWidget(), box);
        QCOMPARE(shippedRows(run), expectedShipping({"880001", "880002", "880003"}));

        // The log lists the numbers, and a scanned number finds its page.
        log.show();
        log.findChild<QLineEdit*>("Edit4")->setText("880003");
        log.search();
        const QAbstractItemModel* listed = log.findChild<QTableView*>("DBGridEh1")->model();
        QCOMPARE(listed->rowCount(), 1);
        QCOMPARE(listed->index(0, 3).data().toString(), u"李四"_qs);
        QCOMPARE(listed->index(0, 6).data().toString(), "T1002");
        QCOMPARE(listed->index(0, 7).data().toString(), "880003");
        // A platform's order number, up to twenty digits, is read whole.
        const std::pair<const QTableView*, int> orderColumns[] = {
            {log.findChild<QTableView*>("DBGridEh1"), 6},
            {scan.findChild<QTableView*>("scanPages"), 3}};
        for (const auto& [grid, column] : orderColumns)
            QVERIFY(grid->columnWidth(column) >
                    grid->fontMetrics().horizontalAdvance("24000123456789000123"));

        // 导出发货单 of the chosen run, as a workbook.
        log.findChild<QTableView*>("DBGridEh1")->selectRow(0);
        dialogs.files.enqueue(db.dir() + "/window");
        dialogs.texts.enqueue(QString(u"顺丰快递"_qs)); // as the shop's platform names it
        log.exportShipment();
        SheetRows expected = expectedShipping({"880001", "880002", "880003"});
        for (QStringList& row : expected)
            row[1] = u"顺丰快递"_qs;
        QCOMPARE(CollectedCells::inFile(db.dir() + "/window.xlsx").mid(1), expected);
        // The courier's name is kept for the next time the program runs.
        PrintLogWindow later(db.session());
        later.findChild<QLineEdit*>("Edit3")->setText("2000-01-01");
        dialogs.files.enqueue(db.dir() + "/later");
        dialogs.texts.enqueue(std::nullopt);
        later.exportShipment();
        QCOMPARE(dialogs.textInitials.last(), u"顺丰快递"_qs);
    }

    void aReprintKeepsTheOrderAndTakesItsOwnNumber()
    {
        TestDatabase db;
        const QString run = importAndPrint(db, {"--first-number", "700001"});
        Connection connection(db.session());
        connection.open();
        const QList<PrintLogEntry> found =
            PrintLog::find(connection, {}, {}, {}, "700001", 10).entries;
        QCOMPARE(found.size(), 1);
        const QList<qlonglong> first{found.first().number};
        const QList<LoggedPage> again = PrintLog::pages(connection, first);
        QCOMPARE(again.value(0).orderNumber, "T1001");
        QCOMPARE(again.value(0).waybillNumber, QString());
        const QString reprint = PrintLog::write(connection, again, "again.pdf", PrintLog::now());
        NumberAssignment scan(connection, reprint);
        QCOMPARE(scan.attach("700009"), QString());
        QCOMPARE(shippedRows(reprint),
                 (SheetRows{{"T1001", u"顺丰速运"_qs, "700009", u"张三"_qs, "13800000001"}}));
        QCOMPARE(shippedRows(run).value(0).value(2), "700001");
    }

    void printWindowsNumberTheirPages()
    {
        TestDatabase db;
        db.insert("outrxx", {"", u"寄件人"_qs, "", u"深圳南山路1号"_qs, "", "", "13900000000", "",
                             "2026", "12", "9"});
        db.insert("inrxx",
                  {"", u"赵六"_qs, "", u"北京长安街2号"_qs, "", "", "13800000006", "", "", ""});
        ScriptedDialogs dialogs;
        MainQueries main(db.session());
        main.reopen();
        SinglePrintWindow single(db.session(), main.sender, main.recipients);
        const auto print = [&](QWidget& window) {
            dialogs.previewActions.enqueue([&db](QWidget*, PageSource& pages, PrintJob& job) {
                job.setOutputFile(db.dir() + "/single.pdf");
                QVERIFY(job.run(pages));
            });
            window.findChild<QAction*>("N1")->trigger();
        };
        dialogs.choices.enqueue(u"逐张加一"_qs);
        dialogs.texts.enqueue(QString("000123"));
        single.findChild<QAction*>("waybillNumbers")->trigger();
        // A recipient typed in by hand is given the order it is for.
        dialogs.texts.enqueue(QString("HAND-1"));
        single.findChild<QAction*>("orderNumber")->trigger();
        print(single);
        // The next page takes the pad's next form, and no order.
        dialogs.answers.enqueue(true); // printed today already: print again
        print(single);
        const CommandLineRun exported =
            runCommandLine({"ship-export", "--since", "2000-01-01", "--format", "csv", "day"});
        QCOMPARE(exported.status, 0);
        QCOMPARE(CollectedCells::inFile("day.csv").mid(1),
                 (SheetRows{
                     {"HAND-1", u"顺丰速运"_qs, "000123", u"赵六"_qs, "13800000006"},
                     {"", u"顺丰速运"_qs, "000124", u"赵六"_qs, "13800000006", u"无订单编号"_qs}}));

        // A batch whose first form's number is used: refused, no preview.
        BatchPrintWindow batch(db.session());
        dialogs.choices.enqueue(u"逐张加一"_qs);
        dialogs.texts.enqueue(QString("000124"));
        batch.findChild<QAction*>("waybillNumbers")->trigger();
        dialogs.clear();
        batch.findChild<QAction*>("N1")->trigger();
        QCOMPARE(dialogs.messageTexts(), QStringList{u"运单号已经用过，未打印：第1页 000124"_qs});
        QVERIFY(batch.findChild<QAction*>("orderNumber") == nullptr);
    }

    void printingAgainFromOnePreviewTakesThePadsNextForms()
    {
        TestDatabase db;
        db.insert("outrxx", {"", u"寄件人"_qs, "", u"深圳南山路1号"_qs, "", "", "13900000000", "",
                             "2026", "12", "9"});
        for (const char* mobile : {"13800000006", "13800000007"})
            db.insert("inrxx",
                      {"", u"赵六"_qs, "", u"北京长安街2号"_qs, "", "", mobile, "", "", ""});
        ScriptedDialogs dialogs;
        BatchPrintWindow batch(db.session());
        dialogs.choices.enqueue(u"逐张加一"_qs);
        dialogs.texts.enqueue(QString("000123"));
        batch.findChild<QAction*>("waybillNumbers")->trigger();
        QStringList done;
        dialogs.previewActions.enqueue([&](QWidget* parent, PageSource& pages, PrintJob& job) {
            PrintPreview preview(pages, job, parent);
            const auto print = [&](const QString& file) {
                job.setOutputFile(db.dir() + file);
                preview.findChild<QAction*>("print")->trigger();
                done << preview.findChild<QLabel*>("destination")->text();
            };
            print("/first.pdf");
            print("/second.pdf");
            // Another desk took the pad's next form meanwhile: nothing printed.
            Connection other(db.session());
            other.open();
            NumberAssignment(other, PrintLog::write(other, PrintLog::pages(other, {1}), "desk.pdf",
                                                    PrintLog::now()))
                .attach("000128");
            print("/third.pdf");
        });
        for (int i = 0; i < 3; ++i)
            dialogs.choices.enqueue(u"仍然打印"_qs); // the mobiles cross a line
        dialogs.clear();
        batch.findChild<QAction*>("N1")->trigger();
        QVERIFY2(dialogs.lastText().startsWith(u"运单号已经用过，未打印：第2页 000128"_qs),
                 qPrintable(dialogs.lastText()));
        QVERIFY(done.at(0).startsWith(u"已将 2 页保存到"_qs) && !done.at(0).contains(u"未写入"_qs));
        QVERIFY2(done.at(1).startsWith(u"已将 2 页保存到"_qs) && !done.at(1).contains(u"未写入"_qs),
                 qPrintable(done.at(1)));
        QVERIFY(!QFile::exists(db.dir() + "/third.pdf"));
        const CommandLineRun exported =
            runCommandLine({"ship-export", "--since", "2000-01-01", "--format", "csv", "day"});
        QCOMPARE(exported.status, 0);
        QStringList numbers;
        for (const QStringList& row : CollectedCells::inFile("day.csv").mid(1))
            numbers << row.value(2);
        QCOMPARE(numbers, (QStringList{"000123", "000124", "000125", "000126", "000128"}));
    }

    void aPageRangeGoesOnThePadsFirstForms()
    {
        TestDatabase db;
        db.insert("outrxx", {"", u"寄件人"_qs, "", u"深圳南山路1号"_qs, "", "", "13900000000", "",
                             "2026", "12", "9"});
        for (const char* mobile : {"13800000006", "13800000007", "13800000008"})
            db.insert("inrxx",
                      {"", u"赵六"_qs, "", u"北京长安街2号"_qs, "", "", mobile, "", "", ""});
        ScriptedDialogs dialogs;
        BatchPrintWindow batch(db.session());
        dialogs.choices.enqueue(u"逐张加一"_qs);
        dialogs.texts.enqueue(QString("000123"));
        batch.findChild<QAction*>("waybillNumbers")->trigger();
        dialogs.previewActions.enqueue([&db](QWidget*, PageSource& pages, PrintJob& job) {
            job.setOutputFile(db.dir() + "/range.pdf");
            QPageRanges second;
            second.addPage(2);
            job.printer().setPageRanges(second);
            QVERIFY(job.run(pages));
            job.printer().setPageRanges({});
            // Each copy would take a form of its own, numbered in no log.
            job.printer().setCopyCount(2);
            QVERIFY_THROWS_EXCEPTION(PrintError, job.run(pages));
            job.printer().setCopyCount(1);
            QVERIFY(job.run(pages));
        });
        batch.findChild<QAction*>("N1")->trigger();
        const CommandLineRun exported =
            runCommandLine({"ship-export", "--since", "2000-01-01", "--format", "csv", "day"});
        QCOMPARE(exported.status, 0);
        QStringList numbers;
        for (const QStringList& row : CollectedCells::inFile("day.csv").mid(1))
            numbers << row.value(4) + ' ' + row.value(2);
        QCOMPARE(numbers, (QStringList{"13800000007 000123", "13800000006 000124",
                                       "13800000007 000125", "13800000008 000126"}));
    }

    void undoingAnImportBringsItsOrdersBack()
    {
        TestDatabase db;
        importAndPrint(db, {"--number-rule", "none"});
        Connection connection(db.session());
        SheetRows previous;
        SheetImport next(connection);
        next.keepPrevious(&previous);
        QFile sheet("ours.csv");
        QVERIFY(sheet.open(QIODevice::WriteOnly));
        sheet.write("收件人姓名,收件地址,手机号码\n钱七,北京长安街2号,13800000007\n");
        sheet.close();
        QVERIFY_THROWS_NO_EXCEPTION(next.run("ours.csv"));
        SheetImport::restore(connection, previous);
        const CommandLineRun printed =
            runCommandLine({"print", "--window", "imported-batch", "--pdf", "out.pdf",
                            "--first-number", "610001"});
        QCOMPARE(printed.status, 0);
        QCOMPARE(shippedRows(printed.out.section(u"run\t"_qs, 1).trimmed()),
                 expectedShipping({"610001", "610002", "610003"}));
    }

    void backupsCarryTheNumbers()
    {
        TestDatabase db;
        const QString run = importAndPrint(db, {"--first-number", "555000"});
        const QString backup = db.dir() + "/kept";
        QCOMPARE(runCommandLine({"backup", backup}).status, 0);
        db.exec(QStringLiteral("DELETE FROM %1").arg(Schema::waybillNumbersTable));
        QCOMPARE(runCommandLine({"restore", backup + ".bak"}).status, 0);
        QCOMPARE(shippedRows(run), expectedShipping({"555000", "555001", "555002"}));
    }

    void aBackupFromBeforeTheNumbersRestores()
    {
        SKIP_ON_SERVER();
        TestDatabase db;
        importAndPrint(db, {"--first-number", "555000"});
        for (const QString& table : {Schema::waybillNumbersTable, Schema::importedOrdersTable})
            db.exec("DROP TABLE " + table);
        QCOMPARE(runCommandLine({"backup", "old"}).status, 0);
        QCOMPARE(runCommandLine({"restore", "old.bak"}).status, 0);
        // The numbers start anew on the restored log.
        QCOMPARE(importAndPrint(db, {"--first-number", "555000"}), "1");
    }
};

QTEST_MAIN(OrderNumbersTest)
#include "order_numbers_test.moc"
