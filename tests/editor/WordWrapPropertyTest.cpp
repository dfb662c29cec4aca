#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "editor/LogicalLineIndex.h"
#include "editor/VelEditSub.h"
#include "editor/Velstrings.h"
#include "editor/WrapCut.h"
#include "editor/WrapLayout.h"

using namespace lumarik::editor;
using namespace std::string_literals;

namespace {

using Rows = std::vector<std::string>;

class Random {
public:
    explicit Random(uint32_t seed) : engine_(seed) {}
    size_t below(size_t n) { return engine_() % n; }
    bool percent(unsigned p) { return engine_() % 100 < p; }

private:
    std::mt19937 engine_;
};

// Text with the bytes that make cutting hard: CR, LF and NUL inside lines, tabs,
// double-byte characters with a lead-valued trail (亜 0x88 0x9F) or the trail 0x5C
// (表), and stray lead bytes that pair with whatever follows.
std::string randomText(Random& random, size_t maxPieces) {
    static const std::vector<std::string> kPieces = {
        "\x88\x9F", "\x95\x5C", "\x83\x41", "\x81\x40", "\x88", "\t", " ", "\r", "\n", "\0"s};
    std::string text;
    const size_t pieces = random.below(maxPieces + 1);
    for (size_t i = 0; i < pieces; ++i) {
        if (random.percent(45)) {
            text.push_back(static_cast<char>('a' + random.below(26)));
        } else if (random.percent(4)) {
            const std::string breaks = "\r\n\0"s;
            for (size_t n = 3 + random.below(14); n > 0; --n) {
                text.push_back(breaks[random.below(breaks.size())]);
            }
        } else {
            text += kPieces[random.below(kPieces.size())];
        }
    }
    return text;
}

// Whole logical lines: mostly CR LF, some lone CR or NUL pairs, the end mark last.
Rows randomLines(Random& random) {
    Rows lines;
    const size_t count = 1 + random.below(10);
    for (size_t i = 0; i < count; ++i) {
        std::string line = randomText(random, random.percent(20) ? 400 : 60);
        if (i + 1 == count) {
            line += "\0\0"s;
        } else if (random.percent(85)) {
            line += "\r\n";
        } else {
            line.push_back(random.percent(50) ? '\r' : '\0');
            line.push_back("q\n\r\0"s[random.below(4)]);
        }
        lines.push_back(line);
    }
    return lines;
}

// Widths add up per byte but differ between bytes, like a proportional font.
int proportional(std::string_view s) {
    int width = 0;
    for (const char c : s) {
        width += 3 + static_cast<unsigned char>(c) % 5;
    }
    return width;
}

WrapParams randomParams(Random& random) {
    static const int kColumns[] = {10, 11, 13, 16, 24, 80};
    WrapParams params;
    params.column = kColumns[random.below(std::size(kColumns))];
    params.tabCount = 1 + static_cast<int>(random.below(8));
    params.singleByteMode = random.percent(10);
    params.textWidth = proportional;
    if (random.percent(30)) {
        params.autoWrap = true;
        params.avgCharWidth = 4;
        params.textAreaWidth = static_cast<int>(random.below(200));
    }
    return params;
}

bool uncleanEnd(std::string_view row, bool singleByte) {
    const size_t n = row.size();
    auto isBreak = [](char c) { return c == '\r' || c == '\0'; };
    return isBreak(row[n - 1]) || row[n - 1] == '\n' || (n >= 2 && isBreak(row[n - 2])) ||
           ByteTypeAt(row, static_cast<long long>(n), singleByte) == 1;
}

bool fits(std::string_view measured, const WrapParams& params) {
    const std::string text = ExpandTabs(measured, params.tabCount, params.singleByteMode);
    const int width = params.textWidth(text);
    return static_cast<int>(text.size()) <= params.column &&
           (!params.autoWrap || width <= params.textAreaWidth || width <= 10 * params.avgCharWidth);
}

// The cutting rule as written: shrink one byte at a time from the column, step back
// until the row ends cleanly, and when nothing is left take characters up to the
// first clean end. Copies the rest of the line for every row.
Rows modelSplit(std::string data, const WrapParams& params) {
    Rows rows;
    if (data.empty()) {
        return {""};
    }
    while (!data.empty()) {
        size_t pos = std::min(data.size(), static_cast<size_t>(params.column));
        while (!fits(std::string_view(data).substr(0, pos), params)) {
            --pos;
        }
        const size_t rest = data.size() - (HasTerminator(data) ? 1 : 0);
        if (pos >= rest) {
            rows.push_back(data);
            break;
        }
        while (pos > 0 &&
               uncleanEnd(std::string_view(data).substr(0, pos), params.singleByteMode)) {
            --pos;
        }
        if (pos == 0) {
            do {
                pos += static_cast<size_t>(
                    CharLengthAt(data, static_cast<long long>(pos), params.singleByteMode));
            } while (pos < rest &&
                     uncleanEnd(std::string_view(data).substr(0, pos), params.singleByteMode));
            if (pos >= rest) {
                rows.push_back(data);
                break;
            }
        }
        rows.push_back(data.substr(0, pos));
        data.erase(0, pos);
    }
    return rows;
}

Rows rowsOf(const TVelStrings& store) {
    Rows rows;
    for (int i = 0; i < store.Count(); ++i) {
        rows.push_back(store.Get(i));
    }
    return rows;
}

void fill(TVelStrings& store, const Rows& rows) {
    store.Clear();
    for (const std::string& row : rows) {
        store.Add(row);
    }
}

// Joins every logical line and cuts it by the model.
Rows modelLayout(const TVelStrings& store, const WrapParams& params) {
    Rows rows;
    for (int row = 0; row < store.Count();) {
        const JoinedRows joined = JoinRows(store, row);
        for (std::string& piece : modelSplit(joined.text, params)) {
            rows.push_back(std::move(piece));
        }
        row = joined.lastRow + 1;
    }
    return rows;
}

long long byteOffset(const TVelStrings& store, TextPos p) {
    long long offset = p.col;
    for (int row = 0; row < p.line; ++row) {
        offset += static_cast<long long>(store.Get(row).size());
    }
    return offset;
}

// Rows after which the position conversions go on in the same logical line.
bool continuesForConversions(const TVelStrings& store, int row) {
    return store.Get(row).back() != '\n' && row + 1 < store.Count();
}

// Where a caret may stand: anywhere in a row the conversions continue, before the
// terminator of one that ends a logical line.
TextPos randomCaret(Random& random, const TVelStrings& store) {
    const int row = static_cast<int>(random.below(static_cast<size_t>(store.Count())));
    const std::string& text = store.Get(row);
    const size_t limit =
        continuesForConversions(store, row) ? text.size() - 1 : StripTerminator(text).size();
    return {static_cast<int>(random.below(limit + 1)), row};
}

constexpr uint32_t kCases = 300;

} // namespace

TEST(WordWrapProperty, CutsEveryLineAsTheByteByByteRuleDoes) {
    for (uint32_t seed = 1; seed <= kCases; ++seed) {
        Random random(seed);
        const WrapParams params = randomParams(random);
        for (const std::string& line : randomLines(random)) {
            ASSERT_EQ(SplitLine(line, params), modelSplit(line, params)) << "seed " << seed;
        }
    }
}

TEST(WordWrapProperty, RowsEndCleanlyAndFitUnlessNothingShorterCould) {
    for (uint32_t seed = 1; seed <= kCases; ++seed) {
        Random random(seed);
        const WrapParams params = randomParams(random);
        for (const std::string& line : randomLines(random)) {
            const std::vector<size_t> ends = RowEnds(line, params);
            size_t start = 0;
            for (size_t i = 0; i < ends.size(); ++i) {
                const std::string_view row = std::string_view(line).substr(start, ends[i] - start);
                const bool last = i + 1 == ends.size();
                ASSERT_FALSE(row.empty()) << "seed " << seed;
                ASSERT_EQ(HasTerminator(row), last) << "seed " << seed;
                if (!last) {
                    ASSERT_FALSE(uncleanEnd(row, params.singleByteMode)) << "seed " << seed;
                    ASSERT_NE(
                        ByteTypeAt(line, static_cast<long long>(ends[i]), params.singleByteMode), 1)
                        << "seed " << seed;
                }
                // The LF of the terminator takes no column; the CR does.
                const std::string_view measured = last ? row.substr(0, row.size() - 1) : row;
                if (!fits(measured, params)) {
                    const size_t limit = last ? row.size() - 1 : row.size();
                    for (size_t q = 1; q < limit; ++q) {
                        const std::string_view prefix = row.substr(0, q);
                        ASSERT_TRUE(uncleanEnd(prefix, params.singleByteMode))
                            << "seed " << seed << ": a shorter row would fit";
                    }
                }
                start = ends[i];
            }
        }
    }
}

TEST(WordWrapProperty, WrapAndUnwrapAreInversesAndKeepTheCaretOnItsByte) {
    for (uint32_t seed = 1; seed <= kCases; ++seed) {
        Random random(seed);
        const WrapParams params = randomParams(random);
        const Rows lines = randomLines(random);
        TVelStrings store;
        fill(store, lines);
        LogicalLineIndex index(store);
        const TextPos caret = randomCaret(random, store);
        const TextPos anchor = randomCaret(random, store);
        const long long caretOffset = byteOffset(store, caret);

        const RewrapAllResult wrapped = RewrapAll(store, index, true, params, caret, anchor);
        const Rows wrappedRows = rowsOf(store);
        std::vector<std::string> viaWrapAll;
        TVelStrings unwrapped;
        fill(unwrapped, lines);
        WrapAll(unwrapped, params, viaWrapAll);
        ASSERT_EQ(wrappedRows, viaWrapAll) << "seed " << seed;
        ASSERT_EQ(byteOffset(store, wrapped.caret), caretOffset) << "seed " << seed;

        // Laying out a wrapped store again changes nothing.
        const RewrapAllResult again =
            RewrapAll(store, index, true, params, wrapped.caret, wrapped.anchor);
        ASSERT_EQ(rowsOf(store), wrappedRows) << "seed " << seed;
        ASSERT_EQ(again.caret, wrapped.caret) << "seed " << seed;

        const RewrapAllResult back =
            RewrapAll(store, index, false, params, wrapped.caret, wrapped.anchor);
        ASSERT_EQ(rowsOf(store), lines) << "seed " << seed;
        ASSERT_EQ(back.caret, caret) << "seed " << seed;
        ASSERT_EQ(back.anchor, anchor) << "seed " << seed;
    }
}

TEST(WordWrapProperty, PositionConversionsAreInversesOnEveryCaretPosition) {
    for (uint32_t seed = 1; seed <= kCases; ++seed) {
        Random random(seed);
        const WrapParams params = randomParams(random);
        TVelStrings store;
        fill(store, randomLines(random));
        LogicalLineIndex index(store);
        RewrapAll(store, index, true, params, {}, {});
        for (int row = 0; row < store.Count(); ++row) {
            const std::string& text = store.Get(row);
            const bool continues = continuesForConversions(store, row);
            const int limit =
                static_cast<int>(continues ? text.size() : StripTerminator(text).size());
            for (int col = 0; col <= limit; ++col) {
                const TextPos logical = index.RowToLogical({col, row});
                const TextPos expected =
                    continues && col == limit ? TextPos{0, row + 1} : TextPos{col, row};
                ASSERT_EQ(index.LogicalToRow(logical), expected) << "seed " << seed;
            }
        }
    }
}

TEST(WordWrapProperty, RewrapLinesAfterAnEditEqualsAFullLayout) {
    for (uint32_t seed = 1; seed <= kCases; ++seed) {
        Random random(seed);
        const WrapParams params = randomParams(random);
        TVelStrings store;
        fill(store, randomLines(random));
        LogicalLineIndex index(store);
        RewrapAll(store, index, true, params, {}, {});
        index.RowToLogical({0, store.Count() - 1});

        // One edit of the kinds the editor makes, on row r.
        const int r = static_cast<int>(random.below(static_cast<size_t>(store.Count())));
        const std::string row = store.Get(r);
        const std::string_view text = StripTerminator(row);
        const std::string terminator = row.substr(text.size());
        const size_t at = random.below(text.size() + 1);
        int lastLine = r;
        TextPos caret;
        switch (random.below(4)) {
        case 0: { // type or paste
            const std::string typed = randomText(random, 12);
            store.Put(r, row.substr(0, at) + typed + row.substr(at));
            caret = {static_cast<int>(at + typed.size()), r};
            break;
        }
        case 1: { // delete inside the row
            const size_t end = at + random.below(text.size() - at + 1);
            store.Put(r, row.substr(0, at) + row.substr(end));
            caret = {static_cast<int>(at), r};
            break;
        }
        case 2: // break the line
            store.Put(r, row.substr(0, at) + "\r\n");
            store.Insert(r + 1, row.substr(at));
            caret = {0, r + 1};
            lastLine = r + 1;
            break;
        default: // delete up to some later row, line breaks included
            const int to = std::min(store.Count() - 1, r + static_cast<int>(random.below(4)));
            const std::string& later = store.Get(to);
            const size_t keepFrom =
                std::min(random.below(later.size() + 1), StripTerminator(later).size());
            store.Put(r, row.substr(0, at) + later.substr(keepFrom));
            store.DeleteRange(r + 1, to - r);
            caret = {static_cast<int>(at), r};
            break;
        }
        const Rows edited = rowsOf(store);
        const long long caretOffset = byteOffset(store, caret);
        const Rows expected = modelLayout(store, params);

        const RewrapLinesResult result = RewrapLines(store, params, r, lastLine, caret);
        const Rows after = rowsOf(store);
        ASSERT_EQ(after, expected) << "seed " << seed;
        ASSERT_EQ(byteOffset(store, result.caret), caretOffset) << "seed " << seed;
        if (continuesForConversions(store, result.caret.line)) {
            ASSERT_LT(result.caret.col, static_cast<int>(after[result.caret.line].size()));
        }
        // Rows outside the reported range are the edited store's own.
        const int added = result.newLastRow - result.oldLastRow;
        ASSERT_EQ(result.rowCountChanged, added != 0) << "seed " << seed;
        for (int i = 0; i < static_cast<int>(after.size()); ++i) {
            if (i < result.startRow) {
                ASSERT_EQ(after[i], edited[i]) << "seed " << seed;
            } else if (i > result.newLastRow) {
                ASSERT_EQ(after[i], edited[i - added]) << "seed " << seed;
            }
        }
        // The index followed the changes.
        for (int i = 0; i < store.Count(); ++i) {
            const TextPos p{0, i};
            const TextPos back = index.LogicalToRow(index.RowToLogical(p));
            ASSERT_EQ(byteOffset(store, back), byteOffset(store, p)) << "seed " << seed;
        }
    }
}

// Texts of many runs of rows, with lines longer than a run: laying them out in place,
// run by run, gives the rows of the one-pass layout, and the conversions agree with a
// walk over the rows in every run.
TEST(WordWrapProperty, LayoutsOfTextsOfManyRunsMatchTheOnePassLayout) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        Random random(seed);
        const WrapParams params = randomParams(random);
        Rows lines;
        while (lines.size() < 2500) {
            Rows more = randomLines(random);
            more.back().replace(more.back().size() - 2, 2, "\r\n");
            lines.insert(lines.end(), more.begin(), more.end());
        }
        lines.push_back(randomText(random, 3000) + "\0\0"s);
        TVelStrings store;
        store.Assign(lines);
        LogicalLineIndex index(store);
        std::vector<std::string> onePass;
        WrapAll(store, params, onePass);

        const TextPos caret = randomCaret(random, store);
        const long long caretOffset = byteOffset(store, caret);
        const RewrapAllResult wrapped = RewrapAll(store, index, true, params, caret, caret);
        ASSERT_EQ(rowsOf(store), onePass) << "seed " << seed;
        ASSERT_EQ(byteOffset(store, wrapped.caret), caretOffset) << "seed " << seed;
        for (int probe = 0; probe < 200; ++probe) {
            const TextPos p = randomCaret(random, store);
            const TextPos logical = index.RowToLogical(p);
            ASSERT_EQ(byteOffset(store, index.LogicalToRow(logical)), byteOffset(store, p))
                << "seed " << seed;
        }
        RewrapAll(store, index, false, params, {}, {});
        ASSERT_EQ(rowsOf(store), lines) << "seed " << seed;
    }
}
