#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The OLE2 compound file that wraps an .xls workbook: a small FAT file
// system of 512- or 4096-byte sectors with a directory of named streams.
namespace CompoundFile {

inline const QByteArray signature = QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");

bool looksLike(const QByteArray& file);

// The stream of that name (compared case-insensitively) anywhere in the
// directory; throws SheetError on a missing stream or a damaged file.
QByteArray readStream(const QByteArray& file, const QString& name);
// The same from an open file, read as needed: only the stream is held.
QByteArray readStream(QIODevice& file, const QString& name);

// A version 3 compound file holding one stream. Streams under 4096 bytes
// would need the mini stream, so the caller pads them to that size.
QByteArray writeSingleStream(const QString& name, const QByteArray& stream);

} // namespace CompoundFile
