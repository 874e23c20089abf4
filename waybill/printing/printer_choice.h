#pragma once

#include <QString>

// The printer the user chose in a preview's "设 置". It stays chosen for
// the rest of the run, for every print window; nothing keeps it beyond.
namespace PrinterChoice {

void remember(const QString& printerName);
QString chosen(); // "" until a printer is chosen

// The printer print jobs go to: the chosen one, else the system's default
// printer, else the first printer there is; "" when there is none.
QString inUse();

} // namespace PrinterChoice
