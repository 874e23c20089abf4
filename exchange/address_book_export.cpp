#include "exchange/address_book_export.h"

#include "exchange/biff8_writer.h"
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

// A row the file cannot keep, said as it is rather than as a failed write.
class Refusal : public SheetError {
public:
    using SheetError::SheetError;
};

// The title row and every row, in the dataset's order, read as the writer
// asks for them. Throws Refusal for a text a spreadsheet cell cannot hold.
SheetSource sheet(const Dataset& recipients)
{
    const QStringList titles = recipients.columnNames();
    return SheetSource(recipients.recordCount() + 1, [&recipients, titles](int r) {
        if (r == 0)
            return titles;
        QStringList values;
        values.reserve(titles.size());
        for (int c = 0; c < titles.size(); ++c) {
            values.append(recipients.value(r - 1, c));
            if (const int unkept = firstUnkeptCharacter(values.last()); unkept >= 0)
                throw Refusal(QStringLiteral(u"第%1条收件人的“%2”含有表格文件存不下的字符 U+%3，"
                                             u"未导出任何数据!")
                                  .arg(r)
                                  .arg(titles.at(c))
                                  .arg(QString::number(unkept, 16)
                                           .toUpper()
                                           .rightJustified(4, QLatin1Char('0'))));
            if (values.last().size() > Biff8Writer::maxCellChars)
                throw Refusal(
                    QStringLiteral(u"第%1条收件人的“%2”超过一个单元格最多能容纳的%3个字符，"
                                   u"未导出任何数据!")
                        .arg(r)
                        .arg(titles.at(c))
                        .arg(Biff8Writer::maxCellChars));
        }
        return values;
    });
}

void requireTarget(const Dataset& recipients, const QString& name)
{
    if (!recipients.isOpen())
        throw SheetError(QStringLiteral(u"收件人列表未打开，无法导出!"));
    const QString refused =
        FileIdentity::refusal(name, recipients.connection().path(), QStringLiteral(u"导出"));
    if (!refused.isEmpty())
        throw SheetError(refused + QStringLiteral(u"，未导出任何数据!"));
}

// Every row of `rows`, for its refusal.
void check(const SheetSource& rows)
{
    for (int r = 0; r < rows.count(); ++r)
        rows.row(r);
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
        SheetFile::isCsvName(chosen))
        return chosen;
    for (const QString& extension : {QStringLiteral(".xlsx"), csv})
        if (type.contains(QLatin1Char('*') + extension + QLatin1Char(')')))
            return chosen + extension;
    return chosen + xls;
}

QString run(Dataset& recipients, const QString& chosen, const QString& type)
{
    const QString name = fileName(chosen, type);
    requireTarget(recipients, name);
    if (!SheetFile::isCsvName(name)) {
        const int limit = SheetFile::isXlsxName(name) ? XlsxWriter::maxRows : Biff8Writer::maxRows;
        const int count = recipients.recordCount();
        if (count + 1 > limit)
            throw SheetError(
                QStringLiteral(u"共%1条收件人，超过一个工作表最多能容纳的%2条，未导出任何数据!")
                    .arg(count)
                    .arg(limit - 1));
    }
    const SheetSource rows = sheet(recipients);
    try {
        SheetFile::write(name, rows);
    } catch (const Refusal&) {
        throw;
    } catch (const SheetError& e) {
        // A refused row is said before a failed write, as when every row
        // was read before any was written.
        check(rows);
        throw SheetError(QStringLiteral(u"导出失败：%1").arg(e.text()), e.detail(), e.kind());
    }
    recipients.last();
    return name;
}

QString runCsv(Dataset& recipients, const QString& chosen)
{
    return run(recipients, SheetFile::isCsvName(chosen) ? chosen : chosen + csv);
}

void writeCsv(const Dataset& recipients, const CsvWriter::Out& out)
{
    const SheetSource rows = sheet(recipients);
    check(rows);
    CsvWriter::write(rows, out);
}

} // namespace AddressBookExport
