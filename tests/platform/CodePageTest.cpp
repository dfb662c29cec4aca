#include <gtest/gtest.h>

#include "platform/CodePage.h"

using lumarik::platform::CodePage;

namespace {
const CodePage& cp() {
    return CodePage::ansi();
}
} // namespace

TEST(CodePage, LeadBytesAreTheShiftJisLeadRanges) {
    for (int b = 0; b < 256; ++b) {
        bool expected = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        EXPECT_EQ(cp().isLeadByte(static_cast<unsigned char>(b)), expected) << "byte " << b;
    }
}

TEST(CodePage, DecodesTheWindowsVariantOfShiftJis) {
    // 0x5C is the backslash and 0x7E the tilde in the Windows code page.
    EXPECT_EQ(cp().toUnicode("a\\~"), u"a\\~");
    // Full-width space, hiragana, a kanji whose trail byte is 0x5C, half-width katakana.
    EXPECT_EQ(cp().toUnicode("\x81\x40\x82\xA0\x95\x5C\xB1"), u"\u3000\u3042\u8868\uFF71");
    // NEC and IBM extension characters.
    EXPECT_EQ(cp().toUnicode("\x87\x40\xFA\x40"), u"\u2460\u2170");
}

TEST(CodePage, EveryCharacterGivesOneVisibleUnit) {
    // Controls show as Control Pictures, bytes that are no character as U+FFFD, an
    // unassigned pair as one geta mark, a lead byte at the end as U+FFFD.
    EXPECT_EQ(cp().toUnicode(std::string("\x00\t\r\n\x7F", 5)), u"\u2400\u2409\u240D\u240A\u2421");
    EXPECT_EQ(cp().toUnicode("\x80\xA0\xFD\xFE\xFF"), u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(cp().toUnicode("\x85\x40"), u"\u3013");
    EXPECT_EQ(cp().toUnicode("a\x82"), u"a\uFFFD");
    // A lead byte followed by a control byte still forms one (unassigned) pair.
    EXPECT_EQ(cp().toUnicode("\x82\x0D"), u"\u3013");
    for (int b = 0; b < 256; ++b) {
        EXPECT_NE(cp().singleByteChar(static_cast<unsigned char>(b)), 0) << "byte " << b;
    }
}

TEST(CodePage, SingleByteModeDecodesEachByteAlone) {
    EXPECT_EQ(cp().toUnicode("\x82\xB1", true), u"\uFFFD\uFF71");
}

TEST(CodePage, EncodesToCodePageBytesWithQuestionMarksForTheRest) {
    EXPECT_EQ(cp().fromUnicode(u"abc\u3042\u8868\uFF71\u2460"), "abc\x82\xA0\x95\x5C\xB1\x87\x40");
    // Not in the code page: Korean, an emoji (surrogate pair), a lone surrogate.
    EXPECT_EQ(cp().fromUnicode(u"\uAC00x\U0001F600y\xD800"), "?x?y?");
    // Asking twice uses the cached answer and gives the same bytes.
    EXPECT_EQ(cp().fromUnicode(u"\u8868\u8868"), "\x95\x5C\x95\x5C");
}

TEST(CodePage, CanEncodeOnlyWhatReadsBackUnchanged) {
    for (const char32_t ch : {U'a', U'\t', U'\u3042', U'\u8868', U'\uFF5E', U'\uFF71'}) {
        EXPECT_TRUE(cp().canEncode(ch)) << static_cast<unsigned>(ch);
    }
    // The yen sign has a best fit (a backslash) that reads back as another character.
    for (const char32_t ch : {U'\u00A5', U'\u20AC', U'\uAC00', U'\U0001F600'}) {
        EXPECT_FALSE(cp().canEncode(ch)) << static_cast<unsigned>(ch);
    }
}

TEST(CodePage, EveryAssignedPairSurvivesARoundTripToItsPreferredBytes) {
    // Decoding then encoding a pair gives back a pair that decodes to the same
    // character (duplicates in the extensions may choose the other code).
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!cp().isLeadByte(static_cast<unsigned char>(lead))) {
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            char16_t ch = cp().doubleByteChar(static_cast<unsigned char>(lead),
                                              static_cast<unsigned char>(trail));
            if (ch == 0x3013 && !(lead == 0x81 && trail == 0xAC)) {
                continue;
            }
            std::string bytes = cp().fromUnicode(std::u16string(1, ch));
            ASSERT_EQ(cp().toUnicode(bytes), std::u16string(1, ch)) << lead << " " << trail;
        }
    }
}

TEST(CodePage, LowerCaseTouchesOnlySingleByteLetters) {
    // 0x82 0x60 is full-width "A": both its bytes stay. 0x83 0x41 has an "A" as trail.
    EXPECT_EQ(cp().lowerCase("HTTP://X\x82\x60\x83\x41Z"), "http://x\x82\x60\x83\x41z");
    EXPECT_EQ(cp().lowerCase("\x83\x41", true), "\x83\x61");
}
