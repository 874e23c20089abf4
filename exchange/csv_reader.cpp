#include "exchange/csv_reader.h"

#include "exchange/csv_writer.h"
#include "exchange/sheet_cells.h"
#include "exchange/sheet_limits.h"

#include <QBuffer>
#include <QStringDecoder>
#include <QUtf8StringView>

namespace {

constexpr qint64 pieceBytes = 1 << 20;
const QByteArray utf8Mark = QByteArrayLiteral("\xEF\xBB\xBF");

// Cells out of text that comes in pieces: a quote or a CR at the end of one
// piece is judged by the first character of the next.
class Parser {
public:
    explicit Parser(SheetCells& cells) : m_cells(cells) {}

    void feed(QStringView text)
    {
        for (const QChar c : text)
            take(c);
    }

    void finish()
    {
        if (m_quoteInQuoted)
            m_quoted = m_quoteInQuoted = false;
        if (m_quoted)
            throw SheetError("csv: unterminated quote");
        if (m_cellStarted || !m_cell.isEmpty() || m_column > 0)
            endRow();
    }

private:
    void take(QChar c)
    {
        if (m_afterCr) {
            m_afterCr = false;
            if (c == u'\n')
                return;
        }
        if (m_quoteInQuoted) {
            m_quoteInQuoted = false;
            if (c == u'"') {
                add(c);
                return;
            }
            m_quoted = false;
        } else if (m_quoted) {
            if (c == u'"')
                m_quoteInQuoted = true;
            else
                add(c);
            return;
        }
        if (c == u'"' && !m_cellStarted) {
            m_quoted = m_cellStarted = true;
        } else if (c == u',') {
            endCell();
        } else if (c == u'\r' || c == u'\n') {
            m_afterCr = c == u'\r';
            endRow();
        } else {
            add(c);
            m_cellStarted = true;
        }
    }

    void add(QChar c)
    {
        if (m_cell.size() >= SheetLimits::maxCellChars)
            SheetLimits::tooLarge(QStringLiteral(u"有单元格超过32,767个字符"));
        m_cell.append(c);
    }

    void endCell()
    {
        // What CsvWriter put before a text a spreadsheet would take as a
        // formula.
        if (m_cell.startsWith(u'\'') && CsvWriter::looksLikeFormula(QStringView(m_cell).sliced(1)))
            m_cell.remove(0, 1);
        m_cells.cell(m_row, m_column++, m_cell);
        m_cell.clear();
        m_cellStarted = false;
    }

    void endRow()
    {
        endCell();
        ++m_row;
        m_column = 0;
    }

    SheetCells& m_cells;
    std::uint32_t m_row = 0, m_column = 0;
    QString m_cell;
    bool m_quoted = false, m_cellStarted = false;
    bool m_quoteInQuoted = false; // a quote inside quotes: the end, or "" for one
    bool m_afterCr = false;       // a CR ended the row; an LF after it belongs to it
};

// The file's pieces from `from` on, each ending on a whole UTF-8 character
// when the text is UTF-8.
template <typename Piece> void forEachPiece(QIODevice& file, qint64 from, const Piece& piece)
{
    if (!file.seek(from))
        throw SheetError("csv: cannot read the file");
    QByteArray carried;
    for (;;) {
        const QByteArray read = file.read(pieceBytes);
        const bool last = file.atEnd();
        if (read.isEmpty() && !last)
            throw SheetError("csv: cannot read the file");
        QByteArray bytes = carried + read;
        carried.clear();
        if (!last) {
            // Back to the lead byte of a character cut at the end.
            qsizetype cut = bytes.size();
            while (cut > 0 && bytes.size() - cut < 4 &&
                   (std::uint8_t(bytes[cut - 1]) & 0xC0) == 0x80)
                --cut;
            if (cut > 0 && std::uint8_t(bytes[cut - 1]) >= 0xC0)
                --cut;
            carried = bytes.sliced(cut);
            bytes.truncate(cut);
        }
        piece(bytes);
        if (last)
            return;
    }
}

} // namespace

namespace CsvReader {

void read(const QByteArray& file, SheetCells& cells)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    read(buffer, cells);
}

void read(QIODevice& file, SheetCells& cells)
{
    const bool marked = file.peek(utf8Mark.size()) == utf8Mark;
    const qint64 start = marked ? utf8Mark.size() : 0;
    bool utf8 = true;
    forEachPiece(file, start, [&](const QByteArray& bytes) {
        if (bytes.contains('\0'))
            throw SheetError("csv: binary data");
        utf8 = utf8 && QUtf8StringView(bytes).isValidUtf8();
    });
    if (!utf8 && marked)
        throw SheetError("csv: marked as UTF-8 but is not");
    QStringDecoder decoder =
        utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("GB18030");
    if (!decoder.isValid())
        throw SheetError("csv: no GB18030 decoder");
    Parser parser(cells);
    forEachPiece(file, start, [&](const QByteArray& bytes) {
        const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            throw SheetError("csv: neither UTF-8 nor GB18030");
        parser.feed(text);
    });
    parser.finish();
}

} // namespace CsvReader
