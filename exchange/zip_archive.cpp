#include "exchange/zip_archive.h"

#include "exchange/little_endian.h"
#include "exchange/sheet_limits.h"

#include <cstring>
#include <memory>
#include <zlib.h>

using LittleEndian::u16;
using LittleEndian::u32;

namespace {

[[noreturn]] void fail(const char* what)
{
    throw SheetError(std::string("zip: ") + what);
}

// A deflated member, unpacked as it is read. It must come out at exactly
// the size the directory gives.
class Inflater {
public:
    Inflater(const char* data, std::uint32_t size, std::uint32_t expected) : m_left(expected)
    {
        if (inflateInit2(&m_z, -MAX_WBITS) != Z_OK)
            fail("inflate unavailable");
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_z.avail_in = size;
    }
    ~Inflater() { inflateEnd(&m_z); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    qsizetype read(char* buffer, qsizetype size)
    {
        if (m_left == 0) {
            // Anything more than announced is a lie about the size.
            char extra;
            if (!m_ended && inflateSome(&extra, 1) > 0)
                fail("member larger than announced");
            return 0;
        }
        const qsizetype want = std::min<qsizetype>(size, m_left);
        const qsizetype got = inflateSome(buffer, want);
        if (got == 0)
            fail("member smaller than announced");
        m_left -= std::uint32_t(got);
        return got;
    }

private:
    qsizetype inflateSome(char* buffer, qsizetype size)
    {
        m_z.next_out = reinterpret_cast<Bytef*>(buffer);
        m_z.avail_out = uInt(size);
        // A step may only read block headers; zlib reports a step without
        // any progress as an error, so this ends.
        while (!m_ended && m_z.avail_out == uInt(size)) {
            const int rc = inflate(&m_z, Z_NO_FLUSH);
            if (rc == Z_STREAM_END)
                m_ended = true;
            else if (rc != Z_OK)
                fail("damaged member");
        }
        return size - qsizetype(m_z.avail_out);
    }

    z_stream m_z{};
    std::uint32_t m_left;
    bool m_ended = false;
};

} // namespace

bool ZipArchive::looksLike(const QByteArray& file)
{
    return file.startsWith("PK\x03\x04");
}

ZipArchive::ZipArchive(const QByteArray& file) : m_file(file)
{
    // End of central directory: 22 bytes plus a comment of up to 64 KiB.
    const qsizetype lowest = std::max<qsizetype>(0, file.size() - 22 - 0xFFFF);
    qsizetype end = -1;
    for (qsizetype at = file.size() - 22; at >= lowest; --at) {
        if (u32(file.constData() + at) == 0x06054B50) {
            end = at;
            break;
        }
    }
    if (end < 0)
        fail("no central directory");
    const char* e = file.constData() + end;
    const std::uint32_t count = u16(e + 10);
    const std::uint32_t dirSize = u32(e + 12);
    const std::uint32_t dirOffset = u32(e + 16);
    if (qint64(dirOffset) + dirSize > end)
        fail("central directory out of range");
    qsizetype at = dirOffset;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (at + 46 > end || u32(file.constData() + at) != 0x02014B50)
            fail("damaged central directory");
        const char* h = file.constData() + at;
        const int nameLength = u16(h + 28);
        const qsizetype next = at + 46 + nameLength + u16(h + 30) + u16(h + 32);
        if (next > end)
            fail("damaged central directory");
        Entry entry{u16(h + 10), u32(h + 20), u32(h + 24), u32(h + 42)};
        m_entries.insert(QString::fromUtf8(h + 46, nameLength), entry);
        at = next;
    }
}

ZipArchive::Reader ZipArchive::open(const QString& name)
{
    const auto it = m_entries.constFind(name);
    if (it == m_entries.constEnd())
        fail("member missing");
    const Entry entry = *it;
    if (entry.size > SheetLimits::maxInflatedBytes - m_unpacked)
        SheetLimits::tooLarge(QStringLiteral(u"解压后的数据超过1GB"));
    m_unpacked += entry.size;
    const qint64 local = entry.localOffset;
    if (local + 30 > m_file.size() || u32(m_file.constData() + local) != 0x04034B50)
        fail("damaged local header");
    const char* h = m_file.constData() + local;
    const qint64 data = local + 30 + u16(h + 26) + u16(h + 28);
    if (data + qint64(entry.compressedSize) > m_file.size())
        fail("member past the end");
    const char* p = m_file.constData() + data;
    if (entry.method == 0) {
        if (entry.compressedSize != entry.size)
            fail("damaged stored member");
        auto at = std::make_shared<std::uint32_t>(0);
        return [p, size = entry.size, at](char* buffer, qsizetype want) -> qsizetype {
            const qsizetype n = std::min<qsizetype>(want, size - *at);
            std::memcpy(buffer, p + *at, size_t(n));
            *at += std::uint32_t(n);
            return n;
        };
    }
    if (entry.method != 8)
        fail("unsupported compression");
    if (entry.size == 0)
        return [](char*, qsizetype) -> qsizetype { return 0; };
    // Deflate packs at most about 1032:1; a larger claim is a lie.
    if (entry.size / 1032 > entry.compressedSize + 1)
        fail("impossible compression ratio");
    auto inflater = std::make_shared<Inflater>(p, entry.compressedSize, entry.size);
    return [inflater](char* buffer, qsizetype want) { return inflater->read(buffer, want); };
}
