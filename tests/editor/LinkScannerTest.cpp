#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "editor/LinkCarryCache.h"
#include "editor/LinkScanner.h"
#include "editor/QuoteLine.h"
#include "editor/VelEditSub.h"
#include "editor/Velstrings.h"

using namespace lumarik::editor;

namespace lumarik::editor {
void PrintTo(const LinkRange& range, std::ostream* out) {
    *out << "{kind " << static_cast<int>(range.kind) << ", bytes " << range.begin << ".."
         << range.end << ", columns " << range.expandedBegin << ".." << range.expandedEnd << "}";
}
} // namespace lumarik::editor

namespace {

// "ド", "フ" and "ノ" carry the ASCII letters h, t and m as trail bytes.
const std::string kDo = "\x83\x68";
const std::string kFu = "\x83\x74";
const std::string kNo = "\x83\x6D";
const std::string kA = "\x82\xA0"; // "あ"
const std::string kWideSpace = "\x81\x40";
const std::string kIdeographicComma = "\x81\x41"; // "、", same lead byte as the wide space
const std::string kWideGreater = "\x81\x84";      // "＞"
const std::string kKatakanaA = "\x83\x41";        // "ア", trail byte "A"
const std::string kEndOfText("\0\0", 2);

constexpr LinkKind W = LinkKind::Web;
constexpr LinkKind M = LinkKind::Mail;
constexpr LinkKind T = LinkKind::Tag;

using Span = std::tuple<LinkKind, size_t, size_t>;
using Spans = std::vector<Span>;

Spans spansOf(const std::vector<LinkRange>& ranges) {
    Spans spans;
    for (const LinkRange& range : ranges) {
        spans.emplace_back(range.kind, range.begin, range.end);
    }
    return spans;
}

// Reference for the cache: the links of a row, scanned afresh from the start of its
// logical line.
std::vector<LinkRange> freshLinks(const TVelStrings& store, int row, bool singleByte,
                                  int tabCount = 8) {
    auto next = [&](int r) {
        return r + 1 < store.Count() ? std::string_view(store.Get(r + 1)) : "";
    };
    int start = row;
    while (start > 0 && !HasTerminator(store.Get(start - 1))) {
        --start;
    }
    LinkCarry carry = LinkCarry::None;
    for (int r = start; r < row; ++r) {
        carry = ScanRowLinks(store.Get(r), next(r), carry, singleByte, tabCount).carryOut;
    }
    return ScanRowLinks(store.Get(row), next(row), carry, singleByte, tabCount).ranges;
}

// The links of every row.
std::vector<Spans> linksOfRows(const std::vector<std::string>& rows, bool singleByte = false) {
    TVelStrings store;
    for (const std::string& row : rows) {
        store.Add(row);
    }
    std::vector<Spans> result;
    for (int row = 0; row < store.Count(); ++row) {
        result.push_back(spansOf(freshLinks(store, row, singleByte)));
    }
    return result;
}

// The links of one logical line that fits on one row.
Spans linksOf(const std::string& text, bool singleByte = false) {
    return linksOfRows({text + "\r\n"}, singleByte)[0];
}

bool isQuote(const std::string& row, const std::string& quoteChars = ">") {
    MarkupRules rules;
    rules.quoteChars = quoteChars;
    return IsQuoteRow(row, rules);
}

} // namespace

TEST(LinkPrefixes, RecogniseEachSchemeWithItsKind) {
    EXPECT_EQ(linksOf("see http://a.jp/x y"), (Spans{{W, 4, 17}}));
    EXPECT_EQ(linksOf("go https://b.jp"), (Spans{{W, 3, 15}}));
    EXPECT_EQ(linksOf("https:/x"), (Spans{{W, 0, 8}}));
    EXPECT_EQ(linksOf("mailto:a@b.jp"), (Spans{{M, 0, 13}}));
    EXPECT_EQ(linksOf("to mail:a@b.jp!"), (Spans{{M, 3, 15}}));
    EXPECT_EQ(linksOf("tag:a.b c"), (Spans{{T, 0, 7}}));
    EXPECT_EQ(linksOf("http://a http://b"), (Spans{{W, 0, 8}, {W, 9, 17}}));
    EXPECT_EQ(linksOf("http://a>tag:b.c"), (Spans{{W, 0, 8}, {T, 9, 16}}));
    // Neither other schemes nor bare mail addresses are links.
    EXPECT_EQ(linksOf("ftp://a http:/a https:a a@b.jp"), Spans{});
}

TEST(LinkPrefixes, IgnoreLetterCaseAndMatchInsideWords) {
    EXPECT_EQ(linksOf("HTTP://A.JP"), (Spans{{W, 0, 11}}));
    EXPECT_EQ(linksOf("HttpS://x"), (Spans{{W, 0, 9}}));
    EXPECT_EQ(linksOf("MailTo:X@Y"), (Spans{{M, 0, 10}}));
    EXPECT_EQ(linksOf("MAIL:x"), (Spans{{M, 0, 6}}));
    EXPECT_EQ(linksOf("TAG:A.B"), (Spans{{T, 0, 7}}));
    EXPECT_EQ(linksOf("xhttp://a"), (Spans{{W, 1, 9}}));
    EXPECT_EQ(linksOf("abcmail:x"), (Spans{{M, 3, 9}}));
    EXPECT_EQ(linksOf(kA + "http://a"), (Spans{{W, 2, 10}}));
}

TEST(LinkPrefixes, NeverStartOnTheTrailByteOfADoubleByteCharacter) {
    EXPECT_EQ(linksOf(kDo + "ttp://x"), Spans{});
    EXPECT_EQ(linksOf(kNo + "ail:x"), Spans{});
    EXPECT_EQ(linksOf(kFu + "ag:a.b"), Spans{});
    EXPECT_EQ(linksOf(kDo + "http://x"), (Spans{{W, 2, 10}}));
    // At the end of a wrapped row too, where the next row would complete the prefix.
    EXPECT_EQ(linksOfRows({"ab" + kDo, "ttp://x\r\n"}), (std::vector<Spans>{{}, {}}));
    // In single-byte mode every byte is a character, so the prefix is found.
    EXPECT_EQ(linksOf(kDo + "ttp://x", true), (Spans{{W, 1, 9}}));
}

TEST(WebLinks, EndAtTheStopSetOnly) {
    for (const std::string& stop : {std::string(" "), std::string("|"), std::string("\t"),
                                    std::string("\""), std::string(">"), kWideSpace}) {
        EXPECT_EQ(linksOf("http://a" + stop + "b"), (Spans{{W, 0, 8}})) << stop;
    }
    for (const std::string& inner : {std::string(","), std::string(";"), std::string(")"),
                                     std::string("<"), kA, kDo, kIdeographicComma}) {
        EXPECT_EQ(linksOf("http://a" + inner + "b"), (Spans{{W, 0, 9 + inner.size()}})) << inner;
    }
    EXPECT_EQ(linksOf("<http://a.jp/>"), (Spans{{W, 1, 13}}));
    // The stop set does not apply inside the prefix's first five bytes.
    EXPECT_EQ(linksOf("mail: x"), (Spans{{M, 0, 5}}));
    // In single-byte mode the wide space is two plain bytes.
    EXPECT_EQ(linksOf("http://a" + kWideSpace + "b", true), (Spans{{W, 0, 11}}));
}

TEST(WebLinks, RunOnOverTheRowsOfTheirLogicalLineOnly) {
    EXPECT_EQ(linksOfRows({"xx http://ab", "cdefgh", "ij kl\r\n", "mn\r\n", kEndOfText}),
              (std::vector<Spans>{{{W, 3, 12}}, {{W, 0, 6}}, {{W, 0, 2}}, {}, {}}));
    EXPECT_EQ(linksOfRows({"a mail:ab", "cd e\r\n"}),
              (std::vector<Spans>{{{M, 2, 9}}, {{M, 0, 2}}}));
    // A continuation that starts with a stop character ends the link at once; a new
    // link may follow on the same row.
    EXPECT_EQ(linksOfRows({"http://a", " b http://c\r\n"}),
              (std::vector<Spans>{{{W, 0, 8}}, {{W, 3, 11}}}));
    // The terminator ends it, also when the next logical line starts with letters.
    EXPECT_EQ(linksOfRows({"http://ab\r\n", "cd\r\n"}), (std::vector<Spans>{{{W, 0, 9}}, {}}));
}

TEST(WebLinks, PrefixCutByTheWrapStartsOnTheFirstRow) {
    EXPECT_EQ(linksOfRows({"abc htt", "p://x y\r\n"}),
              (std::vector<Spans>{{{W, 4, 7}}, {{W, 0, 5}}}));
    EXPECT_EQ(linksOfRows({"see mail", "to:a b\r\n"}),
              (std::vector<Spans>{{{M, 4, 8}}, {{M, 0, 4}}}));
    EXPECT_EQ(linksOfRows({"a ta", "g:b.c d\r\n"}), (std::vector<Spans>{{{T, 2, 4}}, {{T, 0, 5}}}));
    // Across a terminator nothing is completed.
    EXPECT_EQ(linksOfRows({"abc htt\r\n", "p://x\r\n"}), (std::vector<Spans>{{}, {}}));
}

TEST(WebLinks, ShortRowsNearAPrefixAreNoMatch) {
    EXPECT_EQ(linksOfRows({"h"}), (std::vector<Spans>{{}}));
    EXPECT_EQ(linksOfRows({"a htt"}), (std::vector<Spans>{{}}));
    EXPECT_EQ(linksOfRows({"a htt", "p:/" + kEndOfText}), (std::vector<Spans>{{}, {}}));
    EXPECT_EQ(linksOfRows({"ta", "g" + kEndOfText}), (std::vector<Spans>{{}, {}}));
    EXPECT_EQ(linksOfRows({"x mail:\r\n"}), (std::vector<Spans>{{{M, 2, 7}}}));
    EXPECT_EQ(linksOfRows({"http:/", "/\r\n"}), (std::vector<Spans>{{{W, 0, 6}}, {{W, 0, 1}}}));
    EXPECT_EQ(linksOfRows({"http://", "\r\n"}), (std::vector<Spans>{{{W, 0, 7}}, {}}));
    EXPECT_EQ(linksOfRows({"tag:" + kEndOfText}), (std::vector<Spans>{{{T, 0, 4}}}));
}

TEST(TagLinks, CoverThePrefixThroughTheWordAfterTheFirstDot) {
    EXPECT_EQ(linksOf("tag:a.b c"), (Spans{{T, 0, 7}}));
    EXPECT_EQ(linksOf("tag:a b.c d"), (Spans{{T, 0, 9}}));
    EXPECT_EQ(linksOf("x tag:abc"), (Spans{{T, 2, 9}}));
    EXPECT_EQ(linksOf("tag:a."), (Spans{{T, 0, 6}}));
    EXPECT_EQ(linksOf("tag:a.b,c tag:d.e:f"), (Spans{{T, 0, 7}, {T, 10, 17}}));
    // After the dot a double-byte character ends the tag; before it, it does not.
    EXPECT_EQ(linksOf("tag:a.b" + kA + "c"), (Spans{{T, 0, 7}}));
    EXPECT_EQ(linksOf("tag:" + kA + ".b c"), (Spans{{T, 0, 8}}));
}

TEST(TagLinks, RunOnOverWrappedRows) {
    // Waiting for the dot, the tag covers whole rows, spaces included.
    EXPECT_EQ(linksOfRows({"tag:a", "b c", "d.e f\r\n"}),
              (std::vector<Spans>{{{T, 0, 5}}, {{T, 0, 3}}, {{T, 0, 3}}}));
    EXPECT_EQ(linksOfRows({"tag:a.bc", "de fg\r\n"}),
              (std::vector<Spans>{{{T, 0, 8}}, {{T, 0, 2}}}));
    EXPECT_EQ(linksOfRows({"tag:a.b", kA + "c\r\n"}), (std::vector<Spans>{{{T, 0, 7}}, {}}));
    // A tag still waiting for its dot ends with its logical line.
    EXPECT_EQ(linksOfRows({"tag:ab", "cd\r\n", "e.f\r\n"}),
              (std::vector<Spans>{{{T, 0, 6}}, {{T, 0, 2}}, {}}));
    // After the dot on a continuation row, new links may follow on that row.
    EXPECT_EQ(linksOfRows({"tag:a", "b.c http://d\r\n"}),
              (std::vector<Spans>{{{T, 0, 5}}, {{T, 0, 3}, {W, 4, 12}}}));
}

TEST(LinkRanges, GiveColumnsOfTheTabExpandedRow) {
    auto only = [](const std::string& row, int tabCount) {
        std::vector<LinkRange> ranges =
            ScanRowLinks(row, "", LinkCarry::None, false, tabCount).ranges;
        EXPECT_EQ(ranges.size(), 1U);
        return ranges.empty() ? LinkRange{} : ranges[0];
    };
    EXPECT_EQ(only("\thttp://a b\r\n", 4), (LinkRange{W, 1, 9, 4, 12}));
    EXPECT_EQ(only("a\tb http://x\r\n", 4), (LinkRange{W, 4, 12, 6, 14}));
    EXPECT_EQ(only("a\tb http://x\r\n", 8), (LinkRange{W, 4, 12, 10, 18}));
    EXPECT_EQ(only(kA + "\ttag:a\tb.c\r\n", 4), (LinkRange{T, 3, 12, 4, 15}));
    EXPECT_EQ(only("http://a" + kEndOfText, 4), (LinkRange{W, 0, 8, 0, 8}));
}

TEST(QuoteRows, StartWithAnyOneQuoteCharacter) {
    EXPECT_TRUE(isQuote(">a\r\n"));
    EXPECT_TRUE(isQuote(">"));
    EXPECT_FALSE(isQuote(" >a\r\n"));
    EXPECT_FALSE(isQuote("a>\r\n"));
    EXPECT_FALSE(isQuote("\r\n"));
    EXPECT_FALSE(isQuote(""));
    EXPECT_FALSE(isQuote(kEndOfText));
    EXPECT_FALSE(isQuote(kEndOfText, std::string("\0>", 2)));

    EXPECT_TRUE(isQuote("#x\r\n", "#|"));
    EXPECT_TRUE(isQuote("|x", "#|"));
    EXPECT_FALSE(isQuote(">x", "#|"));
    EXPECT_FALSE(isQuote(">x", ""));
}

TEST(QuoteRows, CompareWholeDoubleByteCharacters) {
    EXPECT_TRUE(isQuote(kWideGreater + "x\r\n", kWideGreater));
    EXPECT_TRUE(isQuote(kWideGreater + "x\r\n", ">" + kWideGreater));
    EXPECT_FALSE(isQuote(">x\r\n", kWideGreater));
    // "A" is the trail byte of "ア", not a character of the set.
    EXPECT_FALSE(isQuote("Ax\r\n", kKatakanaA));
    EXPECT_TRUE(isQuote(kKatakanaA + "x\r\n", kKatakanaA));
}

TEST(QuoteRows, JudgeALeadingTabAsTheSpaceItExpandsTo) {
    EXPECT_FALSE(isQuote("\t>a\r\n"));
    EXPECT_TRUE(isQuote("\ta\r\n", " >"));
    EXPECT_FALSE(isQuote("\ta\r\n", "\t"));
}

TEST(LinkCarryCache, HonoursColorPrintAndRejectsRowsOutsideTheStore) {
    TVelStrings store;
    store.Add("x http://a\r\n");
    store.Add(">b" + kEndOfText);
    LinkCarryCache cache;
    MarkupRules rules;
    EXPECT_EQ(spansOf(cache.RowLinks(store, 0, rules)), (Spans{{W, 2, 10}}));
    EXPECT_TRUE(IsQuoteRow(store.Get(1), rules));
    rules.colorPrint = false;
    EXPECT_EQ(spansOf(cache.RowLinks(store, 0, rules)), Spans{});
    EXPECT_FALSE(IsQuoteRow(store.Get(1), rules));
    EXPECT_THROW(cache.RowLinks(store, 2, rules), VelStringsError);
    EXPECT_THROW(cache.RowLinks(store, -1, rules), VelStringsError);
}

// The repaint asks for the carry into rows that edits added after the cache last saw
// the store: far past anything it has room for.
TEST(LinkCarryCache, CarriesIntoRowsAddedSinceTheLastAnswer) {
    TVelStrings store;
    store.Add("see http://a" + kEndOfText);
    LinkCarryCache cache;
    const MarkupRules rules;
    EXPECT_EQ(spansOf(cache.RowLinks(store, 0, rules)), (Spans{{W, 4, 12}}));
    store.Put(0, "see http://a");
    std::vector<std::string> added(1 << 18, "bc");
    added.back() += kEndOfText;
    store.InsertRange(1, std::move(added));
    cache.InvalidateFrom(0);
    const int last = store.Count() - 1;
    EXPECT_EQ(cache.CarryInto(store, last), LinkCarry::WebContinues);
    EXPECT_EQ(cache.CarryInto(store, 1), LinkCarry::WebContinues);
    EXPECT_EQ(spansOf(cache.RowLinks(store, last, rules)), (Spans{{W, 0, 2}}));
}

TEST(LinkCarryCache, ReScansAnEditedRowWhoseStartCompletesAPrefix) {
    TVelStrings store;
    store.Add("see htt");
    store.Add("xyz\r\n");
    store.Add("q\r\n");
    store.Add(kEndOfText);
    LinkCarryCache cache;
    const MarkupRules rules;
    EXPECT_EQ(spansOf(cache.RowLinks(store, 1, rules)), Spans{});
    // Two edits before the next paint, the lower row first.
    store.Put(2, "r\r\n");
    cache.InvalidateFrom(2);
    store.Put(1, "p://a b\r\n");
    cache.InvalidateFrom(1);
    EXPECT_EQ(spansOf(cache.RowLinks(store, 1, rules)), (Spans{{W, 0, 5}}));
    EXPECT_EQ(spansOf(cache.RowLinks(store, 0, rules)), (Spans{{W, 4, 7}}));
}

// The cache's own pages at their usual size, and so small that the rows span many
// pages and overflow the cache again and again.
class LinkCarryCacheRandom : public ::testing::TestWithParam<LinkCarryCache::Limits> {};

TEST_P(LinkCarryCacheRandom, AnswersLikeAFreshScanThroughRandomEdits) {
    // Pieces that build prefixes, cut prefixes, stop characters and double-byte text.
    const std::vector<std::string> pieces = {
        "http://", "HTTPS:/", "mailto:", "mail:",    "tag:", "ta", "g:", "htt",
        "p://",    ".",       " ",       "|",        ">",    "\t", ",",  ":",
        "a",       "bc",      "xyz",     kWideSpace, kA,     kDo,  "\""};
    std::mt19937 random(20240611);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    auto randomRow = [&] {
        std::string row;
        for (int n = 1 + pick(4); n > 0; --n) {
            row += pieces[pick(static_cast<int>(pieces.size()))];
        }
        return pick(5) == 0 ? row + "\r\n" : row;
    };

    TVelStrings store;
    for (int i = 0; i < 800; ++i) {
        store.Add(randomRow());
    }
    store.Add(kEndOfText); // the end of the text is never edited
    LinkCarryCache cache(GetParam());
    MarkupRules rules;
    rules.tabCount = 8;
    auto expectFresh = [&](int row) {
        ASSERT_EQ(cache.RowLinks(store, row, rules), freshLinks(store, row, rules.singleByte))
            << "row " << row;
    };
    auto edit = [&](int row) {
        switch (pick(4)) {
        case 0:
            store.Insert(row, randomRow());
            break;
        case 1:
            store.Delete(row);
            break;
        default:
            store.Put(row, randomRow());
            break;
        }
        cache.InvalidateFrom(row);
    };
    // Repaints the rows around an edit, as the editor does after typing.
    auto paintAround = [&](int row) {
        const int first = std::max(0, row - pick(3));
        const int last = std::min(store.Count() - 1, row + pick(8));
        for (int r = first; r <= last; ++r) {
            expectFresh(r);
        }
    };

    for (int row = 0; row < store.Count(); ++row) {
        expectFresh(row);
    }
    // Edits down the text, each below the one before and only some painted (as when
    // replacing all): the cache holds many invalidations at once and has to fold them.
    for (int row = 0; row + 1 < store.Count(); row += 1 + pick(3)) {
        edit(row);
        if (pick(3) == 0) {
            paintAround(row);
        }
    }
    // Bottom up, so that no answer is helped by the state its row above hands on.
    for (int row = store.Count() - 1; row >= 0; --row) {
        expectFresh(row);
    }
    // Edits anywhere, painted or not, with the odd change of single-byte mode.
    for (int step = 0; step < 1500; ++step) {
        const int row = pick(store.Count() - 1);
        edit(row);
        if (pick(50) == 0) {
            rules.singleByte = !rules.singleByte;
        }
        if (pick(2) == 0) {
            paintAround(row);
        }
        expectFresh(pick(store.Count()));
    }
    for (int row = store.Count() - 1; row >= 0; --row) {
        expectFresh(row);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, LinkCarryCacheRandom,
                         ::testing::Values(LinkCarryCache::Limits{},
                                           LinkCarryCache::Limits{16, 4}));

TEST(LinkCarryCache, KeepsTheLinksOfALongRowOnlyUntilItChanges) {
    std::string row;
    for (int i = 0; i < 400; ++i) {
        row += "see http://a.jp/ ";
    }
    TVelStrings store;
    store.Add(row + "\r\n");
    store.Add(std::string(2, '\0'));
    LinkCarryCache cache;
    MarkupRules rules;
    EXPECT_EQ(cache.RowLinks(store, 0, rules).size(), 400u);
    EXPECT_EQ(cache.RowLinks(store, 0, rules).size(), 400u);

    // An edit, reported as the owner must, is seen at once.
    store.Put(0, "\t" + row.substr(0, row.size() - 17) + "\r\n");
    cache.InvalidateFrom(0);
    const std::vector<LinkRange> links = cache.RowLinks(store, 0, rules);
    ASSERT_EQ(links.size(), 399u);
    EXPECT_EQ(links[0].begin, 5u);
    // A new tab width moves the expanded columns.
    EXPECT_EQ(links[0].expandedBegin, 6u + 4u);
    rules.tabCount = 8;
    EXPECT_EQ(cache.RowLinks(store, 0, rules)[0].expandedBegin, 8u + 4u);
}

namespace {

// Pieces for rows edited at random: prefixes whole and cut, stop characters, tabs,
// double-byte characters whose trail byte is a lead byte value ("亜") or an ASCII
// letter ("ド"), and lead bytes in front of ASCII, a tab or a space, which pair with it.
const std::vector<std::string> kEditPieces = {
    "http://", "HTTPS:/", "mailto:",  "mail:",    "tag:",  "ht",     "tp://", "ma",  "il:", "ta",
    "g:",      ".",       " ",        "\t",       "|",     ">",      ",",     ":",   "a",   "bc",
    kA,        kDo,       kWideSpace, "\x88\x9F", "\x83h", "\x83\t", "\x83 ", "\x83"};

const std::vector<std::string> kPrefixes = {"http://", "https:/", "mailto:", "mail:", "tag:"};

std::string randomPieces(std::mt19937& random, size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
        text += kEditPieces[random() % kEditPieces.size()];
    }
    return text;
}

// Ranges [0, size) of a row, scanned afresh.
std::vector<LinkRange> scanWhole(std::string_view row, std::string_view nextRow, LinkCarry carryIn,
                                 bool singleByte, int tabCount) {
    return ScanRowLinks(row, nextRow, carryIn, singleByte, tabCount).ranges;
}

} // namespace

TEST(LinkRescan, FromTheRestartPlaceGivesWhatAWholeScanGives) {
    std::mt19937 random(4711);
    const std::vector<LinkCarry> carries = {LinkCarry::None, LinkCarry::WebContinues,
                                            LinkCarry::MailContinues, LinkCarry::TagAwaitsDot,
                                            LinkCarry::TagContinues};
    int restarts = 0;
    for (int round = 0; round < 20000; ++round) {
        const bool singleByte = round % 7 == 0;
        const int tabCount = 1 + round % 8;
        const LinkCarry carryIn = carries[random() % carries.size()];
        // Rows that end their line and rows continued on a next row that may complete a
        // prefix cut at their end.
        const std::string end = round % 3 == 0 ? "" : "\r\n";
        const std::string nextRow = end.empty() ? randomPieces(random, 8) : "";
        std::string text = randomPieces(random, 20 + random() % 200);
        size_t col = random() % (text.size() + 1);
        std::string put = randomPieces(random, 1 + random() % 9);
        if (random() % 2 == 0) {
            // A prefix cut by the edit: its head in front of col, its tail put in.
            const std::string& prefix = kPrefixes[random() % kPrefixes.size()];
            const size_t cut = 1 + random() % (prefix.size() - 1);
            text.insert(col, prefix.substr(0, cut));
            col += cut;
            put = prefix.substr(cut) + put;
        }
        const std::vector<LinkRange> before =
            scanWhole(text + end, nextRow, carryIn, singleByte, tabCount);

        // Bytes change from col on: put in, taken out, both, or the rest replaced.
        switch (random() % 4) {
        case 0:
            text.insert(col, put);
            break;
        case 1:
            text.erase(col, 1 + random() % 12);
            break;
        case 2:
            text.erase(col, 1 + random() % 12);
            text.insert(std::min(col, text.size()), put);
            break;
        default:
            text = text.substr(0, col) + put;
            break;
        }
        const std::string row = text + end;
        const std::vector<LinkRange> whole = scanWhole(row, nextRow, carryIn, singleByte, tabCount);
        const std::optional<size_t> from = LinkScanRestart(row, col, before, singleByte);
        if (!from) {
            continue;
        }
        ++restarts;
        ASSERT_GT(*from, 0u);
        ASSERT_LE(*from, col);
        std::vector<LinkRange> rescanned;
        std::copy_if(before.begin(), before.end(), std::back_inserter(rescanned),
                     [&](const LinkRange& range) { return range.begin < *from; });
        const RowLinkScan rest = ScanRowLinksFrom(
            row, nextRow, *from, ExpandedColumnAfter(row, 0, *from, 0, tabCount, singleByte),
            singleByte, tabCount);
        rescanned.insert(rescanned.end(), rest.ranges.begin(), rest.ranges.end());
        ASSERT_EQ(rescanned, whole) << "round " << round << ", col " << col << ", from " << *from;
        ASSERT_EQ(rest.carryOut,
                  ScanRowLinks(row, nextRow, carryIn, singleByte, tabCount).carryOut);
    }
    // Most edits lie far enough into their row to restart.
    EXPECT_GT(restarts, 10000);
}

TEST(LinkRescan, FindsNoRestartWithoutACharacterStartNearTheEdit) {
    // Both bytes of "亜" are lead byte values: nothing in a long run of them tells
    // where a character starts, so the whole row is scanned again.
    std::string run;
    for (int i = 0; i < 40000; ++i) {
        run += "\x88\x9F";
    }
    const std::string row = "http://x " + run + "ab\r\n";
    const std::vector<LinkRange> links = scanWhole(row, "", LinkCarry::None, false, 8);
    EXPECT_FALSE(LinkScanRestart(row, row.size() - 2, links, false).has_value());
    // In single-byte mode every byte is a character.
    EXPECT_TRUE(LinkScanRestart(row, row.size() - 2, links, true).has_value());
    // The cache scans such a row afresh and answers right.
    TVelStrings store;
    store.Add(row);
    store.Add(kEndOfText);
    LinkCarryCache cache;
    const MarkupRules rules;
    EXPECT_EQ(cache.RowLinks(store, 0, rules).size(), 1u);
    store.Put(0, row.substr(0, row.size() - 4) + "ahttp://y\r\n");
    cache.RowEdited(0, row.size() - 4);
    EXPECT_EQ(cache.RowLinks(store, 0, rules), freshLinks(store, 0, false));
    EXPECT_EQ(cache.RowLinks(store, 0, rules).size(), 2u);

    // Too close to the row start to leave room for a prefix in front.
    EXPECT_FALSE(LinkScanRestart("abcdefg\r\n", 6, {}, false).has_value());
    // An edit inside a link restarts at the link.
    const std::string linked = std::string(100, 'a') + " http://" + std::string(100, 'b') + "\r\n";
    EXPECT_EQ(LinkScanRestart(linked, 180, scanWhole(linked, "", LinkCarry::None, false, 8), false),
              std::optional<size_t>(101));
}

TEST(LinkCarryCache, RescansOnlyTheEditedPartOfALongRowAsAFreshScanWould) {
    std::mt19937 random(1234);
    // The rows above the long row hand on nothing, a web address, or a tag still
    // waiting for its dot.
    const std::vector<std::string> above = {"x\r\n", "see http://a", "tag:a"};
    for (int round = 0; round < 6; ++round) {
        TVelStrings store;
        store.Add(above[static_cast<size_t>(round) % above.size()]);
        // One row long enough to need column marks beyond the row start.
        store.Add(randomPieces(random, (round == 4 ? 40000 : 6000) + random() % 4000) + ".\r\n");
        store.Add("mail:x\r\n");
        store.Add(kEndOfText);
        LinkCarryCache cache;
        MarkupRules rules;
        rules.singleByte = round == 5;
        rules.tabCount = 2 + round;
        auto expectFresh = [&](int row) {
            ASSERT_EQ(cache.RowLinks(store, row, rules),
                      freshLinks(store, row, rules.singleByte, rules.tabCount))
                << "round " << round << ", row " << row;
        };
        // A place to edit: near the row end, anywhere, or next to a link's edge.
        auto pickCol = [&](const std::string& text) {
            const std::vector<LinkRange> links = freshLinks(store, 1, rules.singleByte);
            switch (random() % 3) {
            case 0:
                return text.size() - std::min<size_t>(text.size(), random() % 40);
            case 1:
                if (!links.empty()) {
                    const LinkRange& link = links[random() % links.size()];
                    const size_t edge = random() % 2 == 0 ? link.begin : link.end;
                    return std::min(text.size(), edge + random() % 9 - std::min<size_t>(edge, 4));
                }
                [[fallthrough]];
            default:
                return static_cast<size_t>(random() % (text.size() + 1));
            }
        };
        expectFresh(1);
        for (int step = 0; step < 300; ++step) {
            std::string text(StripTerminator(store.Get(1)));
            const size_t col = pickCol(text);
            switch (random() % 5) {
            case 0:
                text.erase(col, 1 + random() % 16);
                break;
            case 1: {
                // Enter, painted, then the lines joined again: the long row keeps its
                // front through both.
                store.Put(1, text.substr(0, col) + "\r\n");
                store.Insert(2, text.substr(col) + "\r\n");
                cache.RowEdited(1, col);
                expectFresh(1);
                expectFresh(2);
                store.Put(1, text + "\r\n");
                store.Delete(2);
                cache.RowEdited(1, col);
                expectFresh(1);
                expectFresh(2);
                continue;
            }
            default:
                text.insert(col, randomPieces(random, 1 + random() % 8));
                break;
            }
            store.Put(1, text + "\r\n");
            cache.RowEdited(1, col);
            // Now and then two edits come before the next paint.
            if (random() % 4 == 0) {
                text.insert(text.size() / 2, "a");
                store.Put(1, text + "\r\n");
                cache.RowEdited(1, text.size() / 2);
            }
            expectFresh(1);
            if (random() % 8 == 0) {
                expectFresh(2);
                expectFresh(0);
            }
        }
    }
}

TEST(LinkCarryCache, AnEditAboveALongRowOrANewTabWidthScansItAfresh) {
    TVelStrings store;
    store.Add("x\r\n");
    store.Add(std::string(5000, 'a') + " http://b\tc\r\n");
    store.Add(kEndOfText);
    LinkCarryCache cache;
    MarkupRules rules;
    rules.tabCount = 4;
    EXPECT_EQ(cache.RowLinks(store, 1, rules), freshLinks(store, 1, false, 4));
    // Typed at the end of the long row, then the row above wrapped into it before
    // the next paint: the link now starts at the row start.
    store.Put(1, std::string(5000, 'a') + " http://b\tc d\r\n");
    cache.RowEdited(1, 5011);
    store.Put(0, "http://x");
    cache.InvalidateFrom(0);
    EXPECT_EQ(cache.RowLinks(store, 1, rules), freshLinks(store, 1, false, 4));
    EXPECT_EQ(cache.RowLinks(store, 1, rules).front().begin, 0u);
    store.Put(1, "\t" + std::string(5000, 'a') + " http://b\tc de\r\n");
    cache.RowEdited(1, 0);
    rules.tabCount = 3;
    EXPECT_EQ(cache.RowLinks(store, 1, rules), freshLinks(store, 1, false, 3));
}
