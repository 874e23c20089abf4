#include "waybill/shaped_text.h"

#include "waybill/page_renderer.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintDevice>
#include <QRawFont>
#include <QTextLayout>
#include <limits>

namespace {

// Lines kept per font: a batch page brings a handful of new ones (names,
// numbers), so the sender's lines are shaped again only now and then.
constexpr qsizetype lineCapacity = 1024;
constexpr std::size_t fontCapacity = 8;

// The font's own ascent at the line height. Hinted metrics round it to
// whole device pixels, which moves text on a high-resolution page.
double designAscent(const QFont& font)
{
    constexpr int reference = 1024;
    QFont large = font;
    large.setPixelSize(reference);
    return QFontMetricsF(large).ascent() * PageRenderer::lineHeight(font) / reference;
}

} // namespace

ShapedLine::ShapedLine(const QString& line, const QFont& font)
    : m_layout(std::make_shared<QTextLayout>(line, font))
{
    // A text layout starts a new line at a line or paragraph separator,
    // where drawText() goes on with an invisible character of no width; so
    // its lines go one after the other on the one baseline.
    m_layout->setCacheEnabled(true); // keep the glyphs for drawing
    m_layout->beginLayout();
    for (QTextLine piece = m_layout->createLine(); piece.isValid();
         piece = m_layout->createLine()) {
        piece.setLineWidth(std::numeric_limits<double>::max());
        piece.setPosition(QPointF(m_width, 0));
        m_width += piece.horizontalAdvance();
    }
    m_layout->endLayout();
    for (int i = 0; i < m_layout->lineCount(); ++i) {
        const QTextLine piece = m_layout->lineAt(i);
        for (const QGlyphRun& run : piece.glyphRuns()) {
            const QRawFont rawFont = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype g = 0; g < glyphs.size(); ++g) {
                m_ink |= rawFont.boundingRect(glyphs.at(g))
                             .translated(positions.at(g) - QPointF(0, piece.ascent()));
                // Glyph 0 is the font's empty box, taken when no face has one.
                m_lacksGlyph |= glyphs.at(g) == 0;
            }
        }
    }
}

void ShapedLine::draw(QPainter& painter, QPointF baseline) const
{
    for (int i = 0; i < m_layout->lineCount(); ++i) {
        const QTextLine piece = m_layout->lineAt(i);
        piece.draw(&painter, baseline - QPointF(0, piece.ascent()));
    }
}

ShapedFont::ShapedFont(const QFont& font, const QFont& deviceFont, const QPaintDevice* device)
    : m_font(font), m_base(deviceFont), m_dpi(device->logicalDpiY()),
      m_resolved(PageRenderer::fontForDevice(font, device).resolve(deviceFont), device),
      m_lineHeight(PageRenderer::lineHeight(font)), m_ascent(designAscent(font))
{
}

bool ShapedFont::isFor(const QFont& font, const QFont& deviceFont, const QPaintDevice* device) const
{
    return m_dpi == device->logicalDpiY() && m_font == font && m_base == deviceFont;
}

ShapedLine ShapedFont::shape(const QString& line)
{
    const auto found = m_lines.constFind(line);
    if (found != m_lines.cend())
        return *found;
    if (m_lines.size() >= lineCapacity)
        m_lines.clear();
    return *m_lines.insert(line, ShapedLine(line, m_resolved));
}

ShapedFont& ShapedFonts::get(const QFont& font, const QFont& deviceFont, const QPaintDevice* device)
{
    for (const auto& shaped : m_fonts)
        if (shaped->isFor(font, deviceFont, device))
            return *shaped;
    if (m_fonts.size() >= fontCapacity)
        m_fonts.clear();
    return *m_fonts.emplace_back(std::make_unique<ShapedFont>(font, deviceFont, device));
}
