#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "editor/RowPositions.h"
#include "editor/RowSlice.h"
#include "editor/RowWidthCache.h"
#include "editor/VelEditSub.h"

using namespace lumarik::editor;

namespace {

// Small limits, so that rows of a few hundred bytes have many checkpoints.
constexpr RowWidthCache::Limits kLimits{64, 16, 4};

// Measures as the canvas does (a lead byte takes the next byte with it), with widths
// that tell every kind of character apart: a pair is not two single bytes wide, so a
// single-byte hit test measures differently from the drawing. Counts the bytes it is
// given, for the cost of a query.
struct FakeFont {
    size_t bytesMeasured = 0;

    int operator()(std::string_view s) {
        bytesMeasured += s.size();
        int width = 0;
        for (CharScanner scan(s, false); !scan.atEnd();) {
            const size_t start = scan.pos();
            const int length = scan.next();
            const auto byte = static_cast<unsigned char>(s[start]);
            if (length == 2) {
                width += 16;
            } else if (byte == ' ') {
                width += 3;
            } else if (byte >= 0x80) {
                width += 9; // a lone lead byte or a half-width katakana
            } else if (byte < 0x20) {
                width += 1;
            } else {
                width += 7;
            }
        }
        return width;
    }

    TextWidthFn fn() {
        return [this](std::string_view s) { return (*this)(s); };
    }
};

// "表" (0x95 0x5C) and "ソ" (0x83 0x5C) have an ASCII-valued trail byte, "亜"
// (0x88 0x9F) and "、" (0x81 0x81) a lead-valued one; "\x83\t" is a lead byte before a
// tab, "\xB1" a half-width katakana, "\x01" a control character one pixel wide.
const std::vector<std::string> kPieces = {
    "a",        "b",        " ",        "\t",     "\t",   "\x95\x5C", "\x83\x5C",
    "\x88\x9F", "\x81\x81", "\x81\x40", "\x83\t", "\xB1", "\x01"};

// A random row of about `length` bytes with one of the row ends the store has: CR LF,
// the end-of-text mark, none (continued by word wrap), or a lone lead byte before CR LF.
std::string randomRow(std::mt19937& random, size_t length) {
    std::string row;
    while (row.size() < length) {
        row += kPieces[random() % kPieces.size()];
    }
    switch (random() % 4) {
    case 0:
        return row + "\r\n";
    case 1:
        return row + std::string("\0\0", 2);
    case 2:
        return row;
    default:
        return row + "\x83\r\n";
    }
}

struct Direct {
    TextWidthFn width;
    RowWidthRules rules;

    int prefix(std::string_view row, size_t col) const {
        return width(
            ExpandTabs(row.substr(0, std::min(col, row.size())), rules.tabCount, rules.singleByte));
    }
    int total(std::string_view row) const {
        return width(ExpandTabs(StripTerminator(row), rules.tabCount, rules.singleByte));
    }
    ColumnHit nearest(std::string_view row, int x) const {
        return ColumnAtX(StripTerminator(row), x, rules.tabCount, rules.singleByte, width);
    }
};

// Every answer of the cache about the row equals a direct measurement.
void expectAllAnswersDirect(RowWidthCache& cache, int line, const std::string& row,
                            const Direct& direct) {
    const int total = direct.total(row);
    ASSERT_EQ(cache.TextWidth(line, row, direct.rules), total);
    for (size_t col = 0; col <= row.size() + 1; ++col) {
        ASSERT_EQ(cache.PrefixWidth(line, row, col, direct.rules), direct.prefix(row, col))
            << "col " << col;
    }
    for (int x = -2; x <= total + 20; ++x) {
        const ColumnHit expected = direct.nearest(row, x);
        const ColumnHit hit = cache.NearestColumn(line, row, x, direct.rules);
        ASSERT_EQ(hit.col, expected.col) << "x " << x;
        ASSERT_EQ(hit.x, expected.x) << "x " << x;
    }
}

bool sameSlice(const RowSlice& a, const RowSlice& b) {
    return a.text == b.text && a.x == b.x && a.reachesEnd == b.reachesEnd &&
           (!a.reachesEnd || a.endX == b.endX) && a.tabStopsX == b.tabStopsX;
}

// Rows of random text and what measuring them through a cache costs: the bytes the
// font had to measure (0 when the cache knew the width). Checks each width on the way.
struct MeasuredRows {
    FakeFont font;
    std::vector<std::string> rows;
    RowWidthRules rules{4, false};

    size_t widthCost(RowWidthCache& cache, int line) {
        const std::string& row = rows[static_cast<size_t>(line)];
        const int expected = Direct{font.fn(), rules}.total(row);
        font.bytesMeasured = 0;
        EXPECT_EQ(cache.TextWidth(line, row, rules), expected) << "line " << line;
        return font.bytesMeasured;
    }
};

} // namespace

TEST(RowWidthCache, AnswersAsADirectMeasurementForEveryColumnAndPoint) {
    FakeFont font;
    RowWidthCache cache(font.fn(), kLimits);
    std::mt19937 random(11);
    for (int round = 0; round < 26; ++round) {
        // Short rows are measured directly, long ones from checkpoints; one cache sees
        // every tab width and both modes, which must each clear what it measured. The
        // last rows end in a lone lead byte where a checkpoint would fall: the byte
        // pairs with the terminator when the whole row is measured.
        const std::string row = round >= 24
                                    ? std::string(79 + round % 2, 'a') + "\x83\r\n"
                                    : randomRow(random, round % 3 == 0 ? 40 : 300 + random() % 200);
        const Direct direct{font.fn(), {1 + round % 8, round % 2 == 1}};
        SCOPED_TRACE(testing::Message() << "round " << round << ", tabs " << direct.rules.tabCount
                                        << ", single-byte " << direct.rules.singleByte);
        expectAllAnswersDirect(cache, round, row, direct);
    }
}

TEST(RowWidthCache, AnswersDoNotDependOnTheOrderOfQueries) {
    FakeFont font;
    std::mt19937 random(5);
    for (const bool singleByte : {false, true}) {
        const std::string row = randomRow(random, 900);
        const Direct direct{font.fn(), {4, singleByte}};
        RowWidthCache cache(font.fn(), kLimits);
        const int total = direct.total(row);
        // Far and near places in random order, each answered with the checkpoints taken
        // so far.
        for (int i = 0; i < 400; ++i) {
            const int x = static_cast<int>(random() % static_cast<unsigned>(total + 40)) - 10;
            const size_t col = random() % (row.size() + 1);
            ASSERT_EQ(cache.PrefixWidth(0, row, col, direct.rules), direct.prefix(row, col));
            const ColumnHit hit = cache.NearestColumn(0, row, x, direct.rules);
            const ColumnHit expected = direct.nearest(row, x);
            ASSERT_EQ(hit.col, expected.col);
            ASSERT_EQ(hit.x, expected.x);
        }
        EXPECT_EQ(cache.TextWidth(0, row, direct.rules), total);
    }
}

TEST(RowWidthCache, SliceStartsGiveTheSliceOfAWalkFromTheRowStart) {
    FakeFont font;
    RowWidthCache cache(font.fn(), kLimits);
    std::mt19937 random(3);
    // More than a hundred tabs: only the first hundred have tab stops.
    std::string tabbed;
    for (int i = 0; i < 160; ++i) {
        tabbed += i % 3 == 0 ? "\x88\x9F\t" : "a\t";
    }
    const std::vector<std::string> rows = {randomRow(random, 600), randomRow(random, 500),
                                           tabbed + "\r\n"};
    for (int line = 0; line < static_cast<int>(rows.size()); ++line) {
        const std::string& row = rows[static_cast<size_t>(line)];
        const int tabCount = 2 + line * 3;
        const RowWidthRules rules{tabCount, false};
        const int total = Direct{font.fn(), rules}.total(row);
        for (int round = 0; round < 300; ++round) {
            const size_t length = random() % (row.size() + 1);
            const std::string_view text = std::string_view(row).substr(0, length);
            const int left = static_cast<int>(random() % static_cast<unsigned>(total + 30)) - 5;
            const int right = left + static_cast<int>(random() % 120);
            const RowCheckpoint start = cache.SliceStart(line, row, left, length, rules);
            EXPECT_LE(start.byte, length);
            const RowSlice fromStart = SliceRow(text, tabCount, left, right, true, font.fn());
            const RowSlice fromCheckpoint =
                SliceRow(text, tabCount, left, right, true, font.fn(), start);
            ASSERT_TRUE(sameSlice(fromCheckpoint, fromStart))
                << "line " << line << ", length " << length << ", left " << left;
        }
    }
}

TEST(RowWidthCache, AnEditedRowAnswersAsAFreshCache) {
    FakeFont font;
    std::mt19937 random(17);
    for (const bool singleByte : {false, true}) {
        const Direct direct{font.fn(), {4, singleByte}};
        RowWidthCache cache(font.fn(), kLimits);
        std::string row = randomRow(random, 400);
        for (int edit = 0; edit < 12; ++edit) {
            // Query far in, so that the row has checkpoints and a width to lose.
            cache.TextWidth(1, row, direct.rules);
            cache.NearestColumn(1, row, direct.total(row) / 2, direct.rules);
            // Bytes change from col on: an insertion, a removal, or a cut of the tail
            // (which may leave a lone lead byte or a shorter terminator).
            const size_t col = random() % (row.size() + 1);
            switch (edit % 3) {
            case 0:
                row.insert(col, kPieces[random() % kPieces.size()] + "\x88");
                break;
            case 1:
                row.erase(col, random() % 40);
                break;
            default:
                row.resize(col);
                row += edit % 2 == 0 ? "\x81" : "\r\n";
                break;
            }
            if (row.size() < 100) {
                row += randomRow(random, 400);
            }
            cache.RowEdited(1, col);
            SCOPED_TRACE(testing::Message() << "edit " << edit << " at " << col);
            RowWidthCache fresh(font.fn(), kLimits);
            expectAllAnswersDirect(fresh, 1, row, direct);
            expectAllAnswersDirect(cache, 1, row, direct);
        }
    }
}

TEST(RowWidthCache, QueriesFarIntoAMeasuredRowMeasureOnlyNearbyBytes) {
    FakeFont font;
    RowWidthCache cache(font.fn(), {4096, 4096, 8});
    std::mt19937 random(23);
    const std::string row = randomRow(random, 2'000'000);
    const RowWidthRules rules{8, false};
    const Direct direct{font.fn(), rules};
    const int total = cache.TextWidth(0, row, rules);
    EXPECT_EQ(total, direct.total(row));
    EXPECT_GE(font.bytesMeasured, row.size() - 2);

    // Each later query costs a few kilobytes at most, wherever it lands.
    const auto cost = [&](auto query) {
        font.bytesMeasured = 0;
        query();
        return font.bytesMeasured;
    };
    const size_t bound = 3 * 4096;
    EXPECT_EQ(cost([&] { cache.TextWidth(0, row, rules); }), 0u);
    EXPECT_LE(cost([&] { cache.PrefixWidth(0, row, row.size() - 3, rules); }), bound);
    EXPECT_LE(cost([&] { cache.PrefixWidth(0, row, row.size() / 2, rules); }), bound);
    EXPECT_LE(cost([&] { cache.NearestColumn(0, row, total - 5, rules); }), bound);
    EXPECT_LE(cost([&] { cache.NearestColumn(0, row, total / 3, rules); }), bound);
    EXPECT_EQ(cost([&] { cache.SliceStart(0, row, total - 100, row.size(), rules); }), 0u);

    // Typing at the end keeps what lies in front: the new width costs the tail only.
    std::string typed = row;
    const size_t end = CaretColumnLimit(typed);
    typed.insert(end, "xyz");
    cache.RowEdited(0, end);
    EXPECT_LE(cost([&] { cache.TextWidth(0, typed, rules); }), bound);
    EXPECT_EQ(cache.TextWidth(0, typed, rules), direct.total(typed));
}

TEST(RowWidthCache, ForgetsChangedRowsAndTheLeastRecentlyUsedOnes) {
    MeasuredRows m;
    RowWidthCache cache(m.font.fn(), {64, 16, 3});
    std::mt19937 random(29);
    for (int i = 0; i < 5; ++i) {
        m.rows.push_back(randomRow(random, 2000));
    }
    const auto widthCost = [&](int line) { return m.widthCost(cache, line); };
    for (int line = 0; line < 3; ++line) {
        widthCost(line);
    }
    EXPECT_EQ(widthCost(0), 0u);
    // A fourth row pushes out the least recently used one (line 1).
    widthCost(3);
    EXPECT_EQ(widthCost(0), 0u);
    EXPECT_EQ(widthCost(3), 0u);
    EXPECT_GT(widthCost(1), 1000u);

    // Rows from line 1 on changed (line 1 now holds what line 4 held): their measures
    // go, line 0's stay.
    m.rows[1] = m.rows[4];
    cache.RowsChanged(1);
    EXPECT_EQ(widthCost(0), 0u);
    EXPECT_GT(widthCost(1), 1000u);

    // A new font measures everything anew.
    cache.Clear();
    EXPECT_GT(widthCost(0), 1000u);
}

TEST(RowWidthCache, RenumbersTheRowsBehindAddedOrRemovedOnes) {
    MeasuredRows m;
    RowWidthCache cache(m.font.fn(), {64, 16, 8});
    std::mt19937 random(31);
    for (int i = 0; i < 6; ++i) {
        m.rows.push_back(randomRow(random, 1500));
    }
    const auto widthCost = [&](int line) { return m.widthCost(cache, line); };
    for (int line = 0; line < 6; ++line) {
        widthCost(line);
    }

    // Lines 2 and 3 joined into line 1: the rows behind move up two lines and keep
    // their measures; line 1 itself is left to RowEdited.
    m.rows.erase(m.rows.begin() + 2, m.rows.begin() + 4);
    cache.RowsMoved(1, -2);
    for (int line = 0; line < 4; ++line) {
        EXPECT_EQ(widthCost(line), 0u) << "line " << line;
    }

    // Two new lines after line 0: the rows behind move down, the new ones are measured.
    m.rows.insert(m.rows.begin() + 1, {randomRow(random, 1500), randomRow(random, 1500)});
    cache.RowsMoved(0, 2);
    EXPECT_EQ(widthCost(0), 0u);
    EXPECT_GT(widthCost(1), 1000u);
    EXPECT_GT(widthCost(2), 1000u);
    for (int line = 3; line < 6; ++line) {
        EXPECT_EQ(widthCost(line), 0u) << "line " << line;
    }

    // A removed row's measure goes with it, also where it would land on a row that
    // was never measured.
    RowWidthCache fresh(m.font.fn(), {64, 16, 8});
    for (const int line : {0, 2, 3}) {
        m.widthCost(fresh, line);
    }
    m.rows.erase(m.rows.begin() + 2);
    fresh.RowsMoved(1, -1);
    EXPECT_GT(m.widthCost(fresh, 1), 1000u);
    EXPECT_EQ(m.widthCost(fresh, 2), 0u);
}
