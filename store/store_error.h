#pragma once

#include "store/command_error.h"

// The database engine refused something: opening, a statement, a write.
class StoreError : public CommandError {
public:
    using CommandError::CommandError;
};
