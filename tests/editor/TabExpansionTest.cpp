#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/VelEditSub.h"

using namespace lumarik::editor;

namespace {
// A font where every byte is 7 pixels wide, like the fixed-pitch editor font.
int sevenPerByte(std::string_view s) {
    return static_cast<int>(s.size()) * 7;
}
} // namespace

TEST(ExpandTabs, AdvancesToTheNextMultipleOfTheTabWidth) {
    EXPECT_EQ(ExpandTabs("a\tb", 4), "a   b");
    EXPECT_EQ(ExpandTabs("\tx", 4), "    x");
    EXPECT_EQ(ExpandTabs("abcd\tx", 4), "abcd    x");
    EXPECT_EQ(ExpandTabs("\t", 8), std::string(8, ' '));
    EXPECT_EQ(ExpandTabs("ab\t\tc", 1), "ab  c");
    EXPECT_EQ(ExpandTabs("no tabs", 4), "no tabs");
    // Columns count bytes: a double-byte character takes two.
    EXPECT_EQ(ExpandTabs("\x82\xA0\tz", 4), "\x82\xA0  z");
}

TEST(ExpandTabs, ClampsAnOutOfRangeWidth) {
    EXPECT_EQ(ExpandTabs("\tx", 0), " x");
    EXPECT_EQ(ExpandTabs("\tx", 99), std::string(8, ' ') + "x");
}

TEST(ExpandTabsWithStops, RecordsThePixelXOfEachTab) {
    std::vector<int> stops;
    EXPECT_EQ(ExpandTabsWithStops("a\tbc\t\td", 4, true, sevenPerByte, stops), "a   bc      d");
    EXPECT_EQ(stops, (std::vector<int>{7, 42, 56, -1}));

    EXPECT_EQ(ExpandTabsWithStops("a\tb", 4, false, sevenPerByte, stops), "a   b");
    EXPECT_EQ(stops, (std::vector<int>{-1}));
}

TEST(ExpandTabsWithStops, RecordsAtMostOneHundredTabs) {
    std::vector<int> stops;
    std::string out = ExpandTabsWithStops(std::string(150, '\t'), 2, true, sevenPerByte, stops);
    EXPECT_EQ(out.size(), 300u);
    ASSERT_EQ(stops.size(), 101u);
    EXPECT_EQ(stops[99], 99 * 14);
    EXPECT_EQ(stops[100], -1);
}
