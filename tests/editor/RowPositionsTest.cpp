#include <gtest/gtest.h>

#include "editor/RowPositions.h"
#include "editor/VelEditSub.h"
#include "editor/WheelNotches.h"

#include <climits>
#include <string>

using namespace lumarik::editor;

namespace {

// Every character is 10 pixels per byte, as a fixed-pitch font measures.
int tenPerByte(std::string_view s) {
    return static_cast<int>(s.size()) * 10;
}

ColumnHit hit(std::string_view text, int x, int tabCount = 4, bool singleByte = false) {
    return ColumnAtX(text, x, tabCount, singleByte, tenPerByte);
}

// "亜" (0x88 0x9F): its trail byte has a lead-byte value.
const std::string kA = "\x88\x9F";

} // namespace

TEST(ColumnAtX, PicksTheNearerEdgeOfTheCellUnderThePoint) {
    EXPECT_EQ(hit("abc", -7).col, 0);
    EXPECT_EQ(hit("abc", 0).col, 0);
    // Left half and the midpoint give the gap before the character, right half after.
    EXPECT_EQ(hit("abc", 5).col, 0);
    EXPECT_EQ(hit("abc", 6).col, 1);
    EXPECT_EQ(hit("abc", 6).x, 10);
    EXPECT_EQ(hit("abc", 14).col, 1);
    EXPECT_EQ(hit("abc", 29).col, 3);
    EXPECT_EQ(hit("abc", 30).x, 30);
    EXPECT_EQ(hit("abc", 500).col, 3);
    EXPECT_EQ(hit("", 500).col, 0);
    // Odd widths: a cell of 7 pixels splits after 4 (7 - 7 / 2 = 4).
    const auto seven = [](std::string_view s) { return static_cast<int>(s.size()) * 7; };
    EXPECT_EQ(ColumnAtX("ab", 4, 4, false, seven).col, 0);
    EXPECT_EQ(ColumnAtX("ab", 5, 4, false, seven).col, 1);
    // A cell of width 1 at the very end: a point on its right edge is after it.
    const auto one = [](std::string_view) { return 1; };
    EXPECT_EQ(ColumnAtX("ab", 2, 4, false, one).col, 2);
}

TEST(ColumnAtX, NeverLandsInsideADoubleByteCharacterOrATab) {
    const std::string row = "a" + kA + "b" + kA + kA + "\x93\xFA" + "c";
    for (int x = -3; x <= 140; ++x) {
        const ColumnHit h = hit(row, x);
        EXPECT_NE(ByteTypeAt(row, h.col + 1, false), 2) << "x " << x;
        EXPECT_EQ(h.x, tenPerByte(std::string_view(row).substr(0, h.col))) << "x " << x;
    }
    // The pair is one 20-pixel cell: its halves give the columns around it.
    EXPECT_EQ(hit(row, 20).col, 1);
    EXPECT_EQ(hit(row, 21).col, 3);
    // A tab at column 1 with 4 columns per tab spans 3 spaces (pixels 10..40).
    EXPECT_EQ(hit("a\tb", 25).col, 1);
    EXPECT_EQ(hit("a\tb", 26).col, 2);
    EXPECT_EQ(hit("a\tb", 26).x, 40);
    // Single-byte mode treats every byte as a character.
    EXPECT_EQ(hit(kA, 10, 4, true).col, 1);
}

TEST(RowColumns, ClampsUntrustedColumnsToValidCaretAndAnchorPlaces) {
    const std::string crlf = "ab" + kA + "\r\n";
    const std::string continued = "ab" + kA;
    const std::string last = std::string("xy") + std::string(2, '\0');
    EXPECT_EQ(ClampCaretColumn(crlf, -4, false), 0);
    EXPECT_EQ(ClampCaretColumn(crlf, 99, false), 4) << "in front of CR LF";
    EXPECT_EQ(ClampCaretColumn(crlf, 5, false), 4);
    EXPECT_EQ(ClampCaretColumn(crlf, 3, false), 2) << "off the trail byte";
    EXPECT_EQ(ClampCaretColumn(crlf, 3, true), 3) << "single-byte mode has no pairs";
    EXPECT_EQ(ClampCaretColumn(continued, 99, false), 4) << "a continued row's very end";
    EXPECT_EQ(ClampCaretColumn(last, 99, false), 2);
    // An anchor may stand after a terminator, but never after the end-of-text mark.
    EXPECT_EQ(ClampAnchorColumn(crlf, 6, true, false), 6);
    EXPECT_EQ(ClampAnchorColumn(crlf, 99, true, false), 6);
    EXPECT_EQ(ClampAnchorColumn(crlf, 5, true, false), 4);
    EXPECT_EQ(ClampAnchorColumn(last, 4, false, false), 2);
    EXPECT_EQ(ClampAnchorColumn(continued, 99, true, false), 4);
}

TEST(WheelNotches, GathersSmallDeltasIntoWholeNotches) {
    WheelNotches wheel;
    EXPECT_EQ(wheel.add(240), 240);
    EXPECT_EQ(wheel.add(60), 0);
    EXPECT_EQ(wheel.add(45), 0);
    EXPECT_EQ(wheel.add(45), 120) << "60 + 45 + 45 = 150: one notch, 30 left";
    EXPECT_EQ(wheel.add(90), 120);
    // Turning the other way drops what was gathered.
    EXPECT_EQ(wheel.add(-100), 0);
    EXPECT_EQ(wheel.add(-20), -120);
    EXPECT_EQ(wheel.add(-250), -240);
    EXPECT_EQ(wheel.add(100), 0);
    EXPECT_EQ(wheel.add(0), 0);
    WheelNotches extreme;
    EXPECT_EQ(extreme.add(INT_MIN) % 120, 0);
    EXPECT_LE(extreme.add(INT_MAX), INT_MAX);
}
