#pragma once

#include <QFont>
#include <QHash>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextLayout;

// One line of text shaped in one font, drawn as QPainter::drawText(QPointF,
// line) draws it, without shaping it again.
class ShapedLine {
public:
    // `font` bound to the device it is drawn on, as QFont(font, device).
    ShapedLine(const QString& line, const QFont& font);

    // The advance, the width QFontMetricsF gives for the line.
    double width() const { return m_width; }
    // Where the glyphs' outlines reach, from the left end of the baseline.
    QRectF ink() const { return m_ink; }
    // Some character found no glyph in any face and prints as an empty box.
    bool lacksGlyph() const { return m_lacksGlyph; }
    // With the left end of the baseline at `baseline`.
    void draw(QPainter& painter, QPointF baseline) const;

private:
    std::shared_ptr<QTextLayout> m_layout;
    double m_width = 0;
    QRectF m_ink;
    bool m_lacksGlyph = false;
};

// A placement's font made ready for one device: the font resolved once, its
// line height and ascent, and each distinct line shaped once and handed back
// wherever it repeats, as a batch's sender lines do on every page. Holds a
// bounded number of lines, so memory stays flat over a batch of any size.
// `deviceFont` is the font a painter on `device` starts with; the
// placement's font takes from it what it leaves unset, as QPainter::setFont
// does.
class ShapedFont {
public:
    ShapedFont(const QFont& font, const QFont& deviceFont, const QPaintDevice* device);

    bool isFor(const QFont& font, const QFont& deviceFont, const QPaintDevice* device) const;

    // One line's pixel height: the font's pixel size at 96 per inch.
    double lineHeight() const { return m_lineHeight; }
    // The font's own ascent at the line height.
    double ascent() const { return m_ascent; }

    ShapedLine shape(const QString& line);

private:
    QFont m_font; // as the placement has it
    QFont m_base;
    int m_dpi;
    QFont m_resolved;
    double m_lineHeight;
    double m_ascent;
    QHash<QString, ShapedLine> m_lines;
};

// The fonts of a layout on the devices it is drawn on; a user's font choice
// adds one, and a handful at most are kept.
class ShapedFonts {
public:
    ShapedFont& get(const QFont& font, const QFont& deviceFont, const QPaintDevice* device);

private:
    std::vector<std::unique_ptr<ShapedFont>> m_fonts;
};
