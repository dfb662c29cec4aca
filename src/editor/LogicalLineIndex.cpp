#include "editor/LogicalLineIndex.h"

#include <algorithm>
#include <string>

#include "editor/VelEditSub.h"

namespace lumarik::editor {

namespace {

bool endsLine(const std::string& row) {
    return !row.empty() && row.back() == '\n';
}

int textLength(const std::string& row) {
    return static_cast<int>(StripTerminator(row).size());
}

} // namespace

void LogicalLineIndex::Invalidate(int row) {
    knownBlocks_ = std::min(knownBlocks_, std::max(row, 0) / kBlockRows);
}

int LogicalLineIndex::blockCount() const {
    return (store_.Count() + kBlockRows - 1) / kBlockRows;
}

void LogicalLineIndex::build(int block) {
    const int count = store_.Count();
    blocks_.resize(static_cast<size_t>(blockCount()));
    knownBlocks_ = std::min(knownBlocks_, static_cast<int>(blocks_.size()));
    while (knownBlocks_ <= block) {
        Block info;
        if (knownBlocks_ > 0) {
            const Block& previous = blocks_[static_cast<size_t>(knownBlocks_ - 1)];
            info.lineEndsBefore = previous.lineEndsBefore + previous.lineEnds;
        }
        const int first = knownBlocks_ * kBlockRows;
        const int last = std::min(count, first + kBlockRows);
        for (int row = first; row < last; ++row) {
            const std::string& text = store_.Get(row);
            info.bytes += static_cast<int64_t>(text.size());
            info.lineEnds += endsLine(text) ? 1 : 0;
        }
        blocks_[static_cast<size_t>(knownBlocks_)] = info;
        ++knownBlocks_;
    }
}

int LogicalLineIndex::firstRowOfLine(int line) {
    const int count = store_.Count();
    const int blocks = blockCount();
    auto endsBefore = [this](int block) {
        const Block& info = blocks_[static_cast<size_t>(block)];
        return info.lineEndsBefore + info.lineEnds;
    };
    // The block holding the line-th LF-ending row: search what is known, build on
    // only when it lies further on.
    int block = 0;
    if (knownBlocks_ > 0 && endsBefore(knownBlocks_ - 1) >= line) {
        int low = 0;
        int high = knownBlocks_ - 1;
        while (low < high) {
            const int mid = low + (high - low) / 2;
            if (endsBefore(mid) >= line) {
                high = mid;
            } else {
                low = mid + 1;
            }
        }
        block = low;
    } else {
        block = knownBlocks_;
        while (true) {
            if (block >= blocks) {
                return count - 1;
            }
            build(block);
            if (endsBefore(block) >= line) {
                break;
            }
            ++block;
        }
    }
    int seen = blocks_[static_cast<size_t>(block)].lineEndsBefore;
    for (int row = block * kBlockRows;; ++row) {
        if (endsLine(store_.Get(row)) && ++seen == line) {
            return std::min(row + 1, count - 1);
        }
    }
}

TextPos LogicalLineIndex::LogicalToRow(TextPos logical) {
    const int count = store_.Count();
    if (count == 0) {
        return {};
    }
    int row = logical.line > 0 ? firstRowOfLine(logical.line) : 0;
    int64_t remaining = std::max(logical.col, 0);
    while (true) {
        // Whole blocks inside the logical line are passed by their byte count.
        if (row % kBlockRows == 0 && row + kBlockRows < count) {
            const int block = row / kBlockRows;
            build(block);
            const Block& info = blocks_[static_cast<size_t>(block)];
            if (info.lineEnds == 0 && remaining >= info.bytes) {
                remaining -= info.bytes;
                row += kBlockRows;
                continue;
            }
        }
        const std::string& text = store_.Get(row);
        const bool lastOfLine = endsLine(text) || row == count - 1;
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
        ++row;
    }
}

TextPos LogicalLineIndex::RowToLogical(TextPos display) {
    const int count = store_.Count();
    if (count == 0) {
        return {};
    }
    const int row = std::clamp(display.line, 0, count - 1);
    const int block = row / kBlockRows;
    build(block);
    int64_t col = std::clamp(display.col, 0, static_cast<int>(store_.Get(row).size()));

    // Rows of the same block in front of the row: count the line ends, and add the
    // lengths of those behind the last line end.
    int line = blocks_[static_cast<size_t>(block)].lineEndsBefore;
    int64_t sinceLineEnd = 0;
    for (int k = block * kBlockRows; k < row; ++k) {
        const std::string& text = store_.Get(k);
        sinceLineEnd += static_cast<int64_t>(text.size());
        if (endsLine(text)) {
            ++line;
            sinceLineEnd = 0;
        }
    }
    col += sinceLineEnd;
    if (line == blocks_[static_cast<size_t>(block)].lineEndsBefore) {
        // The logical line began in an earlier block.
        for (int b = block - 1; b >= 0; --b) {
            const Block& info = blocks_[static_cast<size_t>(b)];
            if (info.lineEnds == 0) {
                col += info.bytes;
                continue;
            }
            for (int k = (b + 1) * kBlockRows - 1;; --k) {
                const std::string& text = store_.Get(k);
                if (endsLine(text)) {
                    break;
                }
                col += static_cast<int64_t>(text.size());
            }
            break;
        }
    }
    return {static_cast<int>(col), line};
}

} // namespace lumarik::editor
