#pragma once

#include <cstdint>

// The BIFF8 record types the reader and the writer use, by the names of
// Microsoft's description of the format.
namespace Biff8Record {

enum : std::uint16_t {
    Formula = 0x0006,
    Eof = 0x000A,
    Filepass = 0x002F,
    Font = 0x0031,
    Continue = 0x003C,
    Window1 = 0x003D,
    Codepage = 0x0042,
    BoundSheet = 0x0085,
    MulRk = 0x00BD,
    MulBlank = 0x00BE,
    RString = 0x00D6,
    Xf = 0x00E0,
    Sst = 0x00FC,
    LabelSst = 0x00FD,
    ExtSst = 0x00FF,
    Dimensions = 0x0200,
    Number = 0x0203,
    Label = 0x0204,
    BoolErr = 0x0205,
    String = 0x0207,
    Window2 = 0x023E,
    Rk = 0x027E,
    Style = 0x0293,
    Bof = 0x0809,
};

// BOF's version field for BIFF8, and its kinds of substream.
inline constexpr std::uint16_t Version = 0x0600;
enum : std::uint16_t {
    WorkbookGlobals = 0x0005,
    Worksheet = 0x0010,
};

} // namespace Biff8Record
