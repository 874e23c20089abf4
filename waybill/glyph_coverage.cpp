#include "waybill/glyph_coverage.h"

#include <QFont>
#include <QFontMetricsF>
#include <QList>

QString charactersWithoutGlyph(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    QString missing;
    for (const char32_t c : text.toUcs4()) {
        const QChar::Category category = QChar::category(c);
        if (QChar::isSpace(c) || category == QChar::Other_Control ||
            category == QChar::Other_Format)
            continue;
        const QString character = QString::fromUcs4(&c, 1);
        if (!metrics.inFontUcs4(c) && !missing.contains(character))
            missing += character;
    }
    return missing;
}
