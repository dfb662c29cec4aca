#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/RowPositions.h"
#include "editor/RowSlice.h"
#include "editor/VelEditSub.h"

namespace lumarik::editor {

// How rows are measured: the tab width, and whether a hit test takes every byte as a
// character of its own (the canvas always reads a lead byte with its trail byte).
struct RowWidthRules {
    int tabCount = 8;
    bool singleByte = false;
    bool operator==(const RowWidthRules&) const = default;
};

// Pixel positions in long display rows, so that placing the caret, hit-testing and
// painting far into a row of megabytes cost a few kilobytes of measuring, not the
// bytes in front of the place. Each long row gets checkpoints about every `step`
// bytes, each at a character start found by a forward scan, holding what the row
// measures in front of it; a query measures from the nearest checkpoint. Checkpoints
// are taken lazily, as far into the row as queries reach. Short rows are measured
// directly each time. Up to maxRows rows are kept, the least recently used going
// first; their checkpoints take about 2 % of their bytes.
//
// Rows are given as stored (terminator included) with their display line number,
// which is the key: after any change of the store its owner calls RowsChanged,
// RowEdited or RowsMoved, and after a change of the font the width function measures
// with, Clear. A change of the rules clears the cache by itself.
class RowWidthCache {
public:
    struct Limits {
        size_t minRowBytes = 4096; // shorter rows are not cached
        size_t step = 2048;        // bytes between checkpoints
        size_t maxRows = 64;
    };

    explicit RowWidthCache(TextWidthFn textWidth) : RowWidthCache(std::move(textWidth), {}) {}
    RowWidthCache(TextWidthFn textWidth, Limits limits);

    // Width of the first col bytes of the row, tabs expanded (col is clamped to the
    // row); the terminator is measured when col takes it in.
    int PrefixWidth(int line, std::string_view row, size_t col, const RowWidthRules& rules);
    // The column nearest to pixel x in the row's text, by the rule of ColumnAtX.
    ColumnHit NearestColumn(int line, std::string_view row, int x, const RowWidthRules& rules);
    // Width of the row's text (terminator removed), tabs expanded.
    int TextWidth(int line, std::string_view row, const RowWidthRules& rules);
    // Where SliceRow may start to cut [left, ...) out of the first `length` bytes of
    // the row: the last checkpoint left of `left` that lies within them.
    RowCheckpoint SliceStart(int line, std::string_view row, int left, size_t length,
                             const RowWidthRules& rules);

    void Clear();
    // Rows from fromLine on may have changed or moved.
    void RowsChanged(int fromLine);
    // The bytes of row `line` changed from column col on; no row was added or removed.
    void RowEdited(int line, size_t col);
    // The rows after `line` moved by `moved` rows: with moved < 0 the rows line + 1 ..
    // line - moved were removed, with moved > 0 as many new rows were put in after
    // `line`. Row `line` itself is left as it is.
    void RowsMoved(int line, int moved);

private:
    struct Checkpoint {
        RowCheckpoint at;
        int hitX = 0; // x as a hit test measures it (differs only in single-byte mode)
    };
    struct CachedRow {
        int line = 0;
        uint64_t lastUse = 0;
        std::vector<Checkpoint> checkpoints; // from the row start on, ascending
        bool allTaken = false;               // no checkpoint follows the last one
        std::optional<int> width;            // of the text, once measured
    };

    // The cached row for a long row, made when missing; checkpoints beyond the text
    // (left by an edit that shortened it) are dropped.
    CachedRow& Row(int line, std::string_view text, const RowWidthRules& rules);
    // Takes the next checkpoint of the row; answers false when none is left.
    bool TakeCheckpoint(CachedRow& row, std::string_view text);
    // Width of one character as a hit test measures it (a tab with its spaces).
    int UnitWidth(std::string_view unit);
    // Width of a piece of text that starts at an expanded column, as a hit test in
    // single-byte mode measures it: byte by byte.
    int ByteByByteWidth(std::string_view piece, size_t column);
    // ColumnAtX's walk, begun at a checkpoint.
    ColumnHit WalkToX(std::string_view text, const Checkpoint& from, int x);
    size_t TabWidth() const;

    TextWidthFn textWidth_;
    Limits limits_;
    RowWidthRules rules_;
    std::vector<CachedRow> rows_;
    uint64_t uses_ = 0;
    // Widths of single bytes (0-255) and of runs of 2-8 spaces, measured once: in
    // single-byte mode every hit-test character is one of these.
    std::array<int, 256 + 9> unitWidths_{};
};

} // namespace lumarik::editor
