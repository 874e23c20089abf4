#include "exchange/biff8_reader.h"

#include "exchange/biff8_records.h"
#include "exchange/cell_text.h"
#include "exchange/little_endian.h"
#include "exchange/shared_strings.h"
#include "exchange/sheet_cells.h"
#include "exchange/sheet_error.h"

#include <QByteArrayView>
#include <cmath>
#include <cstring>
#include <optional>

using LittleEndian::u16;
using LittleEndian::u32;

namespace {

constexpr int maxColumns = 256;

[[noreturn]] void fail(const char* what, SheetError::Kind kind = SheetError::Kind::Damaged)
{
    throw SheetError(std::string("workbook: ") + what, kind);
}

struct Record {
    std::uint16_t type = 0;
    QByteArrayView data;
};

// Walks the records of the stream from an offset.
class Records {
public:
    Records(const QByteArray& stream, qsizetype at) : m_stream(stream), m_at(at)
    {
        if (at < 0 || at > stream.size())
            fail("record offset past the end");
    }

    std::optional<Record> next()
    {
        if (m_at + 4 > m_stream.size())
            return std::nullopt;
        const char* p = m_stream.constData() + m_at;
        const std::uint16_t type = u16(p);
        const std::uint16_t size = u16(p + 2);
        if (m_at + 4 + size > m_stream.size())
            fail("truncated record");
        m_at += 4 + size;
        return Record{type, QByteArrayView(p + 4, size)};
    }

    std::optional<Record> peek() const
    {
        Records copy = *this;
        return copy.next();
    }

    // The CONTINUE record that comes next, taken; none when another does.
    std::optional<Record> nextContinue()
    {
        const auto r = peek();
        if (!r || r->type != Biff8Record::Continue)
            return std::nullopt;
        next();
        return r;
    }

private:
    const QByteArray& m_stream;
    qsizetype m_at;
};

// Reads across a record and its CONTINUE records, each taken from the
// records only when reached: a record may be followed by tens of millions
// of empty ones. Character data that goes on in the next part starts there
// with a fresh compressed/UTF-16 flag.
class ContinuedData {
public:
    explicit ContinuedData(QByteArrayView data) : m_part(data) {}
    ContinuedData(QByteArrayView first, Records& records) : m_part(first), m_records(&records) {}

    // Takes the CONTINUE records not read, so that the next record follows.
    void skipRest()
    {
        while (nextPart()) {
        }
    }

    std::uint8_t byte()
    {
        advanceIfAtEnd();
        return std::uint8_t(m_part[m_pos++]);
    }
    std::uint16_t word()
    {
        const std::uint16_t lo = byte();
        return std::uint16_t(lo | (byte() << 8));
    }
    std::uint32_t dword()
    {
        const std::uint32_t lo = word();
        return lo | (std::uint32_t(word()) << 16);
    }
    void skip(std::uint32_t count)
    {
        while (count) {
            advanceIfAtEnd();
            const auto n = std::min<qsizetype>(count, m_part.size() - m_pos);
            m_pos += n;
            count -= std::uint32_t(n);
        }
    }

    QString chars(int count, bool wide)
    {
        QString s;
        s.reserve(count); // at most 65535
        while (s.size() < count) {
            if (m_pos == m_part.size()) {
                if (!nextPart())
                    fail("string past the end of its record");
                wide = byte() & 1;
            }
            const QByteArrayView part = m_part;
            const qsizetype want = count - s.size();
            if (wide) {
                const qsizetype n = std::min<qsizetype>(want, (part.size() - m_pos) / 2);
                if (n == 0)
                    fail("odd byte in a UTF-16 string");
                for (qsizetype i = 0; i < n; ++i)
                    s.append(QChar(u16(part.data() + m_pos + 2 * i)));
                m_pos += 2 * n;
            } else {
                const qsizetype n = std::min<qsizetype>(want, part.size() - m_pos);
                for (qsizetype i = 0; i < n; ++i)
                    s.append(QChar(std::uint8_t(part[m_pos + i])));
                m_pos += n;
            }
        }
        return s;
    }

    // XLUnicodeRichExtendedString (SST) or, without runs, XLUnicodeString.
    QString unicodeString()
    {
        const int count = word();
        const std::uint8_t flags = byte();
        const std::uint32_t runs = (flags & 0x08) ? word() : 0;
        const std::uint32_t extra = (flags & 0x04) ? dword() : 0;
        QString s = chars(count, flags & 0x01);
        skip(4 * runs);
        skip(extra);
        return s;
    }

private:
    bool nextPart()
    {
        const auto r = m_records ? m_records->nextContinue() : std::nullopt;
        if (!r)
            return false;
        m_part = r->data;
        m_pos = 0;
        return true;
    }

    void advanceIfAtEnd()
    {
        while (m_pos == m_part.size())
            if (!nextPart())
                fail("data past the end of its record");
    }

    QByteArrayView m_part;
    Records* m_records = nullptr;
    qsizetype m_pos = 0;
};

double rkValue(std::uint32_t rk)
{
    double value;
    if (rk & 0x02) {
        value = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 0x01) ? value / 100 : value;
}

QString errorText(std::uint8_t code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2A:
        return QStringLiteral("#N/A");
    default:
        return QStringLiteral("#N/A");
    }
}

QString boolErrText(std::uint8_t value, bool isError)
{
    if (isError)
        return errorText(value);
    return value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
}

void requireSize(const Record& r, qsizetype size)
{
    if (r.data.size() < size)
        fail("record too short");
}

void requireBiff8Bof(const std::optional<Record>& r)
{
    if (!r || r->type != Biff8Record::Bof || r->data.size() < 4)
        fail("no BOF record");
    if (u16(r->data.data()) != Biff8Record::Version)
        fail("not a BIFF8 workbook");
}

struct Globals {
    SharedStrings strings;
    qsizetype sheetOffset = -1;
    QString sheet; // the name of the sheet at sheetOffset
};

Globals readGlobals(const QByteArray& stream, const QString& sheetName)
{
    Globals g;
    // Without the sheet named so, the first visible worksheet.
    qsizetype firstOffset = -1;
    QString firstName;
    Records records(stream, 0);
    requireBiff8Bof(records.next());
    while (auto r = records.next()) {
        switch (r->type) {
        case Biff8Record::Eof:
            if (g.sheetOffset < 0) {
                if (firstOffset < 0)
                    fail("no worksheet", SheetError::Kind::NoSheet);
                g.sheetOffset = firstOffset;
                g.sheet = firstName;
            }
            return g;
        case Biff8Record::Filepass:
            fail("the workbook is encrypted", SheetError::Kind::Encrypted);
        case Biff8Record::BoundSheet: {
            requireSize(*r, 8);
            ContinuedData d(r->data.sliced(6));
            const int count = d.byte();
            const bool wide = d.byte() & 1;
            const QString name = d.chars(count, wide);
            const std::uint8_t kind = std::uint8_t(r->data[5]);
            const bool visible = (std::uint8_t(r->data[4]) & 3) == 0;
            if (kind != 0)
                break;
            if (g.sheetOffset < 0 && name.compare(sheetName, Qt::CaseInsensitive) == 0) {
                g.sheetOffset = u32(r->data.data());
                g.sheet = name;
            }
            if (firstOffset < 0 && visible) {
                firstOffset = u32(r->data.data());
                firstName = name;
            }
            break;
        }
        case Biff8Record::Sst: {
            requireSize(*r, 8);
            const std::uint32_t unique = u32(r->data.data() + 4);
            ContinuedData d(r->data.sliced(8), records);
            // Each string takes at least three bytes, so the count cannot
            // outgrow the stream.
            if (qint64(unique) * 3 > stream.size())
                fail("string table count out of range");
            for (std::uint32_t i = 0; i < unique; ++i)
                g.strings.append(d.unicodeString());
            d.skipRest();
            break;
        }
        default:
            break;
        }
    }
    fail("no EOF record");
}

// Cells go on to the reader's caller as they are found.
class CellOutput {
public:
    explicit CellOutput(SheetCells& cells) : m_cells(cells) {}
    void set(std::uint32_t row, std::uint32_t col, const QString& text)
    {
        if (col >= maxColumns)
            fail("column out of range");
        m_cells.cell(row, col, text);
    }

private:
    SheetCells& m_cells;
};

void readCells(const QByteArray& stream, const Globals& g, SheetCells& out)
{
    Records records(stream, g.sheetOffset);
    const auto bof = records.next();
    requireBiff8Bof(bof);
    if (u16(bof->data.data() + 2) != Biff8Record::Worksheet)
        fail("Sheet is not a worksheet");
    CellOutput cells(out);
    int depth = 1; // embedded charts bring their own BOF..EOF
    // The cell of a formula whose text follows in a STRING record (plain
    // members, not std::optional, which GCC 12 takes for uninitialised).
    bool stringPending = false;
    std::uint32_t pendingRow = 0, pendingCol = 0;
    while (auto r = records.next()) {
        const char* p = r->data.data();
        if (r->type == Biff8Record::Bof) {
            ++depth;
            continue;
        }
        if (r->type == Biff8Record::Eof) {
            if (--depth == 0)
                return;
            continue;
        }
        if (depth != 1)
            continue;
        switch (r->type) {
        case Biff8Record::LabelSst: {
            requireSize(*r, 10);
            const std::uint32_t index = u32(p + 6);
            if (qsizetype(index) >= g.strings.size())
                fail("string index out of range");
            cells.set(u16(p), u16(p + 2), g.strings.at(index));
            break;
        }
        case Biff8Record::Label:
        case Biff8Record::RString: {
            requireSize(*r, 9);
            ContinuedData d(r->data.sliced(6), records);
            const int count = d.word();
            const bool wide = d.byte() & 1;
            cells.set(u16(p), u16(p + 2), d.chars(count, wide));
            d.skipRest();
            break;
        }
        case Biff8Record::Number:
            requireSize(*r, 14);
            cells.set(u16(p), u16(p + 2), CellText::fromNumber(LittleEndian::f64(p + 6)));
            break;
        case Biff8Record::Rk:
            requireSize(*r, 10);
            cells.set(u16(p), u16(p + 2), CellText::fromNumber(rkValue(u32(p + 6))));
            break;
        case Biff8Record::MulRk: {
            requireSize(*r, 6);
            const int count = int((r->data.size() - 6) / 6);
            const int first = u16(p + 2);
            for (int i = 0; i < count; ++i)
                cells.set(u16(p), first + i, CellText::fromNumber(rkValue(u32(p + 4 + 6 * i + 2))));
            break;
        }
        case Biff8Record::BoolErr:
            requireSize(*r, 8);
            cells.set(u16(p), u16(p + 2), boolErrText(std::uint8_t(p[6]), p[7] != 0));
            break;
        case Biff8Record::Formula: {
            requireSize(*r, 14);
            const std::uint32_t row = u16(p), col = u16(p + 2);
            if (u16(p + 12) != 0xFFFF) {
                cells.set(row, col, CellText::fromNumber(LittleEndian::f64(p + 6)));
                break;
            }
            switch (std::uint8_t(p[6])) {
            case 0:
                stringPending = true;
                pendingRow = row;
                pendingCol = col;
                break;
            case 1:
                cells.set(row, col, boolErrText(std::uint8_t(p[8]), false));
                break;
            case 2:
                cells.set(row, col, boolErrText(std::uint8_t(p[8]), true));
                break;
            default:
                break; // empty text
            }
            break;
        }
        case Biff8Record::String: {
            ContinuedData d(r->data, records);
            const int count = d.word();
            const bool wide = d.byte() & 1;
            const QString text = d.chars(count, wide);
            d.skipRest();
            if (stringPending)
                cells.set(pendingRow, pendingCol, text);
            stringPending = false;
            break;
        }
        default: // BLANK, MULBLANK and formatting carry no text
            break;
        }
    }
    fail("sheet without EOF record");
}

} // namespace

namespace Biff8Reader {

QString readSheet(const QByteArray& workbookStream, const QString& sheetName, SheetCells& cells)
{
    const Globals globals = readGlobals(workbookStream, sheetName);
    readCells(workbookStream, globals, cells);
    return globals.sheet;
}

} // namespace Biff8Reader
