#include "sheet_bombs.h"

#include "exchange/compound_file.h"
#include "exchange/little_endian.h"
#include "store/schema.h"

#include <QStringEncoder>
#include <zlib.h>

using LittleEndian::put16;
using LittleEndian::put32;

namespace SheetBombs {

namespace {

// Raw deflate of one piece, ending on a byte boundary with the state reset
// so that its output may follow any other piece's.
QByteArray deflatePiece(const QByteArray& data, bool last)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(data.size())) + 64), Qt::Uninitialized);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    z.avail_in = uInt(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, last ? Z_FINISH : Z_FULL_FLUSH);
    out.truncate(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

struct Packed {
    QByteArray data;
    qint64 size = 0;
};

Packed pack(const Part& part)
{
    constexpr qint64 chunkBytes = 1 << 20;
    const qint64 perChunk =
        part.unit.isEmpty() ? 0 : std::max<qint64>(1, chunkBytes / part.unit.size());
    Packed p;
    p.data = deflatePiece(part.head, false);
    if (perChunk > 0) {
        const QByteArray chunk = deflatePiece(part.unit.repeated(perChunk), false);
        for (qint64 i = 0; i < part.count / perChunk; ++i)
            p.data.append(chunk);
        p.data.append(deflatePiece(part.unit.repeated(part.count % perChunk), false));
    }
    p.data.append(deflatePiece(part.tail, true));
    p.size = part.head.size() + part.unit.size() * part.count + part.tail.size();
    return p;
}

Part whole(const QByteArray& text)
{
    return {text, {}, 0, {}, -1};
}

QByteArray zip(const QList<std::pair<QByteArray, Part>>& members)
{
    QByteArray file, directory;
    for (const auto& [name, part] : members) {
        const Packed packed = pack(part);
        const auto size =
            std::uint32_t(part.announcedSize >= 0 ? part.announcedSize
                                                  : std::min<qint64>(packed.size, 0xFFFFFFFF));
        const auto offset = std::uint32_t(file.size());
        put32(file, 0x04034B50);
        put16(file, 20);
        put16(file, 0);
        put16(file, 8);
        put32(file, 0);
        put32(file, 0); // the reader does not check the CRC
        put32(file, std::uint32_t(packed.data.size()));
        put32(file, size);
        put16(file, std::uint32_t(name.size()));
        put16(file, 0);
        file.append(name);
        file.append(packed.data);
        put32(directory, 0x02014B50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, 0);
        put16(directory, 8);
        put32(directory, 0);
        put32(directory, 0);
        put32(directory, std::uint32_t(packed.data.size()));
        put32(directory, size);
        put16(directory, std::uint32_t(name.size()));
        directory.append(QByteArray(12, '\0'));
        put32(directory, offset);
        directory.append(name);
    }
    const auto at = std::uint32_t(file.size());
    file.append(directory);
    put32(file, 0x06054B50);
    put32(file, 0);
    put16(file, std::uint32_t(members.size()));
    put16(file, std::uint32_t(members.size()));
    put32(file, std::uint32_t(directory.size()));
    put32(file, at);
    put16(file, 0);
    return file;
}

const QByteArray sheetHead = "<worksheet><sheetData>";
// As long as one BIFF8 record holds.
constexpr int longStringChars = 8000;

void record(QByteArray& out, std::uint16_t type, const QByteArray& data)
{
    put16(out, type);
    put16(out, std::uint32_t(data.size()));
    out.append(data);
}

QByteArray bof(std::uint16_t kind)
{
    QByteArray d;
    put16(d, 0x0600);
    put16(d, kind);
    return d + QByteArray(12, '\0');
}

// A shared string of 8-bit characters.
QByteArray sstString(const QByteArray& latin1)
{
    QByteArray d;
    put16(d, std::uint32_t(latin1.size()));
    return d + '\0' + latin1;
}

QByteArray labelSst(int row, int column, std::uint32_t index)
{
    QByteArray d;
    put16(d, std::uint32_t(row));
    put16(d, std::uint32_t(column));
    put16(d, 15);
    put32(d, index);
    return d;
}

// An .xls with the globals' records `sstRecords` and Sheet1 holding the
// title row (LABEL records) and then the records `cells`.
QByteArray xls(const QList<QByteArray>& sstRecords, const QByteArray& cells)
{
    QByteArray g;
    record(g, 0x0809, bof(5));
    QByteArray bs;
    put32(bs, 0);
    bs.append("\0\0\x06\0Sheet1", 10);
    const qsizetype offsetAt = g.size() + 4;
    record(g, 0x0085, bs);
    for (const QByteArray& r : sstRecords)
        g.append(r);
    record(g, 0x000A, {});
    LittleEndian::set32(g, offsetAt, std::uint32_t(g.size()));
    record(g, 0x0809, bof(0x10));
    int column = 0;
    for (const QString& title : Schema::recipientColumns()) {
        QByteArray d;
        put16(d, 0);
        put16(d, std::uint32_t(column++));
        put16(d, 15);
        put16(d, std::uint32_t(title.size()));
        d.append('\1');
        for (const QChar c : title)
            put16(d, c.unicode());
        record(g, 0x0204, d);
    }
    g.append(cells);
    record(g, 0x000A, {});
    return CompoundFile::writeSingleStream(QStringLiteral("Workbook"), g.leftJustified(4096));
}

QByteArray sstHeader(std::uint32_t count)
{
    QByteArray d;
    put32(d, count);
    put32(d, count);
    return d;
}
const QByteArray sheetTail = "</sheetData></worksheet>";

} // namespace

QByteArray titleRow()
{
    QByteArray row = "<row r=\"1\">";
    for (const QString& title : Schema::recipientColumns())
        row += "<c t=\"inlineStr\"><is><t>" + title.toUtf8() + "</t></is></c>";
    return row + "</row>";
}

QByteArray workbook(const Part& sheet, const Part& sharedStrings)
{
    QList<std::pair<QByteArray, Part>> members{
        {"xl/workbook.xml",
         whole("<workbook><sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
               "</workbook>")},
        {"xl/_rels/workbook.xml.rels",
         whole("<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
               "</Relationships>")},
        {"xl/worksheets/sheet1.xml", sheet}};
    if (!sharedStrings.head.isEmpty())
        members.append({"xl/sharedStrings.xml", sharedStrings});
    return zip(members);
}

QList<Bomb> all()
{
    const QByteArray name = QStringLiteral(u"张三").toUtf8();
    return {
        {"column bomb",
         workbook({sheetHead, "<row><c r=\"XFD1\"><v>1</v></c></row>", 1000000, sheetTail}), false},
        {"column bomb under titles",
         workbook({sheetHead + titleRow(),
                   "<row><c t=\"inlineStr\"><is><t>" + name +
                       "</t></is></c><c r=\"XFD1\"><v>1</v></c></row>",
                   100000, sheetTail}),
         true},
        {"shared strings bomb",
         workbook({sheetHead + titleRow(), {}, 0, sheetTail},
                  {"<sst>", "<si><t>a</t></si>", 25000000, "</sst>"}),
         false},
        {"inflate bomb of blanks",
         workbook({sheetHead + titleRow(), QByteArray(1 << 20, ' '), 900, sheetTail}), true},
        {"inflate bomb past the limit",
         workbook({sheetHead + titleRow(), QByteArray(1 << 20, ' '), 1100, sheetTail}), false},
        {"inflate bomb that lies about its size",
         workbook({sheetHead + titleRow(), QByteArray(1 << 20, ' '), 900, sheetTail, 4096}), false},
        // Name, phones and address in one cell, each split as a pasted text.
        {"combined cells bomb",
         workbook({sheetHead + "<row><c t=\"inlineStr\"><is><t>" +
                       QStringLiteral(u"收货信息").toUtf8() + "</t></is></c></row>",
                   "<row><c t=\"s\"><v>0</v></c></row>", 1000000, sheetTail},
                  {"<sst><si><t>", QByteArray("13800138000 ").repeated(83), 1, "</t></si></sst>"}),
         false},
    };
}

QList<Bomb> large()
{
    // Name and address as shared strings 0 and 1, with 57 million empty
    // CONTINUE records between (228 MB); one recipient.
    QByteArray sst;
    record(sst, 0x00FC, sstHeader(2) + sstString("Zhang San"));
    sst.append(QByteArray("\x3C\0\0\0", 4).repeated(57000000));
    record(sst, 0x003C, sstString("Shenzhen"));
    QByteArray recipient;
    record(recipient, 0x00FD, labelSst(1, 1, 0));
    record(recipient, 0x00FD, labelSst(1, 3, 1));

    // Columns K to IV of 65,535 rows, each the one long string (226 MB).
    // (Behind a short one: a table of one string alone was always shared.)
    QByteArray longSst;
    record(longSst, 0x00FC,
           sstHeader(2) + sstString("a") + sstString(QByteArray(longStringChars, 'b')));
    QByteArray row;
    for (int column = 10; column < 256; ++column)
        record(row, 0x00FD, labelSst(0, column, 1));
    QByteArray rows;
    rows.reserve(row.size() * 65535);
    for (int r = 1; r <= 65535; ++r) {
        for (qsizetype at = 0; at < row.size(); at += 14)
            LittleEndian::set16(row, at + 4, std::uint32_t(r));
        rows.append(row);
    }

    // 62,000 recipients with a note of 2,000 characters each (250 MB).
    const QString note = QString(2000, QChar(u'注'));
    const QString line = QStringLiteral(u",张三,,深圳市南山区科技园,,,13800138000,,,,") + note +
                         QStringLiteral("\r\n");
    QStringEncoder gb("GB18030");
    const QByteArray csv =
        QByteArray(gb.encode(Schema::recipientColumns().join(u',') + QStringLiteral(",备注\r\n"))) +
        QByteArray(gb.encode(line)).repeated(62000);

    return {
        {"empty CONTINUE records", xls({sst}, recipient), true, ".xls"},
        {"one string for every cell",
         workbook({sheetHead + titleRow(),
                   "<row><c r=\"K1\" t=\"s\"><v>1</v></c>" +
                       QByteArray("<c t=\"s\"><v>1</v></c>").repeated(15) + "</row>",
                   1048575, sheetTail},
                  {"<sst><si><t>a</t></si><si><t>", QByteArray(longStringChars, 'b'), 1,
                   "</t></si></sst>"}),
         true},
        {"one string for every cell", xls({longSst}, rows), true, ".xls"},
        {"GB18030 text", csv, true, ".csv"},
    };
}

} // namespace SheetBombs
