#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace lumarik::platform {

// The system's double-byte ANSI code page (CP932 / Shift-JIS). Documents stay in
// these bytes; conversion to Unicode happens only at the edges (drawing, clipboard,
// input method, file names).
class CodePage {
public:
    // The code page the editor works in: CP932 everywhere, derived from the system's
    // converter on first use.
    static const CodePage& ansi();

    // True when the byte value starts a double-byte character. A value test only: a
    // trail byte can carry a lead-byte value, so callers that do not know where a
    // character starts must use the context rule (ByteTypeAt).
    bool isLeadByte(unsigned char byte) const { return leadBytes_[byte]; }

    // The UTF-16 unit shown for one character of the code page. Every character
    // gives exactly one unit, so a displayed string maps back to its bytes one
    // character at a time. Bytes that show nothing or are not text get visible
    // stand-ins, so drawing and measuring always agree and nothing has zero width:
    // control bytes become Control Pictures (U+2400 + byte, U+2421 for DEL), bytes
    // that are not characters become U+FFFD, and an unassigned double-byte pair
    // becomes U+3013 (the geta mark, as wide as the pair).
    char16_t singleByteChar(unsigned char byte) const { return singleBytes_[byte]; }
    char16_t doubleByteChar(unsigned char lead, unsigned char trail) const;

    // Bytes to display text, character by character as above. A lead byte with no
    // trail byte left shows as U+FFFD. With singleByte set every byte is its own
    // character.
    std::u16string toUnicode(std::string_view bytes, bool singleByte = false) const;

    // Bytes to plain text for other programs and files: as toUnicode, but control
    // bytes stay the control characters they are (a tab, a line break).
    std::u16string toPlainUnicode(std::string_view bytes) const;

    // Unicode to code-page bytes, for text that comes from outside (clipboard, input
    // method, file names). Characters the code page cannot hold become "?"; a
    // surrogate pair counts as one character.
    std::string fromUnicode(std::u16string_view text) const;

    // True when the character has bytes in the code page that read back as the same
    // character, so text made of such characters survives the trip to bytes unchanged.
    // Control characters count; characters beyond the BMP never do.
    bool canEncode(char32_t ch) const;

    // Lower-cases the single-byte letters A-Z and leaves everything else, double-byte
    // characters included, as it is. The length never changes.
    std::string lowerCase(std::string_view bytes, bool singleByte = false) const;

    CodePage(const CodePage&) = delete;
    CodePage& operator=(const CodePage&) = delete;
    ~CodePage();

private:
    CodePage();

    std::array<bool, 256> leadBytes_{};
    std::array<char16_t, 256> singleBytes_{};
    // Display unit of every pair lead*256+trail; 0 for pairs whose first byte is
    // not a lead byte.
    std::unique_ptr<char16_t[]> doubleBytes_;
    // Bytes of each BMP character, filled lazily: 0xFFFF not looked up yet, 0xFFFE
    // unmappable, below 0x100 one byte, otherwise lead*256+trail.
    mutable std::unique_ptr<uint16_t[]> encoded_;

    uint16_t encode(char32_t ch) const;
};

} // namespace lumarik::platform
