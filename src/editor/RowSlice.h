#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "editor/VelEditSub.h"

namespace lumarik::editor {

// The part of a display row that lies in a horizontal pixel range, tab-expanded, so
// that drawing a very long row costs what is visible rather than the whole row.
// Positions are pixels from the row's origin (the x of its first column).
struct RowSlice {
    std::string text;           // whole expanded characters overlapping [left, right)
    int x = 0;                  // where text starts
    bool reachesEnd = false;    // the slice runs to the end of the row's text
    int endX = 0;               // x of the end of the text, when reachesEnd
    std::vector<int> tabStopsX; // x of each tab in the slice among the row's first 100
};

// Walks the row's text (terminator already removed) from its start, expanding tabs as
// ExpandTabs does, and cuts out the characters overlapping [left, right); charWidth
// measures one character (a pair, or a character with its tab's spaces). Stops at the
// first character that starts at or beyond right. With recordTabs, also collects the
// x of the tabs in the slice (only the row's first kMaxTabStops tabs count), as
// ExpandTabsWithStops records them.
RowSlice SliceRow(std::string_view text, int tabCount, int left, int right, bool recordTabs,
                  const TextWidthFn& charWidth);

} // namespace lumarik::editor
