#include <gtest/gtest.h>

#include "editor/CompositionLayout.h"

#include <vector>

using namespace lumarik::editor;

namespace {

using Clauses = std::vector<CompositionClause>;

// A view whose characters may use x 10..100 and text tops 4..84, rows 20 apart.
CompositionArea area(int startX, int startTop) {
    return {startX, startTop, 10, 100, 4, 84, 20};
}

// The rows as (top, first unit, end unit).
std::vector<std::vector<int>> rowsOf(const CompositionLayout& layout) {
    std::vector<std::vector<int>> rows;
    for (const CompositionRow& row : layout.rows) {
        rows.push_back({row.top, row.first, row.end});
    }
    return rows;
}

} // namespace

TEST(CompositionLayout, ClausesFollowTheFormatsEdges) {
    // Without formats the whole text is one underlined clause.
    EXPECT_EQ(SplitIntoClauses(5, {}), (Clauses{{0, 5, true, false}}));
    EXPECT_TRUE(SplitIntoClauses(0, {}).empty());

    // Three clauses, the middle one being converted.
    const std::vector<CompositionFormat> converted{
        {0, 2, true, false}, {2, 3, true, true}, {5, 2, true, false}};
    EXPECT_EQ(SplitIntoClauses(7, converted),
              (Clauses{{0, 2, true, false}, {2, 5, true, true}, {5, 7, true, false}}));

    // A format over the whole text and another over the clause being converted cut
    // the text at the clause's edges; each piece takes the looks that cover it.
    const std::vector<CompositionFormat> layered{{0, 6, true, false}, {2, 2, false, true}};
    EXPECT_EQ(SplitIntoClauses(6, layered),
              (Clauses{{0, 2, true, false}, {2, 4, true, true}, {4, 6, true, false}}));

    // Formats reaching outside the text are cut to it; units no format covers are
    // neither underlined nor selected.
    const std::vector<CompositionFormat> stray{{-3, 5, true, false}, {4, 100, false, true}};
    EXPECT_EQ(SplitIntoClauses(6, stray),
              (Clauses{{0, 2, true, false}, {2, 4, false, false}, {4, 6, false, true}}));
}

TEST(CompositionLayout, RowsContinueAtTheLeftEdge) {
    // Fits: one row from the composition point.
    const std::vector<int> four(4, 16);
    CompositionLayout layout = LayOutComposition(four, area(20, 24), 4);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{24, 0, 4}}));
    EXPECT_EQ(layout.lefts, (std::vector<int>{20, 36, 52, 68, 84}));

    // Units that would reach past the right edge go on to the next row.
    layout = LayOutComposition(four, area(60, 24), 4);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{24, 0, 2}, {44, 2, 4}}));
    EXPECT_EQ(layout.lefts, (std::vector<int>{60, 76, 10, 26, 42}));
    EXPECT_EQ(layout.rowOf, (std::vector<int>{0, 0, 1, 1, 1}));

    // No room even for the first unit: the composition starts on the next row.
    layout = LayOutComposition(four, area(90, 24), 0);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{44, 0, 4}}));
    EXPECT_EQ(layout.lefts.front(), 10);
    EXPECT_EQ(layout.rowOf, (std::vector<int>(5, 0)));

    // A point left of the area (the caret scrolled out) starts at the left edge.
    layout = LayOutComposition(four, area(-30, 24), 0);
    EXPECT_EQ(layout.lefts.front(), 10);

    // A unit wider than a row gets one of its own; the next one starts a new row.
    const std::vector<int> wide{8, 120, 8};
    layout = LayOutComposition(wide, area(10, 4), 0);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{4, 0, 1}, {24, 1, 2}, {44, 2, 3}}));

    // The second half of a surrogate pair stays with the first, even past the edge.
    const std::vector<int> pair{16, 0, 16};
    layout = LayOutComposition(pair, area(84, 4), 0);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{4, 0, 2}, {24, 2, 3}}));
    EXPECT_EQ(layout.lefts, (std::vector<int>{84, 100, 10, 26}));
}

TEST(CompositionLayout, RowsPastTheBottomMoveTheLayoutUp) {
    // From the last row, three rows would end 40 pixels too low.
    const std::vector<int> ten(10, 16);
    CompositionLayout layout = LayOutComposition(ten, area(60, 84), 10);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{44, 0, 2}, {64, 2, 7}, {84, 7, 10}}));

    // A point below the area moves up onto its last row.
    layout = LayOutComposition(std::vector<int>(2, 16), area(20, 130), 0);
    EXPECT_EQ(rowsOf(layout), (std::vector<std::vector<int>>{{84, 0, 2}}));

    // Taller than the whole area: the cursor's row stays in.
    const std::vector<int> many(30, 16);
    layout = LayOutComposition(many, area(10, 84), 2);
    ASSERT_EQ(layout.rows.size(), 6u);
    EXPECT_EQ(layout.rows.front().top, 4);
    layout = LayOutComposition(many, area(10, 84), 30);
    EXPECT_EQ(layout.rows.back().top, 84);
}
