#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/LinkScanner.h"
#include "editor/MarkupRules.h"

namespace lumarik::editor {

class TVelStrings;

// The links of the display rows of a line store, for painting. Whether a row starts
// inside a link depends on every earlier row of its logical line, so the state at
// each row start is cached: asking for a row costs the scan of that row (plus a few
// bytes of the next), not of its whole logical line. Missing states are filled in
// from the nearest row above whose state is known, or from the logical line start.
//
// After any change of the store its owner calls InvalidateFrom with the first row
// whose bytes changed, or that was inserted or removed (also after loading or
// clearing: InvalidateFrom(0)); the cached states of the rows above it stay valid.
// When the change starts inside a row, RowEdited says where, so that a long row keeps
// the links in front of the change and only its rest is scanned again.
// Such a change can also alter the links of the row just above when that row is
// continued (its end may complete a prefix with the changed row), so that row needs
// repainting too.
class LinkCarryCache {
public:
    // The states are cached in pages of rows, each made when a row of it is first
    // remembered: only the rows around those painted take room, however long the text.
    // Past maxPages pages the cache starts afresh.
    struct Limits {
        size_t pageRows = 4096;
        size_t maxPages = 64;
    };

    LinkCarryCache() : LinkCarryCache(Limits{}) {}
    explicit LinkCarryCache(Limits limits) : limits_(limits) {}

    // The link pieces on display row `row` of `store` (0 <= row < Count()), in
    // ascending order; none when rules.colorPrint is off. A change of
    // rules.singleByte drops the cache; the other rules do not touch it. The answer
    // stays valid until the next call on the cache: a long row's links are not copied.
    const std::vector<LinkRange>& RowLinks(const TVelStrings& store, int row,
                                           const MarkupRules& rules);

    // Forgets the cached states of `row` and every row after it.
    void InvalidateFrom(int row);
    // Row `row` changed from byte `col` on, its bytes in front of col are as before;
    // the rows after it may have changed, moved, been added or removed. Forgets what
    // InvalidateFrom(row) forgets, except the links of the row in front of col.
    void RowEdited(int row, size_t col);

    // The state the rows above hand on to `row`.
    LinkCarry CarryInto(const TVelStrings& store, int row) { return carryInto(store, row); }
    // The state handed on to `row` as last found, also when a change has made it stale
    // since (rows do not move in this record when rows are added or removed); none
    // when it was never found. A repaint compares it with CarryInto to see whether
    // rows that an edit only moved show other links now.
    std::optional<LinkCarry> PreviousCarryInto(int row) const;

private:
    struct CachedCarry {
        uint32_t stamp = 0; // 0: never computed
        LinkCarry carry = LinkCarry::None;
    };
    // Rows from fromRow on that were cached with a stamp below `stamp` are stale.
    struct Invalidation {
        uint32_t stamp;
        int fromRow;
    };

    // The links of a few long rows that end their logical line.
    struct KeptRanges {
        uint32_t stamp = 0;
        int tabCount = 0;
        std::vector<LinkRange> ranges;
        // The expanded column at every kColumnMarkStep-th byte of the row, so that a
        // scan restarted far into the row finds its column without walking the tabs
        // in front.
        std::vector<size_t> columnMarks;
        // The row's bytes changed from here on since the ranges were found.
        size_t changedFrom = std::string::npos;
    };
    static constexpr size_t kKeptRowMinBytes = 4096;
    static constexpr size_t kMaxKeptRows = 64;
    static constexpr size_t kColumnMarkStep = size_t{16} * 1024;

    Limits limits_;
    std::vector<std::vector<CachedCarry>> pages_; // a page not made yet is empty
    size_t pageCount_ = 0;
    std::unordered_map<int, KeptRanges> longRows_;
    std::vector<LinkRange> rowRanges_; // the last answer for a row that is not kept
    // Kept with fromRow strictly rising: a later invalidation from a lower row
    // supersedes the earlier ones from higher rows.
    std::vector<Invalidation> invalidations_;
    uint32_t stamp_ = 1;
    // Something was cached with the current stamp.
    bool cachedSinceInvalidation_ = false;
    bool singleByte_ = false;

    // The cached state of a row; none when its page was never made.
    const CachedCarry* cached(int row) const;
    bool isCached(int row) const;
    // Whether something cached for `row` with `stamp` is still valid.
    bool isCurrent(int row, uint32_t stamp) const;
    void remember(int row, LinkCarry carry);
    // Brings the ranges of a kept row whose bytes changed up to date by scanning from a
    // little in front of the change; false when no place to restart was found.
    static bool rescanChanged(std::string_view bytes, bool singleByte, KeptRanges& kept);
    // Adds the column marks that `bytes` has beyond the last one kept.
    static void extendColumnMarks(std::string_view bytes, int tabCount, bool singleByte,
                                  KeptRanges& kept);
    // Applies all recorded invalidations to the cache and starts the stamps afresh.
    void compact();
    // The state handed on to `row` by the rows above it.
    LinkCarry carryInto(const TVelStrings& store, int row);
};

} // namespace lumarik::editor
