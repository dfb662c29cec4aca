#include "editor/LogicalLineIndex.h"

#include <algorithm>
#include <string>

#include "editor/VelEditSub.h"

namespace lumarik::editor {

namespace {

int textLength(const std::string& row) {
    return static_cast<int>(StripTerminator(row).size());
}

} // namespace

int64_t LogicalLineIndex::bytesOfRows(int first, int last) const {
    int64_t bytes = 0;
    for (int row = first; row < last; ++row) {
        bytes += static_cast<int64_t>(store_.Get(row).size());
    }
    return bytes;
}

int LogicalLineIndex::firstRowOfLine(int line) const {
    const int count = store_.Count();
    const std::size_t run = store_.RunOfLfRow(line);
    if (run == store_.RunCount()) {
        return count - 1;
    }
    const RowRun info = store_.Run(run);
    const auto offset = info.lfRows->nth(line - info.lfRowsBefore - 1);
    return std::min(info.firstRow + static_cast<int>(offset) + 1, count - 1);
}

TextPos LogicalLineIndex::LogicalToRow(TextPos logical) const {
    const int count = store_.Count();
    if (count == 0) {
        return {};
    }
    int row = logical.line > 0 ? firstRowOfLine(logical.line) : 0;
    int64_t remaining = std::max(logical.col, 0);
    for (std::size_t run = store_.RunOfRow(row);; ++run) {
        const RowRun info = store_.Run(run);
        const int end = info.firstRow + info.rows;
        // Whole runs inside the logical line are passed by their byte count.
        if (row == info.firstRow && end < count && info.lfRows->count() == 0 &&
            remaining >= info.bytes) {
            remaining -= info.bytes;
            row = end;
            continue;
        }
        for (; row < end; ++row) {
            const std::string& text = store_.Get(row);
            const bool lastOfLine =
                info.lfRows->test(static_cast<std::size_t>(row - info.firstRow)) ||
                row == count - 1;
            if (lastOfLine) {
                // After the line's terminator is the start of the next line.
                if (row < count - 1 && remaining == static_cast<int64_t>(text.size())) {
                    return {0, row + 1};
                }
                return {static_cast<int>(std::min<int64_t>(remaining, textLength(text))), row};
            }
            if (remaining < static_cast<int64_t>(text.size())) {
                return {static_cast<int>(remaining), row};
            }
            remaining -= static_cast<int64_t>(text.size());
        }
    }
}

TextPos LogicalLineIndex::RowToLogical(TextPos display) const {
    const int count = store_.Count();
    if (count == 0) {
        return {};
    }
    const int row = std::clamp(display.line, 0, count - 1);
    int64_t col = std::clamp(display.col, 0, static_cast<int>(store_.Get(row).size()));
    const std::size_t run = store_.RunOfRow(row);
    const RowRun info = store_.Run(run);
    const auto offset = static_cast<std::size_t>(row - info.firstRow);
    const int line = info.lfRowsBefore + info.lfRows->countBefore(offset);

    // Add the rows of the same logical line in front of the row: in its run back to the
    // last LF row, and when there is none, the runs in front back to theirs.
    const std::size_t lastLf = info.lfRows->lastBefore(offset);
    if (lastLf != LfRowBits::kMaxRows) {
        col += bytesOfRows(info.firstRow + static_cast<int>(lastLf) + 1, row);
        return {static_cast<int>(col), line};
    }
    col += bytesOfRows(info.firstRow, row);
    for (std::size_t before = run; before-- > 0;) {
        const RowRun front = store_.Run(before);
        const std::size_t frontLf = front.lfRows->lastBefore(static_cast<std::size_t>(front.rows));
        if (frontLf == LfRowBits::kMaxRows) {
            col += front.bytes;
            continue;
        }
        col += bytesOfRows(front.firstRow + static_cast<int>(frontLf) + 1,
                           front.firstRow + front.rows);
        break;
    }
    return {static_cast<int>(col), line};
}

} // namespace lumarik::editor
