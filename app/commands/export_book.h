#pragma once

#include "app/commands/command.h"

namespace Commands {

// the address book to a workbook or comma-separated text.
class Export : public Command {
public:
    Export();
    QList<QCommandLineOption> options() const override;
    QString check(const QCommandLineParser& p) const override;
    int run(const QCommandLineParser& p, const StoreSession& store) const override;
};

} // namespace Commands
