#pragma once

#include "platform/FontDesc.h"

#include <QFont>

#include <functional>
#include <memory>
#include <span>
#include <string_view>

class QPainter;

namespace lumarik::platform {

// Measures and draws the characters of one font. Every displayed character is one
// UTF-16 unit (see CodePage) and is placed at whole-pixel advances, so measuring
// needs no shaping and always agrees with drawing.
class GlyphPainter {
public:
    virtual ~GlyphPainter() = default;

    virtual const FontMetricsInfo& metrics() const = 0;
    // Advance of one displayed character, at least 1. doubleByte is set when the
    // character comes from a double-byte pair of the code page.
    virtual int advance(char16_t ch, bool doubleByte) const = 0;
    // The advance of every single-byte character when every character is whole cells
    // (a double-byte character two), so any text measures its byte count times this;
    // 0 when advances vary.
    virtual int cellWidth() const { return 0; }
    // Draws chars[i] in the cell that starts at lefts[i] (lefts holds one more entry:
    // the right edge of the last cell), the cells' tops at top, in the painter's pen
    // colour, underlined when the font is.
    virtual void draw(QPainter& painter, int top, std::u16string_view chars,
                      std::span<const int> lefts) const = 0;
};

using GlyphPainterFactory = std::function<std::shared_ptr<const GlyphPainter>(const QFont&)>;

// The real glyphs of a font, one shared painter per font. In a fixed-pitch font every
// single-byte character is one cell wide and every double-byte character two cells,
// whatever the glyph's own width; other fonts use each character's measured advance.
// Characters the font lacks are drawn from a fallback font that has them.
std::shared_ptr<const GlyphPainter> fontGlyphPainter(const QFont& font);

// For exact pixel tests: every character is a solid block filling its cell, a
// single-byte character cellWidth wide, a double-byte character twice that, and
// cellHeight tall, whatever the font.
GlyphPainterFactory blockGlyphPainters(int cellWidth, int cellHeight);

} // namespace lumarik::platform
