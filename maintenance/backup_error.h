#pragma once

#include "store/command_error.h"

// A backup or restore that cannot go on; nothing was replaced.
class BackupError : public CommandError {
public:
    using CommandError::CommandError;
};
