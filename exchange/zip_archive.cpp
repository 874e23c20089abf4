#include "exchange/zip_archive.h"

#include "exchange/little_endian.h"
#include "exchange/sheet_error.h"

#include <zlib.h>

using LittleEndian::u16;
using LittleEndian::u32;

namespace {

// Far above any recipient list; stops a zip bomb before it eats memory.
constexpr std::uint32_t maxMemberSize = 512u << 20;

[[noreturn]] void fail(const char* what)
{
    throw SheetError(std::string("zip: ") + what);
}

QByteArray inflateRaw(const char* data, std::uint32_t size, std::uint32_t expected)
{
    QByteArray out;
    out.resize(expected);
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        fail("inflate unavailable");
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = size;
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = expected;
    const int rc = inflate(&z, Z_FINISH);
    const auto produced = z.total_out;
    inflateEnd(&z);
    if (rc != Z_STREAM_END || produced != expected)
        fail("damaged member");
    return out;
}

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

QByteArray ZipArchive::read(const QString& name) const
{
    const auto it = m_entries.constFind(name);
    if (it == m_entries.constEnd())
        fail("member missing");
    const Entry& entry = *it;
    if (entry.size > maxMemberSize)
        fail("member too large");
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
        return QByteArray(p, entry.size);
    }
    if (entry.method != 8)
        fail("unsupported compression");
    // Deflate packs at most about 1032:1; a larger claim is a lie.
    if (entry.size / 1032 > entry.compressedSize + 1)
        fail("impossible compression ratio");
    if (entry.size == 0)
        return {};
    return inflateRaw(p, entry.compressedSize, entry.size);
}
