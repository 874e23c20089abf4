#include "exchange/compound_file.h"

#include "exchange/little_endian.h"
#include "exchange/sheet_error.h"

#include <QBuffer>
#include <vector>

using LittleEndian::u16;
using LittleEndian::u32;

namespace {

constexpr std::uint32_t freeSector = 0xFFFFFFFF;
constexpr std::uint32_t endOfChain = 0xFFFFFFFE;
constexpr std::uint32_t fatSector = 0xFFFFFFFD;
constexpr std::uint32_t difatSector = 0xFFFFFFFC;
constexpr std::uint32_t noStream = 0xFFFFFFFF;
constexpr int headerSize = 512;
constexpr int directoryEntrySize = 128;
constexpr int miniSectorSize = 64;
constexpr std::uint32_t miniStreamCutoff = 4096;

[[noreturn]] void fail(const char* what)
{
    throw SheetError(std::string("compound file: ") + what);
}

// Reads from the file as it goes, so that a stream costs its own size
// and not the whole file's besides.
class Reader {
public:
    explicit Reader(QIODevice& file) : m_file(file), m_fileSize(file.size())
    {
        const QByteArray header = bytes(0, headerSize);
        if (header.size() < headerSize || !header.startsWith(CompoundFile::signature))
            fail("not a compound file");
        const char* h = header.constData();
        const int shift = u16(h + 30);
        if (shift != 9 && shift != 12)
            fail("unsupported sector size");
        m_sectorSize = 1 << shift;
        m_sectorCount = std::uint32_t((m_fileSize - 1) / m_sectorSize); // partial last counts
        readFat(h);
        m_directory = chain(u32(h + 48), std::uint32_t(-1));
        m_miniFat = chainWords(u32(h + 60));
    }

    QByteArray stream(const QString& name)
    {
        const qsizetype entries = m_directory.size() / directoryEntrySize;
        if (entries == 0)
            fail("empty directory");
        // The root's own streams first: an embedded object's storage may
        // hold a stream of the same name. A broken tree falls back to a
        // scan of every entry.
        std::vector<bool> seen(entries, false);
        std::vector<std::uint32_t> pending{u32(m_directory.constData() + 76)};
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            if (id >= entries || seen[id])
                continue;
            seen[id] = true;
            const char* e = entry(id);
            if (isStreamNamed(e, name))
                return content(e);
            pending.push_back(u32(e + 68));
            pending.push_back(u32(e + 72));
        }
        for (qsizetype i = 0; i < entries; ++i)
            if (isStreamNamed(entry(i), name))
                return content(entry(i));
        fail("stream not found");
    }

private:
    // Up to `length` bytes from `offset`, fewer at the end of the file.
    QByteArray bytes(qint64 offset, qint64 length)
    {
        QByteArray out;
        appendBytes(out, offset, length);
        return out;
    }

    void appendBytes(QByteArray& out, qint64 offset, qint64 length)
    {
        length = std::min(length, m_fileSize - offset);
        if (length <= 0)
            return;
        const qsizetype at = out.size();
        out.resize(at + length);
        if (!m_file.seek(offset) || m_file.read(out.data() + at, length) != length)
            fail("cannot read the file");
    }

    const char* entry(qsizetype id) const
    {
        return m_directory.constData() + id * directoryEntrySize;
    }

    static bool isStreamNamed(const char* e, const QString& name)
    {
        const int nameBytes = u16(e + 64);
        if (e[66] != 2 || nameBytes < 2 || nameBytes > 64 || nameBytes % 2)
            return false;
        const QString entryName =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(e), nameBytes / 2 - 1);
        return entryName.compare(name, Qt::CaseInsensitive) == 0;
    }

    QByteArray content(const char* e)
    {
        const std::uint32_t start = u32(e + 116);
        const std::uint32_t size = u32(e + 120); // version 3 ignores the high half
        return size < miniStreamCutoff ? miniStream(start, size) : chain(start, size);
    }

    qint64 sectorOffset(std::uint32_t n) const
    {
        if (n >= m_sectorCount)
            fail("sector past the end");
        return qint64(n + 1) * m_sectorSize;
    }

    // A whole sector, for the FAT and the DIFAT.
    QByteArray wholeSector(std::uint32_t n, const char* what)
    {
        QByteArray s = bytes(sectorOffset(n), m_sectorSize);
        if (s.size() < m_sectorSize)
            fail(what);
        return s;
    }

    void readFat(const char* header)
    {
        // Sector numbers of the FAT: 109 in the header, then the DIFAT chain.
        std::vector<std::uint32_t> fatSectors;
        const std::uint32_t fatCount = u32(header + 44);
        if (fatCount > m_sectorCount)
            fail("FAT larger than the file");
        for (int i = 0; i < 109 && fatSectors.size() < fatCount; ++i)
            fatSectors.push_back(u32(header + 76 + 4 * i));
        std::uint32_t next = u32(header + 68);
        std::vector<bool> seen(m_sectorCount, false);
        const int perSector = m_sectorSize / 4 - 1;
        while (fatSectors.size() < fatCount) {
            if (next >= m_sectorCount || seen[next])
                fail("broken DIFAT chain");
            seen[next] = true;
            const QByteArray s = wholeSector(next, "truncated DIFAT");
            for (int i = 0; i < perSector && fatSectors.size() < fatCount; ++i)
                fatSectors.push_back(u32(s.constData() + 4 * i));
            next = u32(s.constData() + 4 * perSector);
        }
        m_fat.reserve(fatSectors.size() * (m_sectorSize / 4));
        for (std::uint32_t n : fatSectors) {
            const QByteArray s = wholeSector(n, "truncated FAT");
            for (int i = 0; i < m_sectorSize / 4; ++i)
                m_fat.push_back(u32(s.constData() + 4 * i));
        }
    }

    // Follows a FAT chain, the partial last sector included; `size` of -1
    // reads the whole chain. Sectors that follow each other in the file are
    // read at once.
    QByteArray chain(std::uint32_t start, std::uint32_t size)
    {
        const bool whole = size == std::uint32_t(-1);
        QByteArray out;
        if (!whole) {
            if (qint64(size) > m_fileSize)
                fail("stream larger than the file");
            out.reserve(size);
        }
        const auto wanted = [&](qint64 more) { return whole || out.size() + more < qint64(size); };
        std::vector<bool> seen(m_sectorCount, false);
        std::uint32_t n = start;
        while (n != endOfChain && wanted(0)) {
            const std::uint32_t first = n;
            std::uint32_t count = 0;
            do {
                if (n >= m_sectorCount || n >= m_fat.size() || seen[n])
                    fail("broken sector chain");
                seen[n] = true;
                ++count;
                n = m_fat[n];
            } while (n == first + count && wanted(qint64(count) * m_sectorSize));
            appendBytes(out, sectorOffset(first), qint64(count) * m_sectorSize);
        }
        if (!whole) {
            if (out.size() < qsizetype(size))
                fail("stream shorter than its size");
            out.truncate(size);
        }
        return out;
    }

    std::vector<std::uint32_t> chainWords(std::uint32_t start)
    {
        std::vector<std::uint32_t> words;
        if (start == endOfChain || start == freeSector)
            return words;
        const QByteArray bytes = chain(start, std::uint32_t(-1));
        words.reserve(bytes.size() / 4);
        for (qsizetype i = 0; i + 4 <= bytes.size(); i += 4)
            words.push_back(u32(bytes.constData() + i));
        return words;
    }

    QByteArray miniStream(std::uint32_t start, std::uint32_t size)
    {
        if (size == 0)
            return {};
        const char* root = m_directory.constData();
        if (root[66] != 5)
            fail("no root entry");
        const QByteArray container = chain(u32(root + 116), u32(root + 120));
        QByteArray out;
        out.reserve(size);
        std::vector<bool> seen(m_miniFat.size(), false);
        std::uint32_t n = start;
        while (out.size() < qsizetype(size)) {
            if (n >= m_miniFat.size() || seen[n])
                fail("broken mini sector chain");
            seen[n] = true;
            const qsizetype at = qsizetype(n) * miniSectorSize;
            if (at + miniSectorSize > container.size())
                fail("mini sector past the end");
            out.append(container.constData() + at, miniSectorSize);
            n = m_miniFat[n];
        }
        out.truncate(size);
        return out;
    }

    QIODevice& m_file;
    qint64 m_fileSize;
    int m_sectorSize = 512;
    std::uint32_t m_sectorCount = 0;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    QByteArray m_directory;
};

void putDirectoryEntry(QByteArray& out, const QString& name, char type, std::uint32_t child,
                       std::uint32_t start, std::uint32_t size)
{
    QByteArray entry(directoryEntrySize, '\0');
    if (!name.isEmpty()) {
        const QString n = name.left(31);
        for (qsizetype i = 0; i < n.size(); ++i)
            LittleEndian::set16(entry, 2 * i, n.at(i).unicode());
        LittleEndian::set16(entry, 64, std::uint32_t(2 * (n.size() + 1)));
    }
    entry[66] = type;
    entry[67] = 1; // black
    LittleEndian::set32(entry, 68, noStream);
    LittleEndian::set32(entry, 72, noStream);
    LittleEndian::set32(entry, 76, child);
    LittleEndian::set32(entry, 116, start);
    LittleEndian::set32(entry, 120, size);
    out.append(entry);
}

} // namespace

namespace CompoundFile {

bool looksLike(const QByteArray& file)
{
    return file.startsWith(signature);
}

QByteArray readStream(const QByteArray& file, const QString& name)
{
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    return readStream(buffer, name);
}

QByteArray readStream(QIODevice& file, const QString& name)
{
    return Reader(file).stream(name);
}

QByteArray writeSingleStream(const QString& name, const QByteArray& stream)
{
    constexpr int sectorSize = 512;
    constexpr int perFat = sectorSize / 4;
    if (stream.size() < qsizetype(miniStreamCutoff))
        throw SheetError("compound file: stream below the mini stream cutoff");
    if (stream.size() > 0x7FFFFFFF - 0x100000)
        throw SheetError("compound file: stream too large");
    const auto dataSectors = std::uint32_t((stream.size() + sectorSize - 1) / sectorSize);
    // Layout: FAT sectors, DIFAT sectors, one directory sector, the stream.
    std::uint32_t fatCount = 1, difatCount = 0;
    for (;;) {
        const std::uint32_t total = fatCount + difatCount + 1 + dataSectors;
        const std::uint32_t needFat = (total + perFat - 1) / perFat;
        const std::uint32_t needDifat =
            needFat > 109 ? (needFat - 109 + perFat - 2) / (perFat - 1) : 0;
        if (needFat == fatCount && needDifat == difatCount)
            break;
        fatCount = needFat;
        difatCount = needDifat;
    }
    const std::uint32_t directorySector = fatCount + difatCount;
    const std::uint32_t firstData = directorySector + 1;

    QByteArray out;
    out.reserve(qsizetype(firstData + dataSectors + 1) * sectorSize);
    out.append(signature);
    out.append(16, '\0'); // class id
    LittleEndian::put16(out, 0x003E);
    LittleEndian::put16(out, 3);
    LittleEndian::put16(out, 0xFFFE);
    LittleEndian::put16(out, 9);
    LittleEndian::put16(out, 6);
    out.append(6, '\0');
    LittleEndian::put32(out, 0); // directory sectors (version 3)
    LittleEndian::put32(out, fatCount);
    LittleEndian::put32(out, directorySector);
    LittleEndian::put32(out, 0);
    LittleEndian::put32(out, miniStreamCutoff);
    LittleEndian::put32(out, endOfChain); // no mini FAT
    LittleEndian::put32(out, 0);
    LittleEndian::put32(out, difatCount ? fatCount : endOfChain);
    LittleEndian::put32(out, difatCount);
    for (std::uint32_t i = 0; i < 109; ++i)
        LittleEndian::put32(out, i < fatCount ? i : freeSector);

    std::vector<std::uint32_t> fat(std::size_t(fatCount) * perFat, freeSector);
    for (std::uint32_t i = 0; i < fatCount; ++i)
        fat[i] = fatSector;
    for (std::uint32_t i = 0; i < difatCount; ++i)
        fat[fatCount + i] = difatSector;
    fat[directorySector] = endOfChain;
    for (std::uint32_t i = 0; i < dataSectors; ++i)
        fat[firstData + i] = i + 1 < dataSectors ? firstData + i + 1 : endOfChain;
    for (std::uint32_t word : fat)
        LittleEndian::put32(out, word);

    std::uint32_t nextFat = 109;
    for (std::uint32_t d = 0; d < difatCount; ++d) {
        for (int i = 0; i < perFat - 1; ++i)
            LittleEndian::put32(out, nextFat < fatCount ? nextFat++ : freeSector);
        LittleEndian::put32(out, d + 1 < difatCount ? fatCount + d + 1 : endOfChain);
    }

    putDirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, endOfChain, 0);
    putDirectoryEntry(out, name, 2, noStream, firstData, std::uint32_t(stream.size()));
    for (int i = 0; i < 2; ++i) {
        QByteArray unused(directoryEntrySize, '\0');
        LittleEndian::set32(unused, 68, noStream);
        LittleEndian::set32(unused, 72, noStream);
        LittleEndian::set32(unused, 76, noStream);
        out.append(unused);
    }

    out.append(stream);
    const qsizetype tail = stream.size() % sectorSize;
    if (tail)
        out.append(sectorSize - tail, '\0');
    return out;
}

} // namespace CompoundFile
