#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "editor/VelEditSub.h"

// Word wrap: where a logical line is cut into display lines. A cut depends only on the
// bytes from the start of its display line, so any display line start is a safe place
// to resume cutting.
namespace lumarik::editor {

// Narrowest layout: with tabs of at most 8 columns, at least one character fits.
inline constexpr int kMinWrapColumn = 10;

// What the cutting depends on.
struct WrapParams {
    int column = 80; // columns of a display line; values below 10 count as 10
    bool autoWrap = false;
    int tabCount = 8; // 1..8
    bool singleByteMode = false;
    int textAreaWidth = 0; // pixels; with autoWrap, rows are cut at this width too ...
    int avgCharWidth = 0;  // ... but never below 10 of these
    TextWidthFn textWidth; // needed with autoWrap; widths must add up per character
};

// Answered by RowEnd when the cut depends on bytes past the end of a partial line.
inline constexpr size_t kNeedMoreBytes = std::string_view::npos;

// End offset of the display line that starts at offset `start` of a logical line.
// The display line takes the longest prefix that fits in `column` columns (and with
// autoWrap in the pixel width), tabs expanded from its own start. The last display
// line holds the terminator, whose CR counts as a column. A continuation line never
// ends inside a double-byte character nor so that it looks like a line end: its last
// byte is no CR, NUL or LF and its next-to-last no CR or NUL. When no such end fits,
// it extends to the first one (at least one whole character).
// `line` ends with its terminator; with `complete` false it is only the leading part
// of the logical line (at least `column` + 3 bytes from `start` are needed to decide).
size_t RowEnd(std::string_view line, size_t start, const WrapParams& params, bool complete = true);

// End offsets of all display lines of a logical line; the last is line.size(). An
// empty line gives one empty display line.
std::vector<size_t> RowEnds(std::string_view line, const WrapParams& params);

// The display lines of a logical line.
std::vector<std::string> SplitLine(std::string_view line, const WrapParams& params);

// Appends the display lines of a logical line to rows.
void AppendSplitLine(std::string_view line, const WrapParams& params,
                     std::vector<std::string>& rows);

} // namespace lumarik::editor
