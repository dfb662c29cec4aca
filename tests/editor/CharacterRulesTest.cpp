#include <gtest/gtest.h>

#include <string>

#include "editor/VelEditSub.h"

using namespace lumarik::editor;

namespace {
// "表" has the trail byte 0x5C; "ア" (0x83 0x41) an ASCII-letter trail byte;
// "ー" (0x81 0x5B) and "漢" (0x8A 0xBF) lead-valued first bytes.
const std::string kHyo = "\x95\x5C";
const std::string kKan = "\x8A\xBF";
// A kanji whose trail byte has a lead-byte value: 0x88 0x9F ("亜").
const std::string kA = "\x88\x9F";
} // namespace

TEST(ByteTypeAt, ClassifiesLeadAndTrailBytesOfEachCharacter) {
    std::string twoChars = kHyo + kKan;
    EXPECT_EQ(ByteTypeAt(twoChars, 1, false), 1);
    EXPECT_EQ(ByteTypeAt(twoChars, 2, false), 2);
    EXPECT_EQ(ByteTypeAt(twoChars, 3, false), 1);
    EXPECT_EQ(ByteTypeAt(twoChars, 4, false), 2);
    EXPECT_EQ(ByteTypeAt(twoChars, 0, false), 0);
    EXPECT_EQ(ByteTypeAt(twoChars, 5, false), 0);
    for (int pos = 0; pos <= 5; ++pos) {
        EXPECT_EQ(ByteTypeAt(twoChars, pos, true), 0);
    }
}

TEST(ByteTypeAt, PairsARunOfLeadValuedBytesFromItsStart) {
    // 亜亜a: the trail 0x9F has a lead value, so a raw test on the byte in front of
    // "a" would call "a" a trail byte.
    std::string s = kA + kA + "a";
    EXPECT_EQ(ByteTypeAt(s, 1, false), 1);
    EXPECT_EQ(ByteTypeAt(s, 2, false), 2);
    EXPECT_EQ(ByteTypeAt(s, 3, false), 1);
    EXPECT_EQ(ByteTypeAt(s, 4, false), 2);
    EXPECT_EQ(ByteTypeAt(s, 5, false), 0);
    // A lead byte with nothing behind it still reports as a lead byte.
    EXPECT_EQ(ByteTypeAt("a\x82", 2, false), 1);
    // An ASCII byte in the trail position belongs to the pair.
    EXPECT_EQ(ByteTypeAt("\x83\x41", 2, false), 2);
}

TEST(CharacterSteps, NeverLandBetweenLeadAndTrail) {
    std::string s = "a" + kA + "b" + kHyo; // a 亜 b 表
    EXPECT_EQ(CharStartBefore(s, 6, false), 4);
    EXPECT_EQ(CharStartBefore(s, 4, false), 3);
    EXPECT_EQ(CharStartBefore(s, 3, false), 1);
    EXPECT_EQ(CharStartBefore(s, 1, false), 0);
    EXPECT_EQ(CharStartBefore(s, 0, false), 0);
    EXPECT_EQ(CharStartBefore(s, 3, true), 2);
    EXPECT_EQ(CharLengthAt(s, 1, false), 2);
    EXPECT_EQ(CharLengthAt(s, 1, true), 1);
    EXPECT_EQ(CharLengthAt("a\x82", 1, false), 1);
    EXPECT_EQ(SnapToCharStart(s, 2, false), 1);
    EXPECT_EQ(SnapToCharStart(s, 3, false), 3);
    EXPECT_EQ(SnapToCharStart(s, 2, true), 2);

    std::vector<size_t> starts;
    for (CharScanner scan(s, false); !scan.atEnd(); scan.next()) {
        starts.push_back(scan.pos());
    }
    EXPECT_EQ(starts, (std::vector<size_t>{0, 1, 3, 4}));
}

TEST(Terminators, RecogniseLineEndsAndTheEndOfTextMark) {
    using namespace std::string_literals;
    EXPECT_TRUE(HasTerminator("\0\0"s));
    EXPECT_TRUE(HasTerminator("ab\r\n"));
    EXPECT_TRUE(HasTerminator("ab\rx"));
    EXPECT_TRUE(HasTerminator("ab\0x"s));
    EXPECT_FALSE(HasTerminator("\r"));
    EXPECT_FALSE(HasTerminator("abc"));
    EXPECT_FALSE(HasTerminator(""));

    EXPECT_EQ(StripTerminator("ab\r\n"), "ab");
    EXPECT_EQ(StripTerminator("ab\0\0"s), "ab");
    EXPECT_EQ(StripTerminator("abc"), "abc");
    EXPECT_EQ(StripEndMark("ab\r\n"), "ab\r\n");
    EXPECT_EQ(StripEndMark("ab\0\0"s), "ab");
    EXPECT_EQ(StripEndMark("\0\0"s), "");
}

TEST(Find, MatchesOnlyAtCharacterStarts) {
    // "@" (0x40) is also the trail byte of the full-width space 0x81 0x40.
    std::string s = "x\x81\x40y@";
    EXPECT_EQ(Find("@", s, false), 5);
    EXPECT_EQ(Find("\x81\x40", s, false), 2);
    EXPECT_EQ(Find("@", s, true), 3);
    // A tab's value (0x09) cannot be a trail byte, but "\" (0x5C) can.
    EXPECT_EQ(Find("\\", kHyo + "\\", false), 3);
    EXPECT_EQ(Find("\t", "ab\tc", false), 3);
    EXPECT_EQ(Find("zz", "abc", false), 0);
    EXPECT_EQ(Find("bcd", "abc", false), 0);
}

TEST(Find, CountsOnlyUpToTheFirstNul) {
    using namespace std::string_literals;
    EXPECT_EQ(Find("c", "ab\0c"s, false), 0);
    EXPECT_EQ(Find("b\0z"s, "abc"s, false), 2);
    EXPECT_EQ(Find("", "abc", false), 0);
    EXPECT_EQ(Find("a", "", false), 0);
    EXPECT_EQ(Find("\0"s, "abc", false), 0);
}

TEST(LowerCase, FoldsAsciiLettersAndKeepsDoubleByteCharacters) {
    EXPECT_EQ(LowerCase("MailTo:\x83\x41", false), "mailto:\x83\x41");
    EXPECT_EQ(LowerCase("\x83\x41", true), "\x83\x61");
}
