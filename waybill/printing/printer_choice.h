#pragma once

#include <QObject>
#include <QString>

// The printer the user chose last, in a print window or a preview's
// "设 置", for every print window; kept across starts in the user's
// settings.
namespace PrinterChoice {

void remember(const QString& printerName);
// "" until a printer is chosen; a kept printer the system no longer has
// counts as none.
QString chosen();

// The printer print jobs go to: the chosen one, else the system's default
// printer, else the first printer there is; "" when there is none.
QString inUse();

// Says when another printer was chosen.
class Notifier : public QObject {
    Q_OBJECT
signals:
    void changed(const QString& printer);
};
Notifier& notifier();

} // namespace PrinterChoice
