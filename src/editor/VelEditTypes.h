#pragma once

#include <cstdint>
#include <string>

namespace lumarik::editor {

// A colour as 0x00BBGGRR (red in the low byte), the form the settings file stores.
using TColor = uint32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clNavy = 0x800000;

// The inverse colour, used for marks drawn on a selected background.
constexpr TColor InvertColor(TColor c) {
    return c ^ 0xFFFFFF;
}

enum class TLineSizeUnit { uPercent, uPixel };
enum class TBorderStyle { bsNone, bsSingle };
enum class TDragMode { dmManual, dmAutomatic };
// Where a drag stands towards a control it passes over.
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// The editor's font as its host describes it. Height follows the old convention:
// positive = character height in pixels, negative = cell height (the control hands
// the negated value to the font system).
struct TEditFont {
    std::string Name; // face name, UTF-8
    int Height = -19;
    TColor Color = clBlack;
    bool Bold = false;   // kept for the host's dialogs; the control ignores the style
    bool Italic = false; // likewise
    bool FixedPitch = true;

    // Sets Height from a point size at 96 dots per inch.
    void SetSize(int points) { Height = -((points * 96 + 36) / 72); }
    bool operator==(const TEditFont&) const = default;
};

} // namespace lumarik::editor
