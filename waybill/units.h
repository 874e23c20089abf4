#pragma once

#include <compare>

// Layout positions are whole pixels at 96 per inch; paper wants millimetres.
// Two types so that the one is never passed where the other is meant.
struct Millimetres {
    double value = 0;

    auto operator<=>(const Millimetres&) const = default;
};

struct Pixels {
    int value = 0;

    static constexpr double perInch = 96.0;

    Millimetres toMillimetres() const { return {value * 25.4 / perInch}; }

    auto operator<=>(const Pixels&) const = default;
};

inline double millimetresToPixels(Millimetres mm)
{
    return mm.value * Pixels::perInch / 25.4;
}
