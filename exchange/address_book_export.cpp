#include "exchange/address_book_export.h"

#include "exchange/biff8_writer.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "exchange/xlsx_writer.h"
#include "store/dataset.h"

namespace AddressBookExport {

QString fileName(const QString& chosen)
{
    if (chosen.endsWith(QStringLiteral(".xls"), Qt::CaseInsensitive) ||
        SheetFile::isXlsxName(chosen))
        return chosen;
    return chosen + QStringLiteral(".xls");
}

QString run(Dataset& recipients, const QString& chosen)
{
    if (!recipients.isOpen())
        throw SheetError(QStringLiteral(u"收件人列表未打开，无法导出!"));
    const QString name = fileName(chosen);
    const int limit = SheetFile::isXlsxName(name) ? XlsxWriter::maxRows : Biff8Writer::maxRows;
    const int count = recipients.recordCount();
    if (count + 1 > limit)
        throw SheetError(
            QStringLiteral(u"共%1条收件人，超过一个工作表最多能容纳的%2条，未导出任何数据!")
                .arg(count)
                .arg(limit - 1));

    SheetRows rows;
    rows.reserve(count + 1);
    rows.append(recipients.columnNames());
    const int columns = int(recipients.columnNames().size());
    for (int r = 0; r < count; ++r) {
        QStringList values;
        values.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            values.append(recipients.value(r, c));
            if (values.last().size() > Biff8Writer::maxCellChars)
                throw SheetError(
                    QStringLiteral(u"第%1条收件人的“%2”超过一个单元格最多能容纳的%3个字符，"
                                   u"未导出任何数据!")
                        .arg(r + 1)
                        .arg(recipients.columnNames().value(c))
                        .arg(Biff8Writer::maxCellChars));
        }
        rows.append(values);
    }
    try {
        SheetFile::write(name, rows);
    } catch (const SheetError& e) {
        throw SheetError(QStringLiteral(u"导出失败：%1").arg(QString::fromStdString(e.what())));
    }
    recipients.last();
    return name;
}

} // namespace AddressBookExport
