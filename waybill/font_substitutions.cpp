#include "waybill/font_substitutions.h"

#include <QFont>
#include <QStringList>

void installFontSubstitutions()
{
    const QString cjk = QStringLiteral("AR PL UMing CN");
    QFont::insertSubstitutions(QStringLiteral(u"宋体"), QStringList{cjk});
    QFont::insertSubstitutions(QStringLiteral("SimSun"), QStringList{cjk});
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               QStringList{QStringLiteral("Liberation Sans"), cjk});
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), cjk});
}
