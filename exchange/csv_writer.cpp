#include "exchange/csv_writer.h"

namespace CsvWriter {

bool looksLikeFormula(QStringView text)
{
    qsizetype at = 0;
    while (at < text.size() && text.at(at) == u'\'')
        ++at;
    return at < text.size() && QStringView(u"=+-@\t\r").contains(text.at(at));
}

QByteArray write(const SheetRows& rows)
{
    QByteArray out;
    for (const QStringList& row : rows) {
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c > 0)
                out += ',';
            QByteArray field = row.at(c).toUtf8();
            if (looksLikeFormula(row.at(c)))
                field.prepend('\'');
            if (field.contains(',') || field.contains('"') || field.contains('\n') ||
                field.contains('\r')) {
                field.replace("\"", "\"\"");
                field = '"' + field + '"';
            }
            out += field;
        }
        out += "\r\n";
    }
    return out;
}

} // namespace CsvWriter
