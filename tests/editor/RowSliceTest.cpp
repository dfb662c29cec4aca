#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/RowSlice.h"
#include "editor/VelEditSub.h"

using namespace lumarik::editor;

namespace {

// Half-width characters 7 px, pairs 14 px: additive like the editor's font.
int cellWidth(std::string_view s) {
    int width = 0;
    for (CharScanner scan(s, false); !scan.atEnd();) {
        width += 7 * scan.next();
    }
    return width;
}

// Drawing the slice at its x gives the pixels of the whole expanded row in
// [left, right): the slice is a run of whole characters of the expanded row, starting
// at x, that covers the range.
void expectSameAsWholeRow(std::string_view row, int tabCount, int left, int right,
                          const RowSlice& slice) {
    const std::string expanded = ExpandTabs(row, tabCount, false);
    const int total = cellWidth(expanded);
    if (slice.text.empty()) {
        EXPECT_TRUE(total == 0 || left >= total || right <= left);
        return;
    }
    size_t offset = 0;
    int x = 0;
    for (CharScanner scan(expanded, false); !scan.atEnd() && x < slice.x;) {
        const size_t start = scan.pos();
        x += cellWidth(std::string_view(expanded).substr(start, scan.next()));
        offset = scan.pos();
    }
    ASSERT_EQ(x, slice.x);
    EXPECT_EQ(std::string_view(expanded).substr(offset, slice.text.size()), slice.text);
    EXPECT_LE(slice.x, std::max(left, 0));
    EXPECT_GE(slice.x + cellWidth(slice.text), std::min(right, total));
}

} // namespace

TEST(RowSlice, CutsWholeCharactersAroundTheVisibleRange) {
    // "a", a tab to column 4, "表" (2 columns), "b": x = 0, 7, 28, 42, 49.
    const std::string row = "a\t\x95\x5C"
                            "b";
    RowSlice slice = SliceRow(row, 4, 30, 45, true, cellWidth);
    EXPECT_EQ(slice.text, "\x95\x5C"
                          "b");
    EXPECT_EQ(slice.x, 28);
    EXPECT_FALSE(slice.tabStopsX.size());
    EXPECT_TRUE(slice.reachesEnd);
    EXPECT_EQ(slice.endX, 49);

    slice = SliceRow(row, 4, 0, 10, true, cellWidth);
    EXPECT_EQ(slice.text, "a   ");
    EXPECT_EQ(slice.tabStopsX, std::vector<int>{7});
    EXPECT_FALSE(slice.reachesEnd);
}

TEST(RowSlice, MatchesTheWholeExpandedRowForAnyRange) {
    std::mt19937 random(7);
    const std::vector<std::string> pieces = {"a",        "\t",   "\x95\x5C", "\x88\x9F",
                                             "\x81\x40", "\x82", " ",        "\x82\t"};
    for (int round = 0; round < 300; ++round) {
        std::string row;
        const int count = static_cast<int>(random() % 40);
        // Every third row has no tabs, and ranges may start left of the row.
        const bool tabless = round % 3 == 0;
        for (int i = 0; i < count; ++i) {
            std::string piece;
            do {
                piece = pieces[random() % pieces.size()];
            } while (tabless && piece.find('\t') != std::string::npos);
            row += piece;
        }
        const int tabCount = 1 + static_cast<int>(random() % 8);
        const int left = static_cast<int>(random() % 300) - 20;
        const int right = left + static_cast<int>(random() % 200);
        const RowSlice slice = SliceRow(row, tabCount, left, right, false, cellWidth);
        SCOPED_TRACE(round);
        expectSameAsWholeRow(row, tabCount, left, right, slice);
        if (slice.reachesEnd) {
            ASSERT_EQ(slice.endX, cellWidth(ExpandTabs(row, tabCount, false))) << round;
        }
    }
}

TEST(RowSlice, RecordsTheTabStopsOfTheFirstHundredTabsOnly) {
    const std::string row(150, '\t');
    const RowSlice slice = SliceRow(row, 2, 0, 1 << 20, true, cellWidth);
    ASSERT_EQ(slice.tabStopsX.size(), 100u);
    EXPECT_EQ(slice.tabStopsX[99], 99 * 14);
    // Tabs out of view are counted but not recorded.
    const RowSlice right = SliceRow(row, 2, 99 * 14, 1 << 20, true, cellWidth);
    ASSERT_EQ(right.tabStopsX.size(), 1u);
    EXPECT_EQ(right.tabStopsX[0], 99 * 14);
}
