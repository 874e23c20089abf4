#include "waybill/glyph_coverage.h"

#include "waybill/shaped_text.h"

#include <QFont>

QString charactersWithoutGlyph(const QFont& font, const QString& text)
{
    // Shaped alone as the renderer shapes a line: a character category
    // cannot tell, since a control character such as U+0001 or U+000B
    // prints as the box while a zero-width space prints nothing.
    QString missing;
    for (const char32_t c : text.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        if (!missing.contains(character) && ShapedLine(character, font).lacksGlyph())
            missing += character;
    }
    return missing;
}
