#pragma once

#include <QStringList>

// sfwaybill-cli print --window NAME --pdf OUT.pdf [--row N] [--dx N] [--dy N]
//                     [--font FAMILY,POINTS]
// Writes the pages the print window NAME would print, reading data.mdb in
// the current directory: a single window prints row N (from 1, default the
// first) of its recipient query, a batch window every row. Throws
// CommandError or StoreError.
namespace PdfPrintCommand {

inline constexpr const char* usage =
    "  print --window NAME --pdf OUT.pdf [--row N] [--dx N] [--dy N] [--font FAMILY,POINTS]\n"
    "                            the pages of print window NAME (TSf1Form, TEsf1Form,\n"
    "                            TPlsf1Form, TEPlsf1Form) as a PDF\n";

int run(const QStringList& args);

} // namespace PdfPrintCommand
