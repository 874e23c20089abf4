#include "waybill/calibration_store.h"

#include "store/store_error.h"

#include <QSettings>
#include <QUrl>

namespace {

const QString right = QStringLiteral("right");
const QString down = QStringLiteral("down");
const QString font = QStringLiteral("font");
const QString alwaysShrink = QStringLiteral("alwaysShrink");
const QString minimum = QStringLiteral("minimumPoints");

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sfwaybill"),
                     QStringLiteral("calibration"));
}

// Printer names may hold characters QSettings reads as key separators; the
// encoding keeps "(none)", the key without a printer, apart from any name.
QString group(const QString& printer)
{
    return printer.isEmpty() ? QStringLiteral("(none)")
                             : QString::fromLatin1(QUrl::toPercentEncoding(printer));
}

QString templateGroup(const QString& printer, const QString& templateName)
{
    return group(printer) + QStringLiteral("/template-") +
           QString::fromLatin1(QUrl::toPercentEncoding(templateName));
}

// Where an older version kept each window's calibration of a printer, the
// window most used first.
const WaybillVariant carriedOrder[] = {
    WaybillVariant::AddressBookSingle, WaybillVariant::AddressBookBatch,
    WaybillVariant::ImportedSingle, WaybillVariant::ImportedBatch};

std::optional<Calibration> read(QSettings& s)
{
    bool rightOk = false;
    bool downOk = false;
    Calibration c{{s.value(right).toInt(&rightOk)}, {s.value(down).toInt(&downOk)}, {}};
    if (!rightOk || !downOk)
        return std::nullopt;
    if (s.contains(font)) {
        QFont f;
        if (!f.fromString(s.value(font).toString()))
            return std::nullopt;
        c.font = f;
    }
    return c;
}

void removeCalibration(QSettings& s, const QString& printer)
{
    s.beginGroup(group(printer));
    for (const QString& key : {right, down, font})
        s.remove(key);
    for (const WaybillVariant window : carriedOrder)
        s.remove(windowClassName(window));
    s.endGroup();
}

void check(QSettings& s)
{
    s.sync();
    if (s.status() != QSettings::NoError)
        throw CommandError(QStringLiteral(u"无法写入 %1").arg(s.fileName()));
}

} // namespace

bool CalibrationStore::isEmpty() const
{
    QSettings s = settings();
    for (const QString& printer : s.childGroups()) {
        s.beginGroup(printer);
        const bool some = s.contains(right) || !s.childGroups().isEmpty();
        s.endGroup();
        if (some)
            return false;
    }
    return true;
}

std::optional<Calibration> CalibrationStore::load(const QString& printer,
                                                  const QString& templateName) const
{
    QSettings s = settings();
    if (!templateName.isEmpty()) {
        s.beginGroup(templateGroup(printer, templateName));
        return s.contains(right) || s.contains(down) ? read(s) : std::nullopt;
    }
    s.beginGroup(group(printer));
    if (s.contains(right) || s.contains(down))
        return read(s);
    for (const WaybillVariant window : carriedOrder) {
        s.beginGroup(windowClassName(window));
        const bool stored = s.contains(right) || s.contains(down);
        std::optional<Calibration> c = stored ? read(s) : std::nullopt;
        s.endGroup();
        if (stored)
            return c;
    }
    return std::nullopt;
}

void CalibrationStore::save(const QString& printer, const Calibration& calibration,
                            const QString& templateName)
{
    QSettings s = settings();
    if (templateName.isEmpty()) {
        removeCalibration(s, printer);
        s.beginGroup(group(printer));
    } else {
        s.remove(templateGroup(printer, templateName));
        s.beginGroup(templateGroup(printer, templateName));
    }
    s.setValue(right, calibration.right.value);
    s.setValue(down, calibration.down.value);
    if (calibration.font)
        s.setValue(font, calibration.font->toString());
    s.endGroup();
    check(s);
}

void CalibrationStore::clear(const QString& printer, const QString& templateName)
{
    QSettings s = settings();
    if (templateName.isEmpty())
        removeCalibration(s, printer);
    else
        s.remove(templateGroup(printer, templateName));
    check(s);
}

bool CalibrationStore::alwaysShrinks(const QString& printer) const
{
    return settings().value(group(printer) + QLatin1Char('/') + alwaysShrink).toBool();
}

void CalibrationStore::setAlwaysShrinks(const QString& printer, bool on)
{
    QSettings s = settings();
    s.setValue(group(printer) + QLatin1Char('/') + alwaysShrink, on);
    check(s);
}

double CalibrationStore::minimumPoints() const
{
    bool ok = false;
    const double points = settings().value(minimum).toDouble(&ok);
    return ok && points > 0 ? points : defaultMinimumPoints;
}

void CalibrationStore::setMinimumPoints(double points)
{
    QSettings s = settings();
    s.setValue(minimum, points);
    check(s);
}
