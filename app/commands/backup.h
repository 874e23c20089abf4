#pragma once

#include "app/commands/command.h"

namespace Commands {

// copy the store to NAME.bak.
class Backup : public Command {
public:
    Backup();
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
