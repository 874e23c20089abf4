#pragma once

#include "app/commands/command.h"

namespace Commands {

// every row from one store to another without rows.
class Copy : public Command {
public:
    Copy();
    QList<QCommandLineOption> options() const override;
    QString check(const QCommandLineParser& p) const override;
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
