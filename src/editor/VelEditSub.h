#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Character rules of the editor: how a display line's bytes split into characters,
// how its terminator is recognised, how tabs expand. All positions are byte offsets;
// a double-byte character (lead byte plus any trail byte) is never split.
namespace lumarik::editor {

// What the byte at a 1-based position is: 0 a single-byte character (also for a
// position outside the string or in single-byte mode), 1 the lead byte of a
// double-byte character, 2 its trail byte. Only the parity of the run of lead-byte
// values in front of the position matters, so no scan from the line start is needed.
int ByteTypeAt(std::string_view s, long long pos, bool singleByte);

// 0-based offset of the start of the character that ends right before `col`
// (col - 1, or col - 2 when that is the trail byte of a pair); 0 for col <= 0.
// The one safe way to step back over a character.
long long CharStartBefore(std::string_view s, long long col, bool singleByte);

// Length in bytes of the character that starts at the 0-based offset `col`: 2 for a
// lead byte with a trail byte behind it, else 1.
int CharLengthAt(std::string_view s, long long col, bool singleByte);

// Moves `col` back onto the start of its character when it points at a trail byte.
long long SnapToCharStart(std::string_view s, long long col, bool singleByte);

// A forward walk over characters: next() gives the 0-based start of each character
// in turn. Linear in the bytes walked, with no backward scans.
class CharScanner {
public:
    CharScanner(std::string_view s, bool singleByte) : s_(s), singleByte_(singleByte) {}
    bool atEnd() const { return pos_ >= s_.size(); }
    size_t pos() const { return pos_; }
    // Steps over the character at pos() and returns its length.
    int next();

private:
    std::string_view s_;
    bool singleByte_;
    size_t pos_ = 0;
};

// True when s has at least 2 bytes and its next-to-last byte is NUL or CR: a CR LF
// line end, the end-of-text mark NUL NUL, or a lone-CR / NUL pair that the CR LF
// loader keeps as a row end.
bool HasTerminator(std::string_view s);

// s without its terminator (last 2 bytes) when HasTerminator(s).
std::string_view StripTerminator(std::string_view s);

// s without the end-of-text mark: drops the last 2 bytes only when the
// next-to-last byte is NUL, so a CR LF stays.
std::string_view StripEndMark(std::string_view s);

// 1-based position of the first occurrence of sub in s that starts on a character
// boundary, 0 if none. Both strings count only up to their first NUL; an empty sub
// or s finds nothing. Bytes are compared exactly.
long long Find(std::string_view sub, std::string_view s, bool singleByte);

// Lower-cases single-byte A-Z and keeps double-byte characters as they are.
std::string LowerCase(std::string_view s, bool singleByte);

// Pixel width of a run of display bytes (already tab-expanded) in the current font.
using TextWidthFn = std::function<int(std::string_view)>;

// Whether s[i] is a tab that stands as a character of its own: a 0x09 byte that is the
// trail byte of a pair (after an odd run of lead-byte values) belongs to that pair.
// s must start at a character start.
bool IsTabAt(std::string_view s, size_t i, bool singleByte);

// Tab expansion: each tab character becomes spaces up to the next multiple of
// tabCount columns, counted in the expanded text, always at least one; a 0x09 trail
// byte stays as it is (IsTabAt). tabCount is 1..8; s starts at a character start.
std::string ExpandTabs(std::string_view s, int tabCount, bool singleByte);

// Expansion of s when it starts at column startColumn of an expanded row: the
// continuation of ExpandTabs, so a row can be expanded piece by piece from character
// start to character start.
std::string ExpandTabsFrom(std::string_view s, int tabCount, size_t startColumn, bool singleByte);

// Most tab positions recorded by ExpandTabsWithStops; a -1 closes the list.
inline constexpr int kMaxTabStops = 100;

// As ExpandTabs. With showTabs, also records in tabStopsX the pixel x (textWidth of
// the expanded text in front of it) of each of the first 100 tabs, then a -1. Without
// showTabs, tabStopsX is just the closing -1.
std::string ExpandTabsWithStops(std::string_view s, int tabCount, bool showTabs,
                                const TextWidthFn& textWidth, std::vector<int>& tabStopsX,
                                bool singleByte);

} // namespace lumarik::editor
