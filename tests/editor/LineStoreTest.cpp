#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "editor/Velstrings.h"

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
