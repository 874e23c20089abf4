#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// Read access to the members of a zip archive held in memory (stored or
// deflated, no zip64), enough for the parts of an .xlsx workbook.
class ZipArchive {
public:
    // Throws SheetError when the central directory is missing or damaged.
    explicit ZipArchive(const QByteArray& file);

    bool contains(const QString& name) const { return m_entries.contains(name); }
    // Throws SheetError for a missing, damaged or oversized member.
    QByteArray read(const QString& name) const;

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
};
