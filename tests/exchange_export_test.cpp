#include "exchange/address_book_export.h"
#include "exchange/biff8_writer.h"
#include "exchange/compound_file.h"
#include "exchange/sheet_file.h"
#include "store/command_error.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/collected_cells.h"
#include "support/test_database.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <freexl.h>
#include <sys/mount.h>

namespace {

const QString rare = QString::fromUcs4(U"\U00020000"); // outside GBK
const QString longText = QString(9000, QChar(u'长'));

QString python()
{
    for (const QString& p : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess probe;
        probe.start(p, {QStringLiteral("-c"), QStringLiteral("import xlrd")});
        if (probe.waitForFinished(20000) && probe.exitStatus() == QProcess::NormalExit &&
            probe.exitCode() == 0)
            return p;
    }
    qFatal("no python3 with xlrd (python3-xlrd)");
}

// Sheet1 as python3-xlrd reads it; a non-text cell fails the read.
SheetRows readWithXlrd(const QString& path)
{
    const QString script = QStringLiteral(R"(
import json, sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
assert sheet.name == 'Sheet1'
rows = []
for r in range(sheet.nrows):
    cells = sheet.row(r)
    assert all(c.ctype in (0, 1) for c in cells)
    rows.append([c.value for c in cells])
sys.stdout.write(json.dumps(rows))
)");
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), script, path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning("xlrd: %s", p.readAllStandardError().constData());
    SheetRows rows;
    for (const auto& row : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const auto& v : row.toArray())
            cells << v.toString();
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        rows << cells;
    }
    return rows;
}

SheetRows readWithFreeXl(const QString& path)
{
    const void* handle = nullptr;
    SheetRows rows;
    if (freexl_open(QFile::encodeName(path).constData(), &handle) != FREEXL_OK)
        return rows;
    const char* name = nullptr;
    unsigned int count = 0, height = 0;
    unsigned short width = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) == FREEXL_OK && count >= 1 &&
        freexl_get_worksheet_name(handle, 0, &name) == FREEXL_OK &&
        QString::fromUtf8(name) == QStringLiteral("Sheet1") &&
        freexl_select_active_worksheet(handle, 0) == FREEXL_OK &&
        freexl_worksheet_dimensions(handle, &height, &width) == FREEXL_OK) {
        for (unsigned int r = 0; r < height; ++r) {
            QStringList cells;
            for (unsigned short c = 0; c < width; ++c) {
                FreeXL_CellValue cell;
                QString text;
                if (freexl_get_cell_value(handle, r, c, &cell) == FREEXL_OK &&
                    (cell.type == FREEXL_CELL_SST_TEXT || cell.type == FREEXL_CELL_TEXT))
                    text = QString::fromUtf8(cell.value.text_value);
                cells << text;
            }
            while (!cells.isEmpty() && cells.last().isEmpty())
                cells.removeLast();
            rows << cells;
        }
    }
    freexl_close(handle);
    return rows;
}

QStringList recipient(const QString& name, const QString& mobile)
{
    return {QStringLiteral(u"公司"),
            name,
            QStringLiteral(u"深圳"),
            QStringLiteral(u"地址"),
            QStringLiteral("518000"),
            QString(),
            mobile,
            QString(),
            QStringLiteral("1"),
            QString()};
}

SheetRows trimmed(SheetRows rows)
{
    for (QStringList& r : rows)
        while (!r.isEmpty() && r.last().isEmpty())
            r.removeLast();
    return rows;
}

// The address book's export to `path`: the refusal's text, or "" when
// the file was written.
QString exportRefusal(const TestDatabase& db, const QString& path)
{
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    try {
        AddressBookExport::run(d, path);
    } catch (const CommandError& e) {
        return e.text();
    }
    return {};
}

} // namespace

class ExchangeExportTest : public QObject {
    Q_OBJECT
private slots:
    void writtenXlsReadsBackEverywhere();
    void sstStringHeadersNeverEndARecord();
    void exportsTheDatasetInItsOrder();
    void exportsOnlyWhatASearchFound();
    void fileNameRule();
    void xlsxNameWritesXlsx();
    void tooManyRowsAreRefusedBeforeWriting();
    void overlongCellIsRefusedBeforeWriting();
    void refusalAtTheLastRowLeavesNoTrace_data();
    void refusalAtTheLastRowLeavesNoTrace();
    void fullDiskGivesTheSystemsReason_data();
    void fullDiskGivesTheSystemsReason();
    void unwritableFolderFails();
};

void ExchangeExportTest::writtenXlsReadsBackEverywhere()
{
    // FreeXL 1.0.6 cuts strings that go on over more than one CONTINUE
    // record, so it reads the version whose long cell is one-byte text.
    for (const QString& longCell : {longText, QString(9000, QChar(u'x'))}) {
        SheetRows rows{Schema::recipientColumns()};
        rows << QStringList{QStringLiteral(u"鹿帆"), rare + QStringLiteral(u"王"), QString(),
                            longCell, QStringLiteral("ascii only")};
        // Enough strings for several CONTINUE records and EXTSST buckets, with
        // surrogate pairs falling on record boundaries somewhere.
        for (int i = 0; i < 3000; ++i)
            rows << QStringList{QStringLiteral(u"收件人%1").arg(i), rare.repeated(i % 5 + 1),
                                QString::number(i)};
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.xls"));
        SheetFile::write(path, rows);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(CompoundFile::readStream(f.readAll(), QStringLiteral("Workbook")).size() >= 4096);

        const SheetRows want = trimmed(rows);
        QCOMPARE(trimmed(CollectedCells::inFile(path)), want);
        QCOMPARE(readWithXlrd(path), want);
        if (longCell != longText)
            QCOMPARE(readWithFreeXl(path), want);
    }
}

// Walks the SST and its CONTINUE records of a workbook stream and returns
// the strings; fails when a string's header (length and flags) does not sit
// in one record with its first character: xlrd, FreeXL and LibreOffice take
// a header split from its text, other readers may not.
QStringList sstStrings(const QByteArray& stream)
{
    const auto u16 = [](const char* p) { return quint16(quint8(p[0]) | quint8(p[1]) << 8); };
    QList<QByteArray> records; // SST first, then its CONTINUEs
    for (qsizetype at = 0; at + 4 <= stream.size();) {
        const quint16 type = u16(stream.constData() + at);
        const quint16 size = u16(stream.constData() + at + 2);
        if (type == 0x00FC || (type == 0x003C && !records.isEmpty()))
            records << stream.mid(at + 4, size);
        else if (!records.isEmpty())
            break;
        at += 4 + size;
    }
    QStringList strings;
    if (records.isEmpty())
        return strings;
    qsizetype r = 0, at = 8; // past the two counts
    const int unique = int(quint32(u16(records[0].constData() + 4)) |
                           quint32(u16(records[0].constData() + 6)) << 16);
    for (int i = 0; i < unique; ++i) {
        if (at == records[r].size()) {
            ++r;
            at = 0;
        }
        const QByteArray& rec = records.at(r);
        if (at + 3 > rec.size()) {
            QTest::qFail(
                qPrintable(QStringLiteral("string %1: header split across records").arg(i)),
                __FILE__, __LINE__);
            return strings;
        }
        const int count = u16(rec.constData() + at);
        bool wide = rec.at(at + 2) & 1;
        at += 3;
        if (count > 0 && at == rec.size()) {
            QTest::qFail(qPrintable(QStringLiteral("string %1: header ends a record").arg(i)),
                         __FILE__, __LINE__);
            return strings;
        }
        QString text;
        while (text.size() < count) {
            if (at == records[r].size()) {
                ++r; // a CONTINUE repeats the flags
                wide = records[r].at(0) & 1;
                at = 1;
            }
            const char* p = records[r].constData() + at;
            text += wide ? QChar(u16(p)) : QChar(quint8(*p));
            at += wide ? 2 : 1;
        }
        strings << text;
    }
    return strings;
}

void ExchangeExportTest::sstStringHeadersNeverEndARecord()
{
    // Every alignment of the strings against the record ends, in one-byte
    // and in two-byte text.
    for (int shift = 0; shift < 12; ++shift) {
        SheetRows rows{{QString(shift + 1, QChar(u'x'))}};
        QStringList want{rows[0][0]};
        for (int i = 0; i < 1500; ++i) {
            const QString text = i % 2 ? QStringLiteral("r%1").arg(i)
                                       : QStringLiteral(u"收%1").arg(i) + rare.repeated(i % 3);
            rows << QStringList{text};
            want << text;
        }
        const QStringList strings = sstStrings(Biff8Writer::workbookStream(rows));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(strings, want);
    }
}

void ExchangeExportTest::exportsTheDatasetInItsOrder()
{
    TestDatabase db;
    db.insert(QStringLiteral("inrxx"), recipient(QStringLiteral(u"张三"), QStringLiteral("1")));
    db.insert(QStringLiteral("inrxx"), recipient(QStringLiteral(u"李四"), QStringLiteral("2")));
    db.insert(QStringLiteral("inrxx"), recipient(rare, QStringLiteral("3")));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    d.setCurrentRow(1);
    const QString written = AddressBookExport::run(d, db.dir() + QStringLiteral("/book"));
    QCOMPARE(written, db.dir() + QStringLiteral("/book.xls"));
    QCOMPARE(d.currentRow(), 2);

    const SheetRows got = readWithXlrd(written);
    QCOMPARE(got.size(), 4);
    QCOMPARE(got[0], Schema::recipientColumns());
    QCOMPARE(got[1], trimmed({recipient(QStringLiteral(u"张三"), QStringLiteral("1"))})[0]);
    QCOMPARE(got[3].at(1), rare);

    // An empty book gives the title row alone.
    db.exec(QStringLiteral("delete from inrxx"));
    d.close();
    d.open();
    AddressBookExport::run(d, written);
    QCOMPARE(CollectedCells::inFile(written), SheetRows({Schema::recipientColumns()}));
    QCOMPARE(d.currentRow(), -1);
}

void ExchangeExportTest::exportsOnlyWhatASearchFound()
{
    TestDatabase db;
    for (const char* name : {"a1", "b", "a2"})
        db.insert(QStringLiteral("inrxx"),
                  recipient(QString::fromLatin1(name), QStringLiteral("9")));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::searchRecipientsByName(QStringLiteral("a")));
    d.open();
    const QString written = AddressBookExport::run(d, db.dir() + QStringLiteral("/found.XLS"));
    const SheetRows got = CollectedCells::inFile(written);
    QCOMPARE(got.size(), 3);
    QCOMPARE(got[1].at(1), QStringLiteral("a1"));
    QCOMPARE(got[2].at(1), QStringLiteral("a2"));
}

void ExchangeExportTest::fileNameRule()
{
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/book")), QStringLiteral("/t/book.xls"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/book.xls")),
             QStringLiteral("/t/book.xls"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/Book.XLS")),
             QStringLiteral("/t/Book.XLS"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/book.xlsx")),
             QStringLiteral("/t/book.xlsx"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/book.xls.bak")),
             QStringLiteral("/t/book.xls.bak.xls"));
    // The type chosen in the save box gives the extension a name lacks.
    const QStringList types = AddressBookExport::fileTypes().split(QStringLiteral(";;"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/book"), types.at(1)),
             QStringLiteral("/t/book.xlsx"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/book"), types.at(2)),
             QStringLiteral("/t/book.csv"));
    QCOMPARE(AddressBookExport::fileName(QStringLiteral("/t/Book.CSV"), types.at(0)),
             QStringLiteral("/t/Book.CSV"));
}

void ExchangeExportTest::xlsxNameWritesXlsx()
{
    TestDatabase db;
    db.insert(QStringLiteral("inrxx"), recipient(rare + longText, QStringLiteral("13800138000")));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    const QString written = AddressBookExport::run(d, db.dir() + QStringLiteral("/book.xlsx"));
    QFile f(written);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.read(4) == QByteArray("PK\x03\x04"));
    const SheetRows want =
        trimmed({Schema::recipientColumns(), recipient(rare + longText, "13800138000")});
    QCOMPARE(trimmed(CollectedCells::inFile(written)), want);
    QCOMPARE(readWithXlrd(written), want);
}

void ExchangeExportTest::tooManyRowsAreRefusedBeforeWriting()
{
    TestDatabase db;
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 65536) INSERT INTO inrxx (\"收件人姓名\") SELECT i FROM n"));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    QCOMPARE(d.recordCount(), 65536);
    const QString path = db.dir() + QStringLiteral("/big.xls");
    QVERIFY_THROWS_EXCEPTION(CommandError, AddressBookExport::run(d, path));
    QVERIFY(!QFile::exists(path));
    QCOMPARE(d.currentRow(), 0);
}

void ExchangeExportTest::overlongCellIsRefusedBeforeWriting()
{
    // A cell holds at most 32,767 characters; longer ones would end as a
    // broken file (.xls) reported as written.
    TestDatabase db;
    db.insert(QStringLiteral("inrxx"), recipient(QString(32767, QChar(u'长')), "1"));
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    const QString fits = db.dir() + QStringLiteral("/fits.xls");
    AddressBookExport::run(d, fits);
    QCOMPARE(trimmed(CollectedCells::inFile(fits)).at(1).at(1).size(), 32767);

    db.insert(QStringLiteral("inrxx"), recipient(QString(70000, QChar(u'长')), "2"));
    d.close();
    d.open();
    const QString xls = db.dir() + QStringLiteral("/long.xls");
    try {
        AddressBookExport::run(d, xls);
        QFAIL("exported");
    } catch (const CommandError& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral(u"第2条收件人的“收件人姓名”")), e.what());
    }
    QVERIFY(!QFile::exists(xls));
    // An earlier export under the same name is kept.
    const QString xlsx = db.dir() + QStringLiteral("/long.xlsx");
    QFile earlier(xlsx);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier export");
    earlier.close();
    QVERIFY_THROWS_EXCEPTION(CommandError, AddressBookExport::run(d, xlsx));
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("an earlier export"));
}

void ExchangeExportTest::refusalAtTheLastRowLeavesNoTrace_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"book.csv", "book.xls", "book.xlsx", "no/such.csv"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void ExchangeExportTest::refusalAtTheLastRowLeavesNoTrace()
{
    // Rows are written as they are read, more than a piece of text before
    // the one refused; a missing folder still gives way to the refusal.
    QFETCH(QString, name);
    TestDatabase db;
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 3000) INSERT INTO inrxx (\"收件人姓名\", \"收件地址\") "
                           "SELECT i, '%1' FROM n")
                .arg(QString(100, QChar(u'址'))));
    db.insert(QStringLiteral("inrxx"), recipient(QString(32768, QChar(u'x')), "1"));
    const QString path = db.dir() + QLatin1Char('/') + name;
    QFile earlier(path);
    if (earlier.open(QIODevice::WriteOnly))
        earlier.write("an earlier export");
    earlier.close();
    const QStringList files = QDir(db.dir()).entryList(QDir::Files);
    QCOMPARE(exportRefusal(db, path),
             QStringLiteral(u"第3001条收件人的“收件人姓名”超过一个单元格最多能容纳的"
                            u"32767个字符，未导出任何数据!"));
    QCOMPARE(QDir(db.dir()).entryList(QDir::Files), files);
    if (earlier.open(QIODevice::ReadOnly))
        QCOMPARE(earlier.readAll(), QByteArray("an earlier export"));
}

void ExchangeExportTest::fullDiskGivesTheSystemsReason_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"book.csv", "book.xls", "book.xlsx"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void ExchangeExportTest::fullDiskGivesTheSystemsReason()
{
    QFETCH(QString, name);
    TestDatabase db;
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                           "WHERE i < 3000) INSERT INTO inrxx (\"收件人姓名\") SELECT i FROM n"));
    // Two pages: the earlier export takes one, and no export fits the other.
    const QString disk = db.dir() + QStringLiteral("/disk");
    QVERIFY(QDir().mkdir(disk));
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=8k") != 0)
        QSKIP("mounting a small disk needs root");
    const auto unmount =
        qScopeGuard([&] { ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH); });
    const QString path = disk + QLatin1Char('/') + name;
    QFile earlier(path);
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("an earlier export");
    earlier.close();
    QCOMPARE(exportRefusal(db, path),
             QStringLiteral(u"导出失败：") + QString::fromLocal8Bit(std::strerror(ENOSPC)));
    QCOMPARE(QDir(disk).entryList(QDir::Files), QStringList{name});
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("an earlier export"));
}

void ExchangeExportTest::unwritableFolderFails()
{
    TestDatabase db;
    Connection c(db.session());
    c.open();
    Dataset d(c);
    d.setQuery(Statements::selectRecipients());
    d.open();
    QVERIFY_THROWS_EXCEPTION(CommandError,
                             AddressBookExport::run(d, db.dir() + QStringLiteral("/no/such")));
    QVERIFY_THROWS_EXCEPTION(CommandError,
                             AddressBookExport::run(d, db.dir() + QStringLiteral("/no/such.xlsx")));
    Dataset closed(c);
    QVERIFY_THROWS_EXCEPTION(CommandError,
                             AddressBookExport::run(closed, db.dir() + QStringLiteral("/c")));
}

QTEST_GUILESS_MAIN(ExchangeExportTest)
#include "exchange_export_test.moc"
