#pragma once

#include <stdexcept>
#include <string>

// A workbook that cannot be read or written: damaged, unsupported, too big.
// The text is for logs and the command line; windows show their own message.
class SheetError : public std::runtime_error {
public:
    explicit SheetError(const std::string& text) : std::runtime_error(text) {}
};

// A sheet beyond one of the limits of the import (SheetLimits). The text,
// in UTF-8, is the reason in words for the user.
class SheetTooLarge : public SheetError {
public:
    using SheetError::SheetError;
};
