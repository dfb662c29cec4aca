#include "editor/WordScan.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "editor/VelEditSub.h"
#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

struct ClassRange {
    unsigned last; // the range runs from the previous entry's last + 1 to here
    int wordClass;
};

constexpr std::array<ClassRange, 15> kClassRanges{{
    {0x2F, 7},
    {0x39, 6},
    {0x3F, 7},
    {0x7F, 6},
    {0xA5, 2},
    {0xDF, 5},
    {0xFF, 7},
    {0x813F, 2},
    {0x824E, 4},
    {0x829E, 3},
    {0x82FF, 0},
    {0x833F, 2},
    {0x8396, 1},
    {0x889E, 4},
    {0xFFFF, 2},
}};

bool isLeadValue(char byte) {
    return platform::CodePage::ansi().isLeadByte(static_cast<unsigned char>(byte));
}

unsigned codeAt(std::string_view row, size_t pos, size_t length) {
    const auto first = static_cast<unsigned char>(row[pos]);
    if (length == 1) {
        return first;
    }
    return (static_cast<unsigned>(first) << 8) | static_cast<unsigned char>(row[pos + 1]);
}

// The start of the stretch in front of `end` (a character start) whose characters the
// bytes alone tell: every byte of [start, end - 1) has a lead-byte value and the byte
// before start has none, so start is a character start and the stretch pairs up
// from there. Looking no further back keeps a backward walk linear even in a long
// run of lead-valued bytes.
size_t knownStartBefore(std::string_view row, size_t end) {
    size_t start = end - 1;
    while (start > 0 && isLeadValue(row[start - 1])) {
        --start;
    }
    return start;
}

} // namespace

int CharClass(unsigned code) {
    for (const ClassRange& range : kClassRanges) {
        if (code <= range.last) {
            return range.wordClass;
        }
    }
    return 2;
}

int ScanWordForward(std::string_view row, int col, bool singleByte) {
    // The scan never enters the terminator, not even as the trail of a lead byte.
    row = StripTerminator(row);
    size_t pos = std::min(static_cast<size_t>(std::max(col, 0)), row.size());
    int wordClass = -1;
    while (pos < row.size()) {
        const char byte = row[pos];
        if (wordClass >= 0 && (byte == '\0' || byte == '\t' || byte == '\r')) {
            break;
        }
        const auto length =
            static_cast<size_t>(CharLengthAt(row, static_cast<long long>(pos), singleByte));
        const int charClass = CharClass(codeAt(row, pos, length));
        if (wordClass >= 0 && charClass != wordClass) {
            break;
        }
        wordClass = charClass;
        pos += length;
    }
    return static_cast<int>(pos);
}

int ScanWordBackward(std::string_view row, int col, bool singleByte) {
    const size_t clamped = std::min(static_cast<size_t>(std::max(col, 0)), row.size());
    size_t end =
        static_cast<size_t>(SnapToCharStart(row, static_cast<long long>(clamped), singleByte));
    int wordClass = -1;
    while (end > 0) {
        const size_t from = singleByte ? end - 1 : knownStartBefore(row, end);
        // An odd stretch ends in a single-byte character; the rest are pairs.
        size_t pos = end;
        while (pos > from) {
            const size_t length = (pos - from) % 2 == 1 ? 1 : 2;
            const int charClass = CharClass(codeAt(row, pos - length, length));
            if (wordClass >= 0 && charClass != wordClass) {
                return static_cast<int>(pos);
            }
            wordClass = charClass;
            pos -= length;
        }
        end = from;
    }
    return 0;
}

} // namespace lumarik::editor
