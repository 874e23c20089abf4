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

// The calibrations of the print windows, one per printer and window, in
// the user's configuration folder (QSettings, user scope). Nothing is
// written except by save() and clear().
class CalibrationStore {
public:
    // True when nothing was ever saved, or all of it cleared.
    bool isEmpty() const;
    // Unreadable values count as none stored.
    std::optional<Calibration> load(const QString& printer, WaybillVariant window) const;
    // Throw CommandError when the settings file cannot be written.
    void save(const QString& printer, WaybillVariant window, const Calibration& calibration);
    void clear(const QString& printer, WaybillVariant window);
};
