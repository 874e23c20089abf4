#include "exchange/address_book_export.h"
#include "exchange/sheet_import.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/schema.h"
#include "store/statements.h"
#include "store/store_error.h"
#include "support/collected_cells.h"
#include "support/database_files.h"
#include "support/sample_sheets.h"
#include "support/sheet_bombs.h"
#include "support/test_database.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>
#include <unistd.h>

namespace {

const QStringList previous{"旧公司", "旧收件人", "", "旧地址", "", "", "139", "", "", ""};

QString write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Sheet1 holding the title row and then `rows`.
QByteArray sheetWith(const QByteArray& rows, const SheetBombs::Part& sharedStrings = {})
{
    return SheetBombs::workbook(
        {"<worksheet><sheetData>" + SheetBombs::titleRow() + rows + "</sheetData></worksheet>"},
        sharedStrings);
}

qint64 importedCount(Connection& c)
{
    QSqlQuery q = c.run({QStringLiteral("select count(*) from excel"), {}});
    return q.next() ? q.value(0).toLongLong() : -1;
}

} // namespace

class ExchangeLimitsTest : public QObject {
    Q_OBJECT
private slots:
    void hostileSheetsAreDoneWith_data();
    void hostileSheetsAreDoneWith();
    void eachLimitGivesItsReason_data();
    void eachLimitGivesItsReason();
    void csvMarkedUtf8MustBeUtf8_data();
    void csvMarkedUtf8MustBeUtf8();
    void xlsxEscapesOfOtherWritersAreRead();
    void textsComeBackExactlyOrAreRefused();
    void exportNeverWritesOntoTheDatabase_data();
    void exportNeverWritesOntoTheDatabase();
};

void ExchangeLimitsTest::hostileSheetsAreDoneWith_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("imported");
    QTest::addColumn<int>("rows");
    for (const SheetBombs::Bomb& bomb : SheetBombs::all())
        QTest::newRow(bomb.name) << bomb.file << bomb.imported
                                 << (QByteArray(bomb.name) == "column bomb under titles" ? 100000
                                                                                         : 0);
}

void ExchangeLimitsTest::hostileSheetsAreDoneWith()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, imported);
    QFETCH(int, rows);
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure =
        SampleSheets::importFailure(import, write(db.dir() + QStringLiteral("/bomb.xlsx"), file));
    QCOMPARE(failure ? std::optional(failure->kind()) : std::nullopt,
             imported ? std::nullopt : std::optional(ImportError::Kind::Unreadable));
    if (imported)
        QCOMPARE(importedCount(c), rows);
    else
        QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
}

void ExchangeLimitsTest::eachLimitGivesItsReason_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    const QByteArray longText(32768, 'a');
    QTest::newRow("row past the last")
        << sheetWith("<row r=\"1048577\"><c t=\"inlineStr\"><is><t>x</t></is></c></row>")
        << QStringLiteral(u"工作表超过1,048,576行");
    QTest::newRow("column past XFD") << sheetWith("<row><c r=\"XFE2\"><v>1</v></c></row>")
                                     << QStringLiteral(u"工作表超过16,384列");
    QTest::newRow("cell too long")
        << sheetWith("<row><c t=\"inlineStr\"><is><t>" + longText + "</t></is></c></row>")
        << QStringLiteral(u"有单元格超过32,767个字符");
    QTest::newRow("shared string too long")
        << sheetWith({}, {"<sst><si><t>", longText, 1, "</t></si></sst>"})
        << QStringLiteral(u"有单元格超过32,767个字符");
    QTest::newRow("too many cells")
        << SheetBombs::workbook({"<worksheet><sheetData>" + SheetBombs::titleRow(),
                                 "<row>" + QByteArray("<c/>").repeated(32) + "</row>", 524288,
                                 "</sheetData></worksheet>"})
        << QStringLiteral(u"工作表的单元格超过16,777,216个");
    // One long string that every row refers to: little to read, much to keep.
    QTest::newRow("kept text")
        << SheetBombs::workbook({"<worksheet><sheetData>" + SheetBombs::titleRow(),
                                 "<row><c t=\"s\"><v>0</v></c></row>", 3000,
                                 "</sheetData></worksheet>"},
                                {"<sst><si><t>", QByteArray(30000, 'b'), 1, "</t></si></sst>"})
        << QStringLiteral(u"要导入的文字超过128MB");
    // Split as a pasted text: little to read or keep, much to work on (all
    // such cells together: the combined cells bomb).
    QTest::newRow("combined cell")
        << SheetBombs::workbook(
               {"<worksheet><sheetData><row><c t=\"inlineStr\"><is><t>收货信息</t></is></c></row>"
                "<row><c t=\"s\"><v>0</v></c></row></sheetData></worksheet>"},
               {"<sst><si><t>", QByteArray("13800138000 ").repeated(84), 1, "</t></si></sst>"})
        << QStringLiteral(u"有合并的收件人信息单元格超过1,000个字符");
}

void ExchangeLimitsTest::eachLimitGivesItsReason()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure =
        SampleSheets::importFailure(import, write(db.dir() + QStringLiteral("/big.xlsx"), file));
    QVERIFY(failure);
    QCOMPARE(failure->kind(), ImportError::Kind::Unreadable);
    QCOMPARE(failure->text(), QStringLiteral(u"批量导入EXCEL失败!\n") + reason);
    QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{previous});
}

void ExchangeLimitsTest::csvMarkedUtf8MustBeUtf8_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("imported");
    const QByteArray titles = Schema::recipientColumns().join(',').toUtf8();
    QTest::newRow("UTF-8 with its mark") << "\xEF\xBB\xBF" + titles + "\n,\xE5\xBC\xA0\n" << true;
    QTest::newRow("GB18030 bytes behind a UTF-8 mark")
        << "\xEF\xBB\xBF" + titles + "\n,\xD5\xC5\xC8\xFD\n"
        << false;
    QTest::newRow("bytes of no encoding behind a UTF-8 mark")
        << "\xEF\xBB\xBF" + titles + "\n,\xFF\xFE\n"
        << false;
}

void ExchangeLimitsTest::csvMarkedUtf8MustBeUtf8()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, imported);
    TestDatabase db;
    db.insert(QStringLiteral("excel"), previous);
    Connection c(db.session());
    c.open();
    SheetImport import(c);
    const std::optional<ImportError> failure =
        SampleSheets::importFailure(import, write(db.dir() + QStringLiteral("/list.csv"), file));
    QCOMPARE(failure ? std::optional(failure->kind()) : std::nullopt,
             imported ? std::nullopt : std::optional(ImportError::Kind::Unreadable));
    const QList<QStringList> rows = db.rows(QStringLiteral("excel"));
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().at(1), imported ? QStringLiteral(u"张") : previous.at(1));
    QVERIFY(!rows.first().join(QString()).contains(QChar(0xFFFD)));
}

void ExchangeLimitsTest::xlsxEscapesOfOtherWritersAreRead()
{
    // How Excel writes a carriage return, a tab and a literal "_x000D_".
    TestFolder folder;
    const QString path =
        write(folder.filePath(QStringLiteral("escapes.xlsx")),
              sheetWith("<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>a_x0009_b_x000d_</t>"
                        "</is></c><c t=\"str\"><f>A1</f><v>_x005F_x000D_ &amp; _x00_</v></c>"
                        "<c t=\"inlineStr\"><is><t>_xD800_A_xD83D__xDE00_</t></is></c></row>",
                        {"<sst><si><t>line_x000D_\nnext</t></si></sst>"}));
    // A lone half of a surrogate pair is no character; it takes none along.
    QCOMPARE(CollectedCells::recipientsInFile(path).value(0).mid(0, 4),
             QStringList({QStringLiteral("line\r\nnext"), QStringLiteral("a\tb\r"),
                          QStringLiteral("_x000D_ & _x00_"), QStringLiteral(u"\uFFFDA😀")}));
}

void ExchangeLimitsTest::textsComeBackExactlyOrAreRefused()
{
    TestDatabase db;
    const QStringList texts{QStringLiteral("CR\rLF\nCRLF\r\ntab\tend"),
                            QStringLiteral("_x000D_ literally, _x005F_ and _x"),
                            QStringLiteral(u"emoji 😀 and 𠀀 (four GB18030 bytes)"),
                            QStringLiteral(u"控制字符\x01与\x1F"),
                            QStringLiteral("  blanks around  "),
                            QStringLiteral("010000"),
                            QStringLiteral("<b>&amp;</b>"),
                            "",
                            QStringLiteral("\""),
                            QStringLiteral("'")};
    db.insert(QStringLiteral("inrxx"), texts);
    Connection c(db.session());
    c.open();
    Dataset recipients(c);
    recipients.setQuery(Statements::selectRecipients());
    recipients.open();
    // All but the control characters, which an import never lets into a field.
    QStringList back = texts;
    back[3] = QStringLiteral(u"控制字符与");
    for (const char* name : {"/book.xlsx", "/book.xls"}) {
        const QString written = AddressBookExport::run(recipients, db.dir() + QLatin1String(name));
        Connection importWindow(db.session());
        SheetImport import(importWindow);
        QVERIFY_THROWS_NO_EXCEPTION(import.run(written));
        QCOMPARE(db.rows(QStringLiteral("excel")), QList<QStringList>{back});
    }

    db.insert(QStringLiteral("inrxx"),
              {"", QString::fromLatin1("cut\0here", 8), "", "", "", "", "", "", "", ""});
    recipients.close();
    recipients.open();
    for (const char* name : {"/nul.xlsx", "/nul.xls"}) {
        QVERIFY_THROWS_EXCEPTION(
            CommandError, AddressBookExport::run(recipients, db.dir() + QLatin1String(name)));
        try {
            AddressBookExport::run(recipients, db.dir() + QLatin1String(name));
        } catch (const CommandError& e) {
            QCOMPARE(e.text(), QStringLiteral(u"第2条收件人的“收件人姓名”含有表格文件存不下的字符 "
                                              u"U+0000，未导出任何数据!"));
        }
        QVERIFY(!QFile::exists(db.dir() + QLatin1String(name)));
    }
}

void ExchangeLimitsTest::exportNeverWritesOntoTheDatabase_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("symbolic link to data.mdb") << "symlink";
    QTest::newRow("hard link to data.mdb") << "hardlink";
    QTest::newRow("link to the journal to come") << "journal";
}

void ExchangeLimitsTest::exportNeverWritesOntoTheDatabase()
{
    QFETCH(QString, kind);
    TestDatabase db;
    db.insert(QStringLiteral("inrxx"), previous);
    const QByteArray before = DatabaseFiles::contents(db.path());
    const QString chosen = db.dir() + QStringLiteral("/book.xls");
    const QByteArray target =
        QFile::encodeName(kind == "journal" ? db.path() + "-journal" : db.path());
    if (kind == "symlink" || kind == "journal")
        QCOMPARE(::symlink(target.constData(), QFile::encodeName(chosen).constData()), 0);
    else
        QCOMPARE(::link(target.constData(), QFile::encodeName(chosen).constData()), 0);
    Connection c(db.session());
    c.open();
    Dataset recipients(c);
    recipients.setQuery(Statements::selectRecipients());
    recipients.open();
    QVERIFY_THROWS_EXCEPTION(CommandError, AddressBookExport::run(recipients, chosen));
    QCOMPARE(DatabaseFiles::contents(db.path()), before);
    QVERIFY(!QFile::exists(db.path() + "-journal"));
}

QTEST_GUILESS_MAIN(ExchangeLimitsTest)
#include "exchange_limits_test.moc"
