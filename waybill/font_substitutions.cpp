#include "waybill/font_substitutions.h"

#include <QFont>
#include <QStringList>

namespace {

// UMing first: its metrics are the layout's. Hanazono's two faces behind it
// hold the CJK Extensions A to F, one glyph at a time.
QStringList cjkFaces()
{
    return {QStringLiteral("AR PL UMing CN"), QStringLiteral("HanaMinA"),
            QStringLiteral("HanaMinB")};
}

} // namespace

void installFontSubstitutions()
{
    QFont::insertSubstitutions(QStringLiteral(u"宋体"), cjkFaces());
    QFont::insertSubstitutions(QStringLiteral("SimSun"), cjkFaces());
    QFont::insertSubstitutions(QStringLiteral("Arial"),
                               QStringList{QStringLiteral("Liberation Sans")} + cjkFaces());
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")} + cjkFaces());
}
