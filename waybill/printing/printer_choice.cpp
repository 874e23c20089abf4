#include "waybill/printing/printer_choice.h"

#include <QPrinterInfo>
#include <QSettings>
#include <optional>

namespace PrinterChoice {

namespace {

const QString key = QStringLiteral("printer");

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sfwaybill"),
                     QStringLiteral("printing"));
}

std::optional<QString>& chosenName()
{
    static std::optional<QString> name;
    return name;
}

} // namespace

void remember(const QString& printerName)
{
    const QString before = chosenName() ? *chosenName() : QString();
    chosenName() = printerName;
    QSettings s = settings();
    if (printerName.isEmpty())
        s.remove(key);
    else
        s.setValue(key, printerName);
    // Not kept is no reason to refuse the printer for this run.
    s.sync();
    if (before != printerName)
        emit notifier().changed(printerName);
}

QString chosen()
{
    if (!chosenName()) {
        const QString kept = settings().value(key).toString();
        chosenName() =
            !kept.isEmpty() && !QPrinterInfo::printerInfo(kept).isNull() ? kept : QString();
    }
    return *chosenName();
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

Notifier& notifier()
{
    static Notifier n;
    return n;
}

} // namespace PrinterChoice
