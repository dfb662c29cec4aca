#pragma once

#include <cstdint>
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
// Such a change can also alter the links of the row just above when that row is
// continued (its end may complete a prefix with the changed row), so that row needs
// repainting too.
class LinkCarryCache {
public:
    // The link pieces on display row `row` of `store` (0 <= row < Count()), in
    // ascending order; none when rules.colorPrint is off. A change of
    // rules.singleByte drops the cache; the other rules do not touch it.
    std::vector<LinkRange> RowLinks(const TVelStrings& store, int row, const MarkupRules& rules);

    // Forgets the cached states of `row` and every row after it.
    void InvalidateFrom(int row);

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
    };
    static constexpr size_t kKeptRowMinBytes = 4096;
    static constexpr size_t kMaxKeptRows = 64;

    std::vector<CachedCarry> carries_;
    std::unordered_map<int, KeptRanges> longRows_;
    // Kept with fromRow strictly rising: a later invalidation from a lower row
    // supersedes the earlier ones from higher rows.
    std::vector<Invalidation> invalidations_;
    uint32_t stamp_ = 1;
    bool singleByte_ = false;

    bool isCached(int row) const;
    // Whether something cached for `row` with `stamp` is still valid.
    bool isCurrent(int row, uint32_t stamp) const;
    void remember(int row, LinkCarry carry);
    // Applies all recorded invalidations to the cache and starts the stamps afresh.
    void compact();
    // The state handed on to `row` by the rows above it.
    LinkCarry carryInto(const TVelStrings& store, int row);
};

} // namespace lumarik::editor
