#include "waybill/printing/printer_choice.h"

#include <QPrinterInfo>

namespace PrinterChoice {

namespace {

QString& chosenName()
{
    static QString name;
    return name;
}

} // namespace

void remember(const QString& printerName)
{
    chosenName() = printerName;
}

QString chosen()
{
    return chosenName();
}

QString inUse()
{
    if (!chosen().isEmpty())
        return chosen();
    // What a new QPrinter takes: the default, else the first there is.
    const QString system = QPrinterInfo::defaultPrinterName();
    if (!system.isEmpty())
        return system;
    const QStringList all = QPrinterInfo::availablePrinterNames();
    return all.isEmpty() ? QString() : all.first();
}

} // namespace PrinterChoice
