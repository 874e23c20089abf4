#pragma once

#include <QString>

// How a number cell reads as text: whole numbers below 1e15 without a
// decimal point (phone numbers, postcodes), anything else in its shortest
// exact form.
namespace CellText {

QString fromNumber(double value);

} // namespace CellText
