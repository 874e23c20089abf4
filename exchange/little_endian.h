#pragma once

#include <QByteArray>
#include <cstdint>
#include <cstring>

// Unchecked little-endian access; callers check the bounds first.
namespace LittleEndian {

inline std::uint16_t u16(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint16_t(b[0] | (b[1] << 8));
}

inline std::uint32_t u32(const char* p)
{
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
           (std::uint32_t(b[3]) << 24);
}

inline double f64(const char* p)
{
    std::uint64_t bits = std::uint64_t(u32(p)) | (std::uint64_t(u32(p + 4)) << 32);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

inline void put16(QByteArray& out, std::uint32_t v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

inline void put32(QByteArray& out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline void set16(QByteArray& out, qsizetype at, std::uint32_t v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char((v >> 8) & 0xFF);
}

inline void set32(QByteArray& out, qsizetype at, std::uint32_t v)
{
    set16(out, at, v & 0xFFFF);
    set16(out, at + 2, v >> 16);
}

} // namespace LittleEndian
