#include "exchange/address_book_export.h"
#include "exchange/sheet_file.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements.h"
#include "support/collected_cells.h"
#include "support/sample_sheets.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

using Kind = ImportError::Kind;

const QStringList previous{"旧公司", "旧收件人", "", "旧地址", "", "", "139", "", "", ""};

struct Cli {
    int status = -1;
    QString out;
    QString err;
};

Cli runCli(const QStringList& args)
{
    QProcess p;
    p.start(qEnvironmentVariable("SF_CLI"), args);
    Cli r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A pipe nobody writes to: opening it for reading would wait for ever.
QString namedPipe()
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.xls"));
    if (!QFileInfo::exists(path) && ::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        qFatal("mkfifo %s failed", qPrintable(path));
    return path;
}

} // namespace

class ExchangeImportTest : public QObject {
    Q_OBJECT
private slots:
    void importReplacesTheList();
    void pathIsTrimmedAndBlankPathRefused();
    void failedReadKeepsThePreviousRows_data();
    void failedReadKeepsThePreviousRows();
    void failedWriteIsRolledBack();
    void missingDatabaseReportsTheConnection();
    void exportThenImportGivesEveryRowBack();
    void halfASurrogatePairIsStoredAsOnDataMdb();
    void commandLine();
};

void ExchangeImportTest::importReplacesTheList()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    QVERIFY_THROWS_NO_EXCEPTION(
        import.run(SampleSheets::path(QStringLiteral("xlwt_recipients.xls"))));
    QCOMPARE(db.rows(QStringLiteral("excel")), SampleSheets::expectedRecipients());
    QCOMPARE(import.importedRows(), 4);
    // The same file again: one copy, not two.
    QVERIFY_THROWS_NO_EXCEPTION(
        import.run(SampleSheets::path(QStringLiteral("libreoffice_recipients.xlsx"))));
    QCOMPARE(db.rows(QStringLiteral("excel")), SampleSheets::expectedRecipients());
    QCOMPARE(import.report().section(u'\n', 0, 0), QStringLiteral(u"批量导入EXCEL成功!"));
}

void ExchangeImportTest::pathIsTrimmedAndBlankPathRefused()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> blank =
        SampleSheets::importFailure(import, QStringLiteral("   "));
    QVERIFY(blank);
    QCOMPARE(blank->kind(), Kind::NoPath);
    QCOMPARE(blank->text(), QStringLiteral(u"请正确选择相关路径！"));
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
    QVERIFY_THROWS_NO_EXCEPTION(import.run(
        QStringLiteral("  ") + SampleSheets::path(QStringLiteral("recipients_gb18030.csv")) +
        QStringLiteral(" ")));
    QCOMPARE(db.rows(QStringLiteral("excel")), SampleSheets::expectedRecipients());
}

void ExchangeImportTest::failedReadKeepsThePreviousRows_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("no address column")
        << SampleSheets::path(QStringLiteral("platform_no_address.xls"));
    QTest::newRow("no such file") << QStringLiteral("/nonexistent/list.xls");
    QTest::newRow("folder") << QStringLiteral(SF_TEST_DATA_DIR);
    QTest::newRow("damaged") << SampleSheets::path(QStringLiteral("fuzz/header_only.xls"));
    QTest::newRow("named pipe") << namedPipe();
    QTest::newRow("endless device") << QStringLiteral("/dev/zero");
}

void ExchangeImportTest::failedReadKeepsThePreviousRows()
{
    QFETCH(QString, path);
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure = SampleSheets::importFailure(import, path);
    QVERIFY(failure);
    QCOMPARE(failure->kind(), Kind::Unreadable);
    QVERIFY(!failure->detail().isEmpty());
    QCOMPARE(failure->text().section(u'\n', 0, 0), QStringLiteral(u"批量导入EXCEL失败!"));
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
}

void ExchangeImportTest::failedWriteIsRolledBack()
{
    TestDatabase db;
    // A table that refuses the last row of the sheet, after the delete and
    // the first rows went through.
    db.exec(QStringLiteral("DROP TABLE excel"));
    db.exec(TestDatabase::createTable(QStringLiteral("excel"),
                                      QStringLiteral("CHECK (\"备注\" <> '只有备注')")));
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure = SampleSheets::importFailure(
        import, SampleSheets::path(QStringLiteral("xlwt_recipients.xls")));
    QVERIFY(failure);
    QCOMPARE(failure->kind(), Kind::NotWritten);
    QCOMPARE(failure->text().section(u'\n', 0, 0), QStringLiteral(u"批量导入EXCEL失败!"));
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
}

void ExchangeImportTest::missingDatabaseReportsTheConnection()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    db.makeUnreachable();
    SheetImport import(c);
    const std::optional<ImportError> failure = SampleSheets::importFailure(
        import, SampleSheets::path(QStringLiteral("xlwt_recipients.xls")));
    QVERIFY(failure);
    QCOMPARE(failure->kind(), Kind::NoConnection);
    QCOMPARE(failure->text(), QStringLiteral(u"连接ACCESS失败!"));
    db.makeReachable();
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
}

void ExchangeImportTest::exportThenImportGivesEveryRowBack()
{
    TestDatabase db;
    QList<QStringList> book = SampleSheets::expectedRecipients();
    book << QStringList{"", "只有名字", "", "", "", "", "", "", "", ""};
    for (const QStringList& r : book)
        db.insert(QStringLiteral("inrxx"), r);
    Connection c(db.session());
    c.open();
    Dataset recipients(c);
    recipients.setQuery(Statements::selectRecipients());
    recipients.open();
    for (const char* name : {"/book", "/book.xlsx"}) {
        const QString written =
            AddressBookExport::run(recipients, db.dir() + QString::fromLatin1(name));
        Connection importWindow(db.session());
        SheetImport import(importWindow);
        QVERIFY_THROWS_NO_EXCEPTION(import.run(written));
        QCOMPARE(db.rows(QStringLiteral("excel")), book);
    }
}

void ExchangeImportTest::halfASurrogatePairIsStoredAsOnDataMdb()
{
    // A workbook's UTF-16 text may hold half a pair; each store writes it
    // as a question mark.
    TestDatabase db;
    Connection c(db.session());
    QStringList row(10);
    row[1] = QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b\tc");
    SheetImport::restore(c, {row});
    row[1] = QStringLiteral("a?b\tc");
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{row});
}

void ExchangeImportTest::commandLine()
{
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Cli r = runCli(
        {QStringLiteral("import"), SampleSheets::path(QStringLiteral("platform_no_address.xls"))});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(QStringLiteral(u"批量导入EXCEL失败!")));
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});

    r = runCli(
        {QStringLiteral("import"), SampleSheets::path(QStringLiteral("sheetjs_recipients.xlsx"))});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(QStringLiteral(u"批量导入EXCEL成功!")));
    QCOMPARE(r.err, QString());
    QCOMPARE(db.rows(QStringLiteral("excel")), SampleSheets::expectedRecipients());

    db.insert(QStringLiteral("inrxx"), previous);
    r = runCli({QStringLiteral("export"), QStringLiteral("out")});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out.trimmed(), QStringLiteral("out.xls"));
    QCOMPARE(r.err, QString());
    QCOMPARE(CollectedCells::inFile(db.dir() + QStringLiteral("/out.xls")),
             SheetRows({Schema::recipientColumns(),
                        {"旧公司", "旧收件人", "", "旧地址", "", "", "139"}}));
    r = runCli({QStringLiteral("export"), QStringLiteral("missing/out")});
    QCOMPARE(r.status, 1);
    QVERIFY(!r.err.isEmpty());
}

QTEST_GUILESS_MAIN(ExchangeImportTest)
#include "exchange_import_test.moc"
