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
    EXPECT_EQ(ExpandTabs("a\tb", 4, false), "a   b");
    EXPECT_EQ(ExpandTabs("\tx", 4, false), "    x");
    EXPECT_EQ(ExpandTabs("abcd\tx", 4, false), "abcd    x");
    EXPECT_EQ(ExpandTabs("\t", 8, false), std::string(8, ' '));
    EXPECT_EQ(ExpandTabs("ab\t\tc", 1, false), "ab  c");
    EXPECT_EQ(ExpandTabs("no tabs", 4, false), "no tabs");
    // Columns count bytes: a double-byte character takes two.
    EXPECT_EQ(ExpandTabs("\x82\xA0\tz", 4, false), "\x82\xA0  z");
}

TEST(ExpandTabs, LeavesATabThatIsATrailByteInItsPair) {
    // After an odd run of lead-byte values the tab is the trail byte of a pair.
    EXPECT_EQ(ExpandTabs("\x83\tz\t", 4, false), "\x83\tz ");
    EXPECT_EQ(ExpandTabs("\x88\x88\tz", 4, false), "\x88\x88  z");
    EXPECT_EQ(ExpandTabsFrom("\x83\t\t", 4, 1, false), "\x83\t ");
    EXPECT_FALSE(IsTabAt("\x83\t", 1, false));
    EXPECT_TRUE(IsTabAt("\x83\t", 1, true));
    EXPECT_FALSE(IsTabAt("\x83\t", 0, true));
    // Single-byte mode knows no pairs.
    EXPECT_EQ(ExpandTabs("\x83\tz", 4, true), "\x83   z");
    std::vector<int> stops;
    EXPECT_EQ(ExpandTabsWithStops("\x83\ta\t", 4, true, sevenPerByte, stops, false), "\x83\ta ");
    EXPECT_EQ(stops, (std::vector<int>{21, -1}));
}

TEST(ExpandTabs, ClampsAnOutOfRangeWidth) {
    EXPECT_EQ(ExpandTabs("\tx", 0, false), " x");
    EXPECT_EQ(ExpandTabs("\tx", 99, false), std::string(8, ' ') + "x");
}

TEST(ExpandTabsWithStops, RecordsThePixelXOfEachTab) {
    std::vector<int> stops;
    EXPECT_EQ(ExpandTabsWithStops("a\tbc\t\td", 4, true, sevenPerByte, stops, false),
              "a   bc      d");
    EXPECT_EQ(stops, (std::vector<int>{7, 42, 56, -1}));

    EXPECT_EQ(ExpandTabsWithStops("a\tb", 4, false, sevenPerByte, stops, false), "a   b");
    EXPECT_EQ(stops, (std::vector<int>{-1}));
}

TEST(ExpandTabsWithStops, RecordsAtMostOneHundredTabs) {
    std::vector<int> stops;
    std::string out =
        ExpandTabsWithStops(std::string(150, '\t'), 2, true, sevenPerByte, stops, false);
    EXPECT_EQ(out.size(), 300u);
    ASSERT_EQ(stops.size(), 101u);
    EXPECT_EQ(stops[99], 99 * 14);
    EXPECT_EQ(stops[100], -1);
}
