#include "waybill/double_byte_wrap.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

bool isHigh(char c)
{
    return static_cast<unsigned char>(c) > 0x7E;
}

// Length of the GB18030 character starting at `at`: one byte for ASCII,
// four for a lead byte followed by a digit, two for any other lead byte.
int characterLength(const QByteArray& s, qsizetype at)
{
    const auto b = static_cast<unsigned char>(s.at(at));
    if (b < 0x81 || b == 0xFF || at + 1 >= s.size())
        return 1;
    const auto next = static_cast<unsigned char>(s.at(at + 1));
    if (next >= 0x30 && next <= 0x39)
        return at + 3 < s.size() ? 4 : 1;
    return 2;
}

// The start of the character that holds byte `index`, or `index` itself
// when a character starts there.
qsizetype characterStart(const QByteArray& s, qsizetype index)
{
    qsizetype at = 0;
    while (at < index) {
        const int len = characterLength(s, at);
        if (at + len > index)
            return at;
        at += len;
    }
    return index;
}

} // namespace

QByteArray wrapDoubleByteBytes(const QByteArray& bytes, int width)
{
    static const QByteArray pair("\r\n");
    QByteArray s = bytes;
    const qsizetype n = bytes.size() / width + 1;
    for (qsizetype i = 1; i <= n; ++i) {
        const qsizetype windowEnd = std::min(qsizetype(width) * i, s.size());
        qsizetype high = 0;
        for (qsizetype k = 0; k < windowEnd; ++k)
            high += isHigh(s.at(k));
        // p is 1-based: p - 1 bytes go before the pair.
        const qsizetype p = width * i - (high % 2 == 0 ? 1 : 0);
        if (s.size() < p) {
            s.append(pair);
            continue;
        }
        // The count alone can land between the two bytes of a character in
        // mixed text; the whole character goes to the next line then.
        s.insert(characterStart(s, p - 1), pair);
    }
    return s;
}

QString WrapDoubleByteText(const QString& text, int width)
{
    return Gb18030::decode(wrapDoubleByteBytes(Gb18030::encode(text), width));
}

namespace Gb18030 {

// Building a converter looks the encoding up by name each time, so one of
// each serves every text.
QByteArray encode(const QString& text)
{
    thread_local QStringEncoder encoder("GB18030");
    encoder.resetState();
    return encoder.encode(text);
}

QString decode(const QByteArray& bytes)
{
    thread_local QStringDecoder decoder("GB18030");
    decoder.resetState();
    return decoder.decode(bytes);
}

} // namespace Gb18030
