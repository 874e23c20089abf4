#include "exchange/xml_scanner.h"

#include "exchange/sheet_error.h"

#include <array>
#include <cstring>

namespace {

// No tag of a real workbook comes near this; text is not held whole.
constexpr qsizetype maxTag = 1 << 20;
constexpr qsizetype chunk = 1 << 16;
constexpr int maxDepth = 256;
constexpr qsizetype maxEntity = 12; // "&#x10FFFF;" and a little

[[noreturn]] void fail(const char* what)
{
    throw SheetError(std::string("xml: ") + what);
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameEnd(char c)
{
    return isSpace(c) || c == '>' || c == '/' || c == '=';
}

// Names are short: a loop of their own, not a search through Qt's.
QByteArrayView localPart(QByteArrayView name)
{
    for (qsizetype at = name.size(); at-- > 0;)
        if (name[at] == ':')
            return name.sliced(at + 1);
    return name;
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), size_t(a.size())) == 0;
}

// What ends a tag or opens a quoted value, marked for the scan of a tag.
constexpr std::array<bool, 256> tagMarks = [] {
    std::array<bool, 256> marks{};
    marks['>'] = marks['"'] = marks['\''] = true;
    return marks;
}();

void appendCodePoint(QByteArray& out, std::uint32_t c)
{
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        fail("character reference out of range");
    if (c < 0x80) {
        out.append(char(c));
    } else if (c < 0x800) {
        out.append(char(0xC0 | (c >> 6)));
        out.append(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(char(0xE0 | (c >> 12)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    } else {
        out.append(char(0xF0 | (c >> 18)));
        out.append(char(0x80 | ((c >> 12) & 0x3F)));
        out.append(char(0x80 | ((c >> 6) & 0x3F)));
        out.append(char(0x80 | (c & 0x3F)));
    }
}

// Appends `raw` with its entities decoded.
void decodeInto(QByteArray& out, QByteArrayView raw)
{
    qsizetype at = 0;
    while (at < raw.size()) {
        const qsizetype amp = raw.indexOf('&', at);
        if (amp < 0) {
            out.append(raw.sliced(at));
            return;
        }
        out.append(raw.sliced(at, amp - at));
        const qsizetype semi = raw.indexOf(';', amp);
        if (semi < 0 || semi - amp >= maxEntity)
            fail("broken entity");
        const QByteArrayView entity = raw.sliced(amp + 1, semi - amp - 1);
        if (entity == "lt")
            out.append('<');
        else if (entity == "gt")
            out.append('>');
        else if (entity == "amp")
            out.append('&');
        else if (entity == "quot")
            out.append('"');
        else if (entity == "apos")
            out.append('\'');
        else if (entity.startsWith('#')) {
            const bool hex = entity.size() > 1 && (entity[1] == 'x' || entity[1] == 'X');
            const QByteArrayView digits = entity.sliced(hex ? 2 : 1);
            bool ok = !digits.isEmpty();
            const std::uint32_t c = ok ? digits.toUInt(&ok, hex ? 16 : 10) : 0;
            if (!ok)
                fail("broken character reference");
            appendCodePoint(out, c);
        } else {
            fail("unknown entity");
        }
        at = semi + 1;
    }
}

} // namespace

XmlScanner::XmlScanner(Source source) : m_source(std::move(source)) {}

XmlScanner::XmlScanner(const QByteArray& document) : m_buffer(document), m_sourceDone(true) {}

bool XmlScanner::fillMore(qsizetype wanted)
{
    while (m_buffer.size() - m_pos < wanted && !m_sourceDone) {
        if (m_pos > 0) {
            m_buffer.remove(0, m_pos);
            m_pos = 0;
        }
        const qsizetype had = m_buffer.size();
        m_buffer.resize(had + chunk);
        const qsizetype got = m_source(m_buffer.data() + had, chunk);
        m_buffer.resize(had + std::max<qsizetype>(got, 0));
        if (got <= 0)
            m_sourceDone = true;
    }
    return m_buffer.size() - m_pos >= wanted;
}

qsizetype XmlScanner::findSequence(QByteArrayView what, qsizetype from)
{
    for (;;) {
        const qsizetype have = m_buffer.size() - m_pos;
        const qsizetype hit =
            QByteArrayView(m_buffer.constData() + m_pos, have).indexOf(what, from);
        if (hit >= 0)
            return hit;
        from = std::max<qsizetype>(from, have - what.size() + 1);
        if (have > maxTag)
            fail("tag too long");
        if (!fill(have + 1))
            return -1;
    }
}

// Comments and processing instructions may be long; they are dropped as
// they are read.
void XmlScanner::skipPast(QByteArrayView end)
{
    for (;;) {
        const qsizetype have = m_buffer.size() - m_pos;
        const qsizetype hit = QByteArrayView(m_buffer.constData() + m_pos, have).indexOf(end);
        if (hit >= 0) {
            m_pos += hit + end.size();
            return;
        }
        const qsizetype keep = std::min<qsizetype>(have, end.size() - 1);
        m_pos += have - keep;
        if (!fill(keep + 1))
            fail("unterminated comment or instruction");
    }
}

XmlScanner::Token XmlScanner::next()
{
    if (!m_seenRoot && m_pos == 0 && fill(3) && m_buffer.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
    if (m_pendingEnd) {
        m_pendingEnd = false;
        --m_depth;
        return Token::End;
    }
    for (;;) {
        if (!fill(1)) {
            if (m_depth != 0 || !m_seenRoot)
                fail("unexpected end of document");
            return Token::Done;
        }
        if (m_buffer.at(m_pos) != '<')
            return readText();
        if (!fill(2))
            fail("unexpected end of document");
        const char second = m_buffer.at(m_pos + 1);
        if (second == '?') {
            skipPast("?>");
        } else if (second == '!') {
            fill(9);
            const QByteArrayView head(m_buffer.constData() + m_pos,
                                      std::min<qsizetype>(9, m_buffer.size() - m_pos));
            if (head.startsWith("<!--"))
                skipPast("-->");
            else if (head.startsWith("<![CDATA["))
                return readCdata();
            else
                fail("document type declarations are not accepted");
        } else {
            return readTag();
        }
    }
}

XmlScanner::Token XmlScanner::readTag()
{
    // Attribute values may hold '>', so the end is found outside quotes.
    qsizetype at = 1;
    char quote = 0;
    for (bool found = false; !found;) {
        const char* p = m_buffer.constData() + m_pos;
        const qsizetype have = m_buffer.size() - m_pos;
        for (; at < have; ++at) {
            const char c = p[at];
            if (!tagMarks[static_cast<unsigned char>(c)])
                continue;
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else {
                found = true;
                break;
            }
        }
        if (found)
            break;
        if (at > maxTag)
            fail("tag too long");
        if (!fill(at + 1))
            fail("unterminated tag");
    }
    const QByteArrayView tag(m_buffer.constData() + m_pos + 1, at - 1);
    m_pos += at + 1;
    const bool closing = tag.startsWith('/');
    const bool selfClosing = !closing && tag.endsWith('/');
    QByteArrayView body = tag.sliced(closing ? 1 : 0);
    if (selfClosing)
        body.chop(1);
    qsizetype nameEnd = 0;
    while (nameEnd < body.size() && !isNameEnd(body[nameEnd]))
        ++nameEnd;
    if (nameEnd == 0)
        fail("element without a name");
    m_name = localPart(body.first(nameEnd));
    if (closing) {
        if (--m_depth < 0)
            fail("end tag without a start");
        return Token::End;
    }
    if (m_depth == 0 && m_seenRoot)
        fail("second root element");
    m_seenRoot = true;
    if (++m_depth > maxDepth)
        fail("elements nested too deep");
    m_tag = body.sliced(nameEnd);
    m_pendingEnd = selfClosing;
    return Token::Start;
}

XmlScanner::Token XmlScanner::readText()
{
    const char* start = m_buffer.constData() + m_pos;
    const qsizetype have = m_buffer.size() - m_pos;
    const void* lt = std::memchr(start, '<', size_t(have));
    qsizetype end = lt ? static_cast<const char*>(lt) - start : have;
    bool entities = std::memchr(start, '&', size_t(end)) != nullptr;
    if (!lt && !m_sourceDone) {
        // An entity or a line break cut by the end of the buffer waits for
        // the next piece.
        qsizetype cut = end;
        const qsizetype amp = entities ? QByteArrayView(start, end).lastIndexOf('&') : -1;
        if (amp >= 0 && end - amp < maxEntity &&
            QByteArrayView(start + amp, end - amp).indexOf(';') < 0)
            cut = amp;
        else if (start[end - 1] == '\r')
            cut = end - 1;
        if (cut == 0) {
            fill(have + maxEntity);
            return readText();
        }
        end = cut;
        entities = entities && std::memchr(start, '&', size_t(end)) != nullptr;
    }
    m_pos += end;
    QByteArrayView raw(start, end);
    const bool breaks = std::memchr(start, '\r', size_t(end)) != nullptr;
    if (entities || breaks) {
        // A line break is one line feed in XML, whatever the file used.
        QByteArray normalized;
        if (breaks) {
            normalized = raw.toByteArray().replace("\r\n", "\n").replace('\r', '\n');
            raw = normalized;
        }
        m_decoded.resize(0);
        decodeInto(m_decoded, raw);
        raw = m_decoded;
    }
    m_text = raw;
    if (m_depth == 0)
        for (char c : m_text)
            if (!isSpace(c))
                fail("text outside the root element");
    return Token::Text;
}

XmlScanner::Token XmlScanner::readCdata()
{
    const qsizetype end = findSequence("]]>", 9);
    if (end < 0)
        fail("unterminated CDATA section");
    m_text = QByteArrayView(m_buffer.constData() + m_pos + 9, end - 9);
    m_pos += end + 3;
    return Token::Text;
}

QString XmlScanner::attribute(QByteArrayView wanted) const
{
    const std::optional<QByteArrayView> raw = rawAttribute(wanted);
    if (!raw)
        return {};
    QByteArray value;
    decodeInto(value, *raw);
    return QString::fromUtf8(value);
}

QByteArrayView XmlScanner::attributeBytes(QByteArrayView wanted)
{
    const std::optional<QByteArrayView> raw = rawAttribute(wanted);
    if (!raw)
        return {};
    if (!raw->contains('&'))
        return raw->isNull() ? QByteArrayView("") : *raw;
    m_attribute.resize(0);
    decodeInto(m_attribute, *raw);
    return m_attribute.isNull() ? QByteArrayView("") : QByteArrayView(m_attribute);
}

std::optional<QByteArrayView> XmlScanner::rawAttribute(QByteArrayView wanted) const
{
    const QByteArrayView tag = m_tag;
    qsizetype at = 0;
    while (at < tag.size()) {
        while (at < tag.size() && isSpace(tag[at]))
            ++at;
        if (at >= tag.size())
            break;
        const qsizetype nameStart = at;
        while (at < tag.size() && !isNameEnd(tag[at]))
            ++at;
        const QByteArrayView name = tag.sliced(nameStart, at - nameStart);
        while (at < tag.size() && isSpace(tag[at]))
            ++at;
        if (name.isEmpty() || at >= tag.size() || tag[at] != '=')
            fail("broken attribute");
        ++at;
        while (at < tag.size() && isSpace(tag[at]))
            ++at;
        if (at >= tag.size() || (tag[at] != '"' && tag[at] != '\''))
            fail("broken attribute");
        const char quote = tag[at++];
        const void* end = std::memchr(tag.data() + at, quote, size_t(tag.size() - at));
        if (!end)
            fail("broken attribute");
        const qsizetype close = static_cast<const char*>(end) - tag.data();
        if (sameName(localPart(name), wanted))
            return tag.sliced(at, close - at);
        at = close + 1;
    }
    return std::nullopt;
}
