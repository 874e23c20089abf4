#include "print_page_texts.h"
#include "records/address_book.h"
#include "store/query_sets.h"
#include "store/store_error.h"
#include "support/scripted_dialogs.h"
#include "support/test_database.h"
#include "waybill/windows/batch_print_window.h"
#include "waybill/windows/imported_batch_print_window.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList senderRow(const QString& name)
{
    return {QStringLiteral(u"寄件公司"),
            name,
            QStringLiteral(u"深圳"),
            QStringLiteral(u"深圳南山路1号"),
            QStringLiteral("518000"),
            QStringLiteral("0755-1234"),
            QStringLiteral("13800000001"),
            QStringLiteral(u"签"),
            QStringLiteral("2026"),
            QStringLiteral("12"),
            QStringLiteral("8")};
}

QStringList recipientRow(const QString& name, const QString& mobile = QStringLiteral("139"))
{
    return {QStringLiteral(u"收件公司"),
            name,
            QStringLiteral(u"北京"),
            QStringLiteral(u"北京长安街2号"),
            QStringLiteral("100000"),
            QStringLiteral("010-5678"),
            mobile,
            QStringLiteral(u"文件"),
            QStringLiteral("1"),
            QStringLiteral(u"轻放")};
}

// The strings of every page of each preview the window opens.
QList<QStringList> previewPages(ScriptedDialogs& dialogs, PrintWindow& window)
{
    QList<QStringList> pages;
    dialogs.previewActions.enqueue([&](QWidget*, PageSource& source, PrintJob&) {
        for (int i = 0; i < source.pageCount(); ++i)
            pages << pageStrings(source, i);
    });
    window.findChild<QAction*>(QStringLiteral("N1"))->trigger();
    return pages;
}

void activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

class PrintBatchTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void everyRowIsAPageWithTheSameSender();
    void searchInTheMainWindowDoesNotNarrowTheBatch();
    void emptyTablePrintsOnePageWithTheSender();
    void rowsSavedElsewhereArePrintedAfterActivation();
    void comingBackFromAnotherProgramIsNoActivation();
    void failedActivationIsReportedAndLeavesTheWindowUsable();
    void theActivationAfterAFailedOpeningReadsAgain();
    void missingDatabaseFailsConstruction();
    void importedBatchReadsExcel();

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void PrintBatchTest::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_db->insert(QStringLiteral("outrxx"), senderRow(QStringLiteral(u"张三")));
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void PrintBatchTest::cleanup()
{
    m_dialogs.reset();
    m_db.reset();
}

void PrintBatchTest::everyRowIsAPageWithTheSameSender()
{
    m_db->insert(QStringLiteral("outrxx"), senderRow(QStringLiteral(u"第二寄件人")));
    for (const QString& name :
         {QStringLiteral(u"甲"), QStringLiteral(u"乙"), QStringLiteral(u"丙")})
        m_db->insert(QStringLiteral("inrxx"), recipientRow(name));
    BatchPrintWindow w(m_db->session());
    activate(w);
    const QList<QStringList> pages = previewPages(*m_dialogs, w);
    QCOMPARE(m_dialogs->previewPageCounts, QList<int>{3});
    QCOMPARE(pages.size(), 3);
    const QStringList names{QStringLiteral(u"甲"), QStringLiteral(u"乙"), QStringLiteral(u"丙")};
    for (int i = 0; i < 3; ++i) {
        QVERIFY(pages.at(i).contains(QStringLiteral(u"张三")));
        QVERIFY(!pages.at(i).contains(QStringLiteral(u"第二寄件人")));
        for (int j = 0; j < 3; ++j)
            QCOMPARE(pages.at(i).contains(names.at(j)), i == j);
    }
    QVERIFY(m_dialogs->messageTexts().isEmpty());
}

void PrintBatchTest::searchInTheMainWindowDoesNotNarrowTheBatch()
{
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"甲"), QStringLiteral("1")));
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"乙"), QStringLiteral("2")));
    MainQueries main(m_db->session());
    main.reopen();
    AddressBook book(main);
    book.search(QString(), QStringLiteral("2"));
    QCOMPARE(main.recipients.recordCount(), 1);
    BatchPrintWindow w(m_db->session());
    activate(w);
    QCOMPARE(previewPages(*m_dialogs, w).size(), 2);
}

void PrintBatchTest::emptyTablePrintsOnePageWithTheSender()
{
    BatchPrintWindow w(m_db->session());
    activate(w);
    const QList<QStringList> pages = previewPages(*m_dialogs, w);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.at(0).contains(QStringLiteral(u"张三")));
    QVERIFY(!pages.at(0).contains(QStringLiteral(u"收件公司")));
}

void PrintBatchTest::rowsSavedElsewhereArePrintedAfterActivation()
{
    BatchPrintWindow w(m_db->session()); // created at start-up, before the row exists
    MainQueries main(m_db->session());
    main.reopen();
    AddressBook book(main);
    RecipientFields fields;
    fields.values = recipientRow(QStringLiteral(u"新来的"));
    book.add(fields);
    m_db->exec(QStringLiteral(u"update outrxx set \"月\" = '11'"));

    activate(w);
    QList<QStringList> pages = previewPages(*m_dialogs, w);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.at(0).contains(QStringLiteral(u"新来的")));
    QVERIFY(pages.at(0).contains(QStringLiteral("11")));

    // Coming back from another window of the program re-reads the tables.
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"后来的")));
    QWidget other;
    activate(other);
    activate(w);
    pages = previewPages(*m_dialogs, w);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages.at(1).contains(QStringLiteral(u"后来的")));
}

void PrintBatchTest::comingBackFromAnotherProgramIsNoActivation()
{
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"甲")));
    BatchPrintWindow w(m_db->session());
    activate(w);
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"乙")));

    // The user goes to another program and comes back: no window of ours
    // was active in between.
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(&w);
    QCOMPARE(previewPages(*m_dialogs, w).size(), 1);

    // Left from here, then closed: the next opening reads the tables again.
    QApplication::setActiveWindow(nullptr);
    w.hide();
    w.show();
    QApplication::setActiveWindow(&w);
    QCOMPARE(previewPages(*m_dialogs, w).size(), 2);

    // Coming back from a window of the program still does.
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"丙")));
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QApplication::setActiveWindow(&w);
    QCOMPARE(previewPages(*m_dialogs, w).size(), 3);

    // Also when no window was active for a moment on the way there.
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"丁")));
    QApplication::setActiveWindow(nullptr);
    activate(other);
    activate(w);
    QCOMPARE(previewPages(*m_dialogs, w).size(), 4);
    QVERIFY(m_dialogs->messageTexts().isEmpty());
}

void PrintBatchTest::failedActivationIsReportedAndLeavesTheWindowUsable()
{
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"甲")));
    BatchPrintWindow w(m_db->session());
    m_db->makeUnreachable();
    activate(w);
    QCOMPARE(m_dialogs->shown.size(), 1);
    QCOMPARE(m_dialogs->shown.at(0).icon, Dialogs::Icon::Error);
    QVERIFY(m_dialogs->lastText().endsWith(QLatin1Char('.')));
    QVERIFY(w.isVisible());
    QVERIFY(!w.queries().recipients.isOpen());

    const QList<QStringList> pages = previewPages(*m_dialogs, w);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.at(0).isEmpty());

    m_db->makeReachable();
    w.rereadRows();
    QCOMPARE(m_dialogs->shown.size(), 2); // the preview, no new error
    QCOMPARE(previewPages(*m_dialogs, w).size(), 1);
    QVERIFY(w.queries().recipients.isOpen());
}

// The error box of the first read takes that opening's activation; the
// next one, from another window of the program, reads.
void PrintBatchTest::theActivationAfterAFailedOpeningReadsAgain()
{
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"甲")));
    BatchPrintWindow w(m_db->session());
    m_db->makeUnreachable();
    activate(w);
    QCOMPARE(m_dialogs->shown.size(), 1);
    m_db->makeReachable();
    QWidget other;
    activate(other);
    activate(w);
    const QList<QStringList> pages = previewPages(*m_dialogs, w);
    QCOMPARE(pages.size(), 1);
    QVERIFY(pages.at(0).contains(QStringLiteral(u"甲")));
}

void PrintBatchTest::missingDatabaseFailsConstruction()
{
    m_db->makeUnreachable();
    QVERIFY_THROWS_EXCEPTION(StoreError, ImportedBatchPrintWindow(m_db->session()));
    m_db->makeReachable();
}

void PrintBatchTest::importedBatchReadsExcel()
{
    m_db->insert(QStringLiteral("inrxx"), recipientRow(QStringLiteral(u"甲")));
    m_db->insert(QStringLiteral("excel"), recipientRow(QStringLiteral(u"导入一")));
    m_db->insert(QStringLiteral("excel"), recipientRow(QStringLiteral(u"导入二")));
    ImportedBatchPrintWindow w(m_db->session());
    activate(w);
    const QList<QStringList> pages = previewPages(*m_dialogs, w);
    QCOMPARE(pages.size(), 2);
    QVERIFY(pages.at(0).contains(QStringLiteral(u"导入一")));
    QVERIFY(pages.at(1).contains(QStringLiteral(u"导入二")));
    QVERIFY(pages.at(1).contains(QStringLiteral(u"张三")));
}

QTEST_MAIN(PrintBatchTest)
#include "print_batch_test.moc"
