#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "editor/VelEditSub.h"
#include "editor/WordScan.h"

using namespace lumarik::editor;

namespace {

// "亜" (0x88 0x9F) and "ぁ" (0x82 0x9F) have trail bytes with a lead value, "ソ"
// (0x83 0x5C) a backslash trail byte.
const std::string kA = "\x88\x9F";
const std::string kSmallA = "\x82\x9F";
const std::string kSo = "\x83\x5C";
const std::string kHiraA = "\x82\xA0";
const std::string kKan = "\x8A\xBF";
const std::string kJi = "\x8E\x9A";
const std::string kKataA = "\x83\x41";
const std::string kFullOne = "\x82\x50";
const std::string kComma = "\x81\x41";

unsigned codeOf(std::string_view row, long long start, long long end) {
    unsigned code = 0;
    for (long long i = start; i < end; ++i) {
        code = (code << 8) | static_cast<unsigned char>(row[static_cast<size_t>(i)]);
    }
    return code;
}

// The backward scan spelled out with the one-step rule of the character rules.
int stepwiseBackward(std::string_view row, int col, bool singleByte) {
    long long pos = CharStartBefore(row, col, singleByte);
    const int wordClass = CharClass(codeOf(row, pos, col));
    for (long long before = 0; pos > 0; pos = before) {
        before = CharStartBefore(row, pos, singleByte);
        if (CharClass(codeOf(row, before, pos)) != wordClass) {
            break;
        }
    }
    return static_cast<int>(pos);
}

} // namespace

TEST(WordScan, CharClassFollowsTheCodeRangesAtEveryBoundary) {
    const std::vector<std::pair<unsigned, int>> cases = {
        {0x00, 7},   {0x2F, 7},   {0x30, 6},   {0x39, 6},   {0x3A, 7},   {0x3F, 7},
        {0x40, 6},   {0x7F, 6},   {0x80, 2},   {0xA5, 2},   {0xA6, 5},   {0xDF, 5},
        {0xE0, 7},   {0xFF, 7},   {0x813F, 2}, {0x8140, 4}, {0x824E, 4}, {0x824F, 3},
        {0x829E, 3}, {0x829F, 0}, {0x82FF, 0}, {0x8300, 2}, {0x833F, 2}, {0x8340, 1},
        {0x8396, 1}, {0x8397, 4}, {0x889E, 4}, {0x889F, 2}, {0xFC4B, 2}};
    for (const auto& [code, wordClass] : cases) {
        EXPECT_EQ(CharClass(code), wordClass) << std::hex << code;
    }
}

TEST(WordScan, ForwardStopsAtClassChangesAndBeforeTabCrAndNul) {
    EXPECT_EQ(ScanWordForward("abc12, def", 0), 5) << "letters and digits";
    EXPECT_EQ(ScanWordForward("abc12, def", 5), 7) << "punctuation and spaces";
    EXPECT_EQ(ScanWordForward(" \t ", 0), 1) << "a tab is class 7 but stops a word";
    EXPECT_EQ(ScanWordForward(".,\r\n", 0), 2);
    EXPECT_EQ(ScanWordForward(std::string("x.\0\0", 4), 1), 2);
    EXPECT_EQ(ScanWordForward("ab\tcd", 2), 3) << "the first character is always taken";
    const std::string mixed = kHiraA + kSmallA + kKan + kJi + kKataA + kSo + "a";
    EXPECT_EQ(ScanWordForward(mixed, 0), 4) << "hiragana";
    EXPECT_EQ(ScanWordForward(mixed, 4), 8) << "kanji";
    EXPECT_EQ(ScanWordForward(mixed, 8), 12) << "katakana, the 0x5C trail byte included";
    EXPECT_EQ(ScanWordForward(kFullOne + kComma + "\xB1", 0), 2);
    EXPECT_EQ(ScanWordForward(kFullOne + kComma + "\xB1", 2), 4);
    EXPECT_EQ(ScanWordForward("abc", 3), 3);
    EXPECT_EQ(ScanWordForward(kKataA, 0, true), 1) << "single-byte mode: 0x83, then a letter";
}

TEST(WordScan, BackwardCrossesOneClassAndNeverLandsInsideACharacter) {
    EXPECT_EQ(ScanWordBackward("ab, \t.cd", 6), 2) << "spaces, tabs, punctuation";
    EXPECT_EQ(ScanWordBackward("ab, \t.cd", 2), 0);
    EXPECT_EQ(ScanWordBackward(kHiraA + kSmallA + kKan + kJi, 8), 4);
    EXPECT_EQ(ScanWordBackward(kHiraA + kSmallA + kKan + kJi, 100), 4) << "past the end";
    // The byte in front of "a" has a lead value, yet "a" is a character of its own.
    EXPECT_EQ(ScanWordBackward(kA + "a", 3), 2);
    EXPECT_EQ(ScanWordBackward("x" + kA + kA + "a", 5), 1);
    EXPECT_EQ(ScanWordBackward("b" + kSo + "b", 3), 1);
    EXPECT_EQ(ScanWordBackward("ab\x88", 3), 2) << "a lone lead byte at the end";
    EXPECT_EQ(ScanWordBackward("a" + kA + kA, 4), 1) << "from a trail byte";
    std::string run;
    for (int i = 0; i < 5001; ++i) {
        run += kA;
    }
    EXPECT_EQ(ScanWordBackward("z" + run + "z", static_cast<int>(run.size()) + 1), 1);
    EXPECT_EQ(ScanWordBackward(run + "\xB1", static_cast<int>(run.size()) + 1),
              static_cast<int>(run.size()));
    EXPECT_EQ(ScanWordBackward(kKataA, 2, true), 1);
}

TEST(WordScan, AgreesWithTheCharacterRulesOnRandomRows) {
    const std::vector<std::string> pieces = {"a",    "7",    " ",    ",",       "\t",    "\r",
                                             kA,     kKan,   kSo,    kHiraA,    kSmallA, kKataA,
                                             "\xB1", kComma, "\x88", "\xE0\xE0"};
    std::mt19937 random(1234);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 24);
    for (int round = 0; round < 400; ++round) {
        std::string row;
        for (int n = length(random); n > 0; --n) {
            row += pieces[pick(random)];
        }
        const bool singleByte = round % 5 == 0;
        // A row whose next-to-last byte is a CR ends in a terminator the scan stays out
        // of; a lead byte in front of it is a character of its own.
        const std::string_view text = StripTerminator(row);
        const int size = static_cast<int>(text.size());
        for (int col = 0; col <= size; ++col) {
            if (ByteTypeAt(text, col + 1, singleByte) == 2) {
                continue;
            }
            const int forward = ScanWordForward(row, col, singleByte);
            EXPECT_TRUE(forward > col || forward == size) << round << " " << col;
            EXPECT_LE(forward, size) << round << " " << col;
            EXPECT_NE(ByteTypeAt(text, forward + 1, singleByte), 2) << round << " " << col;
            if (col > 0) {
                EXPECT_EQ(ScanWordBackward(row, col, singleByte),
                          stepwiseBackward(row, col, singleByte))
                    << "row " << round << " col " << col;
            }
        }
    }
}
