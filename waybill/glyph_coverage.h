#pragma once

#include <QString>

class QFont;

// The characters of `text` that `font` cannot draw with any face Qt would
// take for it (its substitutes first, then the system's fallbacks): they
// would print as the empty box. Each such character once, in order of
// appearance; "" when every character has a glyph. Blanks and control
// characters print nothing and never count.
QString charactersWithoutGlyph(const QFont& font, const QString& text);
