#pragma once

#include <cstdint>

#include "editor/Velstrings.h"

namespace lumarik::editor {

// A caret-like position: a byte column and a line. As a display position the line is
// a store row; as a logical position it is a logical line and the column counts from
// the start of that logical line.
struct TextPos {
    int col = 0;
    int line = 0;
    friend bool operator==(const TextPos&, const TextPos&) = default;
};

// Converts positions between display rows and logical lines of a wrapped store. A row
// whose last byte is LF ends a logical line; the last row of the store ends the last.
//
// Works from what the store keeps of its runs of rows (TVelStrings::Run): their byte
// counts and LF rows. A conversion reads only the rows of the logical line it lands
// in, and passes the runs of a long logical line by their byte counts. Nothing is
// cached here: the store keeps its runs up to date through every change.
class LogicalLineIndex {
public:
    explicit LogicalLineIndex(const TVelStrings& store) : store_(store) {}

    // Logical position to display position. A column equal to the length of the rows
    // in front of a row maps to column 0 of that row, also the column after the
    // whole line with its terminator (column 0 of the next line). A line past the last
    // logical line maps to the last row; a column further past the end of the logical
    // line is clamped to the end of its text.
    TextPos LogicalToRow(TextPos logical) const;

    // Display position to logical position: the line counts the LF-ending rows in
    // front of the row, the column adds the rows of the same logical line in front of
    // it. A row past the store is clamped to the last row, the column to its row.
    TextPos RowToLogical(TextPos display) const;

private:
    // First row of logical line `line` (> 0), or the last row when there are fewer lines.
    int firstRowOfLine(int line) const;
    // Bytes of rows [first, last).
    int64_t bytesOfRows(int first, int last) const;

    const TVelStrings& store_;
};

} // namespace lumarik::editor
