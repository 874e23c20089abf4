#include "ui/ui_fonts.h"

namespace UiFonts {

QFont songti(int pixelSize, bool bold)
{
    QFont f(QStringLiteral(u"宋体"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont msSansSerif()
{
    return QFont(QStringLiteral("MS Sans Serif"), 8);
}

} // namespace UiFonts
