#include "editor/LinkScanner.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "editor/VelEditSub.h"
#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kHttps = "https:/";
constexpr std::string_view kMailto = "mailto:";
constexpr std::string_view kMail = "mail:";
constexpr std::string_view kTag = "tag:";
// Bytes of a web or mail prefix stepped over before the stop set applies (the length
// of the shortest one; the rest of a longer prefix holds no stop character).
constexpr size_t kUrlPrefixSkip = 5;
// Bytes a decision at one place may read ahead: a prefix compared there. Every other
// look-ahead (a trail byte, the second byte of a wide space) is shorter.
constexpr size_t kLongestPrefix =
    std::max({kHttp.size(), kHttps.size(), kMailto.size(), kMail.size(), kTag.size()});
// How far in front of a change a restart place is looked for.
constexpr size_t kRestartLookBack = size_t{64} * 1024;

// The ideographic space ends a web or mail address; no other double-byte character does.
constexpr unsigned char kWideSpaceLead = 0x81;
constexpr unsigned char kWideSpaceTrail = 0x40;

bool isUrlStopByte(char c) {
    return c == ' ' || c == '|' || c == '\t' || c == '"' || c == '>';
}

bool isTagStopByte(char c) {
    return c == '\t' || c == ' ' || c == ',' || c == ':';
}

// Prefix bytes are compared after lower-casing A-Z, as LowerCase does. A window that
// holds a double-byte character never matches (prefixes are plain ASCII), so folding
// byte by byte gives the same answer as folding whole characters.
char foldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether a link prefix may start with the character: most characters are turned
// away here without comparing any prefix.
bool mayStartPrefix(char c) {
    const char folded = foldCase(c);
    return folded == kHttp[0] || folded == kHttps[0] || folded == kMailto[0] ||
           folded == kMail[0] || folded == kTag[0];
}

LinkCarry carryFor(LinkKind kind) {
    return kind == LinkKind::Mail ? LinkCarry::MailContinues : LinkCarry::WebContinues;
}

// The scan of one display row, in 0-based byte offsets of its text.
class RowScanner {
public:
    RowScanner(std::string_view row, std::string_view nextRow, bool singleByte, bool collectRanges)
        : text_(StripTerminator(row)), terminated_(HasTerminator(row)), singleByte_(singleByte),
          collectRanges_(collectRanges), codePage_(platform::CodePage::ansi()) {
        // Rows of other logical lines never complete a prefix: a terminator lies between.
        if (!terminated_) {
            lookahead_ = nextRow;
        }
    }

    RowLinkScan run(LinkCarry carryIn) {
        scanFrom(continueCarry(carryIn));
        return std::move(result_);
    }

    // The scan from a place where the scan of the whole row looks for a new link.
    RowLinkScan runFrom(size_t from) {
        scanFrom(from);
        return std::move(result_);
    }

private:
    std::string_view text_;      // the row without its terminator
    std::string_view lookahead_; // the next row, only when this row does not end its line
    bool terminated_;
    bool singleByte_;
    bool collectRanges_;
    const platform::CodePage& codePage_;
    RowLinkScan result_;

    size_t size() const { return text_.size(); }

    bool isDoubleByte(size_t at) const {
        return !singleByte_ && codePage_.isLeadByte(static_cast<unsigned char>(text_[at]));
    }

    // A link that reaches the end of a row that does not end its logical line runs on.
    bool runsOn(size_t end) const { return end >= size() && !terminated_; }

    void add(LinkKind kind, size_t begin, size_t end) {
        if (collectRanges_ && end > begin) {
            result_.ranges.push_back({kind, begin, end, 0, 0});
        }
    }

    // Picks up a link handed on by the row above; answers where the scan for new links
    // starts (the row's size when the link runs on through the whole row).
    size_t continueCarry(LinkCarry carryIn) {
        switch (carryIn) {
        case LinkCarry::None:
            return 0;
        case LinkCarry::WebContinues:
        case LinkCarry::MailContinues: {
            LinkKind kind = carryIn == LinkCarry::MailContinues ? LinkKind::Mail : LinkKind::Web;
            size_t end = urlRunEnd(0);
            add(kind, 0, end);
            if (runsOn(end)) {
                result_.carryOut = carryIn;
            }
            return end;
        }
        case LinkCarry::TagAwaitsDot:
            return tagFromDot(0, 0);
        case LinkCarry::TagContinues: {
            size_t end = tagRunEnd(0);
            add(LinkKind::Tag, 0, end);
            if (runsOn(end)) {
                result_.carryOut = LinkCarry::TagContinues;
            }
            return end;
        }
        }
        return 0;
    }

    void scanFrom(size_t from) {
        size_t base = from;
        CharScanner chars(text_.substr(std::min(base, size())), singleByte_);
        // Stepping by characters, `at` never lands on the trail byte of a double-byte
        // character, so no prefix starts there.
        while (!chars.atEnd()) {
            size_t at = base + chars.pos();
            chars.next();
            size_t end = linkAt(at);
            if (end > at) {
                base = end;
                chars = CharScanner(text_.substr(base), singleByte_);
            }
        }
    }

    // Records the link that starts at `at`, if any, and answers where it ends (`at`
    // when there is none).
    size_t linkAt(size_t at) {
        if (at < size() && !mayStartPrefix(text_[at])) {
            return at;
        }
        if (std::optional<LinkKind> kind = urlPrefixAt(at)) {
            size_t end = urlRunEnd(std::min(at + kUrlPrefixSkip, size()));
            add(*kind, at, end);
            if (runsOn(end)) {
                result_.carryOut = carryFor(*kind);
            }
            return end;
        }
        if (prefixAt(at, kTag)) {
            return tagFromDot(at, at + kTag.size());
        }
        return at;
    }

    // A tag from `start` covers everything up to the first dot at or after `dotFrom`,
    // then single-byte characters up to the tag stop set. Without a dot it covers the
    // rest of the row and waits for the dot on the next row.
    size_t tagFromDot(size_t start, size_t dotFrom) {
        size_t dot = dotFrom < size() ? text_.find('.', dotFrom) : std::string_view::npos;
        if (dot == std::string_view::npos) {
            add(LinkKind::Tag, start, size());
            if (!terminated_) {
                result_.carryOut = LinkCarry::TagAwaitsDot;
            }
            return size();
        }
        size_t end = tagRunEnd(dot + 1);
        add(LinkKind::Tag, start, end);
        if (runsOn(end)) {
            result_.carryOut = LinkCarry::TagContinues;
        }
        return end;
    }

    // Compares the bytes from `at`, going on into the next row, with a lower-case
    // prefix. Too few bytes left is no match.
    bool prefixAt(size_t at, std::string_view prefix) const {
        for (size_t i = 0; i < prefix.size(); ++i) {
            size_t index = at + i;
            char c = 0;
            if (index < size()) {
                c = text_[index];
            } else if (index - size() < lookahead_.size()) {
                c = lookahead_[index - size()];
            } else {
                return false;
            }
            if (foldCase(c) != prefix[i]) {
                return false;
            }
        }
        return true;
    }

    std::optional<LinkKind> urlPrefixAt(size_t at) const {
        if (prefixAt(at, kHttp) || prefixAt(at, kHttps)) {
            return LinkKind::Web;
        }
        if (prefixAt(at, kMailto) || prefixAt(at, kMail)) {
            return LinkKind::Mail;
        }
        return std::nullopt;
    }

    bool isUrlStopAt(size_t at) const {
        if (isDoubleByte(at)) {
            return at + 1 < size() && static_cast<unsigned char>(text_[at]) == kWideSpaceLead &&
                   static_cast<unsigned char>(text_[at + 1]) == kWideSpaceTrail;
        }
        return isUrlStopByte(text_[at]);
    }

    // End of the address characters from `from`: the first character of the URL stop
    // set, or the row's end.
    size_t urlRunEnd(size_t from) const {
        CharScanner chars(text_.substr(from), singleByte_);
        while (!chars.atEnd()) {
            size_t at = from + chars.pos();
            if (isUrlStopAt(at)) {
                return at;
            }
            chars.next();
        }
        return size();
    }

    // End of the tag characters from `from`: single-byte characters outside the tag
    // stop set.
    size_t tagRunEnd(size_t from) const {
        size_t at = from;
        while (at < size() && !isDoubleByte(at) && !isTagStopByte(text_[at])) {
            ++at;
        }
        return at;
    }
};

// Fills in the tab-expanded columns of ranges that are in ascending order and begin at
// or after byte `from`, whose column is `column`. Each byte is walked over once.
void setExpandedColumns(std::string_view row, int tabCount, bool singleByte, size_t from,
                        size_t column, std::vector<LinkRange>& ranges) {
    size_t byte = from;
    auto advanceTo = [&](size_t target) {
        column = ExpandedColumnAfter(row, byte, target, column, tabCount, singleByte);
        byte = target;
        return column;
    };
    for (LinkRange& range : ranges) {
        range.expandedBegin = advanceTo(range.begin);
        range.expandedEnd = advanceTo(range.end);
    }
}

} // namespace

RowLinkScan ScanRowLinks(std::string_view row, std::string_view nextRow, LinkCarry carryIn,
                         bool singleByte, int tabCount) {
    RowLinkScan scan = RowScanner(row, nextRow, singleByte, true).run(carryIn);
    setExpandedColumns(row, tabCount, singleByte, 0, 0, scan.ranges);
    return scan;
}

RowLinkScan ScanRowLinksFrom(std::string_view row, std::string_view nextRow, size_t from,
                             size_t fromColumn, bool singleByte, int tabCount) {
    RowLinkScan scan = RowScanner(row, nextRow, singleByte, true).runFrom(from);
    setExpandedColumns(row, tabCount, singleByte, from, fromColumn, scan.ranges);
    return scan;
}

std::optional<size_t> LinkScanRestart(std::string_view row, size_t col,
                                      const std::vector<LinkRange>& before, bool singleByte) {
    // In front of `limit` every prefix comparison, trail byte and stop character read
    // lies in front of col, so the scan up to there is what it was.
    const std::string_view text = StripTerminator(row);
    const size_t reach = std::min(col, text.size());
    if (reach <= kLongestPrefix) {
        return std::nullopt;
    }
    const size_t limit = reach - kLongestPrefix;
    // A link across the limit: its start is where the scan found it.
    const auto after =
        std::partition_point(before.begin(), before.end(),
                             [limit](const LinkRange& range) { return range.begin < limit; });
    const size_t lastEnd = after == before.begin() ? 0 : std::prev(after)->end;
    if (lastEnd > limit) {
        const size_t begin = std::prev(after)->begin;
        return begin > 0 ? std::optional<size_t>(begin) : std::nullopt;
    }
    // A byte that is no lead byte ends its character (as a single byte or as a trail
    // byte), so a character starts behind it. The end of a link is a character start too.
    const platform::CodePage& codePage = platform::CodePage::ansi();
    const size_t floor = std::max(lastEnd, limit > kRestartLookBack ? limit - kRestartLookBack : 0);
    for (size_t at = limit; at > floor; --at) {
        if (singleByte || !codePage.isLeadByte(static_cast<unsigned char>(text[at - 1]))) {
            return at;
        }
    }
    return floor == lastEnd && lastEnd > 0 ? std::optional<size_t>(lastEnd) : std::nullopt;
}

size_t ExpandedColumnAfter(std::string_view row, size_t from, size_t to, size_t column,
                           int tabCount, bool singleByte) {
    const size_t tab = static_cast<size_t>(std::clamp(tabCount, 1, 8));
    const std::string_view piece = row.substr(0, to);
    size_t byte = from;
    for (size_t tabAt = piece.find('\t', from); tabAt != std::string_view::npos;
         tabAt = piece.find('\t', tabAt + 1)) {
        if (!IsTabAt(row, tabAt, singleByte)) {
            continue;
        }
        column += tabAt - byte;
        column += tab - column % tab;
        byte = tabAt + 1;
    }
    return column + (to - byte);
}

LinkCarry CarryPastRow(std::string_view row, std::string_view nextRow, LinkCarry carryIn,
                       bool singleByte) {
    return RowScanner(row, nextRow, singleByte, false).run(carryIn).carryOut;
}

} // namespace lumarik::editor
