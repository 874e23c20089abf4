#include "exchange/xlsx_escape.h"

namespace {

constexpr qsizetype escapeLength = 7; // _xHHHH_

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// The unit an escape at `at` stands for, or -1 when there is none.
int escapeAt(const QString& text, qsizetype at)
{
    if (at + escapeLength > text.size() || text.at(at) != u'_' || text.at(at + 1) != u'x' ||
        text.at(at + 6) != u'_')
        return -1;
    int value = 0;
    for (qsizetype i = at + 2; i < at + 6; ++i) {
        const int digit = hexValue(text.at(i));
        if (digit < 0)
            return -1;
        value = value * 16 + digit;
    }
    return value;
}

bool needsEscape(char16_t u)
{
    return (u < 0x20 && u != u'\t' && u != u'\n') || u == 0xFFFE || u == 0xFFFF;
}

} // namespace

namespace XlsxEscape {

QString decode(const QString& text)
{
    if (!text.contains(QStringLiteral("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype at = 0; at < text.size();) {
        const int unit = escapeAt(text, at);
        if (unit < 0) {
            out.append(text.at(at++));
        } else {
            out.append(QChar(char16_t(unit)));
            at += escapeLength;
        }
    }
    // An escaped half of a surrogate pair without its other half is no
    // character: left in, it would take the next one along when converted.
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out.at(i).isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate())
            ++i;
        else if (out.at(i).isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

QString encode(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype at = 0; at < text.size(); ++at) {
        const char16_t u = text.at(at).unicode();
        if (needsEscape(u) || (u == u'_' && escapeAt(text, at) >= 0))
            out.append(QStringLiteral("_x") +
                       QString::number(u, 16).toUpper().rightJustified(4, QLatin1Char('0')) +
                       QLatin1Char('_'));
        else
            out.append(QChar(u));
    }
    return out;
}

} // namespace XlsxEscape
