#include "editor/LinkCarryCache.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "editor/VelEditSub.h"
#include "editor/Velstrings.h"

namespace lumarik::editor {

namespace {

// Invalidations kept before they are folded into the cache. Folding costs one pass
// over the cached rows, so it happens only after this many edits.
constexpr size_t kMaxInvalidations = 256;

bool startsLogicalLine(const TVelStrings& store, int row) {
    return row == 0 || HasTerminator(store.Get(row - 1));
}

std::string_view rowAfter(const TVelStrings& store, int row) {
    return row + 1 < store.Count() ? std::string_view(store.Get(row + 1)) : "";
}

} // namespace

const std::vector<LinkRange>& LinkCarryCache::RowLinks(const TVelStrings& store, int row,
                                                       const MarkupRules& rules) {
    store.Get(row); // rejects a row outside the store
    rowRanges_.clear();
    if (!rules.colorPrint) {
        return rowRanges_;
    }
    if (rules.singleByte != singleByte_) {
        singleByte_ = rules.singleByte;
        longRows_.clear();
        InvalidateFrom(0);
    }
    // A long row that ends its logical line depends on nothing but its own bytes:
    // its links are kept until the row changes, so repainting it costs no rescan, and
    // after an edit inside it only the part from the edit on is scanned again.
    const std::string& bytes = store.Get(row);
    const bool keep = bytes.size() >= kKeptRowMinBytes && HasTerminator(bytes);
    if (keep) {
        const auto kept = longRows_.find(row);
        if (kept != longRows_.end() && kept->second.tabCount == rules.tabCount &&
            isCurrent(row, kept->second.stamp) &&
            (kept->second.changedFrom == std::string::npos ||
             rescanChanged(bytes, singleByte_, kept->second))) {
            return kept->second.ranges;
        }
    }
    RowLinkScan result = ScanRowLinks(bytes, rowAfter(store, row), carryInto(store, row),
                                      rules.singleByte, rules.tabCount);
    if (row + 1 < store.Count()) {
        remember(row + 1, result.carryOut);
    }
    if (!keep) {
        rowRanges_ = std::move(result.ranges);
        return rowRanges_;
    }
    if (!longRows_.contains(row) && longRows_.size() >= kMaxKeptRows) {
        longRows_.clear();
    }
    KeptRanges& kept = longRows_[row];
    kept = {stamp_, rules.tabCount, std::move(result.ranges), {}, std::string::npos};
    cachedSinceInvalidation_ = true;
    extendColumnMarks(bytes, rules.tabCount, singleByte_, kept);
    return kept.ranges;
}

std::optional<LinkCarry> LinkCarryCache::PreviousCarryInto(int row) const {
    const CachedCarry* entry = cached(row);
    if (entry == nullptr || entry->stamp == 0) {
        return std::nullopt;
    }
    return entry->carry;
}

void LinkCarryCache::InvalidateFrom(int row) {
    row = std::max(row, 0);
    // Edits one after the other down the text, with nothing asked in between (a
    // replace run), add nothing to the last invalidation and never fill the list.
    if (!cachedSinceInvalidation_ && !invalidations_.empty() &&
        invalidations_.back().fromRow <= row) {
        return;
    }
    while (!invalidations_.empty() && invalidations_.back().fromRow >= row) {
        invalidations_.pop_back();
    }
    if (invalidations_.size() >= kMaxInvalidations) {
        compact();
    }
    ++stamp_;
    invalidations_.push_back({stamp_, row});
    cachedSinceInvalidation_ = false;
}

void LinkCarryCache::RowEdited(int row, size_t col) {
    // Taken out while the invalidation is recorded (which may fold the cache), then
    // put back as current.
    auto kept = longRows_.extract(row);
    const bool frontValid = !kept.empty() && isCurrent(row, kept.mapped().stamp);
    InvalidateFrom(row);
    if (frontValid) {
        kept.mapped().stamp = stamp_;
        cachedSinceInvalidation_ = true;
        kept.mapped().changedFrom = std::min(kept.mapped().changedFrom, col);
        longRows_.insert(std::move(kept));
    }
}

bool LinkCarryCache::rescanChanged(std::string_view bytes, bool singleByte, KeptRanges& kept) {
    const std::optional<size_t> from =
        LinkScanRestart(bytes, kept.changedFrom, kept.ranges, singleByte);
    if (!from) {
        return false;
    }
    // A column depends only on the bytes in front of it.
    std::vector<size_t>& marks = kept.columnMarks;
    const size_t unchanged = std::min(kept.changedFrom, bytes.size());
    marks.resize(std::min(marks.size(), unchanged / kColumnMarkStep + 1));
    const size_t mark = std::min(*from / kColumnMarkStep, marks.size() - 1);
    const size_t markByte = mark * kColumnMarkStep;
    const size_t column =
        ExpandedColumnAfter(bytes, markByte, *from, marks[mark], kept.tabCount, singleByte);
    RowLinkScan rest = ScanRowLinksFrom(bytes, "", *from, column, singleByte, kept.tabCount);
    const auto stale =
        std::partition_point(kept.ranges.begin(), kept.ranges.end(),
                             [&](const LinkRange& range) { return range.begin < *from; });
    kept.ranges.erase(stale, kept.ranges.end());
    kept.ranges.insert(kept.ranges.end(), rest.ranges.begin(), rest.ranges.end());
    kept.changedFrom = std::string::npos;
    extendColumnMarks(bytes, kept.tabCount, singleByte, kept);
    return true;
}

void LinkCarryCache::extendColumnMarks(std::string_view bytes, int tabCount, bool singleByte,
                                       KeptRanges& kept) {
    std::vector<size_t>& marks = kept.columnMarks;
    if (marks.empty()) {
        marks.push_back(0);
    }
    for (size_t at = (marks.size() - 1) * kColumnMarkStep; at + kColumnMarkStep <= bytes.size();
         at += kColumnMarkStep) {
        marks.push_back(ExpandedColumnAfter(bytes, at, at + kColumnMarkStep, marks.back(), tabCount,
                                            singleByte));
    }
}

const LinkCarryCache::CachedCarry* LinkCarryCache::cached(int row) const {
    const auto page = static_cast<size_t>(row) / limits_.pageRows;
    if (row < 0 || page >= pages_.size() || pages_[page].empty()) {
        return nullptr;
    }
    return &pages_[page][static_cast<size_t>(row) % limits_.pageRows];
}

bool LinkCarryCache::isCached(int row) const {
    const CachedCarry* entry = cached(row);
    return entry != nullptr && isCurrent(row, entry->stamp);
}

bool LinkCarryCache::isCurrent(int row, uint32_t stamp) const {
    if (stamp == 0) {
        return false;
    }
    // fromRow rises along the list, so the first invalidation after the row was
    // cached reaches down the furthest.
    auto later = std::upper_bound(invalidations_.begin(), invalidations_.end(), stamp,
                                  [](uint32_t value, const Invalidation& invalidation) {
                                      return value < invalidation.stamp;
                                  });
    return later == invalidations_.end() || row < later->fromRow;
}

void LinkCarryCache::remember(int row, LinkCarry carry) {
    const auto page = static_cast<size_t>(row) / limits_.pageRows;
    if (page >= pages_.size()) {
        pages_.resize(page + 1);
    }
    if (pages_[page].empty()) {
        if (pageCount_ >= limits_.maxPages) {
            // Far more rows than a window shows: start afresh around this one.
            for (std::vector<CachedCarry>& other : pages_) {
                std::vector<CachedCarry>().swap(other);
            }
            pageCount_ = 0;
        }
        pages_[page].resize(limits_.pageRows);
        ++pageCount_;
    }
    pages_[page][static_cast<size_t>(row) % limits_.pageRows] = {stamp_, carry};
    cachedSinceInvalidation_ = true;
}

void LinkCarryCache::compact() {
    for (auto entry = longRows_.begin(); entry != longRows_.end();) {
        if (isCurrent(entry->first, entry->second.stamp)) {
            entry->second.stamp = 1;
            ++entry;
        } else {
            entry = longRows_.erase(entry);
        }
    }
    for (size_t page = 0; page < pages_.size(); ++page) {
        if (pages_[page].empty()) {
            continue;
        }
        bool kept = false;
        for (size_t i = 0; i < limits_.pageRows; ++i) {
            CachedCarry& entry = pages_[page][i];
            const auto row = static_cast<int>(page * limits_.pageRows + i);
            entry.stamp = isCurrent(row, entry.stamp) ? 1 : 0;
            kept = kept || entry.stamp != 0;
        }
        if (!kept) {
            std::vector<CachedCarry>().swap(pages_[page]);
            --pageCount_;
        }
    }
    invalidations_.clear();
    stamp_ = 1;
}

LinkCarry LinkCarryCache::carryInto(const TVelStrings& store, int row) {
    if (isCached(row)) {
        return cached(row)->carry;
    }
    int from = row;
    while (!isCached(from) && !startsLogicalLine(store, from)) {
        --from;
    }
    LinkCarry carry = isCached(from) ? cached(from)->carry : LinkCarry::None;
    remember(from, carry);
    for (int above = from; above < row; ++above) {
        carry = CarryPastRow(store.Get(above), rowAfter(store, above), carry, singleByte_);
        remember(above + 1, carry);
    }
    return carry;
}

} // namespace lumarik::editor
