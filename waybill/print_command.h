#pragma once

#include <QStringList>

// sfwaybill-cli print --window NAME (--pdf OUT.pdf | --printer PRINTER)
//                     [--row N] [--dx N] [--dy N] [--font FAMILY,POINTS]
// The pages the print window NAME would print, read from data.mdb in the
// current directory the way the window reads it: a single window prints
// row N (from 1, default the first) of its recipient query, a batch window
// every row through its own queries. --dx and --dy take what the shift
// boxes take. A PDF is written with the exact paper size; a printer gets
// the job of the preview's "打 印". With --calibration the page is the
// calibration page of window NAME (default TSf1Form) instead, and no rows
// are read. Throws CommandError or StoreError.
namespace PrintCommand {

inline constexpr const char* usage =
    "  print --window NAME (--pdf OUT.pdf | --printer PRINTER) [--row N] [--dx N] [--dy N]\n"
    "        [--font FAMILY,POINTS] [--calibration]\n"
    "                            the pages of print window NAME (TSf1Form, TEsf1Form,\n"
    "                            TPlsf1Form, TEPlsf1Form) as a PDF or on a printer;\n"
    "                            --calibration: its page of rulers and crosses\n";

int run(const QStringList& args);

} // namespace PrintCommand
