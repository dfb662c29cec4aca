#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/FileRowReader.h"
#include "editor/LogicalLineIndex.h"
#include "editor/Velstrings.h"
#include "editor/WrapCut.h"
#include "editor/WrapLayout.h"

#include "support/TempDir.h"

using namespace lumarik::editor;
using lumarik::test::TempDir;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::string>;

constexpr int kCell = 8;

// Every byte one cell of kCell pixels, like a fixed-pitch font.
WrapParams cells(int column) {
    WrapParams params;
    params.column = column;
    params.textWidth = [](std::string_view s) { return static_cast<int>(s.size()) * kCell; };
    return params;
}

// 亜 (0x88 0x9F) has a trail byte with a lead-byte value; 表 (0x95 0x5C) a trail 0x5C.
const std::string kA = "\x88\x9F";
const std::string kHyo = "\x95\x5C";
const std::string kCrLf = "\r\n";
const std::string kEndMark("\0\0", 2);

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
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

// The conversions exactly as a walk from row 0 does them, with the clamps.
TextPos walkLogicalToRow(const TVelStrings& store, TextPos p) {
    int row = 0;
    for (int seen = 0; seen < p.line && row < store.Count() - 1; ++row) {
        if (store.Get(row).back() == '\n' && ++seen == p.line) {
            ++row;
            break;
        }
    }
    row = std::min(row, store.Count() - 1);
    long long c = std::max(p.col, 0);
    while (true) {
        const std::string& s = store.Get(row);
        if (s.back() == '\n' || row == store.Count() - 1) {
            return {static_cast<int>(std::min<long long>(c, StripTerminator(s).size())), row};
        }
        if (c < static_cast<long long>(s.size())) {
            return {static_cast<int>(c), row};
        }
        c -= static_cast<long long>(s.size());
        ++row;
    }
}

TextPos walkRowToLogical(const TVelStrings& store, TextPos p) {
    TextPos out{p.col, 0};
    for (int k = 0; k < p.line; ++k) {
        out.line += store.Get(k).back() == '\n' ? 1 : 0;
    }
    for (int k = p.line - 1; k >= 0 && store.Get(k).back() != '\n'; --k) {
        out.col += static_cast<int>(store.Get(k).size());
    }
    return out;
}

// The rows of a plain load after RewrapAll wrapped them.
Rows loadThenWrap(const fs::path& file, const WrapParams& params) {
    TVelStrings store;
    EXPECT_TRUE(store.LoadFromFile(file)) << store.LastError();
    LogicalLineIndex index(store);
    const RewrapAllResult result = RewrapAll(store, index, true, params, {0, 0}, {0, 0});
    EXPECT_EQ(result.caret, (TextPos{0, 0}));
    return rowsOf(store);
}

Rows loadWrapped(const fs::path& file, const WrapParams& params) {
    TVelStrings store;
    EXPECT_TRUE(LoadWrapped(store, file, params)) << store.LastError();
    return rowsOf(store);
}

// Lines from empty to several rows long with tabs and double-byte characters at every
// offset (in CR LF files also CR, LF and NUL bytes), each followed by `lineBreak`,
// until the text has `size` bytes.
std::string wrapTestText(const std::string& lineBreak, std::size_t size) {
    const std::vector<std::string> pieces = {"abc", kA, kHyo, "\t", "\x88", " ", "\r", "\n", "\0"s};
    std::string text;
    unsigned state = 99;
    while (text.size() < size) {
        state = state * 1103515245 + 12345;
        const unsigned length = (state >> 16) % 120;
        for (unsigned i = 0; i < length; ++i) {
            state = state * 1103515245 + 12345;
            const std::string& piece = pieces[(state >> 16) % pieces.size()];
            const bool breakByte = piece == "\r" || piece == "\n" || piece == "\0"s;
            // Break bytes inside lines are rare, as in real text.
            if (breakByte && (lineBreak != kCrLf || (state >> 8) % 8 != 0)) {
                continue;
            }
            text += piece;
        }
        text += lineBreak;
    }
    return text + "last";
}

} // namespace

TEST(LoadWrapped, GivesTheRowsOfAPlainLoadWrappedAfterwards) {
    TempDir dir;
    WrapParams measured = cells(30);
    measured.autoWrap = true;
    measured.textAreaWidth = 25 * kCell;
    measured.avgCharWidth = kCell;
    for (const std::string& lineBreak : {kCrLf, "\n"s, "\r"s}) {
        SCOPED_TRACE(static_cast<int>(lineBreak.back()));
        // Columns only: a file this big is cut on two threads.
        const auto big = static_cast<std::size_t>(kReadPartSize) * 3 / 2;
        const fs::path file = dir.write("wrap.txt", wrapTestText(lineBreak, big));
        EXPECT_EQ(loadWrapped(file, WrapParams{}), loadThenWrap(file, WrapParams{}));
        // Measured: on this thread.
        const fs::path small = dir.write("small.txt", wrapTestText(lineBreak, 1 << 16));
        EXPECT_EQ(loadWrapped(small, measured), loadThenWrap(small, measured));
    }
}

TEST(LoadWrapped, FailureLeavesTheStoreAsItWas) {
    TempDir dir;
    TVelStrings store;
    store.Add("kept"s + kEndMark);
    EXPECT_FALSE(LoadWrapped(store, dir.file("missing.txt"), WrapParams{}));
    EXPECT_FALSE(store.LastError().empty());

    WrapParams failing = cells(10);
    failing.autoWrap = true;
    failing.textWidth = [](std::string_view) -> int { throw std::runtime_error("no font"); };
    EXPECT_FALSE(LoadWrapped(store, dir.write("in.txt", std::string(30, 'a')), failing));
    EXPECT_EQ(store.LastError(), "no font");
    EXPECT_EQ(rowsOf(store), Rows({"kept"s + kEndMark}));
}

TEST(SplitLine, LeavesRoomForTheCarriageReturnOnTheLastRow) {
    const WrapParams params = cells(80);
    const std::string a79(79, 'a');
    EXPECT_EQ(SplitLine(a79 + kCrLf, params), Rows({a79 + kCrLf}));
    EXPECT_EQ(SplitLine(a79 + "b" + kCrLf, params), Rows({a79 + "b", kCrLf}));
    EXPECT_EQ(SplitLine(a79 + "bc" + kCrLf, params), Rows({a79 + "b", "c" + kCrLf}));
    // The end-of-text mark is cut like a line end and stays on the last row.
    EXPECT_EQ(SplitLine(a79 + "b" + kEndMark, params), Rows({a79 + "b", kEndMark}));
    EXPECT_EQ(SplitLine(std::string(85, 'x') + kEndMark, params),
              Rows({std::string(80, 'x'), "xxxxx" + kEndMark}));
    // No word boundaries: punctuation and spaces may begin a row.
    EXPECT_EQ(SplitLine(std::string(10, 'w') + ". z" + kCrLf, cells(10)),
              Rows({std::string(10, 'w'), ". z" + kCrLf}));
}

TEST(SplitLine, NeverSplitsADoubleByteCharacter) {
    const WrapParams params = cells(80);
    // 1 + 39 x 2 = 79 bytes fit; the 40th character would straddle column 80.
    const Rows rows = SplitLine("a" + repeat(kA, 40) + kCrLf, params);
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0], "a" + repeat(kA, 39));
    EXPECT_EQ(rows[1], kA + kCrLf);
    // Trail bytes 0x5C and lead-valued trails pair up from the row start.
    EXPECT_EQ(
        SplitLine("b" + repeat(kHyo + kA, 6) + kCrLf, cells(10)),
        Rows({"b" + kHyo + kA + kHyo + kA, kHyo + kA + kHyo + kA + kHyo, kA + kHyo + kA + kCrLf}));
    // In single-byte mode every byte is a character of its own.
    WrapParams single = params;
    single.singleByteMode = true;
    EXPECT_EQ(SplitLine("a" + repeat(kA, 40) + kCrLf, single)[0].size(), 80U);
}

TEST(SplitLine, ExpandsTabsFromTheStartOfEachRow) {
    WrapParams params = cells(10);
    EXPECT_EQ(SplitLine("\tabcdef" + kCrLf, params), Rows({"\tab", "cdef" + kCrLf}));
    // The tab that begins the second row expands to a full tab width again.
    EXPECT_EQ(SplitLine("abcdefghij\tx" + kCrLf, params), Rows({"abcdefghij", "\tx" + kCrLf}));
    params.tabCount = 4;
    EXPECT_EQ(SplitLine("ab\tcd\tefgh" + kCrLf, params), Rows({"ab\tcd\tef", "gh" + kCrLf}));
    // A tab that is the trail byte of a pair is one column of that character, also
    // when the width is measured; in single-byte mode it is a tab.
    params.tabCount = 8;
    const std::string trailTab = "\x83\tabcdefgh" + kCrLf;
    EXPECT_EQ(SplitLine(trailTab, params), Rows({"\x83\tabcdefgh", kCrLf}));
    params.autoWrap = true;
    params.avgCharWidth = kCell;
    params.textAreaWidth = 10 * kCell;
    EXPECT_EQ(SplitLine(trailTab, params), Rows({"\x83\tabcdefgh", kCrLf}));
    params.autoWrap = false;
    params.singleByteMode = true;
    EXPECT_EQ(SplitLine(trailTab, params), Rows({"\x83\tab", "cdefgh" + kCrLf}));
}

TEST(SplitLine, AutoWrapCutsAtTheTextAreaButNotBelowTenAverageCharacters) {
    WrapParams params = cells(80);
    params.autoWrap = true;
    params.avgCharWidth = kCell;
    const std::string line = std::string(50, 'x') + kCrLf;

    params.textAreaWidth = 30 * kCell;
    EXPECT_EQ(SplitLine(line, params)[0].size(), 30U);
    params.textAreaWidth = 30 * kCell + kCell - 1;
    EXPECT_EQ(SplitLine(line, params)[0].size(), 30U);
    params.textAreaWidth = 4 * kCell;
    EXPECT_EQ(SplitLine(line, params),
              Rows({std::string(10, 'x'), std::string(10, 'x'), std::string(10, 'x'),
                    std::string(10, 'x'), std::string(10, 'x'), kCrLf}));
    params.autoWrap = false;
    EXPECT_EQ(SplitLine(line, params), Rows({line}));
    // The pixel width of a tab is that of its spaces.
    params.autoWrap = true;
    params.textAreaWidth = 12 * kCell;
    EXPECT_EQ(SplitLine("a\tbcdefgh" + kCrLf, params)[0], "a\tbcde");
}

TEST(SplitLine, KeepsLineEndLookalikesOffTheEndOfAContinuationRow) {
    const WrapParams params = cells(10);
    const std::string a8(8, 'a');
    // A CR or NUL that would end the row moves to the next one.
    EXPECT_EQ(SplitLine(a8 + "b\rcd" + kCrLf, params), Rows({a8 + "b", "\rcd" + kCrLf}));
    EXPECT_EQ(SplitLine(a8 + "b"s + '\0' + "cd" + kCrLf, params),
              Rows({a8 + "b", "\0cd"s + kCrLf}));
    // CR x or NUL x at the end would read as a terminator; LF last as a line end.
    EXPECT_EQ(SplitLine(a8 + "\rbcd" + kCrLf, params), Rows({a8, "\rbcd" + kCrLf}));
    EXPECT_EQ(SplitLine(a8 + "b\ncd" + kCrLf, params), Rows({a8 + "b", "\ncd" + kCrLf}));
    // Stepping back goes on until the row ends cleanly.
    EXPECT_EQ(SplitLine("abcdef\r\r\r\rgh" + kCrLf, params),
              Rows({"abcdef", "\r\r\r\rgh" + kCrLf}));
    EXPECT_EQ(SplitLine("abcdefg\r\n\rxy" + kCrLf, params), Rows({"abcdefg", "\r\n\rxy" + kCrLf}));
    // A lead byte takes a CR as its trail byte; the pair still may not end the row.
    EXPECT_EQ(SplitLine(a8 + "\x88\rxyz" + kCrLf, params), Rows({a8, "\x88\rxyz" + kCrLf}));
}

TEST(SplitLine, AlwaysMakesProgress) {
    // A character wider than the text area and the minimum still gets a row.
    WrapParams params = cells(80);
    params.autoWrap = true;
    params.textWidth = [](std::string_view) { return 1000; };
    params.avgCharWidth = 1;
    params.textAreaWidth = 1;
    EXPECT_EQ(SplitLine("ab" + kA + kCrLf, params), Rows({"a", "b", kA, kCrLf}));
    // With nothing that may end a row in reach, the row runs to its first clean end.
    EXPECT_EQ(SplitLine(std::string(12, '\n') + "abc" + kCrLf, cells(10)),
              Rows({std::string(12, '\n') + "a", "bc" + kCrLf}));
    EXPECT_EQ(SplitLine(std::string(30, '\r') + kCrLf, cells(10)),
              Rows({std::string(30, '\r') + kCrLf}));
    EXPECT_EQ(SplitLine("", cells(10)), Rows({""}));
}

TEST(SplitLine, CutsAHugeLineInRowsOfTheColumnWidth) {
    const std::string line = std::string(10 * 1024 * 1024, 'x') + kCrLf;
    const std::vector<size_t> ends = RowEnds(line, cells(80));
    ASSERT_EQ(ends.size(), 10U * 1024 * 1024 / 80 + 1);
    EXPECT_EQ(ends[0], 80U);
    EXPECT_EQ(ends[ends.size() - 2], 10U * 1024 * 1024);
    EXPECT_EQ(ends.back(), line.size());
}

TEST(JoinRows, TakesRowsUpToTheFirstTerminator) {
    TVelStrings store;
    fill(store, {"abc", "de\r\n", "fg", "h\rx", "ij"s + kEndMark, "tail"});
    const JoinedRows first = JoinRows(store, 0);
    EXPECT_EQ(first.text, "abcde\r\n");
    EXPECT_EQ(first.lastRow, 1);
    // A lone CR pair ends a logical line for joins.
    EXPECT_EQ(JoinRows(store, 2).text, "fgh\rx");
    EXPECT_EQ(JoinRows(store, 2).lastRow, 3);
    // Without a terminator the store's last row ends the line.
    EXPECT_EQ(JoinRows(store, 5).text, "tail");
    EXPECT_EQ(JoinRows(store, 5).lastRow, 5);
    EXPECT_THROW(JoinRows(store, 6), VelStringsError);
}

TEST(RewrapAll, WrapsAndUnwrapsWithTheCaretOnTheSameByte) {
    const WrapParams params = cells(10);
    const Rows text = {"0123456789abcdefghijklm" + kCrLf, "short" + kCrLf, "x"s + kEndMark};
    TVelStrings store;
    fill(store, text);
    LogicalLineIndex index(store);

    RewrapAllResult wrapped = RewrapAll(store, index, true, params, {15, 0}, {2, 1});
    EXPECT_EQ(rowsOf(store),
              Rows({"0123456789", "abcdefghij", "klm" + kCrLf, "short" + kCrLf, "x"s + kEndMark}));
    EXPECT_EQ(wrapped.caret, (TextPos{5, 1}));
    EXPECT_EQ(wrapped.anchor, (TextPos{2, 3}));
    // Wrapping a wrapped store lays it out again: here nothing changes.
    EXPECT_EQ(RewrapAll(store, index, true, params, {5, 1}, {2, 3}).caret, (TextPos{5, 1}));
    EXPECT_EQ(store.Count(), 5);

    // A caret at the end of a continuation row comes back at column 0 of the next.
    RewrapAllResult unwrapped = RewrapAll(store, index, false, params, {10, 0}, {1, 2});
    EXPECT_EQ(rowsOf(store), text);
    EXPECT_EQ(unwrapped.caret, (TextPos{10, 0}));
    EXPECT_EQ(unwrapped.anchor, (TextPos{21, 0}));
    EXPECT_EQ(RewrapAll(store, index, true, params, {10, 0}, {10, 0}).caret, (TextPos{0, 1}));

    // A narrower column re-lays out in one step.
    RewrapAll(store, index, true, cells(12), {0, 0}, {0, 0});
    EXPECT_EQ(rowsOf(store)[0], "0123456789ab");
}

TEST(RewrapAll, LeavesStoreAndPositionsAsTheyWereWhenLayoutFails) {
    TVelStrings store;
    fill(store, {std::string(30, 'a') + kCrLf, "b"s + kEndMark});
    LogicalLineIndex index(store);
    WrapParams failing = cells(10);
    failing.autoWrap = true;
    failing.textWidth = [](std::string_view) -> int { throw std::runtime_error("no font"); };

    EXPECT_THROW(RewrapAll(store, index, true, failing, {12, 0}, {0, 1}), std::runtime_error);
    EXPECT_EQ(rowsOf(store), Rows({std::string(30, 'a') + kCrLf, "b"s + kEndMark}));
    EXPECT_EQ(index.LogicalToRow({12, 0}), (TextPos{12, 0}));
    EXPECT_EQ(index.RowToLogical({0, 1}), (TextPos{0, 1}));
}

TEST(RewrapLines, DeletingTextLeavesExactlyTheRowsNeeded) {
    const WrapParams params = cells(10);
    TVelStrings store;
    LogicalLineIndex index(store);
    fill(store, {"head" + kCrLf, std::string(35, 'x') + kCrLf, "next" + kCrLf, "z"s + kEndMark});
    RewrapAll(store, index, true, params, {}, {});
    ASSERT_EQ(store.Count(), 7);

    // Delete 18 bytes from the middle: 8 of row 2 and all of row 3.
    store.Put(2, "xx");
    store.Put(3, "");
    RewrapLinesResult result = RewrapLines(store, params, 2, 3, {2, 2});
    EXPECT_EQ(rowsOf(store), Rows({"head" + kCrLf, std::string(10, 'x'), "xxxxxxx" + kCrLf,
                                   "next" + kCrLf, "z"s + kEndMark}));
    EXPECT_EQ(result.startRow, 2); // row 1 kept its cut
    EXPECT_EQ(result.oldLastRow, 4);
    EXPECT_EQ(result.newLastRow, 2);
    EXPECT_TRUE(result.rowCountChanged);
    EXPECT_EQ(result.caret, (TextPos{2, 2}));
    EXPECT_EQ(index.RowToLogical({0, 3}), (TextPos{0, 2}));
    EXPECT_EQ(index.LogicalToRow({0, 3}), (TextPos{0, 4}));
}

TEST(RewrapLines, TypingIntoAFullRowPushesTextOnAndStopsWhereCutsRealign) {
    const WrapParams params = cells(10);
    TVelStrings store;
    LogicalLineIndex index(store);
    // Row 1 ends one byte short of the column: a double-byte character straddled it.
    fill(store, {std::string(10, 'a'), "bbbbbbbbb", kA + "cccccccc", std::string(10, 'd'),
                 "e" + kCrLf, "z"s + kEndMark});

    // Type "X" at the end of row 0; the caret stands behind it.
    store.Put(0, std::string(10, 'a') + "X");
    RewrapLinesResult result = RewrapLines(store, params, 0, 0, {11, 0});
    EXPECT_EQ(rowsOf(store), Rows({std::string(10, 'a'), "Xbbbbbbbbb", kA + "cccccccc",
                                   std::string(10, 'd'), "e" + kCrLf, "z"s + kEndMark}));
    EXPECT_EQ(result.caret, (TextPos{1, 1}));
    EXPECT_EQ(result.startRow, 0);
    EXPECT_EQ(result.oldLastRow, 1);
    EXPECT_EQ(result.newLastRow, 1);
    EXPECT_FALSE(result.rowCountChanged);

    // Deleting it again: the caret, left at the cut, goes to column 0 of the next row.
    store.Put(1, "bbbbbbbbb");
    result = RewrapLines(store, params, 1, 1, {0, 1});
    EXPECT_EQ(rowsOf(store)[1], "bbbbbbbbb");
    EXPECT_EQ(result.caret, (TextPos{0, 1}));
    // Shortening the first row pulls text back into it, down the whole line.
    store.Put(0, std::string(9, 'a'));
    result = RewrapLines(store, params, 0, 0, {9, 0});
    EXPECT_EQ(rowsOf(store), Rows({std::string(9, 'a') + "b", "bbbbbbbb" + kA, "ccccccccdd",
                                   "dddddddde" + kCrLf, "z"s + kEndMark}));
    EXPECT_EQ(result.caret, (TextPos{9, 0}));
    EXPECT_EQ(result.oldLastRow, 4);
    EXPECT_EQ(result.newLastRow, 3);
}

TEST(RewrapLines, LaysOutEveryLogicalLineOfTheEditedRows) {
    const WrapParams params = cells(10);
    TVelStrings store;
    LogicalLineIndex index(store);
    fill(store, {"0123456789", "abc" + kCrLf, "tail" + kCrLf, "z"s + kEndMark});
    // Break the first row's line after "01234" (Enter typed there).
    store.Put(0, "01234" + kCrLf);
    store.Insert(1, "56789");
    RewrapLinesResult result = RewrapLines(store, params, 0, 1, {0, 1});
    EXPECT_EQ(rowsOf(store),
              Rows({"01234" + kCrLf, "56789abc" + kCrLf, "tail" + kCrLf, "z"s + kEndMark}));
    EXPECT_EQ(result.caret, (TextPos{0, 1}));
    EXPECT_EQ(result.oldLastRow, 2);
    EXPECT_EQ(result.newLastRow, 1);
    EXPECT_EQ(index.LogicalToRow({2, 2}), (TextPos{2, 2}));
}

TEST(LogicalLineIndex, ConvertsByTheRowsThatEndWithLf) {
    TVelStrings store;
    fill(store, {"abcd", "ef\r\n", "gh\rx", "ij\r\n", "kl"s + kEndMark});
    LogicalLineIndex index(store);
    EXPECT_EQ(index.RowToLogical({1, 1}), (TextPos{5, 0}));
    EXPECT_EQ(index.LogicalToRow({5, 0}), (TextPos{1, 1}));
    // The end of a continuation row is column 0 of the next row.
    EXPECT_EQ(index.RowToLogical({4, 0}), (TextPos{4, 0}));
    EXPECT_EQ(index.LogicalToRow({4, 0}), (TextPos{0, 1}));
    // After a line's CR LF is the next line's start, as RewrapAll maps an anchor there.
    EXPECT_EQ(index.RowToLogical({4, 1}), (TextPos{8, 0}));
    EXPECT_EQ(index.LogicalToRow({8, 0}), (TextPos{0, 2}));
    TVelStrings two;
    fill(two, {"ab\r\n", "cd"s + kEndMark});
    LogicalLineIndex twoIndex(two);
    EXPECT_EQ(RewrapAll(two, twoIndex, true, cells(10), {}, {4, 0}).anchor, (TextPos{0, 1}));
    // A lone-CR row is no logical line end for the conversions.
    EXPECT_EQ(index.RowToLogical({1, 3}), (TextPos{5, 1}));
    EXPECT_EQ(index.LogicalToRow({5, 1}), (TextPos{1, 3}));
    EXPECT_EQ(index.RowToLogical({2, 4}), (TextPos{2, 2}));
    // Out of range: the last row of the logical line or of the store, column clamped.
    EXPECT_EQ(index.LogicalToRow({99, 0}), (TextPos{2, 1}));
    EXPECT_EQ(index.LogicalToRow({99, 2}), (TextPos{2, 4}));
    EXPECT_EQ(index.LogicalToRow({1, 7}), (TextPos{1, 4}));
    EXPECT_EQ(index.LogicalToRow({-3, -1}), (TextPos{0, 0}));
    EXPECT_EQ(index.RowToLogical({9, 9}), (TextPos{4, 2}));
}

TEST(LogicalLineIndex, AgreesWithAWalkFromTheFirstRowAcrossBlocksAndEdits) {
    // 5000 rows: runs of continuation rows, some longer than a block of the index.
    TVelStrings store;
    for (int i = 0; i < 5000; ++i) {
        const bool ends = (i % 7 == 3 && i < 2000) || i % 1500 == 1499;
        store.Add(std::to_string(i) + (ends ? kCrLf : "-"));
    }
    store.Add("end"s + kEndMark);
    LogicalLineIndex index(store);
    auto checkAll = [&] {
        for (int row = 0; row < store.Count(); row += 37) {
            const TextPos p{static_cast<int>(store.Get(row).size()) / 2, row};
            const TextPos logical = walkRowToLogical(store, p);
            ASSERT_EQ(index.RowToLogical(p), logical) << row;
            ASSERT_EQ(index.LogicalToRow(logical), walkLogicalToRow(store, logical)) << row;
            ASSERT_EQ(index.LogicalToRow(logical), p) << row;
        }
    };
    checkAll();
    // Edits straight on the store, some of which make or unmake line ends: the index
    // follows them without being told.
    store.Insert(10, "new\r\n");
    store.Put(3000, "cut\r\n");
    store.DeleteRange(1200, 700);
    checkAll();
    store.AppendBytes(2500, "\r\n");
    store.EraseBytes(3, 1, 100);
    store.InsertBytes(1500, 0, "front-");
    store.InsertRange(40, Rows(3000, "wide-"));
    store.EraseBytes(4000, 0, 2);
    checkAll();
    EXPECT_EQ(index.LogicalToRow({0, 100000}), (TextPos{0, store.Count() - 1}));
}
