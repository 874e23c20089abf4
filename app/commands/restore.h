#pragma once

#include "app/commands/command.h"

namespace Commands {

// replace the store by a backup.
class Restore : public Command {
public:
    Restore();
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
