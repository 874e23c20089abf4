#pragma once

#include "app/commands/command.h"

namespace Commands {

// create an empty data.mdb, or the tables on an empty server.
class Init : public Command {
public:
    Init();
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
