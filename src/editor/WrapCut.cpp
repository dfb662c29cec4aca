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
          measure_(params.autoWrap && params.textWidth),
          maxWidth_(std::max<long long>(params.textAreaWidth,
                                        10LL * static_cast<long long>(params.avgCharWidth))) {}

    size_t column() const { return column_; }

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

private:
    // Columns only: the common case.
    size_t columnFitEnd(size_t start) const {
        const size_t size = line_.size();
        const size_t end = std::min(size, start + column_);
        // Without tabs a column is a byte: the prefix ends at `end`, or one byte before
        // when a double-byte character straddles it. Lead-valued bytes in front of
        // `end` pair up from the first of their run.
        if (line_.substr(start, end - start).find('\t') == std::string_view::npos) {
            if (end == size) {
                return end;
            }
            size_t run = 0;
            while (end - run > start && leads_[static_cast<unsigned char>(line_[end - run - 1])]) {
                ++run;
            }
            return run % 2 == 1 ? end - 1 : end;
        }
        size_t columns = 0;
        size_t q = start;
        while (q < size) {
            const size_t length = charLength(q);
            columns += advance(q, length, columns);
            if (columns > column_) {
                break;
            }
            q += length;
        }
        return q;
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
            if (line_[q + length - 1] == '\t') {
                expanded.assign(glyphs.substr(0, length - 1))
                    .append(columnsTaken - length + 1, ' ');
                glyphs = expanded;
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

    // Columns the character at q takes when it starts at `columns`. Tab expansion goes
    // by bytes: a tab that is the trail byte of a pair expands too.
    size_t advance(size_t q, size_t length, size_t columns) const {
        if (line_[q + length - 1] != '\t') {
            return length;
        }
        return length - 1 + tabCount_ - (columns + length - 1) % tabCount_;
    }

    std::string_view line_;
    const WrapParams& params_;
    const ByteTable& leads_;
    size_t column_;
    size_t tabCount_;
    bool measure_;
    long long maxWidth_;
};

} // namespace

size_t RowEnd(std::string_view line, size_t start, const WrapParams& params, bool complete) {
    const size_t size = line.size();
    if (start >= size) {
        return complete ? size : kNeedMoreBytes;
    }
    const RowWalker walker(line, params);
    // A fitting prefix is never longer than `column` bytes; one character more is read.
    if (!complete && size - start < walker.column() + 3) {
        return kNeedMoreBytes;
    }
    // The CR of the terminator must fit on the last display line; the LF need not.
    const size_t rest = complete ? size - (HasTerminator(line) ? 1 : 0) : size;

    const size_t fitEnd = walker.fitEnd(start);
    if (complete && fitEnd >= rest) {
        return size;
    }
    const size_t cleanEnd = walker.lastCleanEnd(start, fitEnd);
    if (cleanEnd > start) {
        return cleanEnd;
    }
    // Nothing fits that ends cleanly: take characters up to the first clean end.
    for (size_t q = fitEnd;;) {
        if (!complete && q + 2 > size) {
            return kNeedMoreBytes;
        }
        if (q >= size) {
            return size;
        }
        q += walker.charLength(q);
        if (complete ? q >= rest : q >= size) {
            return complete ? size : kNeedMoreBytes;
        }
        if (endsCleanly(line, start, q)) {
            return q;
        }
    }
}

std::vector<size_t> RowEnds(std::string_view line, const WrapParams& params) {
    std::vector<size_t> ends;
    size_t start = 0;
    do {
        start = RowEnd(line, start, params);
        ends.push_back(start);
    } while (start < line.size());
    return ends;
}

void AppendSplitLine(std::string_view line, const WrapParams& params,
                     std::vector<std::string>& rows) {
    size_t start = 0;
    do {
        const size_t end = RowEnd(line, start, params);
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
