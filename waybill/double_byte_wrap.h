#pragma once

#include <QByteArray>
#include <QString>

// Breaks a double-byte text into lines of `width` bytes (the CR LF included)
// by inserting CR LF pairs at fixed positions. The number of pairs is
// length / width + 1; a break never falls between the two bytes of one
// character.
QByteArray wrapDoubleByteBytes(const QByteArray& bytes, int width);

// The same on the GB18030 bytes of `text` (GBK for every GBK character).
QString WrapDoubleByteText(const QString& text, int width);

namespace Gb18030 {
QByteArray encode(const QString& text);
QString decode(const QByteArray& bytes);
} // namespace Gb18030
