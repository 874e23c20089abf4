#include "waybill/printer_choice.h"

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
    return chosen().isEmpty() ? QPrinterInfo::defaultPrinterName() : chosen();
}

} // namespace PrinterChoice
