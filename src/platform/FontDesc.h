#pragma once

#include <QFont>
#include <QString>

#include <cstdint>

namespace lumarik::platform {

// A font as the editor stores and asks for it, in the terms of a Windows LOGFONT.
struct FontDesc {
    // Windows face names ("ＭＳ ゴシック", "FixedSys") are mapped to installed fonts by
    // installFontSubstitutions().
    QString faceName;
    // Below zero: the character height in pixels. Above zero: the cell height
    // (ascent + descent) in pixels. Zero: the default size.
    int height = 0;
    // 100 (thin) to 900 (black); 400 is normal, 700 bold, 0 means normal.
    int weight = 400;
    bool italic = false;
    bool underline = false;
    // Kept for the settings file; fonts are chosen by face name only.
    uint8_t charSet = 128;

    bool operator==(const FontDesc&) const = default;
};

// The pixel size used for a height of zero.
constexpr int kDefaultFontPixelSize = 16;

// Measured metrics of a font, in pixels.
struct FontMetricsInfo {
    int height = 0; // line height: ascent + descent
    int ascent = 0;
    int descent = 0;
    int averageCharWidth = 1; // never 0
};

// Maps the Windows face names the settings may hold to installed Japanese fonts.
// Call once at start-up, before the first font is made.
void installFontSubstitutions();

// The font for a description: fixed pitch preferred, no kerning, no shaping, so that
// characters can be measured one at a time.
QFont toQFont(const FontDesc& desc);

FontMetricsInfo measureFont(const QFont& font);

} // namespace lumarik::platform
