#pragma once

#include "app/commands/command.h"

namespace Commands {

// the shipping sheet the platforms take back.
class ShipExport : public Command {
public:
    ShipExport();
    QList<QCommandLineOption> options() const override;
    QString check(const QCommandLineParser& p) const override;
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
