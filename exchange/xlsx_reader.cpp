#include "exchange/xlsx_reader.h"

#include "exchange/cell_text.h"
#include "exchange/sheet_error.h"
#include "exchange/zip_archive.h"

#include <QXmlStreamReader>
#include <vector>

namespace {

constexpr int maxColumns = 16384;
constexpr int maxRows = 1048576;

[[noreturn]] void fail(const char* what, SheetError::Kind kind = SheetError::Kind::Damaged)
{
    throw SheetError(std::string("xlsx: ") + what, kind);
}

// Element name without its prefix: the sheet is read without namespace
// processing, and some writers prefix every element ("x:row").
QStringView local(const QXmlStreamReader& xml)
{
    const QStringView name = xml.name();
    const qsizetype colon = name.indexOf(u':');
    return colon < 0 ? name : name.mid(colon + 1);
}

void check(const QXmlStreamReader& xml)
{
    if (xml.hasError())
        fail("malformed XML");
}

// Text of the current element's <t> children, phonetic runs left out.
QString stringItem(QXmlStreamReader& xml)
{
    QString text;
    int phonetic = 0;
    const QString endName = local(xml).toString();
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (local(xml) == u"rPh")
                ++phonetic;
            else if (local(xml) == u"t" && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (xml.isEndElement()) {
            if (local(xml) == u"rPh")
                --phonetic;
            else if (local(xml) == endName)
                break;
        }
    }
    check(xml);
    return text;
}

QStringList sharedStrings(const QByteArray& data)
{
    QStringList strings;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"si")
            strings.append(stringItem(xml));
    }
    check(xml);
    return strings;
}

// "worksheets/sheet1.xml" relative to xl/, or an absolute part name.
QString partName(const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

QHash<QString, QString> relationships(const ZipArchive& zip)
{
    QHash<QString, QString> targets;
    QXmlStreamReader xml(zip.read(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"Relationship") {
            const auto a = xml.attributes();
            targets.insert(a.value(QLatin1StringView("Id")).toString(),
                           partName(a.value(QLatin1StringView("Target")).toString()));
        }
    }
    check(xml);
    return targets;
}

QString sheetPart(const ZipArchive& zip, const QString& sheetName,
                  const QHash<QString, QString>& targets)
{
    QXmlStreamReader xml(zip.read(QStringLiteral("xl/workbook.xml")));
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"sheet") {
            const auto a = xml.attributes();
            if (a.value(QLatin1StringView("name")).compare(sheetName, Qt::CaseInsensitive) != 0)
                continue;
            for (const auto& attribute : a)
                if (attribute.name() == u"id")
                    return targets.value(attribute.value().toString());
        }
    }
    check(xml);
    fail("no such sheet", SheetError::Kind::NoSheet);
}

// "BC12" -> column 54 (0-based); -1 when there is no letter.
int columnOf(QStringView reference)
{
    int column = 0, letters = 0;
    for (QChar c : reference) {
        if (c >= u'A' && c <= u'Z')
            column = column * 26 + (c.unicode() - 'A' + 1);
        else
            break;
        if (++letters > 3)
            fail("column out of range");
    }
    return letters ? column - 1 : -1;
}

QString cellText(const QString& type, const QString& value, const QStringList& strings)
{
    if (value.isEmpty())
        return value;
    if (type == u"s") {
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= strings.size())
            fail("string index out of range");
        return strings.at(index);
    }
    if (type == u"b")
        return value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (type == u"str" || type == u"e" || type == u"inlineStr")
        return value;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok ? CellText::fromNumber(number) : value;
}

SheetRows sheetRows(const QByteArray& data, const QStringList& strings)
{
    std::vector<QStringList> rows;
    QXmlStreamReader xml(data);
    xml.setNamespaceProcessing(false); // a third faster on big sheets
    int row = -1, column = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (local(xml) == u"row") {
            bool ok = false;
            const int r = xml.attributes().value(QLatin1StringView("r")).toInt(&ok);
            row = ok ? r - 1 : row + 1;
            column = -1;
            if (row < 0 || row >= maxRows)
                fail("row out of range");
        } else if (local(xml) == u"c") {
            const auto a = xml.attributes();
            const int c = columnOf(a.value(QLatin1StringView("r")));
            column = c >= 0 ? c : column + 1;
            if (column >= maxColumns || row < 0)
                fail("cell out of range");
            const QString type = a.value(QLatin1StringView("t")).toString();
            QString value;
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isEndElement() && local(xml) == u"c")
                    break;
                if (!xml.isStartElement())
                    continue;
                if (local(xml) == u"v")
                    value = xml.readElementText();
                else if (local(xml) == u"is")
                    value = stringItem(xml);
                else
                    xml.skipCurrentElement();
            }
            const QString text = cellText(type, value, strings);
            if (text.isEmpty())
                continue;
            if (row >= int(rows.size()))
                rows.resize(row + 1);
            QStringList& cells = rows[row];
            while (cells.size() <= column)
                cells.append(QString());
            cells[column] = text;
        }
    }
    check(xml);
    return SheetRows(rows.begin(), rows.end());
}

} // namespace

namespace XlsxReader {

SheetRows readSheet(const QByteArray& file, const QString& sheetName)
{
    const ZipArchive zip(file);
    const QHash<QString, QString> targets = relationships(zip);
    const QString part = sheetPart(zip, sheetName, targets);
    if (part.isEmpty() || !zip.contains(part))
        fail("sheet part missing");
    QStringList strings;
    const QString stringsPart = QStringLiteral("xl/sharedStrings.xml");
    if (zip.contains(stringsPart))
        strings = sharedStrings(zip.read(stringsPart));
    return sheetRows(zip.read(part), strings);
}

} // namespace XlsxReader
