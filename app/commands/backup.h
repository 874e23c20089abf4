#pragma once

#include "app/commands/command.h"

namespace Commands {

// copy the store to NAME.bak.
class Backup : public Command {
public:
    Backup();
    int run(const QCommandLineParser& p) const override;
};

} // namespace Commands
