#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "editor/LfRowBits.h"
#include "editor/Velstrings.h"
#include "support/RowRunCheck.h"
#include "support/TempDir.h"

using namespace lumarik::editor;
using namespace std::string_literals;

namespace {

using Rows = std::vector<std::string>;

Rows rowsOf(const TVelStrings& store) {
    Rows rows;
    for (int i = 0; i < store.Count(); ++i) {
        rows.push_back(store.Get(i));
    }
    return rows;
}

int64_t sumOfLengths(const TVelStrings& store) {
    int64_t sum = 0;
    for (int i = 0; i < store.Count(); ++i) {
        sum += static_cast<int64_t>(store.Get(i).size());
    }
    return sum;
}

void fill(TVelStrings& store, const Rows& rows) {
    for (const std::string& row : rows) {
        store.Add(row);
    }
}

void expectInvariants(const TVelStrings& store) {
    EXPECT_LE(0, store.Count());
    EXPECT_LE(store.Count(), store.Capacity());
    EXPECT_LE(store.Capacity(), TVelStrings::kMaxListSize);
    EXPECT_EQ(store.ByteCount(), sumOfLengths(store));
}

// Runs an operation that must fail with the list-index error and leave the store as
// it was.
void expectIndexError(TVelStrings& store, const std::function<void()>& operation,
                      const char* what) {
    SCOPED_TRACE(what);
    const Rows before = rowsOf(store);
    const int capacity = store.Capacity();
    const int64_t bytes = store.ByteCount();
    try {
        operation();
        ADD_FAILURE() << "no error raised";
    } catch (const VelStringsError& error) {
        EXPECT_STREQ(error.what(), kListIndexError);
    }
    EXPECT_EQ(rowsOf(store), before);
    EXPECT_EQ(store.Capacity(), capacity);
    EXPECT_EQ(store.ByteCount(), bytes);
}

// Rows "r<n>\r\n" of varying length for n in [first, first + count).
Rows numberedRows(int first, int count) {
    Rows rows;
    for (int n = first; n < first + count; ++n) {
        rows.push_back("r" + std::to_string(n) + std::string(static_cast<std::size_t>(n % 7), '.') +
                       "\r\n");
    }
    return rows;
}

Rows concat(Rows a, const Rows& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

int64_t sumOfLengths(const Rows& rows) {
    int64_t sum = 0;
    for (const std::string& row : rows) {
        sum += static_cast<int64_t>(row.size());
    }
    return sum;
}

// Checks what the store keeps of its runs against the model: the runs cover the rows in
// order, and each knows its bytes and LF rows, also when asked by row or by LF row.
void expectRuns(const TVelStrings& store, const Rows& model) {
    int row = 0;
    int lfRows = 0;
    for (std::size_t run = 0; run < store.RunCount(); ++run) {
        const RowRun info = store.Run(run);
        ASSERT_EQ(info.firstRow, row) << "run " << run;
        ASSERT_GT(info.rows, 0) << "run " << run;
        ASSERT_LE(info.rows, static_cast<int>(TVelStrings::kChunkRows)) << "run " << run;
        ASSERT_EQ(info.lfRowsBefore, lfRows) << "run " << run;
        const Rows rows(model.begin() + row, model.begin() + row + info.rows);
        const LoadedRun counted = lumarik::test::CountedRun(rows);
        ASSERT_EQ(info.bytes, counted.bytes) << "run " << run;
        ASSERT_EQ(*info.lfRows, counted.lfRows) << "run " << run;
        ASSERT_EQ(store.RunOfRow(row + info.rows / 2), run);
        const int lfHere = counted.lfRows.count();
        if (lfHere > 0) {
            ASSERT_EQ(store.RunOfLfRow(lfRows + lfHere), run) << "run " << run;
        }
        row += info.rows;
        lfRows += lfHere;
    }
    ASSERT_EQ(row, static_cast<int>(model.size()));
    ASSERT_EQ(store.RunOfLfRow(lfRows + 1), store.RunCount());
}

// Compares the store with a model, row by row: first in order, then from the back, so
// that both the walk and the lookup of far rows are checked.
void expectRows(const TVelStrings& store, const Rows& model) {
    ASSERT_NO_FATAL_FAILURE(expectRuns(store, model));
    ASSERT_EQ(store.Count(), static_cast<int>(model.size()));
    ASSERT_EQ(store.ByteCount(), sumOfLengths(model));
    for (int i = 0; i < store.Count(); ++i) {
        ASSERT_EQ(store.Get(i), model[static_cast<std::size_t>(i)]) << "row " << i;
    }
    for (int i = store.Count() - 1; i >= 0; i -= 97) {
        ASSERT_EQ(store.Get(i), model[static_cast<std::size_t>(i)]) << "row " << i;
    }
}

Rows splitBySetTextStr(std::string_view text) {
    TVelStrings store;
    store.SetTextStr(text);
    return rowsOf(store);
}

} // namespace

TEST(LineStore, StartsEmptyAndKeepsLinesWithTheirTerminators) {
    TVelStrings store;
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Capacity(), 0);
    EXPECT_EQ(store.ByteCount(), 0);

    EXPECT_EQ(store.Add("one\r\n"), 0);
    EXPECT_EQ(store.Add("two\0\0"s), 1);
    EXPECT_EQ(store.Get(0), "one\r\n");
    EXPECT_EQ(store.Get(1), "two\0\0"s);
    EXPECT_EQ(store.ByteCount(), 10);
    expectInvariants(store);

    store.Put(0, "first\r\n");
    EXPECT_EQ(store.Get(0), "first\r\n");
    EXPECT_EQ(store.ByteCount(), 12);

    store.Clear();
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.Capacity(), 0);
    EXPECT_EQ(store.ByteCount(), 0);
}

TEST(LineStore, InsertAndDeleteShiftTheLinesBehind) {
    TVelStrings store;
    fill(store, {"b\r\n", "d\0\0"s});
    store.Insert(0, "a\r\n");
    store.Insert(2, "c\r\n");
    store.Insert(store.Count(), "e");
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "b\r\n", "c\r\n", "d\0\0"s, "e"}));

    store.Delete(1);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "c\r\n", "d\0\0"s, "e"}));
    store.Delete(store.Count() - 1);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "c\r\n", "d\0\0"s}));
    expectInvariants(store);
}

TEST(LineStore, RangeInsertAndEraseKeepOrderAndByteCount) {
    TVelStrings store;
    fill(store, {"a\r\n", "z\0\0"s});
    store.InsertRange(1, {"b\r\n", "c\r\n", "d\r\n"});
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "b\r\n", "c\r\n", "d\r\n", "z\0\0"s}));
    store.InsertRange(store.Count(), {});
    EXPECT_EQ(store.Count(), 5);

    store.DeleteRange(1, 2);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "d\r\n", "z\0\0"s}));
    store.DeleteRange(3, 0);
    store.DeleteRange(0, 3);
    EXPECT_EQ(store.Count(), 0);
    expectInvariants(store);
}

TEST(LineStore, SetCountAndSetCapacityKeepTheInvariants) {
    TVelStrings store;
    fill(store, {"a\r\n", "b\r\n", "c\0\0"s});
    store.SetCount(5);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "b\r\n", "c\0\0"s, "", ""}));
    expectInvariants(store);

    store.SetCount(1);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n"}));
    EXPECT_EQ(store.ByteCount(), 3);
    expectInvariants(store);

    store.SetCapacity(1000);
    EXPECT_EQ(store.Capacity(), 1000);
    store.SetCapacity(1);
    EXPECT_EQ(store.Capacity(), 1);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n"}));
    // Lines grown into after a shrink start empty.
    store.SetCount(2);
    EXPECT_EQ(store.Get(1), "");
    expectInvariants(store);
}

TEST(LineStore, BadIndexRaisesTheListErrorAndChangesNothing) {
    TVelStrings store;
    fill(store, {"a\r\n", "b\0\0"s});
    const int max = TVelStrings::kMaxListSize;
    expectIndexError(
        store, [&] { (void)store.Get(-1); }, "Get(-1)");
    expectIndexError(
        store, [&] { (void)store.Get(2); }, "Get(Count)");
    expectIndexError(
        store, [&] { store.Put(2, "x"); }, "Put(Count)");
    expectIndexError(
        store, [&] { store.Put(-1, "x"); }, "Put(-1)");
    expectIndexError(
        store, [&] { store.Delete(2); }, "Delete(Count)");
    expectIndexError(
        store, [&] { store.Delete(-1); }, "Delete(-1)");
    expectIndexError(
        store, [&] { store.Insert(3, "x"); }, "Insert(Count + 1)");
    expectIndexError(
        store, [&] { store.Insert(-1, "x"); }, "Insert(-1)");
    expectIndexError(
        store, [&] { store.SetCount(-1); }, "SetCount(-1)");
    expectIndexError(
        store, [&] { store.SetCount(max + 1); }, "SetCount(max + 1)");
    expectIndexError(
        store, [&] { store.SetCapacity(1); }, "SetCapacity(below Count)");
    expectIndexError(
        store, [&] { store.SetCapacity(max + 1); }, "SetCapacity(max + 1)");
    expectIndexError(
        store, [&] { store.InsertRange(3, {"x"}); }, "InsertRange(Count + 1)");
    expectIndexError(
        store, [&] { store.DeleteRange(1, 2); }, "DeleteRange past the end");
    expectIndexError(
        store, [&] { store.DeleteRange(0, -1); }, "DeleteRange(negative)");
    int index = 3;
    expectIndexError(
        store, [&] { store.InsertText(index, "x"); }, "InsertText(Count + 1)");
    EXPECT_EQ(index, 3);

    TVelStrings empty;
    expectIndexError(
        empty, [&] { (void)empty.Get(0); }, "Get on an empty store");
}

TEST(LineStore, SplitRuleEndsLinesAtEachCrOrNulAndTheByteAfterIt) {
    EXPECT_EQ(splitBySetTextStr(""), (Rows{""}));
    EXPECT_EQ(splitBySetTextStr("a\r\nb\r\n"), (Rows{"a\r\n", "b\r\n"}));
    EXPECT_EQ(splitBySetTextStr("a\r\nb"), (Rows{"a\r\n", "b"}));
    EXPECT_EQ(splitBySetTextStr("a\rbc"), (Rows{"a\rb", "c"}));
    EXPECT_EQ(splitBySetTextStr("a\0bc"s), (Rows{"a\0b"s, "c"}));
    EXPECT_EQ(splitBySetTextStr("a\0\0"s), (Rows{"a\0\0"s}));
    // A break byte at the very end pairs with the NUL that closes the text.
    EXPECT_EQ(splitBySetTextStr("ab\r"), (Rows{"ab\r\0"s}));
    EXPECT_EQ(splitBySetTextStr("\r\n\r\n"), (Rows{"\r\n", "\r\n"}));

    TVelStrings store;
    fill(store, {"old\r\n"});
    store.SetTextStr("x\r\ny");
    EXPECT_EQ(rowsOf(store), (Rows{"x\r\n", "y"}));
    expectInvariants(store);
}

TEST(LineStore, InsertTextInsertsTheSplitLinesAndEndsOnTheLastOne) {
    TVelStrings store;
    fill(store, {"a\r\n", "z\0\0"s});
    int index = 1;
    store.InsertText(index, "b\r\nc\r\n");
    EXPECT_EQ(index, 2);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "b\r\n", "c\r\n", "z\0\0"s}));

    index = 4;
    store.InsertText(index, "");
    EXPECT_EQ(index, 4);
    EXPECT_EQ(store.Count(), 5);
    EXPECT_EQ(store.Get(4), "");
    expectInvariants(store);
}

TEST(LineStore, GetTextStrDropsTheFinalTerminator) {
    TVelStrings store;
    fill(store, {"a\r\n", "b\r\n", "\0\0"s});
    EXPECT_EQ(store.GetTextStr(), "a\r\nb\r\n");

    TVelStrings lastHasText;
    fill(lastHasText, {"a\r\n", "b\0\0"s});
    EXPECT_EQ(lastHasText.GetTextStr(), "a\r\nb");

    TVelStrings tooShort;
    EXPECT_EQ(tooShort.GetTextStr(), "");
    fill(tooShort, {"a"});
    EXPECT_EQ(tooShort.GetTextStr(), "");
    // The two bytes dropped may span lines.
    fill(tooShort, {"b"});
    fill(tooShort, {"c"});
    EXPECT_EQ(tooShort.GetTextStr(), "a");
}

TEST(LineStore, CommaTextQuotesItemsWithSpacesOrCommas) {
    TVelStrings store;
    fill(store, {"plain", "two words", "a,b", "say \"hi\"", ""});
    EXPECT_EQ(store.GetCommaText(), "plain,\"two words\",\"a,b\",\"say \"hi\"\",");

    TVelStrings parsed;
    parsed.SetCommaText("plain,\"two words\",\"a,b\",last");
    EXPECT_EQ(rowsOf(parsed), (Rows{"plain", "two words", "a,b", "last"}));
    expectInvariants(parsed);

    TVelStrings empty;
    EXPECT_EQ(empty.GetCommaText(), "");
    empty.SetCommaText("");
    EXPECT_EQ(empty.Count(), 0);
}

TEST(LineStore, CommaTextStopsAtTheEndOfAnUnclosedOrTrailingQuote) {
    TVelStrings store;
    store.SetCommaText("a,\"bc");
    EXPECT_EQ(rowsOf(store), (Rows{"a", "bc"}));
    store.SetCommaText("\"ab\"");
    EXPECT_EQ(rowsOf(store), (Rows{"ab"}));
    store.SetCommaText("\"");
    EXPECT_EQ(rowsOf(store), (Rows{""}));
    // A CR or NUL ends an item too.
    store.SetCommaText("ab\rcd");
    EXPECT_EQ(rowsOf(store), (Rows{"ab", "cd"}));
    expectInvariants(store);
}

TEST(LineStore, IndexOfComparesWholeLinesWithTerminators) {
    TVelStrings store;
    fill(store, {"a\r\n", "a\0\0"s, "a\r\n"});
    EXPECT_EQ(store.IndexOf("a\r\n"), 0);
    EXPECT_EQ(store.IndexOf("a\0\0"s), 1);
    EXPECT_EQ(store.IndexOf("a"), -1);
    EXPECT_EQ(TVelStrings().IndexOf(""), -1);
}

TEST(LineStore, AddStringsAppendsAndAssignReplaces) {
    TVelStrings store;
    fill(store, {"a\r\n"});
    store.AddStrings({"b\r\n", "c\0\0"s});
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "b\r\n", "c\0\0"s}));
    store.Assign({"x\0\0"s});
    EXPECT_EQ(rowsOf(store), (Rows{"x\0\0"s}));
    expectInvariants(store);
}

TEST(LineStore, StreamsCarryTheTextWithoutTheEndMark) {
    std::istringstream in("skip|a\r\nb\r\nc");
    in.seekg(5);
    TVelStrings store;
    fill(store, {"old\r\n"});
    store.LoadFromStream(in);
    EXPECT_EQ(rowsOf(store), (Rows{"a\r\n", "b\r\n", "c"}));

    TVelStrings saved;
    fill(saved, {"a\r\n", "b\0\0"s});
    std::ostringstream out;
    saved.SaveToStream(out);
    EXPECT_EQ(out.str(), saved.GetTextStr());
    EXPECT_EQ(out.str(), "a\r\nb");

    std::istringstream nothingLeft("abc");
    nothingLeft.seekg(0, std::ios::end);
    store.LoadFromStream(nothingLeft);
    EXPECT_EQ(store.Count(), 0);
}

TEST(LineStore, SwapExchangesContents) {
    TVelStrings a;
    TVelStrings b;
    fill(a, {"a\0\0"s});
    fill(b, {"b\r\n", "c\0\0"s});
    a.Swap(b);
    EXPECT_EQ(rowsOf(a), (Rows{"b\r\n", "c\0\0"s}));
    EXPECT_EQ(rowsOf(b), (Rows{"a\0\0"s}));
    expectInvariants(a);
    expectInvariants(b);
}

TEST(LineStore, ByteCountFollowsEveryKindOfEdit) {
    TVelStrings store;
    store.SetTextStr("one\r\ntwo\r\nthree");
    int index = 1;
    store.InsertText(index, "x\r\nyy\r\n");
    store.Put(0, "longer line\r\n");
    store.Delete(2);
    store.InsertRange(1, {"p\r\n", "qq\r\n"});
    store.DeleteRange(0, 2);
    store.Insert(0, "zzz");
    store.SetCount(3);
    store.SetCount(6);
    store.AddStrings({"tail\0\0"s});
    EXPECT_EQ(store.ByteCount(), sumOfLengths(store));
    expectInvariants(store);
}

TEST(LineStore, InsertAndDeleteAtEveryRowKeepTheNeighbours) {
    // A load fills its chunks part way, appending fills them up. Each store gets a row
    // inserted and deleted again in front of every row, from the first row on and from
    // the last one back, so every chunk edge is met and full chunks split on either side.
    const Rows original = numberedRows(0, 5000);
    std::string text;
    for (const std::string& row : original) {
        text += row;
    }
    const int64_t bytes = sumOfLengths(original);
    for (const bool appended : {false, true}) {
        for (const bool backwards : {false, true}) {
            SCOPED_TRACE(appended ? "appended" : "loaded");
            SCOPED_TRACE(backwards ? "backwards" : "forwards");
            TVelStrings store;
            if (appended) {
                fill(store, original);
            } else {
                store.SetTextStr(text);
            }
            // A full walk first, so that later lookups trust what they learnt here.
            ASSERT_NO_FATAL_FAILURE(expectRows(store, original));
            for (int step = 0; step <= 5000; ++step) {
                const int index = backwards ? 5000 - step : step;
                SCOPED_TRACE(index);
                store.Insert(index, "new\r\n");
                ASSERT_EQ(store.Count(), 5001);
                ASSERT_EQ(store.ByteCount(), bytes + 5);
                ASSERT_EQ(store.Get(index), "new\r\n");
                if (index > 0) {
                    ASSERT_EQ(store.Get(index - 1), original[index - 1]);
                }
                if (index < 5000) {
                    ASSERT_EQ(store.Get(index + 1), original[index]);
                    ASSERT_EQ(store.Get(5000), original.back());
                }
                store.Delete(index);
                ASSERT_EQ(store.ByteCount(), bytes);
                if (index < 5000) {
                    ASSERT_EQ(store.Get(index), original[index]);
                }
            }
            ASSERT_NO_FATAL_FAILURE(expectRows(store, original));
        }
    }
}

TEST(LineStore, ManyInsertsSplitChunksAndDeletesEmptyThem) {
    Rows model = numberedRows(0, 10);
    TVelStrings store;
    fill(store, model);
    // Every insert lands in the middle, so full chunks split again and again.
    for (int n = 100; n < 5100; ++n) {
        const auto middle = static_cast<int>(model.size() / 2);
        store.Insert(middle, "m" + std::to_string(n) + "\r\n");
        model.insert(model.begin() + middle, "m" + std::to_string(n) + "\r\n");
    }
    ASSERT_NO_FATAL_FAILURE(expectRows(store, model));
    // Deleting them again from both ends of the inserted block empties chunks.
    for (int k = 0; model.size() > 10; ++k) {
        const int index = k % 2 == 0 ? 5 : static_cast<int>(model.size()) - 6;
        store.Delete(index);
        model.erase(model.begin() + index);
        if (k % 1000 == 0) {
            ASSERT_NO_FATAL_FAILURE(expectRows(store, model));
        }
    }
    EXPECT_EQ(rowsOf(store), numberedRows(0, 10));
    expectInvariants(store);

    store.DeleteRange(0, store.Count());
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(store.ByteCount(), 0);
    expectIndexError(
        store, [&] { (void)store.Get(0); }, "Get after deleting everything");
    store.Add("again\0\0"s);
    EXPECT_EQ(rowsOf(store), (Rows{"again\0\0"s}));
}

TEST(LineStore, RangesAcrossChunksMoveNothingOutOfOrder) {
    const Rows original = numberedRows(0, 6000);
    TVelStrings store;
    store.Assign(original);
    Rows model = original;

    // A range bigger than a chunk, into the middle of one.
    const Rows big = numberedRows(100000, 5000);
    store.InsertRange(2500, big);
    model.insert(model.begin() + 2500, big.begin(), big.end());
    ASSERT_NO_FATAL_FAILURE(expectRows(store, model));

    // Small ranges at the front, the end, and just before a deleted range's edge.
    store.InsertRange(0, numberedRows(200000, 3));
    const Rows front = numberedRows(200000, 3);
    model.insert(model.begin(), front.begin(), front.end());
    store.InsertRange(store.Count(), numberedRows(300000, 2000));
    const Rows tail = numberedRows(300000, 2000);
    model.insert(model.end(), tail.begin(), tail.end());
    ASSERT_NO_FATAL_FAILURE(expectRows(store, model));

    // Deletes that start and end inside chunks, that take whole chunks, and all rows
    // but the first and last.
    for (const auto& [index, count] : {std::pair{1000, 4000}, std::pair{10, 1}, std::pair{0, 3000},
                                       std::pair{2000, 2048}, std::pair{1, 0}}) {
        SCOPED_TRACE(index);
        store.DeleteRange(index, count);
        model.erase(model.begin() + index, model.begin() + index + count);
        ASSERT_NO_FATAL_FAILURE(expectRows(store, model));
    }
    store.DeleteRange(1, store.Count() - 2);
    EXPECT_EQ(rowsOf(store), (Rows{model.front(), model.back()}));
    expectInvariants(store);

    store.SetCount(7000);
    EXPECT_EQ(store.Get(6999), "");
    // Shrinking the last chunk until it joins the one before it.
    for (int count = 7000; count > 5000; count -= 300) {
        store.SetCount(count);
        EXPECT_EQ(store.Get(count - 1), "");
        EXPECT_EQ(store.Get(count / 2), "");
    }
    EXPECT_EQ(store.Get(1), model.back());
    store.SetCount(3);
    EXPECT_EQ(rowsOf(store), (Rows{model.front(), model.back(), ""}));
    expectInvariants(store);
}

TEST(LineStore, SwapCarriesBigStoresWhole) {
    // One store has just had a row inserted at its front; the other was read to its
    // end. Each must find its rows after the exchange. (A load and appends lay out
    // their chunks differently.)
    TVelStrings edited;
    edited.Assign(numberedRows(0, 7000));
    EXPECT_EQ(edited.Get(6500), numberedRows(6500, 1).front());
    edited.Insert(0, "x\r\n");
    TVelStrings read;
    fill(read, numberedRows(0, 4000));
    EXPECT_EQ(read.Get(3999), numberedRows(3999, 1).front());

    edited.Swap(read);
    ASSERT_NO_FATAL_FAILURE(expectRows(read, concat({"x\r\n"}, numberedRows(0, 7000))));
    ASSERT_NO_FATAL_FAILURE(expectRows(edited, numberedRows(0, 4000)));
    expectInvariants(edited);
    expectInvariants(read);

    read.Insert(4000, "y\r\n");
    edited.Delete(0);
    EXPECT_EQ(read.Get(4000), "y\r\n");
    EXPECT_EQ(read.Get(7001), numberedRows(6999, 1).front());
    EXPECT_EQ(edited.Get(0), numberedRows(1, 1).front());
    EXPECT_EQ(edited.Get(3998), numberedRows(3999, 1).front());
}

TEST(LineStore, ByteEditsChangeTheRowInPlace) {
    TVelStrings store;
    store.Assign(numberedRows(0, 3000));
    const std::string& row = store.Get(2500);
    ASSERT_EQ(row, "r2500.\r\n");
    const int64_t bytes = store.ByteCount();

    store.InsertBytes(2500, 1, "ab");
    EXPECT_EQ(row, "rab2500.\r\n");
    store.EraseBytes(2500, 0, 3);
    EXPECT_EQ(row, "2500.\r\n");
    store.AppendBytes(2500, "\x82\xA0");
    EXPECT_EQ(row, "2500.\r\n\x82\xA0");
    // Rows inserted or deleted in other chunks leave the reference alone.
    store.Insert(10, "x\r\n");
    store.Delete(0);
    EXPECT_EQ(&store.Get(2500), &row);
    EXPECT_EQ(store.ByteCount(), bytes + 1 + 3 - 4);

    // Columns and counts are clamped to the row.
    store.InsertBytes(0, 1000, "<end>");
    EXPECT_EQ(store.Get(0), "r1.\r\n<end>");
    store.InsertBytes(0, -5, "<");
    EXPECT_EQ(store.Get(0), "<r1.\r\n<end>");
    store.EraseBytes(0, 6, 1000);
    EXPECT_EQ(store.Get(0), "<r1.\r\n");
    store.EraseBytes(0, 100, 2);
    store.EraseBytes(0, 1, -3);
    store.EraseBytes(0, -2, 1);
    EXPECT_EQ(store.Get(0), "r1.\r\n");
    // A row's own bytes inserted into it.
    store.InsertBytes(0, 2, store.Get(0));
    EXPECT_EQ(store.Get(0), "r1r1.\r\n.\r\n");
    EXPECT_EQ(store.ByteCount(), sumOfLengths(store));

    const int count = store.Count();
    expectIndexError(
        store, [&] { store.InsertBytes(count, 0, "x"); }, "InsertBytes(Count)");
    expectIndexError(
        store, [&] { store.InsertBytes(-1, 0, "x"); }, "InsertBytes(-1)");
    expectIndexError(
        store, [&] { store.EraseBytes(count, 0, 1); }, "EraseBytes(Count)");
    expectIndexError(
        store, [&] { store.AppendBytes(-1, "x"); }, "AppendBytes(-1)");
    TVelStrings empty;
    expectIndexError(
        empty, [&] { empty.AppendBytes(0, "x"); }, "AppendBytes on an empty store");
}

TEST(LineStore, WholeTextOfAnEditedStoreWalksEveryChunk) {
    TVelStrings store;
    store.Assign(numberedRows(0, 5000));
    store.InsertRange(1700, numberedRows(9000, 3000));
    store.DeleteRange(100, 1500);
    store.Add("last\0\0"s);
    const Rows model = rowsOf(store);
    std::string text;
    for (const std::string& row : model) {
        text += row;
    }
    text.resize(text.size() - 2);

    EXPECT_EQ(store.GetTextStr(), text);
    std::ostringstream stream;
    store.SaveToStream(stream);
    EXPECT_EQ(stream.str(), text);
    const lumarik::test::TempDir dir;
    ASSERT_TRUE(store.SaveToFile(dir.file("out.txt"))) << store.LastError();
    EXPECT_EQ(lumarik::test::readBytes(dir.file("out.txt")), text);

    EXPECT_EQ(store.IndexOf(numberedRows(9999, 1).front()), 1700 - 1500 + 999);
    EXPECT_EQ(store.IndexOf("last\0\0"s), store.Count() - 1);
    EXPECT_EQ(store.IndexOf("r50.\r\n"), 50);
    std::string comma;
    for (const std::string& row : model) {
        comma += row + ",";
    }
    comma.pop_back();
    EXPECT_EQ(store.GetCommaText(), comma);
}

// Random edits of every kind, each checked against the same edit of a plain vector.
TEST(LineStore, RandomEditsMatchAPlainVector) {
    std::mt19937 random(20240611);
    const auto below = [&](std::size_t n) {
        return n == 0 ? std::size_t{0} : static_cast<std::size_t>(random() % n);
    };
    TVelStrings store;
    Rows model = numberedRows(0, 4000);
    store.Assign(model);
    int next = 10000;
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        const std::size_t size = model.size();
        const int at = static_cast<int>(below(size + 1));
        const std::size_t kind = below(model.size() > 12000 ? 6 : 10);
        if (size == 0 || kind >= 8) {
            // Grows: one row, a few rows, or a range bigger than a chunk.
            const Rows rows = numberedRows(next, static_cast<int>(kind == 9 ? below(3000) : 1));
            next += 3000;
            store.InsertRange(at, rows);
            model.insert(model.begin() + at, rows.begin(), rows.end());
            continue;
        }
        const int row = static_cast<int>(below(size));
        const auto col = static_cast<int>(below(model[static_cast<std::size_t>(row)].size() + 3));
        std::string& modelRow = model[static_cast<std::size_t>(row)];
        switch (kind) {
        case 0:
            store.Delete(row);
            model.erase(model.begin() + row);
            break;
        case 1: {
            const auto count = static_cast<int>(below(std::min<std::size_t>(size - row, 2500) + 1));
            store.DeleteRange(row, count);
            model.erase(model.begin() + row, model.begin() + row + count);
            break;
        }
        case 2: {
            // Half of the new rows end with LF, half do not.
            const std::string put = "put" + std::to_string(step) + (step % 2 == 0 ? "\r\n" : "");
            store.Put(row, put);
            modelRow = put;
            break;
        }
        case 3:
        case 4:
            store.InsertBytes(row, col, "\x88\x9F");
            modelRow.insert(std::min<std::size_t>(col, modelRow.size()), "\x88\x9F");
            break;
        case 5: {
            const auto count = static_cast<int>(below(4));
            store.EraseBytes(row, col, count);
            if (static_cast<std::size_t>(col) < modelRow.size()) {
                modelRow.erase(static_cast<std::size_t>(col), static_cast<std::size_t>(count));
            }
            break;
        }
        case 6: {
            const char* tail = step % 3 == 0 ? "\n" : "+";
            store.AppendBytes(row, tail);
            modelRow += tail;
            break;
        }
        default: {
            const std::size_t count = below(size + 100);
            store.SetCount(static_cast<int>(count));
            model.resize(count);
            break;
        }
        }
        ASSERT_EQ(store.Count(), static_cast<int>(model.size()));
        ASSERT_EQ(store.ByteCount(), sumOfLengths(model));
        if (!model.empty()) {
            const std::size_t probe = below(model.size());
            ASSERT_EQ(store.Get(static_cast<int>(probe)), model[probe]);
        }
        if (step % 10 == 0) {
            ASSERT_NO_FATAL_FAILURE(expectRows(store, model));
        }
    }
    ASSERT_NO_FATAL_FAILURE(expectRows(store, model));
    expectInvariants(store);
}

// Every operation on the bits, checked against the same operation on a vector of flags.
TEST(LfRowBits, ShiftLikeAVectorOfFlags) {
    constexpr std::size_t kMax = LfRowBits::kMaxRows;
    std::mt19937 random(7);
    const auto below = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    LfRowBits bits;
    std::vector<bool> model(kMax, false);
    const auto expectSame = [&](const LfRowBits& actual, const std::vector<bool>& flags) {
        int count = 0;
        std::size_t last = kMax;
        for (std::size_t i = 0; i < kMax; ++i) {
            ASSERT_EQ(actual.test(i), flags[i]) << i;
            ASSERT_EQ(actual.countBefore(i), count) << i;
            ASSERT_EQ(actual.lastBefore(i), last) << i;
            if (flags[i]) {
                ASSERT_EQ(actual.nth(count), i);
                ++count;
                last = i;
            }
        }
        ASSERT_EQ(actual.count(), count);
        ASSERT_EQ(actual.nth(count), kMax);
    };
    for (int step = 0; step < 400; ++step) {
        SCOPED_TRACE(step);
        const std::size_t at = below(kMax + 1);
        switch (below(5)) {
        case 0: {
            const std::size_t n = below(200);
            bits.insert(at, n);
            model.insert(model.begin() + static_cast<std::ptrdiff_t>(at), n, false);
            model.resize(kMax);
            break;
        }
        case 1: {
            const std::size_t to = at + below(kMax - at + 1);
            bits.erase(at, to);
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at),
                        model.begin() + static_cast<std::ptrdiff_t>(to));
            model.resize(kMax, false);
            break;
        }
        case 2: {
            // The rows from `at` go to a new run, which is then put back behind the first
            // `at` rows of a copy.
            const LfRowBits tail = bits.splitOff(at);
            std::vector<bool> tailModel(model.begin() + static_cast<std::ptrdiff_t>(at),
                                        model.end());
            tailModel.resize(kMax, false);
            std::fill(model.begin() + static_cast<std::ptrdiff_t>(at), model.end(), false);
            ASSERT_NO_FATAL_FAILURE(expectSame(tail, tailModel));
            const std::size_t keep = below(at + 1);
            LfRowBits joined = bits;
            joined.append(keep, tail);
            std::vector<bool> joinedModel(model.begin(),
                                          model.begin() + static_cast<std::ptrdiff_t>(keep));
            joinedModel.insert(joinedModel.end(), tailModel.begin(), tailModel.end());
            joinedModel.resize(kMax);
            ASSERT_NO_FATAL_FAILURE(expectSame(joined, joinedModel));
            break;
        }
        default:
            for (int k = 0; k < 40; ++k) {
                const std::size_t row = below(kMax);
                const bool lf = below(2) == 0;
                bits.set(row, lf);
                model[row] = lf;
            }
            break;
        }
        ASSERT_NO_FATAL_FAILURE(expectSame(bits, model));
    }
}

namespace {

// Cuts a line into pieces of `width` bytes, the terminator with the last; lines of
// letters give pieces that never look terminated.
LineCutter piecesOf(std::size_t width, int* linesLeft = nullptr) {
    return {[width, linesLeft](std::string_view line, std::vector<std::string>& rows) {
                if (linesLeft != nullptr && (*linesLeft)-- == 0) {
                    throw std::runtime_error("cut failed");
                }
                const bool ended = line.size() >= 2 &&
                                   (line[line.size() - 2] == '\r' || line[line.size() - 2] == '\0');
                const std::string_view text = line.substr(0, line.size() - (ended ? 2 : 0));
                std::size_t at = 0;
                for (; at + width < text.size(); at += width) {
                    rows.emplace_back(text.substr(at, width));
                }
                rows.emplace_back(line.substr(at));
            },
            false};
}

Rows cutModel(const Rows& lines, std::size_t width) {
    Rows rows;
    const LineCutter cut = piecesOf(width);
    for (const std::string& line : lines) {
        cut.cut(line, rows);
    }
    return rows;
}

} // namespace

TEST(LineStore, RecutLinesLaysOutLinesAcrossRunsAndKeepsOneLayoutWhenACutFails) {
    // Short lines, lines of a run's size and more, a lone CR ending and the end mark.
    Rows lines;
    for (int i = 0; i < 3000; ++i) {
        const std::size_t length = i % 500 == 7 ? 9000 : static_cast<std::size_t>(i * 37 % 61);
        lines.push_back(std::string(length, static_cast<char>('a' + i % 26)) +
                        (i % 97 == 5 ? "\rq" : "\r\n"));
    }
    lines.push_back("tail"s + std::string("\0\0", 2));
    const Rows byFive = cutModel(lines, 5);
    const Rows bySeven = cutModel(lines, 7);
    const LineCutter keep = piecesOf(std::string::npos);

    TVelStrings store;
    store.Assign(lines);
    store.RecutLines(piecesOf(5), keep);
    ASSERT_NO_FATAL_FAILURE(expectRows(store, byFive));
    expectInvariants(store);
    store.RecutLines(piecesOf(7), keep);
    ASSERT_NO_FATAL_FAILURE(expectRows(store, bySeven));
    store.RecutLines(keep, piecesOf(7));
    ASSERT_NO_FATAL_FAILURE(expectRows(store, lines));

    // A failure far in: the lines laid out so far go back to what they were.
    int linesLeft = 2500;
    EXPECT_THROW(store.RecutLines(piecesOf(5, &linesLeft), keep), std::runtime_error);
    ASSERT_NO_FATAL_FAILURE(expectRows(store, lines));
    store.RecutLines(piecesOf(7), keep);
    linesLeft = 1200;
    EXPECT_THROW(store.RecutLines(piecesOf(std::string::npos, &linesLeft), piecesOf(7)),
                 std::runtime_error);
    ASSERT_NO_FATAL_FAILURE(expectRows(store, bySeven));
    // Restored by other rules, the text is still whole: the lines in front in the
    // rows of `restore`, the others as they were.
    linesLeft = 1200;
    EXPECT_THROW(store.RecutLines(piecesOf(std::string::npos, &linesLeft), piecesOf(5)),
                 std::runtime_error);
    const Rows front = cutModel(Rows(lines.begin(), lines.begin() + 1200), 5);
    const Rows back = cutModel(Rows(lines.begin() + 1200, lines.end()), 7);
    ASSERT_NO_FATAL_FAILURE(expectRows(store, concat(front, back)));
    expectInvariants(store);
}
