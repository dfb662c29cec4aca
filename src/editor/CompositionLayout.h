#pragma once

#include <span>
#include <vector>

// The input method's composition as the editor shows it: split into clauses by the
// formats the input method gives, and laid out in rows that stay inside the view.
// Positions are UTF-16 units of the composition text.
namespace lumarik::editor {

// A stretch of the composition with the look the input method asks for. Stretches may
// overlap; one may cover the whole text and another the clause being converted.
struct CompositionFormat {
    int start = 0;
    int length = 0;
    bool underlined = false;
    // The clause being converted (the input method gives it a background).
    bool selected = false;
};

// A clause as drawn: units [start, end), each clause underlined on its own.
struct CompositionClause {
    int start = 0;
    int end = 0;
    bool underlined = false;
    bool selected = false;
    bool operator==(const CompositionClause&) const = default;
};

// Cuts a text of `length` units into clauses at every edge of a format (clamped to the
// text); each clause takes the looks of all formats that cover it. Without formats
// the whole text is one underlined clause.
std::vector<CompositionClause> SplitIntoClauses(int length,
                                                std::span<const CompositionFormat> formats);

// Where the rows of a composition may go, in pixels. A row's text top is the top of
// its character cells.
struct CompositionArea {
    // The composition point: the first character's left edge and text top.
    int startX = 0;
    int startTop = 0;
    // Characters stay inside [left, right); rows after the first start at left.
    int left = 0;
    int right = 0;
    // The smallest and the greatest text top a row may have.
    int top = 0;
    int bottom = 0;
    // From one row's text top to the next one's.
    int rowStep = 1;
};

struct CompositionRow {
    int top = 0;
    // Units [first, end).
    int first = 0;
    int end = 0;
};

struct CompositionLayout {
    // At least one row; only a composition without units has an empty one.
    std::vector<CompositionRow> rows;
    // The left edge of every unit and, last, the end of the text.
    std::vector<int> lefts;
    // The row of every unit and, last, of the end of the text.
    std::vector<int> rowOf;
};

// Lays out units of the given advances from the composition point, continuing on a
// new row at area.left whenever the next unit would reach past area.right (a unit
// wider than a whole row gets a row of its own; a unit of no width, the second half of
// a surrogate pair, never starts a row). When there is no room even for the first
// unit at the composition point, the text starts on the next row. Rows that would
// pass area.bottom move the whole layout up, as far as the row of unit `keepShown`
// (the cursor) stays at or below area.top.
CompositionLayout LayOutComposition(std::span<const int> advances, const CompositionArea& area,
                                    int keepShown);

} // namespace lumarik::editor
