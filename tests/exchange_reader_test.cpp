#include "exchange/biff8_reader.h"
#include "exchange/biff8_writer.h"
#include "exchange/cell_text.h"
#include "exchange/compound_file.h"
#include "exchange/little_endian.h"
#include "exchange/recipient_sheet.h"
#include "exchange/sheet_cells.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "store/schema.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <malloc.h>

#include "support/collected_cells.h"
#include "support/sample_sheets.h"

using LittleEndian::put16;
using LittleEndian::put32;

namespace {

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return f.readAll();
}

// Hand-built BIFF8 streams for records no sample program writes on demand.
class Biff {
public:
    Biff& rec(std::uint16_t type, const QByteArray& data)
    {
        put16(bytes, type);
        put16(bytes, std::uint32_t(data.size()));
        bytes.append(data);
        return *this;
    }
    static QByteArray bof(std::uint16_t kind)
    {
        QByteArray d;
        put16(d, 0x0600);
        put16(d, kind);
        d.append(12, '\0');
        return d;
    }
    static QByteArray cell(int row, int col)
    {
        QByteArray d;
        put16(d, row);
        put16(d, col);
        put16(d, 15);
        return d;
    }
    QByteArray bytes;
};

// Globals with one sheet "Sheet1" and the given SST records; the sheet's
// records follow.
QByteArray workbook(const QList<std::pair<std::uint16_t, QByteArray>>& sst,
                    const QList<std::pair<std::uint16_t, QByteArray>>& sheet,
                    const QByteArray& beforeSheet = {})
{
    Biff g;
    g.rec(0x0809, Biff::bof(5));
    g.bytes.append(beforeSheet);
    const qsizetype offsetAt = g.bytes.size() + 4;
    QByteArray bs;
    put32(bs, 0);
    bs.append('\0');
    bs.append('\0');
    bs.append(char(6));
    bs.append('\0');
    bs.append("Sheet1");
    g.rec(0x0085, bs);
    for (const auto& [type, data] : sst)
        g.rec(type, data);
    g.rec(0x000A, {});
    LittleEndian::set32(g.bytes, offsetAt, std::uint32_t(g.bytes.size()));
    Biff s;
    s.rec(0x0809, Biff::bof(0x10));
    for (const auto& [type, data] : sheet)
        s.rec(type, data);
    s.rec(0x000A, {});
    return g.bytes + s.bytes;
}

// A zip of stored members; the reader does not check CRCs.
QByteArray storedZip(const QList<std::pair<QByteArray, QByteArray>>& members)
{
    QByteArray zip, directory;
    for (const auto& [name, data] : members) {
        const auto offset = std::uint32_t(zip.size());
        put32(zip, 0x04034B50);
        zip.append(QByteArray(14, '\0'));
        put32(zip, std::uint32_t(data.size()));
        put32(zip, std::uint32_t(data.size()));
        put16(zip, std::uint32_t(name.size()));
        put16(zip, 0);
        zip.append(name);
        zip.append(data);
        put32(directory, 0x02014B50);
        directory.append(QByteArray(16, '\0'));
        put32(directory, std::uint32_t(data.size()));
        put32(directory, std::uint32_t(data.size()));
        put16(directory, std::uint32_t(name.size()));
        directory.append(QByteArray(12, '\0'));
        put32(directory, offset);
        directory.append(name);
    }
    const auto at = std::uint32_t(zip.size());
    zip.append(directory);
    put32(zip, 0x06054B50);
    put32(zip, 0);
    put16(zip, std::uint32_t(members.size()));
    put16(zip, std::uint32_t(members.size()));
    put32(zip, std::uint32_t(directory.size()));
    put32(zip, at);
    put16(zip, 0);
    return zip;
}

} // namespace

class ExchangeReaderTest : public QObject {
    Q_OBJECT
private slots:
    void sheetsOfOtherPrograms_data();
    void sheetsOfOtherPrograms();
    void titlesInAnyOrderWithExtraColumns();
    void missingTitleFails();
    void xlsxWithPrefixedElements();
    void numbersReadAsText();
    void sstStringsSwitchWidthAtContinue();
    void cellRecordsOfEveryKind();
    void cellsCitingOneStringShareItsText();
    void emptyContinueRecordsCostNothing();
    void xlsFileCostsItsWorkbookStreamOnly();
    void csvIsReadAPieceAtATime_data();
    void csvIsReadAPieceAtATime();
    void csvFileIsNeverWholeInMemory();
    void xlsCellsFarRightStaySparse();
    void encryptedWorkbookIsRefused();
    void compoundFileRoundTripsLargeStreams();
    void damagedCompoundFilesFail();
    void rootStreamWinsOverANestedOne();
    void truncatedFilesFailCleanly();
    void keptFuzzCasesFailCleanly();
};

void ExchangeReaderTest::sheetsOfOtherPrograms_data()
{
    QTest::addColumn<QString>("file");
    for (const char* f :
         {"xlwt_recipients.xls", "sheetjs_recipients.xls", "libreoffice_recipients.xls",
          "sheetjs_recipients.xlsx", "libreoffice_recipients.xlsx", "recipients_utf8_bom.csv",
          "recipients_gb18030.csv"})
        QTest::newRow(f) << QString::fromLatin1(f);
}

void ExchangeReaderTest::sheetsOfOtherPrograms()
{
    QFETCH(QString, file);
    const SheetRows got = CollectedCells::recipientsInFile(SampleSheets::path(file));
    SheetRows want = SampleSheets::expectedRecipients();
    // SheetJS writes .xls text as LABEL records of at most 255 characters.
    if (file == QStringLiteral("sheetjs_recipients.xls"))
        want[2][3].truncate(255);
    else
        QCOMPARE(got[2][3].size(), 9000); // several CONTINUE records in .xls
    QCOMPARE(got.size(), want.size());
    for (qsizetype r = 0; r < want.size(); ++r)
        QCOMPARE(got[r], want[r]);
}

void ExchangeReaderTest::titlesInAnyOrderWithExtraColumns()
{
    const SheetRows got =
        CollectedCells::recipientsInFile(SampleSheets::path(QStringLiteral("xlwt_reordered.xls")));
    QCOMPARE(got, SampleSheets::expectedRecipients());
}

void ExchangeReaderTest::missingTitleFails()
{
    for (const QString& path : {SampleSheets::path(QStringLiteral("platform_no_address.xls")),
                                QStringLiteral("/nonexistent/x.xls")})
        QVERIFY_THROWS_EXCEPTION(SheetError, CollectedCells::recipientsInFile(path));
    QVERIFY(!CollectedCells::inFile(SampleSheets::path(QStringLiteral("platform_no_address.xls")))
                 .isEmpty());
    RecipientSheet empty;
    QVERIFY_THROWS_EXCEPTION(SheetError, empty.finish());
}

void ExchangeReaderTest::xlsxWithPrefixedElements()
{
    const QByteArray workbook =
        R"(<x:workbook xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"
 xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><x:sheets>
<x:sheet name="Other" sheetId="1" r:id="rId1"/><x:sheet name="Sheet1" sheetId="2" r:id="rId2"/>
</x:sheets></x:workbook>)";
    const QByteArray rels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Target="worksheets/a.xml"/>
<Relationship Id="rId2" Target="/xl/worksheets/b.xml"/></Relationships>)";
    const QByteArray strings =
        R"(<x:sst xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:si><x:t/></x:si><x:si><x:r><x:t>张</x:t></x:r><x:r><x:t>三</x:t></x:r>
<x:rPh><x:t>ZHANG</x:t></x:rPh></x:si></x:sst>)";
    const QByteArray sheet =
        R"(<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<x:sheetData><x:row r="2"><x:c r="B2" t="s"><x:v>1</x:v></x:c><x:c t="s"><x:v>0</x:v></x:c>
<x:c t="inlineStr"><x:is><x:t>内联</x:t></x:is></x:c><x:c t="str"><x:f>1</x:f><x:v>公式</x:v></x:c>
<x:c><x:v>13800138000</x:v></x:c><x:c t="b"><x:v>1</x:v></x:c></x:row></x:sheetData>
</x:worksheet>)";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prefixed.bin"));
    const auto write = [&](const QByteArray& book) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(storedZip({{"xl/workbook.xml", book},
                           {"xl/_rels/workbook.xml.rels", rels},
                           {"xl/sharedStrings.xml", strings},
                           {"xl/worksheets/a.xml", "<worksheet/>"},
                           {"xl/worksheets/b.xml", sheet}}));
    };
    write(workbook);
    const SheetRows rows = CollectedCells::inFile(path);
    QCOMPARE(rows.size(), 2);
    QVERIFY(rows[0].isEmpty());
    QCOMPARE(rows[1], QStringList({"", QStringLiteral(u"张三"), "", QStringLiteral(u"内联"),
                                   QStringLiteral(u"公式"), "13800138000", "TRUE"}));

    // Without a Sheet1 the first visible worksheet is read, and named.
    QByteArray platform = workbook;
    platform.replace("name=\"Other\"", "name=\"Other\" state=\"hidden\"")
        .replace("Sheet1", QStringLiteral(u"订单列表").toUtf8());
    write(platform);
    QString read;
    QCOMPARE(CollectedCells::of([&](SheetCells& cells) { read = SheetFile::read(path, cells); }),
             rows);
    QCOMPARE(read, QStringLiteral(u"订单列表"));
}

void ExchangeReaderTest::numbersReadAsText()
{
    QCOMPARE(CellText::fromNumber(13800138000.0), QStringLiteral("13800138000"));
    QCOMPARE(CellText::fromNumber(518000.0), QStringLiteral("518000"));
    QCOMPARE(CellText::fromNumber(-3.0), QStringLiteral("-3"));
    QCOMPARE(CellText::fromNumber(2.5), QStringLiteral("2.5"));
    QCOMPARE(CellText::fromNumber(0.1), QStringLiteral("0.1"));
    QCOMPARE(CellText::fromNumber(1e15), QStringLiteral("1e+15"));
}

void ExchangeReaderTest::sstStringsSwitchWidthAtContinue()
{
    // "ab" compressed in the SST, then "中文" as UTF-16 in the CONTINUE, then
    // a second string whose header starts the next CONTINUE.
    QByteArray sst;
    put32(sst, 2);
    put32(sst, 2);
    put16(sst, 4);
    sst.append('\0');
    sst.append("ab");
    QByteArray cont;
    cont.append(char(1));
    put16(cont, 0x4E2D);
    put16(cont, 0x6587);
    QByteArray cont2;
    put16(cont2, 1);
    cont2.append(char(8)); // rich text: one run after the text
    put16(cont2, 1);
    cont2.append('z');
    cont2.append(4, '\0');
    QByteArray l0 = Biff::cell(0, 0), l1 = Biff::cell(0, 1);
    put32(l0, 0);
    put32(l1, 1);
    const QByteArray stream =
        workbook({{0x00FC, sst}, {0x003C, cont}, {0x003C, cont2}}, {{0x00FD, l0}, {0x00FD, l1}});
    const SheetRows rows = CollectedCells::of([&](SheetCells& cells) {
        Biff8Reader::readSheet(stream, QStringLiteral("Sheet1"), cells);
    });
    QCOMPARE(rows, SheetRows({{QStringLiteral(u"ab中文"), QStringLiteral("z")}}));
}

// Keeps every cell's text as it was handed out, to see where its
// characters are.
class CellData : public SheetCells {
public:
    void cell(std::uint32_t, std::uint32_t, const QString& text) override
    {
        if (!text.isEmpty())
            texts << text;
    }
    QStringList texts;
};

void ExchangeReaderTest::cellsCitingOneStringShareItsText()
{
    // Millions of cells may cite one long string: none may cost a copy.
    QByteArray sst;
    put32(sst, 3);
    put32(sst, 2);
    for (const QByteArray text : {"long.", "other"}) {
        put16(sst, 5);
        sst.append('\0');
        sst.append(text);
    }
    QList<std::pair<std::uint16_t, QByteArray>> cells;
    for (int col = 0; col < 3; ++col) {
        QByteArray c = Biff::cell(0, col);
        put32(c, 0);
        cells.append({0x00FD, c});
    }
    const QByteArray stream = workbook({{0x00FC, sst}}, cells);
    const QByteArray sheet = "<worksheet><sheetData><row>" +
                             QByteArray("<c t=\"s\"><v>0</v></c>").repeated(3) +
                             "</row></sheetData></worksheet>";
    const QByteArray xlsx = storedZip(
        {{"xl/workbook.xml", "<workbook><sheets><sheet name=\"Sheet1\" r:id=\"r\"/>"
                             "</sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels",
          "<Relationships><Relationship Id=\"r\" Target=\"worksheets/s.xml\"/>"
          "</Relationships>"},
         {"xl/sharedStrings.xml", "<sst><si><t>long.</t></si><si><t>other</t></si></sst>"},
         {"xl/worksheets/s.xml", sheet}});
    for (const QByteArray& file :
         {CompoundFile::writeSingleStream(QStringLiteral("Workbook"), stream.leftJustified(4096)),
          xlsx}) {
        CellData data;
        SheetFile::readBytes(file, data);
        QCOMPARE(data.texts, QStringList(3, QStringLiteral("long.")));
        QCOMPARE(data.texts[1].constData(), data.texts[0].constData());
        QCOMPARE(data.texts[2].constData(), data.texts[0].constData());
    }
}

qint64 heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
}

// What the heap held more, at each non-empty cell, than before the
// reading.
class HeapAtCells : public SheetCells {
public:
    void cell(std::uint32_t, std::uint32_t, const QString& text) override
    {
        if (text.isEmpty())
            return;
        texts << text;
        grown = std::max(grown, heapInUse() - before);
    }
    QStringList texts;
    qint64 before = heapInUse();
    qint64 grown = 0;
};

void ExchangeReaderTest::emptyContinueRecordsCostNothing()
{
    // A text cut in two with a million empty CONTINUE records between and
    // after: 4 MB of stream that must not cost memory a record.
    QByteArray label = Biff::cell(0, 0);
    put16(label, 4);
    label.append('\0');
    label.append("ab");
    QByteArray rest;
    rest.append(char(1));
    put16(rest, 0x4E2D);
    put16(rest, 0x6587);
    QList<std::pair<std::uint16_t, QByteArray>> sheet{{0x0204, label}};
    for (int i = 0; i < 500000; ++i)
        sheet.append({std::uint16_t(0x003C), QByteArray()});
    sheet.append({0x003C, rest});
    for (int i = 0; i < 500000; ++i)
        sheet.append({std::uint16_t(0x003C), QByteArray()});
    QByteArray after = Biff::cell(0, 1);
    put16(after, 1);
    after.append('\0');
    after.append('z');
    sheet.append({0x0204, after});
    const QByteArray stream = workbook({}, sheet);
    sheet.clear();
    HeapAtCells cells;
    Biff8Reader::readSheet(stream, QStringLiteral("Sheet1"), cells);
    QCOMPARE(cells.texts, QStringList({QStringLiteral(u"ab中文"), QStringLiteral("z")}));
    QCOMPARE_LT(cells.grown, 1 << 20);
}

void ExchangeReaderTest::xlsFileCostsItsWorkbookStreamOnly()
{
    QByteArray label = Biff::cell(0, 0);
    put16(label, 1);
    label.append('\0');
    label.append('x');
    constexpr qsizetype streamSize = 8 << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.xls"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(CompoundFile::writeSingleStream(
            QStringLiteral("Workbook"), workbook({}, {{0x0204, label}}).leftJustified(streamSize)));
    }
    HeapAtCells cells;
    SheetFile::read(path, cells);
    QCOMPARE(cells.texts, QStringList{QStringLiteral("x")});
    QCOMPARE_LT(cells.grown, streamSize * 3 / 2);
}

void ExchangeReaderTest::csvIsReadAPieceAtATime_data()
{
    QTest::addColumn<QByteArray>("last");
    QTest::addColumn<int>("cut"); // bytes of it before the end of the first piece
    QTest::addColumn<SheetRows>("rows");
    const QByteArray gb = QStringEncoder("GB18030").encode(QStringLiteral(u"中文"));
    const QList<std::tuple<const char*, QByteArray, SheetRows>> cases{
        {"quotes", "\"x\"\"y\",z\r\nw\n", {{"x\"y", "z"}, {"w"}}},
        {"UTF-8", QStringLiteral(u"中文,b\r\n").toUtf8(), {{QStringLiteral(u"中文"), "b"}}},
        {"GB18030", gb + ",b\r\n", {{QStringLiteral(u"中文"), "b"}}},
    };
    for (const auto& [name, last, rows] : cases)
        for (int cut = 1; cut <= 5; ++cut)
            QTest::addRow("%s, %d", name, cut) << last << cut << rows;
}

void ExchangeReaderTest::csvIsReadAPieceAtATime()
{
    // Lines of "a" up to `cut` bytes before 1 MB, where a piece ends.
    QFETCH(QByteArray, last);
    QFETCH(int, cut);
    QFETCH(SheetRows, rows);
    const qsizetype padding = (1 << 20) - cut;
    const QByteArray line = QByteArray(1023, 'a') + '\n';
    QByteArray file = line.repeated(padding / line.size());
    file += QByteArray(padding - file.size() - 1, 'a') + '\n' + last;
    const SheetRows read =
        CollectedCells::of([&](SheetCells& cells) { SheetFile::readBytes(file, cells); });
    QCOMPARE(read.size(), padding / line.size() + 1 + rows.size());
    QCOMPARE(read.mid(read.size() - rows.size()), rows);
}

void ExchangeReaderTest::csvFileIsNeverWholeInMemory()
{
    constexpr qsizetype fileSize = 32 << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x\n" + QByteArray(fileSize, '\n') + "y\n");
    }
    HeapAtCells cells;
    SheetFile::read(path, cells);
    QCOMPARE(cells.texts, QStringList({"x", "y"}));
    QCOMPARE_LT(cells.grown, fileSize / 2);
}

void ExchangeReaderTest::cellRecordsOfEveryKind()
{
    QByteArray number = Biff::cell(0, 0);
    number.append(QByteArray::fromHex("000000000000F83F")); // 1.5
    QByteArray rkInt = Biff::cell(0, 1);
    put32(rkInt, (12345u << 2) | 2);
    QByteArray rkCents = Biff::cell(0, 2);
    put32(rkCents, (1234u << 2) | 3); // 12.34
    QByteArray mulrk;
    put16(mulrk, 1);
    put16(mulrk, 0);
    for (std::uint32_t v : {7u, 8u}) {
        put16(mulrk, 15);
        put32(mulrk, (v << 2) | 2);
    }
    put16(mulrk, 1);
    QByteArray boolean = Biff::cell(1, 2);
    boolean.append(char(1));
    boolean.append('\0');
    QByteArray error = Biff::cell(1, 3);
    error.append(char(0x2A));
    error.append(char(1));
    QByteArray formulaText = Biff::cell(2, 0);
    formulaText.append(QByteArray::fromHex("0000000000 00FFFF"));
    formulaText.append(QByteArray(6, '\0'));
    QByteArray string;
    put16(string, 3);
    string.append('\0');
    string.append("abc");
    QByteArray formulaNumber = Biff::cell(2, 1);
    formulaNumber.append(QByteArray::fromHex("0000000000002440")); // 10
    formulaNumber.append(QByteArray(6, '\0'));
    QByteArray formulaEmpty = Biff::cell(2, 2);
    formulaEmpty.append(QByteArray::fromHex("030000000000FFFF"));
    formulaEmpty.append(QByteArray(6, '\0'));
    QByteArray label = Biff::cell(3, 0);
    put16(label, 2);
    label.append(char(1));
    put16(label, 0x5F20);
    put16(label, 0x4E09);
    QByteArray blank = Biff::cell(3, 1);
    QByteArray mulblank;
    put16(mulblank, 3);
    put16(mulblank, 2);
    put16(mulblank, 15);
    put16(mulblank, 15);
    put16(mulblank, 3);
    // An embedded chart's cells are not the sheet's.
    QByteArray chartLabel = Biff::cell(5, 0);
    put16(chartLabel, 1);
    chartLabel.append('\0');
    chartLabel.append('x');

    const QByteArray stream = workbook({}, {{0x0203, number},
                                            {0x027E, rkInt},
                                            {0x027E, rkCents},
                                            {0x00BD, mulrk},
                                            {0x0205, boolean},
                                            {0x0205, error},
                                            {0x0006, formulaText},
                                            {0x0207, string},
                                            {0x0006, formulaNumber},
                                            {0x0006, formulaEmpty},
                                            {0x0204, label},
                                            {0x0201, blank},
                                            {0x00BE, mulblank},
                                            {0x0809, Biff::bof(0x20)},
                                            {0x0204, chartLabel},
                                            {0x000A, {}}});
    const SheetRows rows = CollectedCells::of([&](SheetCells& cells) {
        Biff8Reader::readSheet(stream, QStringLiteral("sheet1"), cells);
    });
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows[0], QStringList({"1.5", "12345", "12.34"}));
    QCOMPARE(rows[1], QStringList({"7", "8", "TRUE", "#N/A"}));
    QCOMPARE(rows[2], QStringList({"abc", "10"}));
    QCOMPARE(rows[3], QStringList({QStringLiteral(u"张三")}));
}

void ExchangeReaderTest::xlsCellsFarRightStaySparse()
{
    // Every row with a cell in the last column: padded rows of 256 cells
    // each once took hundreds of megabytes.
    const auto label = [](int row, int col, const QString& text) {
        QByteArray d = Biff::cell(row, col);
        put16(d, std::uint32_t(text.size()));
        d.append(char(1));
        for (QChar c : text)
            put16(d, c.unicode());
        return std::pair<std::uint16_t, QByteArray>{0x0204, d};
    };
    QList<std::pair<std::uint16_t, QByteArray>> records;
    for (int c = 0; c < Schema::recipientColumns().size(); ++c)
        records << label(0, c, Schema::recipientColumns().at(c));
    records << label(1, 1, QStringLiteral(u"张三"));
    for (int row = 1; row < 65536; ++row) {
        QByteArray rk = Biff::cell(row, 255);
        put32(rk, (7u << 2) | 2);
        records << std::pair<std::uint16_t, QByteArray>{0x027E, rk};
    }
    const QByteArray stream = workbook({}, records);
    RecipientSheet sheet;
    Biff8Reader::readSheet(stream, QStringLiteral("Sheet1"), sheet);
    sheet.finish();
    QCOMPARE(sheet.rowCount(), 1);
    QCOMPARE(sheet.value(0, 1), QStringLiteral(u"张三"));
}

void ExchangeReaderTest::encryptedWorkbookIsRefused()
{
    QByteArray filepass;
    put16(filepass, 1);
    filepass.append(52, '\0');
    Biff b;
    b.rec(0x002F, filepass);
    const QByteArray stream = workbook({}, {}, b.bytes);
    QVERIFY_THROWS_EXCEPTION(SheetError, CollectedCells::of([&](SheetCells& cells) {
                                 Biff8Reader::readSheet(stream, QStringLiteral("Sheet1"), cells);
                             }));
}

void ExchangeReaderTest::compoundFileRoundTripsLargeStreams()
{
    // Eight MiB needs more FAT sectors than the header lists: the DIFAT.
    for (qsizetype size : {qsizetype(4096), qsizetype(5000), qsizetype(8 << 20)}) {
        QByteArray stream(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            stream[i] = char((i * 131) >> 3);
        const QByteArray file = CompoundFile::writeSingleStream(QStringLiteral("Workbook"), stream);
        QCOMPARE(file.size() % 512, 0);
        QCOMPARE(CompoundFile::readStream(file, QStringLiteral("workbook")), stream);
        QVERIFY_THROWS_EXCEPTION(SheetError,
                                 CompoundFile::readStream(file, QStringLiteral("Book")));
    }
    QVERIFY_THROWS_EXCEPTION(SheetError, CompoundFile::writeSingleStream(QStringLiteral("Workbook"),
                                                                         QByteArray(100, 'x')));
}

void ExchangeReaderTest::damagedCompoundFilesFail()
{
    const QByteArray good =
        CompoundFile::writeSingleStream(QStringLiteral("Workbook"), QByteArray(6000, 'x'));
    const qsizetype fat = 512; // sector 0 holds the FAT
    // The stream starts in sector 2 (FAT, directory, data); make it loop.
    QByteArray loop = good;
    LittleEndian::set32(loop, fat + 4 * 3, 2);
    QVERIFY_THROWS_EXCEPTION(SheetError,
                             CompoundFile::readStream(loop, QStringLiteral("Workbook")));
    QByteArray past = good;
    LittleEndian::set32(past, fat + 4 * 3, 100000);
    QVERIFY_THROWS_EXCEPTION(SheetError,
                             CompoundFile::readStream(past, QStringLiteral("Workbook")));
    QByteArray huge = good; // stream size far beyond the file
    LittleEndian::set32(huge, 512 * 2 + 128 + 120, 0x7FFFFFF0);
    QVERIFY_THROWS_EXCEPTION(SheetError,
                             CompoundFile::readStream(huge, QStringLiteral("Workbook")));
    QByteArray fatCount = good;
    LittleEndian::set32(fatCount, 44, 0xFFFFFF);
    QVERIFY_THROWS_EXCEPTION(SheetError,
                             CompoundFile::readStream(fatCount, QStringLiteral("Workbook")));
}

void ExchangeReaderTest::rootStreamWinsOverANestedOne()
{
    QByteArray file =
        CompoundFile::writeSingleStream(QStringLiteral("Workbook"), QByteArray(6000, 'x'));
    const qsizetype directory = 2 * 512; // sector 1
    // Entry 2 becomes the root's stream; entry 1, first in the directory but
    // not in the root's tree, stands for an embedded object's shorter one.
    file.replace(directory + 256, 128, file.mid(directory + 128, 128));
    LittleEndian::set32(file, directory + 128 + 120, 4096);
    LittleEndian::set32(file, directory + 76, 2);
    QCOMPARE(CompoundFile::readStream(file, QStringLiteral("Workbook")).size(), 6000);
}

void ExchangeReaderTest::truncatedFilesFailCleanly()
{
    for (const char* name : {"sheetjs_recipients.xls", "xlwt_recipients.xls",
                             "sheetjs_recipients.xlsx", "libreoffice_recipients.xls"}) {
        const QByteArray whole = readBytes(SampleSheets::path(QString::fromLatin1(name)));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cut"));
        for (qsizetype length = 0; length < whole.size(); length += 97 + length / 7) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(whole.left(length));
            f.close();
            try {
                CollectedCells::recipientsInFile(path);
            } catch (const SheetError&) {
            }
        }
    }
}

void ExchangeReaderTest::keptFuzzCasesFailCleanly()
{
    const QDir dir(QStringLiteral(SF_TEST_DATA_DIR "/fuzz"));
    const QStringList cases = dir.entryList(QDir::Files);
    QVERIFY(!cases.isEmpty());
    for (const QString& name : cases) {
        try {
            CollectedCells::recipientsInFile(dir.filePath(name));
        } catch (const SheetError&) {
        }
    }
}

QTEST_GUILESS_MAIN(ExchangeReaderTest)
#include "exchange_reader_test.moc"
