#pragma once

#include "store/command_error.h"

// A workbook that cannot be read or written: damaged, unsupported, too big.
// The text is for logs and the command line; windows show their own message.
class SheetError : public CommandError {
public:
    using CommandError::CommandError;
};
