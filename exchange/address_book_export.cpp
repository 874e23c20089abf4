#include "exchange/address_book_export.h"

#include "exchange/biff8_writer.h"
#include "exchange/csv_writer.h"
#include "exchange/sheet_error.h"
#include "exchange/sheet_file.h"
#include "exchange/xlsx_writer.h"
#include "store/connection.h"
#include "store/dataset.h"
#include "store/file_identity.h"

namespace {

// A character no workbook keeps as it is: NUL ends a cell's text in every
// spreadsheet program, and a lone half of a surrogate pair is no character.
int firstUnkeptCharacter(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isNull())
            return 0;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return c.unicode();
    }
    return -1;
}

} // namespace

namespace AddressBookExport {

namespace {

const QString xls = QStringLiteral(".xls");
const QString csv = QStringLiteral(".csv");

bool isCsvName(const QString& name)
{
    return name.endsWith(csv, Qt::CaseInsensitive);
}

} // namespace

QString fileTypes()
{
    return QStringLiteral(u"Excel 97-2003 工作簿 (*.xls);;Excel 工作簿 (*.xlsx);;"
                          u"CSV 逗号分隔 (*.csv)");
}

QString fileName(const QString& chosen, const QString& type)
{
    if (chosen.endsWith(xls, Qt::CaseInsensitive) || SheetFile::isXlsxName(chosen) ||
        isCsvName(chosen))
        return chosen;
    for (const QString& extension : {QStringLiteral(".xlsx"), csv})
        if (type.contains(QLatin1Char('*') + extension + QLatin1Char(')')))
            return chosen + extension;
    return chosen + xls;
}

SheetRows rows(const Dataset& recipients)
{
    const int count = recipients.recordCount();
    SheetRows rows;
    rows.reserve(count + 1);
    rows.append(recipients.columnNames());
    const int columns = int(recipients.columnNames().size());
    for (int r = 0; r < count; ++r) {
        QStringList values;
        values.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            values.append(recipients.value(r, c));
            if (const int unkept = firstUnkeptCharacter(values.last()); unkept >= 0)
                throw SheetError(QStringLiteral(u"第%1条收件人的“%2”含有表格文件存不下的字符 U+%3，"
                                                u"未导出任何数据!")
                                     .arg(r + 1)
                                     .arg(recipients.columnNames().value(c))
                                     .arg(QString::number(unkept, 16)
                                              .toUpper()
                                              .rightJustified(4, QLatin1Char('0'))));
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
    return rows;
}

namespace {

void requireTarget(const Dataset& recipients, const QString& name)
{
    if (!recipients.isOpen())
        throw SheetError(QStringLiteral(u"收件人列表未打开，无法导出!"));
    const QString refused =
        FileIdentity::refusal(name, recipients.connection().path(), QStringLiteral(u"导出"));
    if (!refused.isEmpty())
        throw SheetError(refused + QStringLiteral(u"，未导出任何数据!"));
}

// A write that failed, said as an export that failed.
template <typename Write> void writeOrSay(const Write& write)
{
    try {
        write();
    } catch (const SheetError& e) {
        throw SheetError(QStringLiteral(u"导出失败：%1").arg(e.text()), e.detail(), e.kind());
    }
}

} // namespace

QString run(Dataset& recipients, const QString& chosen, const QString& type)
{
    const QString name = fileName(chosen, type);
    if (isCsvName(name)) {
        runCsv(recipients, name);
        recipients.last();
        return name;
    }
    requireTarget(recipients, name);
    const int limit = SheetFile::isXlsxName(name) ? XlsxWriter::maxRows : Biff8Writer::maxRows;
    const int count = recipients.recordCount();
    if (count + 1 > limit)
        throw SheetError(
            QStringLiteral(u"共%1条收件人，超过一个工作表最多能容纳的%2条，未导出任何数据!")
                .arg(count)
                .arg(limit - 1));

    const SheetRows rows = AddressBookExport::rows(recipients);
    writeOrSay([&] { SheetFile::write(name, rows); });
    recipients.last();
    return name;
}

QString runCsv(Dataset& recipients, const QString& chosen)
{
    const QString name = isCsvName(chosen) ? chosen : chosen + csv;
    requireTarget(recipients, name);
    const QByteArray text = CsvWriter::write(rows(recipients));
    // With a byte order mark, as spreadsheet programs expect of UTF-8.
    writeOrSay([&] { SheetFile::save(name, "\xEF\xBB\xBF" + text); });
    return name;
}

} // namespace AddressBookExport
