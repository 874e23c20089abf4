#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// A forward-only reader for the plain XML of a workbook's parts, fast and
// with bounded memory: the input comes in pieces from `source`, character
// data is handed out in pieces too, and only one tag at a time is held.
// Namespace prefixes are dropped from names; entities are decoded; a
// document type declaration is refused. Throws SheetError.
class XmlScanner {
public:
    // Fills up to `size` bytes of `buffer`; returns 0 at the end.
    using Source = std::function<qsizetype(char* buffer, qsizetype size)>;
    enum class Token { Start, End, Text, Done };

    explicit XmlScanner(Source source);
    // Over a whole document in memory.
    explicit XmlScanner(const QByteArray& document);

    Token next();

    // Of the last Start or End token: the name without its prefix. A
    // self-closing tag gives a Start token and then an End token.
    QByteArrayView name() const { return m_name; }
    // Of the last Start token: the value of the attribute with that name
    // (without prefix); null when there is none.
    QString attribute(QByteArrayView name) const;
    // The same in UTF-8, without a text made: for what every cell carries.
    // Null when there is none; lasts until the next call.
    QByteArrayView attributeBytes(QByteArrayView name);
    // Of the last Text token: a piece of character data in UTF-8.
    QByteArrayView text() const { return m_text; }
    // The views above last until the next call of next().

private:
    // Whether `wanted` bytes from m_pos are there, reading more when not.
    bool fill(qsizetype wanted) { return m_buffer.size() - m_pos >= wanted || fillMore(wanted); }
    bool fillMore(qsizetype wanted);
    qsizetype findSequence(QByteArrayView what, qsizetype from);
    void skipPast(QByteArrayView end);
    Token readTag();
    Token readText();
    Token readCdata();
    std::optional<QByteArrayView> rawAttribute(QByteArrayView name) const;

    Source m_source;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_sourceDone = false;
    bool m_pendingEnd = false;
    int m_depth = 0;
    bool m_seenRoot = false;
    QByteArrayView m_name;
    QByteArrayView m_tag; // attribute part of the last start tag, raw
    QByteArrayView m_text;
    QByteArray m_decoded;
    QByteArray m_attribute;
};
