#include "exchange/xlsx_reader.h"

#include "exchange/cell_text.h"
#include "exchange/shared_strings.h"
#include "exchange/sheet_cells.h"
#include "exchange/sheet_limits.h"
#include "exchange/xlsx_escape.h"
#include "exchange/xml_scanner.h"
#include "exchange/zip_archive.h"

#include <QHash>
#include <QUtf8StringView>
#include <optional>

namespace {

using Token = XmlScanner::Token;

[[noreturn]] void fail(const char* what, SheetError::Kind kind = SheetError::Kind::Damaged)
{
    throw SheetError(std::string("xlsx: ") + what, kind);
}

// Character data of one cell or string, at most what a cell holds (in
// UTF-8 a character of UTF-16 takes at most three bytes).
class CellBytes {
public:
    void append(QByteArrayView piece)
    {
        m_bytes.append(piece);
        if (m_bytes.size() > 3 * SheetLimits::maxCellChars)
            SheetLimits::tooLarge(QStringLiteral(u"有单元格超过32,767个字符"));
    }
    void clear() { m_bytes.resize(0); }
    // Escapes decoded.
    QString text() const
    {
        if (!QUtf8StringView(m_bytes).isValidUtf8())
            fail("text is not UTF-8");
        // Most texts have no escape to decode: told from the bytes at once.
        if (!m_bytes.contains('_'))
            return QString::fromUtf8(m_bytes);
        return XlsxEscape::decode(QString::fromUtf8(m_bytes));
    }
    QString raw() const { return QString::fromUtf8(m_bytes); }
    QByteArrayView bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};

// The text of the <t> elements of the current <si> or <is> element, up to
// its end, phonetic runs left out.
void stringItem(XmlScanner& xml, CellBytes& out)
{
    int depth = 0, phonetic = 0;
    bool inText = false;
    for (;;) {
        switch (xml.next()) {
        case Token::Start:
            ++depth;
            if (xml.name() == "rPh")
                ++phonetic;
            else if (xml.name() == "t" && phonetic == 0)
                inText = true;
            break;
        case Token::End:
            if (depth-- == 0)
                return;
            if (xml.name() == "rPh")
                --phonetic;
            else if (xml.name() == "t")
                inText = false;
            break;
        case Token::Text:
            if (inText)
                out.append(xml.text());
            break;
        case Token::Done:
            fail("unexpected end of a string");
        }
    }
}

SharedStrings sharedStrings(XmlScanner xml)
{
    SharedStrings strings;
    CellBytes text;
    for (Token t; (t = xml.next()) != Token::Done;) {
        if (t == Token::Start && xml.name() == "si") {
            text.clear();
            stringItem(xml, text);
            strings.append(text.text());
        }
    }
    return strings;
}

// "worksheets/sheet1.xml" relative to xl/, or an absolute part name.
QString partName(const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

QHash<QString, QString> relationships(XmlScanner xml)
{
    QHash<QString, QString> targets;
    for (Token t; (t = xml.next()) != Token::Done;)
        if (t == Token::Start && xml.name() == "Relationship")
            targets.insert(xml.attribute("Id"), partName(xml.attribute("Target")));
    return targets;
}

struct SheetPart {
    QString part;
    QString name;
};

// The sheet named so, else the first visible worksheet (not a chart).
SheetPart sheetPart(XmlScanner xml, const QString& sheetName,
                    const QHash<QString, QString>& targets)
{
    std::optional<SheetPart> first;
    for (Token t; (t = xml.next()) != Token::Done;) {
        if (t != Token::Start || xml.name() != "sheet")
            continue;
        const SheetPart sheet{targets.value(xml.attribute("id")), xml.attribute("name")};
        if (sheet.name.compare(sheetName, Qt::CaseInsensitive) == 0)
            return sheet;
        const QString state = xml.attribute("state");
        if (!first && sheet.part.startsWith(QStringLiteral("xl/worksheets/")) &&
            (state.isEmpty() || state == QStringLiteral("visible")))
            first = sheet;
    }
    if (!first)
        fail("no worksheet", SheetError::Kind::NoSheet);
    return *first;
}

// "BC12" -> column 54 (0-based); -1 when there is no letter.
qint64 columnOf(QByteArrayView reference)
{
    qint64 column = 0, letters = 0;
    for (const char c : reference) {
        if (c >= 'A' && c <= 'Z')
            column = column * 26 + (c - 'A' + 1);
        else
            break;
        if (++letters > 3)
            fail("column out of range");
    }
    return letters ? column - 1 : -1;
}

// What a cell's t attribute says, told apart as soon as it is read.
enum class CellType { Shared, Text, Error, Boolean, Other };

CellType cellType(QByteArrayView t)
{
    if (t == "s")
        return CellType::Shared;
    if (t == "str" || t == "inlineStr")
        return CellType::Text;
    if (t == "e")
        return CellType::Error;
    return t == "b" ? CellType::Boolean : CellType::Other;
}

QString cellText(CellType type, const CellBytes& value, const SharedStrings& strings)
{
    if (type == CellType::Shared) {
        bool ok = false;
        // Read where it is: one cell of millions, each with its number.
        const QByteArrayView raw = value.bytes().trimmed();
        if (raw.isEmpty())
            return {};
        const qsizetype index = raw.toLongLong(&ok);
        if (!ok || index < 0 || index >= strings.size())
            fail("string index out of range");
        return strings.at(index);
    }
    if (type == CellType::Text)
        return value.text();
    const QString raw = value.raw();
    if (raw.isEmpty() || type == CellType::Error)
        return raw;
    if (type == CellType::Boolean)
        return raw == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    bool ok = false;
    const double number = raw.toDouble(&ok);
    return ok ? CellText::fromNumber(number) : raw;
}

void sheetCells(XmlScanner xml, const SharedStrings& strings, SheetCells& cells)
{
    qint64 row = -1, column = -1;
    CellBytes value;
    for (Token t; (t = xml.next()) != Token::Done;) {
        if (t != Token::Start)
            continue;
        if (xml.name() == "row") {
            bool ok = false;
            const qint64 r = xml.attributeBytes("r").toLongLong(&ok);
            row = ok ? r - 1 : row + 1;
            column = -1;
            if (row < 0)
                fail("row out of range");
            if (row >= SheetLimits::maxRows)
                SheetLimits::tooLarge(QStringLiteral(u"工作表超过1,048,576行"));
        } else if (xml.name() == "c") {
            const qint64 c = columnOf(xml.attributeBytes("r"));
            column = c >= 0 ? c : column + 1;
            if (row < 0)
                fail("cell outside a row");
            if (column >= SheetLimits::maxColumns)
                SheetLimits::tooLarge(QStringLiteral(u"工作表超过16,384列"));
            const CellType type = cellType(xml.attributeBytes("t"));
            value.clear();
            // Only <v> and <is> hold the value; a formula <f> does not.
            int depth = 0;
            bool inValue = false;
            for (bool done = false; !done;) {
                switch (xml.next()) {
                case Token::Start:
                    if (depth == 0 && xml.name() == "is") {
                        stringItem(xml, value); // up to its end
                        break;
                    }
                    inValue = depth++ == 0 && xml.name() == "v";
                    break;
                case Token::End:
                    if (depth-- == 0)
                        done = true;
                    else
                        inValue = false;
                    break;
                case Token::Text:
                    if (inValue)
                        value.append(xml.text());
                    break;
                case Token::Done:
                    fail("unexpected end of a cell");
                }
            }
            cells.cell(std::uint32_t(row), std::uint32_t(column), cellText(type, value, strings));
        }
    }
}

} // namespace

namespace XlsxReader {

QString readSheet(const QByteArray& file, const QString& sheetName, SheetCells& cells)
{
    ZipArchive zip(file);
    const QHash<QString, QString> targets =
        relationships(XmlScanner(zip.open(QStringLiteral("xl/_rels/workbook.xml.rels"))));
    const SheetPart sheet =
        sheetPart(XmlScanner(zip.open(QStringLiteral("xl/workbook.xml"))), sheetName, targets);
    const QString& part = sheet.part;
    if (part.isEmpty() || !zip.contains(part))
        fail("sheet part missing");
    SharedStrings strings;
    const QString stringsPart = QStringLiteral("xl/sharedStrings.xml");
    if (zip.contains(stringsPart))
        strings = sharedStrings(XmlScanner(zip.open(stringsPart)));
    sheetCells(XmlScanner(zip.open(part)), strings, cells);
    return sheet.name;
}

} // namespace XlsxReader
