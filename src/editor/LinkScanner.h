#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

// Finds the links of one display row: web and mail addresses written with a scheme
// prefix ("http://", "https:/", "mailto:", "mail:") and tags ("tag:"). Prefixes are
// recognised without regard to letter case at any single-byte character, also in the
// middle of a word. A link may run on over the following rows of its logical line, so
// each row takes the state left by the row above and hands one on to the row below.
namespace lumarik::editor {

enum class LinkKind { Web, Mail, Tag };

// What a row hands on to the next row of the same logical line. A row that ends a
// logical line always hands on None.
enum class LinkCarry : unsigned char {
    None,
    WebContinues,  // a web address runs on from the first byte
    MailContinues, // a mail address runs on from the first byte
    TagAwaitsDot,  // a tag has not met its dot yet: it covers everything up to the dot
    TagContinues,  // a tag is past its dot and runs on over single-byte characters
};

// One link piece on one row. Offsets are 0-based and half-open: [begin, end) in the
// row's bytes as stored, [expandedBegin, expandedEnd) in the row after tab expansion
// (its columns). A piece never covers the row's terminator and is never empty.
struct LinkRange {
    LinkKind kind = LinkKind::Web;
    size_t begin = 0;
    size_t end = 0;
    size_t expandedBegin = 0;
    size_t expandedEnd = 0;

    bool operator==(const LinkRange&) const = default;
};

struct RowLinkScan {
    std::vector<LinkRange> ranges; // in ascending order, not overlapping
    LinkCarry carryOut = LinkCarry::None;
};

// Scans one display row (with its terminator, if any). nextRow is the following row
// of the store (empty after the last one); its first bytes complete a prefix that the
// word wrap cut. carryIn is what the row above handed on (None at a logical line
// start). tabCount is the tab width used for the expanded columns.
RowLinkScan ScanRowLinks(std::string_view row, std::string_view nextRow, LinkCarry carryIn,
                         bool singleByte, int tabCount);

// The links of a row from byte `from` on, as ScanRowLinks finds them: `from` is a
// place where that scan looks for a new link (as LinkScanRestart answers), and
// fromColumn its tab-expanded column. The ranges begin at or after `from`.
RowLinkScan ScanRowLinksFrom(std::string_view row, std::string_view nextRow, size_t from,
                             size_t fromColumn, bool singleByte, int tabCount);

// Where the scan of a row may restart after its bytes changed from `col` on, given the
// ranges ScanRowLinks found before the change (with the same rules and the same row
// above): a character start after the row start and in front of col, outside every
// link, far enough from col that nothing decided in front of it reads a changed byte.
// The ranges that begin in front of it are still valid; ScanRowLinksFrom finds the
// rest. None when no such place lies within a bounded look-back in front of col.
std::optional<size_t> LinkScanRestart(std::string_view row, size_t col,
                                      const std::vector<LinkRange>& before, bool singleByte);

// The tab-expanded column at byte `to` of a row when byte `from` is at expanded column
// `column`: each tab character runs on to the next multiple of tabCount (1..8), every
// other byte is one (a tab that is a trail byte too, IsTabAt).
size_t ExpandedColumnAfter(std::string_view row, size_t from, size_t to, size_t column,
                           int tabCount, bool singleByte);

// Only the state that ScanRowLinks hands on, for rows that are passed over.
LinkCarry CarryPastRow(std::string_view row, std::string_view nextRow, LinkCarry carryIn,
                       bool singleByte);

} // namespace lumarik::editor
