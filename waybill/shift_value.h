#pragma once

#include <QString>
#include <optional>

// The text of a shift box as a whole number of pixels.
namespace ShiftValue {

// Leading blanks, an optional sign, then decimal digits to the end, or a
// hexadecimal number after "$" or "0x"; signed 32-bit. An empty text gives
// nullopt (the box is ignored); anything else throws PrintError with
// "'<text>' is not a valid integer value".
std::optional<int> parse(const QString& text);

} // namespace ShiftValue
