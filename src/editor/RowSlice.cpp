#include "editor/RowSlice.h"

#include <algorithm>

namespace lumarik::editor {

RowSlice SliceRow(std::string_view text, int tabCount, int left, int right, bool recordTabs,
                  const TextWidthFn& charWidth, const RowCheckpoint& from, bool singleByte) {
    const size_t tabWidth = static_cast<size_t>(std::clamp(tabCount, 1, 8));
    RowSlice slice;
    std::string unit;
    int x = from.x;
    size_t column = from.column; // columns of the expanded text so far
    int tabs = from.tabs;
    bool started = false;
    const std::string_view rest = text.substr(std::min(from.byte, text.size()));
    // Most rows are short, lie wholly inside the range and have no tabs: one measure
    // then does.
    constexpr size_t kShortRest = 512;
    if (x > left && rest.size() <= kShortRest && rest.find('\t') == std::string_view::npos) {
        const int width = charWidth(rest);
        if (x + width < right) {
            slice.text.assign(rest);
            slice.x = x;
            slice.reachesEnd = true;
            slice.endX = x + width;
            return slice;
        }
    }
    // Characters are read as the canvas reads the expanded text: a lead byte pairs with
    // the byte after it, even when that byte is a tab, which then expands only in
    // single-byte mode.
    for (CharScanner scan(rest, false); !scan.atEnd();) {
        if (x >= right) {
            return slice;
        }
        const size_t start = scan.pos();
        const size_t length = static_cast<size_t>(scan.next());
        std::string_view shown = rest.substr(start, length);
        const bool tab = shown.back() == '\t' && (length == 1 || singleByte);
        int tabX = x;
        if (tab) {
            unit.assign(shown.substr(0, length - 1));
            if (!unit.empty()) {
                tabX += charWidth(unit);
            }
            const size_t tabColumn = column + unit.size();
            unit.append(tabWidth - tabColumn % tabWidth, ' ');
            shown = unit;
        }
        const int width = charWidth(shown);
        if (x + width > left) {
            if (!started) {
                started = true;
                slice.x = x;
            }
            if (tab && recordTabs && tabs < kMaxTabStops) {
                slice.tabStopsX.push_back(tabX);
            }
            slice.text.append(shown);
        }
        tabs += tab ? 1 : 0;
        column += shown.size();
        x += width;
    }
    if (!started) {
        slice.x = x;
    }
    slice.reachesEnd = true;
    slice.endX = x;
    return slice;
}

} // namespace lumarik::editor
