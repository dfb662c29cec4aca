#pragma once

#include <QIcon>
#include <QPixmap>

namespace lumarik::app {

// The shared image list of the tool bar and the menus: 16 glyphs of 16 by 16 pixels,
// painted in code. Indexes 5 and 12 are unused and blank.
inline constexpr int kToolGlyphCount = 16;
inline constexpr int kToolGlyphSize = 16;

enum ToolGlyph {
    GlyphReplace = 0,
    GlyphNew = 1,
    GlyphOpen = 2,
    GlyphPrint = 3,
    GlyphSave = 4,
    GlyphOption = 6,
    GlyphCopy = 7,
    GlyphCut = 8,
    GlyphPaste = 9,
    GlyphUndo = 10,
    GlyphFind = 11,
    GlyphMailBrowse = 13,
    GlyphHomePage = 14,
    GlyphVersion = 15,
};

// The glyph at an index of the list; a transparent image for unused or bad indexes.
QPixmap toolGlyph(int index);
QIcon toolIcon(int index);

} // namespace lumarik::app
