#pragma once

#include "waybill/units.h"
#include "waybill/waybill_layout.h"

#include <QFont>
#include <QString>
#include <optional>

// What a print window keeps for a printer when the user asks for it: how
// far its placements stand from the catalogue, and the one font chosen for
// them (none when the catalogue's fonts are in force).
struct Calibration {
    Pixels right; // negative: to the left
    Pixels down;  // negative: up
    std::optional<QFont> font;

    bool operator==(const Calibration&) const = default;
};

// The calibrations, one per printer and shared by the four print windows
// (they print on the same form), and the printers' other choices, in the
// user's configuration folder (QSettings, user scope). Nothing is written
// except by the setters.
class CalibrationStore {
public:
    // True when no calibration was ever saved, or all of it cleared.
    bool isEmpty() const;
    // Unreadable values count as none stored. A printer saved by an older
    // version, one calibration per window, gives the first window's of
    // 单张打印, 批量打印, and the imported rows' two.
    // A template other than the built-in SF forms (`templateName` not
    // empty) is another form, and has a calibration of its own per printer.
    std::optional<Calibration> load(const QString& printer, const QString& templateName = {}) const;
    // Throw CommandError when the settings file cannot be written.
    void save(const QString& printer, const Calibration& calibration,
              const QString& templateName = {});
    void clear(const QString& printer, const QString& templateName = {});

    // "总是缩小放不下的文字": print with the texts shrunk without asking;
    // off until set, for each printer.
    bool alwaysShrinks(const QString& printer) const;
    void setAlwaysShrinks(const QString& printer, bool on);
    // The smallest size, in points, a text is shrunk to so that it fits.
    double minimumPoints() const;
    void setMinimumPoints(double points);
    static constexpr double defaultMinimumPoints = 8;
};
