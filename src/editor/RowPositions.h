#pragma once

#include <string_view>

#include "editor/VelEditSub.h"

// Valid positions within one display row, and the way from a pixel x to a column.
// Rows are given as stored, terminator included where they have one.
namespace lumarik::editor {

// Largest column the caret may take on a row: in front of its terminator, or the
// row's end on a row that word wrap continues.
int CaretColumnLimit(std::string_view row);

// A column from any source made valid for the caret: clamped to
// 0..CaretColumnLimit and moved back onto the lead byte when it points at a trail byte.
// Characters are those of the row's text: a lead byte in front of the terminator is a
// character of its own.
int ClampCaretColumn(std::string_view row, long long col, bool singleByte);

// As ClampCaretColumn for a selection anchor, which may also stand after the
// terminator of a row that has a row after it (the same place as column 0 there).
int ClampAnchorColumn(std::string_view row, long long col, bool hasNextRow, bool singleByte);

// A column and its x in pixels from the start of the row (tabs expanded).
struct ColumnHit {
    int col = 0;
    int x = 0;
};

// The column nearest to pixel x in a row's text (terminator removed). A point in the
// left half of a character's cell, its midpoint included, gives the column before the
// character; the right half gives the column after it. A column never falls inside a
// double-byte character or a tab. The walk stops at x, so a point near the start of a
// very long row costs only the characters before it. charWidth measures one
// character, a tab with the spaces it expands to.
ColumnHit ColumnAtX(std::string_view text, int x, int tabCount, bool singleByte,
                    const TextWidthFn& charWidth);

} // namespace lumarik::editor
