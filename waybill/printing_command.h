#pragma once

#include <QStringList>

// sfwaybill-cli print --window NAME --printer PRINTER [--row N] [--dx N]
//                     [--dy N] [--font FAMILY,POINTS]
// Sends the pages the print window NAME would print to a printer through
// the print job of the preview's "打 印": its paper, its page loop. Reads
// data.mdb in the current directory like the window: a single window
// prints row N (from 1, default the first), a batch window every row
// through its own queries. --dx and --dy take what the shift boxes take.
// Throws CommandError or StoreError.
namespace PrinterPrintCommand {

inline constexpr const char* usage =
    "  print --window NAME --printer PRINTER [--row N] [--dx N] [--dy N] [--font FAMILY,POINTS]\n"
    "                            the same pages sent to PRINTER\n";

bool wanted(const QStringList& args); // --printer is among the options
int run(const QStringList& args);

} // namespace PrinterPrintCommand
