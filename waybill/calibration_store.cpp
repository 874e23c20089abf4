#include "waybill/calibration_store.h"

#include "store/store_error.h"

#include <QSettings>
#include <QUrl>

namespace {

const QString right = QStringLiteral("right");
const QString down = QStringLiteral("down");
const QString font = QStringLiteral("font");

QSettings settings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("sfwaybill"),
                     QStringLiteral("calibration"));
}

// Printer names may hold characters QSettings reads as key separators; the
// encoding keeps "(none)", the key without a printer, apart from any name.
QString group(const QString& printer, WaybillVariant window)
{
    const QString key = printer.isEmpty() ? QStringLiteral("(none)")
                                          : QString::fromLatin1(QUrl::toPercentEncoding(printer));
    return key + QLatin1Char('/') + windowClassName(window);
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
    return settings().allKeys().isEmpty();
}

std::optional<Calibration> CalibrationStore::load(const QString& printer,
                                                  WaybillVariant window) const
{
    QSettings s = settings();
    s.beginGroup(group(printer, window));
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

void CalibrationStore::save(const QString& printer, WaybillVariant window,
                            const Calibration& calibration)
{
    QSettings s = settings();
    s.remove(group(printer, window));
    s.beginGroup(group(printer, window));
    s.setValue(right, calibration.right.value);
    s.setValue(down, calibration.down.value);
    if (calibration.font)
        s.setValue(font, calibration.font->toString());
    s.endGroup();
    check(s);
}

void CalibrationStore::clear(const QString& printer, WaybillVariant window)
{
    QSettings s = settings();
    s.remove(group(printer, window));
    check(s);
}
