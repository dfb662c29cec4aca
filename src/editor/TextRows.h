#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// Cutting bytes into line-store rows, shared by the text setters and the file reader.
namespace lumarik::editor {

inline constexpr char kCR = '\r';
inline constexpr char kLF = '\n';
inline constexpr std::string_view kEndMark{"\0\0", 2};

// Finds, in one range of bytes, each next byte that is a given stop byte or NUL. The
// last hit of each search is remembered, so that neither is rescanned.
class StopScanner {
public:
    StopScanner(const char* begin, const char* end, char stop)
        : begin_(begin), end_(end), stop_(stop) {}

    // First stop byte or NUL at or after `from`; end of the range when there is none.
    const char* next(const char* from) {
        return std::min(find(stopHit_, from, stop_), find(nulHit_, from, '\0'));
    }

private:
    const char* find(std::ptrdiff_t& hit, const char* from, char byte) {
        if (hit < from - begin_) {
            const void* found = std::memchr(from, byte, static_cast<std::size_t>(end_ - from));
            hit = (found != nullptr ? static_cast<const char*>(found) : end_) - begin_;
        }
        return begin_ + hit;
    }

    const char* begin_;
    const char* end_;
    char stop_;
    std::ptrdiff_t stopHit_ = -1;
    std::ptrdiff_t nulHit_ = -1;
};

// Splits text into lines: each CR or NUL takes the byte after it as its second
// terminator byte; a CR or NUL as the last byte takes the NUL that stands for the end
// of the text. Never fewer than one line.
std::vector<std::string> SplitText(std::string_view text, int64_t& bytes);

} // namespace lumarik::editor
