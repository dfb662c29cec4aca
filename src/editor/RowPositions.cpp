#include "editor/RowPositions.h"

#include <algorithm>
#include <string>

namespace lumarik::editor {

int CaretColumnLimit(std::string_view row) {
    const size_t limit = HasTerminator(row) ? row.size() - 2 : row.size();
    return static_cast<int>(limit);
}

int ClampCaretColumn(std::string_view row, long long col, bool singleByte) {
    const long long clamped = std::clamp<long long>(col, 0, CaretColumnLimit(row));
    return static_cast<int>(SnapToCharStart(StripTerminator(row), clamped, singleByte));
}

int ClampAnchorColumn(std::string_view row, long long col, bool hasNextRow, bool singleByte) {
    if (hasNextRow && HasTerminator(row) && col >= static_cast<long long>(row.size())) {
        return static_cast<int>(row.size());
    }
    return ClampCaretColumn(row, col, singleByte);
}

ColumnHit ColumnAtX(std::string_view text, int x, int tabCount, bool singleByte,
                    const TextWidthFn& charWidth) {
    if (x <= 0) {
        return {};
    }
    const size_t tabWidth = static_cast<size_t>(std::clamp(tabCount, 1, 8));
    std::string unit;
    size_t column = 0; // columns of the expanded text so far
    int left = 0;
    for (CharScanner scan(text, singleByte); !scan.atEnd();) {
        const size_t start = scan.pos();
        unit.assign(text.substr(start, static_cast<size_t>(scan.next())));
        // A tab that is the trail byte of a pair is no tab.
        if (unit == "\t") {
            unit.pop_back();
            const size_t tabColumn = column + unit.size();
            unit.append(tabWidth - tabColumn % tabWidth, ' ');
        }
        const int width = charWidth(unit);
        const int right = left + width;
        // A point at the very end of the text is after it, even in a cell of width 1.
        const bool pastEnd = scan.atEnd() && x >= right;
        if (x <= right - width / 2 && !pastEnd) {
            return {static_cast<int>(start), left};
        }
        column += unit.size();
        left = right;
    }
    return {static_cast<int>(text.size()), left};
}

} // namespace lumarik::editor
