#include "editor/FileRowReader.h"
#include "editor/Velstrings.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace lumarik::editor {

namespace {

constexpr std::size_t kScanBlockSize = std::size_t{64} * 1024;

bool isBreakOrNul(char byte) {
    return byte == '\0' || byte == '\n' || byte == '\r';
}

} // namespace

int DetectLineBreak(const std::filesystem::path& fileName) {
    FileHandle file = OpenForReading(fileName);
    if (!file) {
        return -1;
    }
    std::vector<char> block(kScanBlockSize);
    bool empty = true;
    while (true) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.get());
        if (got == 0) {
            break;
        }
        empty = false;
        const char* begin = block.data();
        const char* end = begin + got;
        const char* hit = std::find_if(begin, end, isBreakOrNul);
        if (hit == end) {
            continue;
        }
        if (*hit == '\n') {
            return kBreakLF;
        }
        if (*hit == '\0') {
            return kBreakCR;
        }
        // A CR: the byte after it decides, even when it lies in the next block.
        if (hit + 1 < end) {
            return hit[1] == '\n' ? kBreakCRLF : kBreakCR;
        }
        char next = '\0';
        if (std::fread(&next, 1, 1, file.get()) == 1) {
            return next == '\n' ? kBreakCRLF : kBreakCR;
        }
        break;
    }
    if (std::ferror(file.get()) != 0) {
        return -1;
    }
    return empty ? kBreakEmpty : kBreakCR;
}

} // namespace lumarik::editor
