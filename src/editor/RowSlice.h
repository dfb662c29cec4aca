#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "editor/VelEditSub.h"

namespace lumarik::editor {

// A character start in a display row with what the row measures in front of it, so
// that a walk over the row can begin there instead of at the row start. The default
// is the row start.
struct RowCheckpoint {
    size_t byte = 0;   // offset of the character in the row
    size_t column = 0; // columns of the tab-expanded text in front of it
    int x = 0;         // pixel width of that text
    int tabs = 0;      // tabs in front of it
};

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

// Walks the row's text (terminator already removed) from `from`, expanding tabs as
// ExpandTabs does (singleByte as there), and cuts out the characters overlapping
// [left, right); charWidth
// measures one character (a pair, or a character with its tab's spaces). Stops at the
// first character that starts at or beyond right. With recordTabs, also collects the
// x of the tabs in the slice (only the row's first kMaxTabStops tabs count), as
// ExpandTabsWithStops records them. Starting at a checkpoint whose x is below left
// gives the slice a walk from the row start gives.
RowSlice SliceRow(std::string_view text, int tabCount, int left, int right, bool recordTabs,
                  const TextWidthFn& charWidth, const RowCheckpoint& from = {},
                  bool singleByte = false);

} // namespace lumarik::editor
