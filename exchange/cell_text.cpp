#include "exchange/cell_text.h"

#include <QLocale>
#include <cmath>

namespace CellText {

QString fromNumber(double value)
{
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

} // namespace CellText
