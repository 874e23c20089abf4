#include "exchange/biff8_writer.h"

#include "exchange/biff8_records.h"
#include "exchange/little_endian.h"
#include "exchange/sheet_error.h"

#include <QHash>
#include <vector>

using LittleEndian::put16;
using LittleEndian::put32;

namespace {

constexpr int maxRecordData = 8224;
constexpr int cellXf = 15; // 0..14 are the style XFs Excel expects

void record(QByteArray& out, std::uint16_t type, const QByteArray& data)
{
    put16(out, type);
    put16(out, std::uint32_t(data.size()));
    out.append(data);
}

QByteArray bof(std::uint16_t kind)
{
    QByteArray d;
    put16(d, Biff8Record::Version);
    put16(d, kind);
    put16(d, 0x0DBB); // build
    put16(d, 0x07CC); // year
    put32(d, 0);
    put32(d, 0x06);
    return d;
}

QByteArray font()
{
    QByteArray d;
    put16(d, 200); // 10 pt
    put16(d, 0);
    put16(d, 0x7FFF); // automatic colour
    put16(d, 400);    // normal weight
    put16(d, 0);
    d.append(3, '\0'); // underline, family, charset
    d.append('\0');
    const QByteArray name("Arial");
    d.append(char(name.size()));
    d.append('\0'); // compressed
    d.append(name);
    return d;
}

QByteArray xf(bool style)
{
    QByteArray d;
    put16(d, 0); // font
    put16(d, 0); // number format "General"
    put16(d, style ? 0xFFF5 : 0x0001);
    d.append(char(0x20)); // bottom aligned
    d.append('\0');
    d.append('\0');
    d.append(char(style ? 0xF4 : 0x00));
    put32(d, 0);
    put32(d, 0);
    put16(d, 0x20C0); // default pattern colours
    return d;
}

bool fitsOneByte(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

// Shared string table split into SST and CONTINUE records: a string's
// three-byte header never splits, character data that goes on repeats
// the flag byte, and a surrogate pair stays in one record.
class StringTable {
public:
    int indexOf(const QString& s)
    {
        ++m_total;
        const auto it = m_index.constFind(s);
        if (it != m_index.constEnd())
            return *it;
        const int i = int(m_strings.size());
        m_index.insert(s, i);
        m_strings.push_back(s);
        return i;
    }

    // Appends SST, its CONTINUEs and EXTSST to `out`, which starts at stream
    // offset `base`.
    void write(QByteArray& out, qsizetype base) const
    {
        const int bucket = std::max<int>(8, int((m_strings.size() + 127) / 128));
        QByteArray current;
        put32(current, std::uint32_t(m_total));
        put32(current, std::uint32_t(m_strings.size()));
        bool first = true;
        QByteArray ext;
        put16(ext, bucket);
        auto flush = [&] {
            record(out, first ? Biff8Record::Sst : Biff8Record::Continue, current);
            first = false;
            current.clear();
        };
        for (std::size_t i = 0; i < m_strings.size(); ++i) {
            const QString& s = m_strings[i];
            const bool narrow = fitsOneByte(s);
            const int charSize = narrow ? 1 : 2;
            // The header and the first character (a whole pair) stay together.
            const bool pairFirst = !narrow && s.size() > 1 && s.at(0).isHighSurrogate();
            if (current.size() + 3 + (pairFirst ? 4 : charSize) > maxRecordData)
                flush();
            if (i % bucket == 0) {
                const qsizetype inRecord = 4 + current.size();
                put32(ext, std::uint32_t(base + out.size() + inRecord));
                put16(ext, std::uint32_t(inRecord));
                put16(ext, 0);
            }
            put16(current, std::uint32_t(s.size()));
            current.append(char(narrow ? 0 : 1));
            for (qsizetype c = 0; c < s.size(); ++c) {
                const bool pair = !narrow && s.at(c).isHighSurrogate() && c + 1 < s.size();
                const int need = pair ? 4 : charSize;
                if (current.size() + need > maxRecordData) {
                    flush();
                    current.append(char(narrow ? 0 : 1));
                }
                if (narrow) {
                    current.append(char(s.at(c).unicode()));
                } else {
                    put16(current, s.at(c).unicode());
                    if (pair)
                        put16(current, s.at(++c).unicode());
                }
            }
        }
        flush();
        record(out, Biff8Record::ExtSst, ext);
    }

private:
    QHash<QString, int> m_index;
    std::vector<QString> m_strings;
    qint64 m_total = 0;
};

} // namespace

namespace Biff8Writer {

QByteArray workbookStream(const SheetSource& rows)
{
    if (rows.count() > maxRows)
        throw SheetError("xls: more rows than a sheet holds");

    StringTable strings;
    QByteArray sheet;
    record(sheet, Biff8Record::Bof, bof(Biff8Record::Worksheet));
    QByteArray dimensions;
    put32(dimensions, 0);
    put32(dimensions, std::uint32_t(rows.count()));
    put16(dimensions, 0);
    put16(dimensions, 0); // the columns, known once every row is written
    put16(dimensions, 0);
    const qsizetype columnsAt = sheet.size() + 4 + 10;
    record(sheet, Biff8Record::Dimensions, dimensions);
    int columns = 0;
    QByteArray cell;
    for (int r = 0; r < rows.count(); ++r) {
        const QStringList row = rows.row(r);
        for (const QString& text : row)
            if (text.size() > maxCellChars)
                throw SheetError("xls: a cell holds more than 32767 characters");
        if (row.size() > maxColumns)
            throw SheetError("xls: more columns than a sheet holds");
        columns = std::max(columns, int(row.size()));
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (row[c].isEmpty())
                continue;
            cell.clear();
            put16(cell, std::uint32_t(r));
            put16(cell, std::uint32_t(c));
            put16(cell, cellXf);
            put32(cell, std::uint32_t(strings.indexOf(row[c])));
            record(sheet, Biff8Record::LabelSst, cell);
        }
    }
    LittleEndian::set16(sheet, columnsAt, std::uint32_t(columns));
    QByteArray window2;
    put16(window2, 0x06B6);
    window2.append(16, '\0');
    LittleEndian::set16(window2, 6, 0x40); // header colour
    record(sheet, Biff8Record::Window2, window2);
    record(sheet, Biff8Record::Eof, {});

    QByteArray globals;
    record(globals, Biff8Record::Bof, bof(Biff8Record::WorkbookGlobals));
    QByteArray codepage;
    put16(codepage, 1200); // UTF-16
    record(globals, Biff8Record::Codepage, codepage);
    QByteArray window1;
    for (std::uint32_t v : {0u, 0u, 0x25BCu, 0x1572u, 0x38u, 0u, 0u, 1u, 0x258u})
        put16(window1, v);
    record(globals, Biff8Record::Window1, window1);
    for (int i = 0; i < 4; ++i) // index 4 does not exist in BIFF
        record(globals, Biff8Record::Font, font());
    for (int i = 0; i < cellXf; ++i)
        record(globals, Biff8Record::Xf, xf(true));
    record(globals, Biff8Record::Xf, xf(false));
    QByteArray style;
    put16(style, 0x8000); // built-in, XF 0
    style.append('\0');   // "Normal"
    style.append(char(0xFF));
    record(globals, Biff8Record::Style, style);
    const qsizetype sheetOffsetAt = globals.size() + 4;
    QByteArray boundSheet;
    put32(boundSheet, 0); // set below
    boundSheet.append('\0');
    boundSheet.append('\0');
    boundSheet.append(char(6));
    boundSheet.append('\0');
    boundSheet.append("Sheet1");
    record(globals, Biff8Record::BoundSheet, boundSheet);
    strings.write(globals, 0);
    record(globals, Biff8Record::Eof, {});
    LittleEndian::set32(globals, sheetOffsetAt, std::uint32_t(globals.size()));

    QByteArray stream = globals + sheet;
    if (stream.size() < 4096)
        stream.append(4096 - stream.size(), '\0');
    return stream;
}

} // namespace Biff8Writer
