#pragma once

#include "store/command_error.h"

// A page or a print run that cannot be made: no printer, a file that cannot
// be written, a damaged picture, a print command given wrong values.
class PrintError : public CommandError {
public:
    using CommandError::CommandError;
};
