#pragma once

#include "app/commands/command.h"

namespace Commands {

// a recipient's text split into the editor's fields.
class ParseAddress : public Command {
public:
    ParseAddress();
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
