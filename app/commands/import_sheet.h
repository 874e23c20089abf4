#pragma once

#include "app/commands/command.h"

namespace Commands {

// replace the imported list by a sheet's rows.
class Import : public Command {
public:
    Import();
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
