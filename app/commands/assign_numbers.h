#pragma once

#include "app/commands/command.h"

namespace Commands {

// waybill numbers from standard input to a run's pages.
class AssignNumbers : public Command {
public:
    AssignNumbers();
    QList<QCommandLineOption> options() const override;
    QString check(const QCommandLineParser& p) const override;
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
