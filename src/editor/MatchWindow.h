#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "editor/Velstrings.h"

namespace lumarik::editor {

// The bytes a search shows the host's matcher for one display line: the line from a
// byte column on, with the display lines behind it joined on without separator, so
// a match can run across a soft wrap or, when it holds CR LF, across a line end.
// Offsets below count from the window's first byte; Origin() is that byte's column
// in its line.
//
// The window also knows where characters start. A line break (CR or NUL with the
// byte after it) is one unit and so is a double-byte character, so a match the
// search accepts never starts or ends inside either. The walk that finds the units
// only moves forward, from the window's start or from a restart point: asking in
// increasing order costs one pass over the bytes.
class MatchWindow {
public:
    // Line `line` of `rows` from column `origin` (clamped to the line), then the next
    // line when it starts within `rangeBytes` of the line's start, then further such
    // lines while the window is shorter than `minLength`.
    void Build(const TVelStrings& rows, int line, int origin, int64_t rangeBytes,
               std::size_t minLength, bool singleByte);

    std::string_view Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }
    int Origin() const { return origin_; }
    // Where the end-of-text mark begins when the window holds the last line, else Size().
    std::size_t TextEnd() const { return textEnd_; }

    // Whether a unit starts at `offset` (the window's end counts). Offsets asked must
    // not lie in front of the last one asked or the last restart point.
    bool StartsUnit(std::size_t offset);
    // The first unit start behind `offset`; the walk goes on from there.
    std::size_t NextUnitAfter(std::size_t offset);
    // Walks again from `offset`, which must be a unit start.
    void RestartAt(std::size_t offset) { walk_ = offset; }

private:
    std::size_t unitLength(std::size_t offset) const;

    std::string bytes_;
    int origin_ = 0;
    std::size_t textEnd_ = 0;
    std::size_t walk_ = 0;
    bool singleByte_ = false;
};

} // namespace lumarik::editor
