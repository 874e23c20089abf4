#pragma once

#include "app/commands/command.h"
#include "waybill/print_command.h"

namespace Commands {

// The pages of a print window, a template or the calibration page, as a
// PDF or on a printer.
class Print : public Command {
public:
    // `printer` is empty when the program was built without printer support.
    explicit Print(PrinterOutput printer);
    QList<QCommandLineOption> options() const override;
    bool drawsPages() const override { return true; }
    QString check(const QCommandLineParser& p) const override;
    int run(const QCommandLineParser& p, const StoreSession& store) const override;

private:
    PrinterOutput m_printer;
};

} // namespace Commands
