#include "exchange/csv_reader.h"

#include "exchange/csv_writer.h"
#include "exchange/sheet_cells.h"
#include "exchange/sheet_limits.h"

#include <QStringDecoder>

namespace {

QString decode(const QByteArray& file)
{
    const bool marked = file.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(file).sliced(marked ? 3 : 0));
    if (!utf8.hasError())
        return text;
    if (marked)
        throw SheetError("csv: marked as UTF-8 but is not");
    // The text that is no UTF-8 goes before the other reading is made:
    // never two of a large file at once.
    text = QString();
    QStringDecoder gb("GB18030");
    if (!gb.isValid())
        throw SheetError("csv: no GB18030 decoder");
    text = gb.decode(file);
    if (gb.hasError())
        throw SheetError("csv: neither UTF-8 nor GB18030");
    return text;
}

} // namespace

namespace CsvReader {

void read(const QByteArray& file, SheetCells& cells)
{
    if (file.contains('\0'))
        throw SheetError("csv: binary data");
    const QString text = decode(file);
    std::uint32_t row = 0, column = 0;
    QString cell;
    bool quoted = false, cellStarted = false;
    auto endCell = [&] {
        // What CsvWriter put before a text a spreadsheet would take as a
        // formula.
        if (cell.startsWith(u'\'') && CsvWriter::looksLikeFormula(QStringView(cell).sliced(1)))
            cell.remove(0, 1);
        cells.cell(row, column++, cell);
        cell.clear();
        cellStarted = false;
    };
    auto add = [&](QChar c) {
        if (cell.size() >= SheetLimits::maxCellChars)
            SheetLimits::tooLarge(QStringLiteral(u"有单元格超过32,767个字符"));
        cell.append(c);
    };
    auto endRow = [&] {
        endCell();
        ++row;
        column = 0;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"')
                    add(text.at(++i));
                else
                    quoted = false;
            } else {
                add(c);
            }
        } else if (c == u'"' && !cellStarted) {
            quoted = cellStarted = true;
        } else if (c == u',') {
            endCell();
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            endRow();
        } else {
            add(c);
            cellStarted = true;
        }
    }
    if (quoted)
        throw SheetError("csv: unterminated quote");
    if (cellStarted || !cell.isEmpty() || column > 0)
        endRow();
}

} // namespace CsvReader
