#include "exchange/csv_writer.h"

namespace CsvWriter {

namespace {

// Large enough that handing on a piece costs little beside its text.
constexpr qsizetype pieceSize = 256 * 1024;

} // namespace

bool looksLikeFormula(QStringView text)
{
    qsizetype at = 0;
    while (at < text.size() && text.at(at) == u'\'')
        ++at;
    return at < text.size() && QStringView(u"=+-@\t\r").contains(text.at(at));
}

void write(const SheetSource& rows, const Out& out)
{
    QByteArray piece;
    piece.reserve(pieceSize + pieceSize / 4);
    for (int r = 0; r < rows.count(); ++r) {
        const QStringList row = rows.row(r);
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                piece += ',';
            QByteArray field = row.at(c).toUtf8();
            if (looksLikeFormula(row.at(c)))
                field.prepend('\'');
            if (field.contains(',') || field.contains('"') || field.contains('\n') ||
                field.contains('\r')) {
                field.replace("\"", "\"\"");
                field = '"' + field + '"';
            }
            piece += field;
        }
        piece += "\r\n";
        if (piece.size() >= pieceSize) {
            out(piece);
            piece.resize(0);
        }
    }
    if (!piece.isEmpty())
        out(piece);
}

} // namespace CsvWriter
