#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>

// Read access to the members of a zip archive held in memory (stored or
// deflated, no zip64), enough for the parts of an .xlsx workbook. Members
// are unpacked piece by piece as they are read, and all of them together
// at most SheetLimits::maxInflatedBytes.
class ZipArchive {
public:
    // Fills up to `size` bytes of `buffer`; returns 0 at the end. Throws
    // SheetError when the member turns out damaged.
    using Reader = std::function<qsizetype(char* buffer, qsizetype size)>;

    // Throws SheetError when the central directory is missing or damaged.
    explicit ZipArchive(const QByteArray& file);

    bool contains(const QString& name) const { return m_entries.contains(name); }
    // Throws SheetError for a missing or damaged member, SheetTooLarge when
    // it would unpack past the limit.
    Reader open(const QString& name);

    static bool looksLike(const QByteArray& file);

private:
    struct Entry {
        std::uint16_t method = 0;
        std::uint32_t compressedSize = 0;
        std::uint32_t size = 0;
        std::uint32_t localOffset = 0;
    };

    const QByteArray& m_file;
    QHash<QString, Entry> m_entries;
    qint64 m_unpacked = 0;
};
