#include "exchange/csv_reader.h"

#include "exchange/sheet_error.h"

#include <QStringDecoder>

namespace {

QString decode(const QByteArray& file)
{
    if (file.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(file.constData() + 3, file.size() - 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(file);
    if (!utf8.hasError())
        return text;
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

SheetRows read(const QByteArray& file)
{
    if (file.contains('\0'))
        throw SheetError("csv: binary data");
    const QString text = decode(file);
    SheetRows rows;
    QStringList row;
    QString cell;
    bool quoted = false, cellStarted = false;
    auto endCell = [&] {
        row.append(cell);
        cell.clear();
        cellStarted = false;
    };
    auto endRow = [&] {
        endCell();
        rows.append(row);
        row.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < text.size() && text.at(i + 1) == u'"')
                    cell.append(text.at(++i));
                else
                    quoted = false;
            } else {
                cell.append(c);
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
            cell.append(c);
            cellStarted = true;
        }
    }
    if (quoted)
        throw SheetError("csv: unterminated quote");
    if (cellStarted || !cell.isEmpty() || !row.isEmpty())
        endRow();
    return rows;
}

} // namespace CsvReader
