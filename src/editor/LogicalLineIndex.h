#pragma once

#include <cstdint>
#include <vector>

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
// Keeps, per block of 16 rows, the number of LF-ending rows and of bytes, built
// lazily up to the block a conversion needs. A conversion walks the rows of one block
// instead of the rows from row 0, and after an edit only the blocks from the edited
// one on are built again, as far as the next conversion needs: typing costs a block.
// The layout operations (RewrapAll, RewrapLines) keep it up to date; RewrapLines also
// covers the edit of the rows it is given. Whoever else changes the store must call
// Invalidate with the lowest row changed before the next conversion: Put(r),
// Insert(r), Delete(r), InsertRange(r, ...), DeleteRange(r, ...), InsertText(r, ...),
// InsertBytes(r, ...), EraseBytes(r, ...) and AppendBytes(r, ...) -> Invalidate(r);
// Add -> Invalidate(Count() before the Add); Assign, Clear, SetTextStr, SetCommaText,
// SetCount, loads and Swap -> Invalidate(0).
class LogicalLineIndex {
public:
    explicit LogicalLineIndex(const TVelStrings& store) : store_(store) {}

    // Forgets what is known about rows from `row` on.
    void Invalidate(int row);

    // Logical position to display position. A column equal to the length of the rows
    // in front of a row maps to column 0 of that row, also the column after the
    // whole line with its terminator (column 0 of the next line). A line past the last
    // logical line maps to the last row; a column further past the end of the logical
    // line is clamped to the end of its text.
    TextPos LogicalToRow(TextPos logical);

    // Display position to logical position: the line counts the LF-ending rows in
    // front of the row, the column adds the rows of the same logical line in front of
    // it. A row past the store is clamped to the last row, the column to its row.
    TextPos RowToLogical(TextPos display);

private:
    static constexpr int kBlockRows = 16;

    struct Block {
        int lineEnds = 0;       // rows ending with LF in this block
        int lineEndsBefore = 0; // rows ending with LF in all blocks in front of it
        int64_t bytes = 0;
    };

    int blockCount() const;
    // Makes blocks 0 .. block known.
    void build(int block);
    // First row of logical line `line` (> 0), or the last row when there are fewer lines.
    int firstRowOfLine(int line);

    const TVelStrings& store_;
    std::vector<Block> blocks_;
    int knownBlocks_ = 0;
};

} // namespace lumarik::editor
