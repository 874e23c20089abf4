#pragma once

#include "app/commands/command.h"

namespace Commands {

// the print log, newest first.
class Log : public Command {
public:
    Log();
    QList<QCommandLineOption> options() const override;
    QString check(const QCommandLineParser& p) const override;
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
