#pragma once

#include <QFont>

// The fonts the windows name; "宋体" and "MS Sans Serif" are mapped to
// installed faces once at start-up.
namespace UiFonts {

QFont songti(int pixelSize, bool bold = false); // 宋体 at a pixel size
QFont msSansSerif();                            // MS Sans Serif 8 pt

} // namespace UiFonts
