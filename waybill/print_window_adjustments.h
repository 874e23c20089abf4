#pragma once

#include <QFont>
#include <QString>

#include "waybill/calibration_store.h"
class WaybillLayout;

// What a print window changes on its own layout: the shifts typed into its
// two boxes and one font for every placement, with the font chooser's
// memory of the last font chosen in that window.
// How far `layout` stands from `catalogue`, its window's layout at rest, and
// the one font on it when that is not the catalogue's: what the shifts and
// the font chooser made of it, read from the layout alone.
Calibration calibrationOf(const WaybillLayout& layout, const WaybillLayout& catalogue);

class LayoutAdjustments {
public:
    explicit LayoutAdjustments(WaybillLayout& layout);

    // Empty text does nothing; text that is no whole number throws
    // CommandError before anything moves. Positive moves right or down.
    void shiftHorizontally(const QString& text);
    void shiftVertically(const QString& text);

    // The chooser's preselection: "MS Sans Serif" 8 pt until a font is
    // chosen, although the placements start in 宋体.
    const QFont& chooserFont() const { return m_chooserFont; }
    void applyFont(const QFont& font);

    // How far the placements stand from the catalogue, and the font chosen
    // if one was.
    Calibration calibration() const;
    // The catalogue's layout with `calibration` on it.
    void apply(const Calibration& calibration);
    // The catalogue's positions and fonts, and the chooser's first font.
    void restoreFactory();

private:
    WaybillLayout& m_layout;
    QFont m_chooserFont;
    bool m_fontChosen = false;
};
