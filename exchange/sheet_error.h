#pragma once

#include <stdexcept>
#include <string>

// A workbook that cannot be read or written: damaged, unsupported, too big.
// The text is for logs and the command line; windows show their own message.
class SheetError : public std::runtime_error {
public:
    explicit SheetError(const std::string& text) : std::runtime_error(text) {}
};
