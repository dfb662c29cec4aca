#include "editor/MatchWindow.h"

#include <algorithm>

#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

bool isBreakByte(char c) {
    return c == '\r' || c == '\0';
}

} // namespace

void MatchWindow::Build(const TVelStrings& rows, int line, int origin, int64_t rangeBytes,
                        std::size_t minLength, bool singleByte) {
    const std::string& first = rows.Get(line);
    origin_ = std::clamp(origin, 0, static_cast<int>(first.size()));
    bytes_.assign(first, static_cast<std::size_t>(origin_));
    int64_t before = static_cast<int64_t>(first.size());
    int next = line + 1;
    const int count = rows.Count();
    while (next < count && before < rangeBytes && (next == line + 1 || bytes_.size() < minLength)) {
        const std::string& row = rows.Get(next);
        bytes_ += row;
        before += static_cast<int64_t>(row.size());
        ++next;
    }
    // The end-of-text mark closes the last line; no match may take it.
    textEnd_ = next == count && bytes_.size() >= 2 ? bytes_.size() - 2 : bytes_.size();
    walk_ = 0;
    singleByte_ = singleByte;
}

std::size_t MatchWindow::unitLength(std::size_t offset) const {
    if (offset + 1 >= textEnd_) {
        return 1;
    }
    const char c = bytes_[offset];
    if (isBreakByte(c)) {
        return 2;
    }
    // A lead byte in front of a line break stands alone: the break stays whole.
    const bool pairs = !singleByte_ &&
                       platform::CodePage::ansi().isLeadByte(static_cast<unsigned char>(c)) &&
                       !isBreakByte(bytes_[offset + 1]);
    return pairs ? 2 : 1;
}

bool MatchWindow::StartsUnit(std::size_t offset) {
    while (walk_ < offset) {
        walk_ += unitLength(walk_);
    }
    return walk_ == offset;
}

std::size_t MatchWindow::NextUnitAfter(std::size_t offset) {
    if (StartsUnit(offset)) {
        walk_ += unitLength(walk_);
    }
    return walk_;
}

} // namespace lumarik::editor
