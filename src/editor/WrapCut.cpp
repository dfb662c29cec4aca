#include "editor/WrapCut.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

bool isBreakByte(char c) {
    return c == '\r' || c == '\0';
}

// A continuation line [start, end) must not look like a line end, neither to
// HasTerminator (CR or NUL as next-to-last byte) nor to the LF count of the position
// conversions; a CR or NUL as its last byte belongs on the next line. `end` is a
// character boundary, so the line never ends on a lead byte.
bool endsCleanly(std::string_view line, size_t start, size_t end) {
    const char last = line[end - 1];
    if (isBreakByte(last) || last == '\n') {
        return false;
    }
    return end - start < 2 || !isBreakByte(line[end - 2]);
}

// Bytes one search for tabs covers at least.
constexpr size_t kTabLookahead = 256;

using ByteTable = std::array<bool, 256>;

// Lead-byte values of the code page, and none for single-byte mode.
const ByteTable& leadBytes(bool singleByte) {
    static const ByteTable kNone{};
    static const ByteTable kLeads = [] {
        ByteTable leads{};
        for (int byte = 0; byte < 256; ++byte) {
            leads[static_cast<size_t>(byte)] =
                platform::CodePage::ansi().isLeadByte(static_cast<unsigned char>(byte));
        }
        return leads;
    }();
    return singleByte ? kNone : kLeads;
}

// Walks the characters of one display line, measuring as it goes.
class RowWalker {
public:
    RowWalker(std::string_view line, const WrapParams& params)
        : line_(line), params_(params), leads_(leadBytes(params.singleByteMode)),
          column_(static_cast<size_t>(std::max(params.column, kMinWrapColumn))),
          tabCount_(static_cast<size_t>(std::clamp(params.tabCount, 1, 8))),
          tabMask_((tabCount_ & (tabCount_ - 1)) == 0 ? tabCount_ - 1 : 0),
          measure_(params.autoWrap && params.textWidth),
          maxWidth_(std::max<long long>(params.textAreaWidth,
                                        10LL * static_cast<long long>(params.avgCharWidth))) {}

    // Length of the character at q: a lead byte takes the byte after it, whatever it is.
    // Computed without branches: in Japanese text leads and single bytes alternate
    // unpredictably.
    size_t charLength(size_t q) const {
        const bool lead = leads_[static_cast<unsigned char>(line_[q])];
        return 1 + static_cast<size_t>(lead & (q + 1 < line_.size()));
    }

    // End of the longest prefix from `start` that fits.
    size_t fitEnd(size_t start) const {
        return measure_ ? measuredFitEnd(start) : columnFitEnd(start);
    }

    // The last clean end in (start, end], start when there is none.
    size_t lastCleanEnd(size_t start, size_t end) const {
        if (end > start && endsCleanly(line_, start, end)) {
            return end;
        }
        size_t clean = start;
        for (size_t q = start + charLength(start); q < end; q += charLength(q)) {
            if (endsCleanly(line_, start, q)) {
                clean = q;
            }
        }
        return clean;
    }

    // End of the display line from `start`, as RowEnd answers it.
    size_t rowEnd(size_t start, bool complete) const {
        const size_t size = line_.size();
        if (start >= size) {
            return complete ? size : kNeedMoreBytes;
        }
        // A fitting prefix is never longer than `column` bytes; one character more is
        // read.
        if (!complete && size - start < column_ + 3) {
            return kNeedMoreBytes;
        }
        // The CR of the terminator must fit on the last display line; the LF need not.
        const bool terminated = size >= 2 && isBreakByte(line_[size - 2]);
        const size_t rest = complete && terminated ? size - 1 : size;

        const size_t end = fitEnd(start);
        if (complete && end >= rest) {
            return size;
        }
        const size_t cleanEnd = lastCleanEnd(start, end);
        if (cleanEnd > start) {
            return cleanEnd;
        }
        // Nothing fits that ends cleanly: take characters up to the first clean end.
        for (size_t q = end;;) {
            if (!complete && q + 2 > size) {
                return kNeedMoreBytes;
            }
            if (q >= size) {
                return size;
            }
            q += charLength(q);
            if (complete ? q >= rest : q >= size) {
                return complete ? size : kNeedMoreBytes;
            }
            if (endsCleanly(line_, start, q)) {
                return q;
            }
        }
    }

private:
    // Columns only: the common case. A byte takes a column, a tab up to the next tab
    // stop (a tab that is the trail byte of a pair is a byte like any other); a
    // character takes the columns of its bytes. So the bytes that fit are counted from
    // tab to tab, and the end moves back one byte when it splits a double-byte
    // character.
    size_t columnFitEnd(size_t start) const {
        const size_t size = line_.size();
        size_t columns = 0;
        size_t q = start;
        while (true) {
            const size_t limit = std::min(size, q + (column_ - columns));
            const size_t tab = tabBefore(q, limit);
            columns += tab - q;
            q = tab;
            if (q == limit) {
                break;
            }
            if (splitsPair(start, q)) {
                ++columns;
                ++q;
                continue;
            }
            const size_t stop = columns + tabCount_ - columnInTab(columns);
            if (stop > column_) {
                break;
            }
            columns = stop;
            ++q;
        }
        return q < size && splitsPair(start, q) ? q - 1 : q;
    }

    // The first tab in [q, limit), limit when there is none. One search looks some way
    // ahead and is kept: the rows of a line ask in order, mostly within one search.
    size_t tabBefore(size_t q, size_t limit) const {
        const bool known =
            searchFrom_ <= q && q <= nextTab_ && (nextTab_ < searchEnd_ || limit <= searchEnd_);
        if (!known) {
            searchFrom_ = q;
            searchEnd_ = std::min(line_.size(), std::max(limit, q + kTabLookahead));
            nextTab_ = std::min(line_.substr(q, searchEnd_ - q).find('\t'), searchEnd_ - q) + q;
        }
        return std::min(nextTab_, limit);
    }

    // columns % tabCount, without a division for the usual tab widths.
    size_t columnInTab(size_t columns) const {
        return tabMask_ != 0 || tabCount_ == 1 ? columns & tabMask_ : columns % tabCount_;
    }

    // Whether q lies between the bytes of a double-byte character of the display line
    // from start. Lead-valued bytes pair up from the first of their run.
    bool splitsPair(size_t start, size_t q) const {
        size_t run = 0;
        while (q - run > start && leads_[static_cast<unsigned char>(line_[q - run - 1])]) {
            ++run;
        }
        return run % 2 == 1;
    }

    size_t measuredFitEnd(size_t start) const {
        size_t columns = 0;
        long long width = 0;
        size_t q = start;
        std::string expanded;
        while (q < line_.size()) {
            const size_t length = charLength(q);
            const size_t columnsTaken = advance(q, length, columns);
            if (columns + columnsTaken > column_) {
                break;
            }
            std::string_view glyphs = line_.substr(q, length);
            if (length == 1 && line_[q] == '\t') {
                glyphs = expanded.assign(columnsTaken, ' ');
            }
            width += params_.textWidth(glyphs);
            if (width > maxWidth_) {
                break;
            }
            columns += columnsTaken;
            q += length;
        }
        return q;
    }

    // Columns the character at q takes when it starts at `columns`: a tab up to the
    // next tab stop, any other character its bytes (a pair with a tab as its trail
    // byte too).
    size_t advance(size_t q, size_t length, size_t columns) const {
        if (length != 1 || line_[q] != '\t') {
            return length;
        }
        return tabCount_ - columns % tabCount_;
    }

    std::string_view line_;
    const WrapParams& params_;
    const ByteTable& leads_;
    size_t column_;
    size_t tabCount_;
    size_t tabMask_; // tabCount - 1 when it is a power of two, else 0
    bool measure_;
    long long maxWidth_;
    // The first tab in [searchFrom_, searchEnd_), searchEnd_ when there is none.
    mutable size_t searchFrom_ = 1;
    mutable size_t searchEnd_ = 0;
    mutable size_t nextTab_ = 0;
};

} // namespace

size_t RowEnd(std::string_view line, size_t start, const WrapParams& params, bool complete) {
    return RowWalker(line, params).rowEnd(start, complete);
}

std::vector<size_t> RowEnds(std::string_view line, const WrapParams& params) {
    const RowWalker walker(line, params);
    std::vector<size_t> ends;
    size_t start = 0;
    do {
        start = walker.rowEnd(start, true);
        ends.push_back(start);
    } while (start < line.size());
    return ends;
}

void AppendSplitLine(std::string_view line, const WrapParams& params,
                     std::vector<std::string>& rows) {
    // Most lines are one display line: no longer than the column, without tabs.
    const bool measured = params.autoWrap && params.textWidth;
    if (!measured && line.size() <= static_cast<size_t>(std::max(params.column, kMinWrapColumn)) &&
        line.find('\t') == std::string_view::npos) {
        rows.emplace_back(line);
        return;
    }
    const RowWalker walker(line, params);
    size_t start = 0;
    do {
        const size_t end = walker.rowEnd(start, true);
        rows.emplace_back(line.substr(start, end - start));
        start = end;
    } while (start < line.size());
}

std::vector<std::string> SplitLine(std::string_view line, const WrapParams& params) {
    std::vector<std::string> rows;
    AppendSplitLine(line, params, rows);
    return rows;
}

} // namespace lumarik::editor
