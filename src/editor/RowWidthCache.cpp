#include "editor/RowWidthCache.h"

#include <algorithm>
#include <string>

namespace lumarik::editor {

namespace {

constexpr std::string_view kTabSpaces = "        ";
constexpr size_t kSpaceRunKey = 256;

} // namespace

RowWidthCache::RowWidthCache(TextWidthFn textWidth, Limits limits)
    : textWidth_(std::move(textWidth)), limits_(limits) {
    limits_.step = std::max<size_t>(limits_.step, 1);
    limits_.maxRows = std::max<size_t>(limits_.maxRows, 1);
    unitWidths_.fill(-1);
}

int RowWidthCache::PrefixWidth(int line, std::string_view row, size_t col,
                               const RowWidthRules& rules) {
    col = std::min(col, row.size());
    if (row.size() < limits_.minRowBytes) {
        return textWidth_(ExpandTabs(row.substr(0, col), rules.tabCount, rules.singleByte));
    }
    const std::string_view text = StripTerminator(row);
    CachedRow& cached = Row(line, text, rules);
    while (cached.checkpoints.back().at.byte + limits_.step <= col &&
           TakeCheckpoint(cached, text)) {
    }
    const auto after = std::partition_point(
        cached.checkpoints.begin(), cached.checkpoints.end(),
        [col](const Checkpoint& checkpoint) { return checkpoint.at.byte <= col; });
    const RowCheckpoint& from = std::prev(after)->at;
    // Checkpoints lie inside the text, so the rest may take in the terminator.
    return from.x + textWidth_(ExpandTabsFrom(row.substr(from.byte, col - from.byte),
                                              rules.tabCount, from.column, rules.singleByte));
}

ColumnHit RowWidthCache::NearestColumn(int line, std::string_view row, int x,
                                       const RowWidthRules& rules) {
    const std::string_view text = StripTerminator(row);
    if (row.size() < limits_.minRowBytes) {
        return ColumnAtX(text, x, rules.tabCount, rules.singleByte, textWidth_);
    }
    if (x <= 0) {
        return {};
    }
    CachedRow& cached = Row(line, text, rules);
    while (cached.checkpoints.back().hitX < x && TakeCheckpoint(cached, text)) {
    }
    // Every character in front of a checkpoint left of x ends left of x, so the walk
    // from there gives the answer of a walk from the row start.
    const auto after =
        std::partition_point(cached.checkpoints.begin(), cached.checkpoints.end(),
                             [x](const Checkpoint& checkpoint) { return checkpoint.hitX < x; });
    return WalkToX(text, *std::prev(after), x);
}

int RowWidthCache::TextWidth(int line, std::string_view row, const RowWidthRules& rules) {
    const std::string_view text = StripTerminator(row);
    if (row.size() < limits_.minRowBytes) {
        return text.find('\t') == std::string_view::npos
                   ? textWidth_(text)
                   : textWidth_(ExpandTabs(text, rules.tabCount, rules.singleByte));
    }
    CachedRow& cached = Row(line, text, rules);
    if (!cached.width) {
        while (TakeCheckpoint(cached, text)) {
        }
        const RowCheckpoint& last = cached.checkpoints.back().at;
        cached.width = last.x + textWidth_(ExpandTabsFrom(text.substr(last.byte), rules.tabCount,
                                                          last.column, rules.singleByte));
    }
    return *cached.width;
}

RowCheckpoint RowWidthCache::SliceStart(int line, std::string_view row, int left, size_t length,
                                        const RowWidthRules& rules) {
    if (row.size() < limits_.minRowBytes || left <= 0) {
        return {};
    }
    const std::string_view text = StripTerminator(row);
    CachedRow& cached = Row(line, text, rules);
    while (cached.checkpoints.back().at.x < left &&
           cached.checkpoints.back().at.byte + limits_.step <= length &&
           TakeCheckpoint(cached, text)) {
    }
    // A character in front of a checkpoint left of `left` ends at or before the
    // checkpoint, so SliceRow would skip it anyway.
    const std::vector<Checkpoint>& checkpoints = cached.checkpoints;
    const auto leftOf = std::partition_point(
        checkpoints.begin(), checkpoints.end(),
        [left](const Checkpoint& checkpoint) { return checkpoint.at.x < left; });
    const auto within = std::partition_point(
        checkpoints.begin(), checkpoints.end(),
        [length](const Checkpoint& checkpoint) { return checkpoint.at.byte <= length; });
    return std::prev(std::min(leftOf, within))->at;
}

void RowWidthCache::Clear() {
    rows_.clear();
    unitWidths_.fill(-1);
}

void RowWidthCache::RowsChanged(int fromLine) {
    std::erase_if(rows_, [fromLine](const CachedRow& row) { return row.line >= fromLine; });
}

void RowWidthCache::RowEdited(int line, size_t col) {
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [line](const CachedRow& row) { return row.line == line; });
    if (found == rows_.end()) {
        return;
    }
    // What lies in front of col was measured from unchanged bytes; the row start stays.
    std::vector<Checkpoint>& checkpoints = found->checkpoints;
    const auto edited = std::partition_point(
        checkpoints.begin() + 1, checkpoints.end(),
        [col](const Checkpoint& checkpoint) { return checkpoint.at.byte < col; });
    checkpoints.erase(edited, checkpoints.end());
    found->allTaken = false;
    found->width.reset();
}

void RowWidthCache::RowsMoved(int line, int moved) {
    // Removed rows are dropped; the rows behind them keep their checkpoints under their
    // new line numbers.
    const long long lastRemoved = moved < 0 ? static_cast<long long>(line) - moved : line;
    std::erase_if(rows_, [line, lastRemoved](const CachedRow& row) {
        return row.line > line && row.line <= lastRemoved;
    });
    for (CachedRow& row : rows_) {
        if (row.line > line) {
            row.line += moved;
        }
    }
}

RowWidthCache::CachedRow& RowWidthCache::Row(int line, std::string_view text,
                                             const RowWidthRules& rules) {
    if (rules != rules_) {
        Clear();
        rules_ = rules;
    }
    ++uses_;
    auto found = std::find_if(rows_.begin(), rows_.end(),
                              [line](const CachedRow& row) { return row.line == line; });
    if (found == rows_.end()) {
        if (rows_.size() >= limits_.maxRows) {
            found = std::min_element(
                rows_.begin(), rows_.end(),
                [](const CachedRow& a, const CachedRow& b) { return a.lastUse < b.lastUse; });
            *found = CachedRow{};
        } else {
            found = rows_.emplace(rows_.end());
        }
        found->line = line;
        found->checkpoints.emplace_back();
    }
    found->lastUse = uses_;
    std::vector<Checkpoint>& checkpoints = found->checkpoints;
    while (checkpoints.size() > 1 && checkpoints.back().at.byte > text.size()) {
        checkpoints.pop_back();
    }
    return *found;
}

bool RowWidthCache::TakeCheckpoint(CachedRow& row, std::string_view text) {
    if (row.allTaken) {
        return false;
    }
    const Checkpoint last = row.checkpoints.back();
    // The next character start at least `step` bytes on, found by scanning forward
    // from the last checkpoint. One at the text's very end is no checkpoint: there a
    // lead byte may pair with the terminator when the whole row is measured.
    const std::string_view rest = text.substr(last.at.byte);
    CharScanner scan(rest, false);
    while (!scan.atEnd() && scan.pos() < limits_.step) {
        scan.next();
    }
    if (scan.atEnd()) {
        row.allTaken = true;
        return false;
    }
    const std::string_view piece = rest.substr(0, scan.pos());
    const std::string expanded =
        ExpandTabsFrom(piece, rules_.tabCount, last.at.column, rules_.singleByte);
    Checkpoint next;
    next.at.byte = last.at.byte + piece.size();
    next.at.column = last.at.column + expanded.size();
    next.at.x = last.at.x + textWidth_(expanded);
    next.at.tabs = last.at.tabs;
    for (size_t tab = piece.find('\t'); tab != std::string_view::npos;
         tab = piece.find('\t', tab + 1)) {
        next.at.tabs += IsTabAt(piece, tab, rules_.singleByte) ? 1 : 0;
    }
    next.hitX = rules_.singleByte ? last.hitX + ByteByByteWidth(piece, last.at.column) : next.at.x;
    row.checkpoints.push_back(next);
    return true;
}

int RowWidthCache::UnitWidth(std::string_view unit) {
    size_t key = unitWidths_.size();
    if (unit.size() == 1) {
        key = static_cast<unsigned char>(unit.front());
    } else if (unit.size() < unitWidths_.size() - kSpaceRunKey &&
               unit.find_first_not_of(' ') == std::string_view::npos) {
        key = kSpaceRunKey + unit.size();
    }
    if (key == unitWidths_.size()) {
        return textWidth_(unit);
    }
    if (unitWidths_[key] < 0) {
        unitWidths_[key] = textWidth_(unit);
    }
    return unitWidths_[key];
}

int RowWidthCache::ByteByByteWidth(std::string_view piece, size_t column) {
    const size_t tabWidth = TabWidth();
    int width = 0;
    for (size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] == '\t') {
            const size_t spaces = tabWidth - column % tabWidth;
            width += UnitWidth(kTabSpaces.substr(0, spaces));
            column += spaces;
        } else {
            width += UnitWidth(piece.substr(i, 1));
            ++column;
        }
    }
    return width;
}

ColumnHit RowWidthCache::WalkToX(std::string_view text, const Checkpoint& from, int x) {
    const size_t tabWidth = TabWidth();
    const std::string_view rest = text.substr(from.at.byte);
    std::string unit;
    size_t column = from.at.column;
    int left = from.hitX;
    for (CharScanner scan(rest, rules_.singleByte); !scan.atEnd();) {
        const size_t start = scan.pos();
        unit.assign(rest.substr(start, static_cast<size_t>(scan.next())));
        if (unit == "\t") {
            unit.pop_back();
            unit.append(tabWidth - (column + unit.size()) % tabWidth, ' ');
        }
        const int width = UnitWidth(unit);
        const int right = left + width;
        // A point at the very end of the text is after it, even in a cell of width 1.
        const bool pastEnd = scan.atEnd() && x >= right;
        if (x <= right - width / 2 && !pastEnd) {
            return {static_cast<int>(from.at.byte + start), left};
        }
        column += unit.size();
        left = right;
    }
    return {static_cast<int>(text.size()), left};
}

size_t RowWidthCache::TabWidth() const {
    return static_cast<size_t>(std::clamp(rules_.tabCount, 1, 8));
}

} // namespace lumarik::editor
