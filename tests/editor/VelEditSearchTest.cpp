#include <gtest/gtest.h>

#include "editor/EditControlMessages.h"
#include "editor/VelEditTestSupport.h"
#include "editor/WrapCut.h"
#include "platform/WindowMessages.h"

#include <QCoreApplication>

#include <algorithm>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::test::BlockEditor;
using lumarik::test::charStarts;
using lumarik::test::freshLayout;
using lumarik::test::giveFocus;
using lumarik::test::offsetOf;
using lumarik::test::rowsOf;

namespace {

// "ッ" (0x83 0x62: its trail byte is a "b"), "日" and "本".
const std::string kTsu = "\x83\x62";
const std::string kNichi = "\x93\xFA";
const std::string kHon = "\x96\x7B";
// "にほん".
const std::string kNihon = "\x82\xC9\x82\xD9\x82\xF1";

enum class Answer { Yes, No, Abort, All };

// The matchers a host may hand the engine: the first byte-for-byte occurrence, blind
// to double-byte characters (the engine must see to those); one that answers a
// position past the text it was given; one that answers empty matches.
enum class Matcher { Bytes, PastTheRest, EmptyMatch };

struct Op {
    enum Kind { SetFind, First, Next, Prev, Caret, Select, Replace, ReadOnly } kind;
    std::string find = {}, change = {};
    int line = 0, col = 0, toLine = 0, toCol = 0;
    std::vector<Answer> answers = {}; // with answers, each replacement is asked for
};

Op setFind(std::string text) {
    return {Op::SetFind, std::move(text)};
}
Op first() {
    return {Op::First};
}
Op next() {
    return {Op::Next};
}
Op prev() {
    return {Op::Prev};
}
Op caret(int line, int col) {
    return {Op::Caret, {}, {}, line, col};
}
Op select(int line, int col, int toLine, int toCol) {
    return {Op::Select, {}, {}, line, col, toLine, toCol};
}
Op replace(std::string find, std::string change, std::vector<Answer> answers = {}) {
    return {Op::Replace, std::move(find), std::move(change), 0, 0, 0, 0, std::move(answers)};
}
Op readOnly() {
    return {Op::ReadOnly};
}

struct SearchCase {
    const char* name;
    std::string text;
    int column; // 0: no word wrap, else at least kMinWrapColumn
    std::vector<Op> ops;
    // "hit line:col/length #Count", "none", "ask line:col/length #Count", "end Count".
    std::vector<std::string> events;
    std::optional<std::string> after = std::nullopt; // the text at the end, if changed
    Matcher matcher = Matcher::Bytes;
};

// Test listings name a case rather than dump its bytes.
void PrintTo(const SearchCase& c, std::ostream* out) {
    *out << c.name;
}

std::string where(int line, int col, int length, int count) {
    return std::to_string(line) + ":" + std::to_string(col) + "/" + std::to_string(length) + " #" +
           std::to_string(count);
}

// Runs a case on a focused editor, recording the events, and checks on the way what
// must hold for every hit: it covers whole characters and the search text itself.
class SearchRun {
public:
    explicit SearchRun(const SearchCase& c) : matcher_(c.matcher) {
        ed_.edit.SetColumn(std::max(c.column, kMinWrapColumn));
        ed_.edit.SetWordWrap(c.column > 0);
        ed_.edit.SetUndoBuf(1 << 20);
        ed_.edit.RefreshLayout();
        ed_.showText(c.text);
        giveFocus(ed_.edit);
        TVelEdit& edit = ed_.edit;
        edit.OnFind = [this](TVelEdit&, std::string_view str, std::string_view findchr, int, int& x,
                             int& len) { match(str, findchr, x, len); };
        edit.OnFindHit = [this](TVelEdit&, std::string_view findchr, int x, int y, int len,
                                int count) {
            checkHit(findchr, x, y, len);
            events.push_back("hit " + where(y, x, len, count));
        };
        edit.OnFindNoHit = [this](TVelEdit&, std::string_view) { events.emplace_back("none"); };
        edit.OnFindChange = [this](TVelEdit&, std::string_view findchr, std::string_view, int x,
                                   int y, int len, int count, bool& change, bool& confirm,
                                   bool& abort) {
            checkHit(findchr, x, y, len);
            events.push_back("ask " + where(y, x, len, count));
            ASSERT_FALSE(answers_.empty()) << "a question nobody expected";
            const Answer answer = answers_.front();
            answers_.pop_front();
            change = answer != Answer::No;
            abort = answer == Answer::Abort;
            confirm = answer != Answer::All;
        };
        edit.OnFindChangeEnd = [this](TVelEdit&, std::string_view, std::string_view, int count) {
            events.push_back("end " + std::to_string(count));
        };
    }

    void run(const Op& op) {
        TVelEdit& edit = ed_.edit;
        switch (op.kind) {
        case Op::SetFind:
            edit.SetFindText(op.find);
            break;
        case Op::First:
            edit.FindFirst();
            break;
        case Op::Next:
            edit.FindNext();
            break;
        case Op::Prev:
            edit.FindPrev();
            break;
        case Op::Caret:
            edit.MoveCaretTo(op.col, op.line, 0);
            break;
        case Op::Select:
            edit.SetSelection(op.col, op.line, op.toLine, op.toCol);
            break;
        case Op::Replace:
            answers_.assign(op.answers.begin(), op.answers.end());
            edit.ReplaceAll(op.find, op.change, !op.answers.empty(), false);
            EXPECT_TRUE(answers_.empty()) << "questions left unasked";
            break;
        case Op::ReadOnly:
            edit.SetReadOnly(true);
            break;
        }
        QCoreApplication::processEvents();
    }

    TVelEdit& edit() { return ed_.edit; }
    std::vector<std::string> events;

private:
    void match(std::string_view str, std::string_view findchr, int& x, int& len) const {
        const size_t at = findchr.empty() ? std::string_view::npos : str.find(findchr);
        x = at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
        if (matcher_ == Matcher::PastTheRest) {
            x = static_cast<int>(str.size()) + 1;
        } else if (matcher_ == Matcher::EmptyMatch && x > 0) {
            len = 0;
        }
    }

    void checkHit(std::string_view findchr, int x, int y, int len) const {
        const std::string text = ed_.edit.Text();
        const size_t at = offsetOf(ed_.edit.Lines(), x, y);
        const std::vector<size_t> starts = charStarts(text);
        EXPECT_TRUE(std::binary_search(starts.begin(), starts.end(), at)) << "hit starts inside";
        EXPECT_TRUE(std::binary_search(starts.begin(), starts.end(), at + size_t(len)))
            << "hit ends inside";
        EXPECT_EQ(text.substr(at, size_t(len)), findchr);
    }

    BlockEditor ed_;
    Matcher matcher_;
    std::deque<Answer> answers_;
};

class EngineCase : public ::testing::TestWithParam<SearchCase> {};

TEST_P(EngineCase, EventsTextLayoutAndUndo) {
    const SearchCase& c = GetParam();
    SearchRun run(c);
    for (const Op& op : c.ops) {
        run.run(op);
    }
    EXPECT_EQ(run.events, c.events);
    const std::string text = run.edit().Text();
    EXPECT_EQ(text, c.after.value_or(c.text));
    EXPECT_EQ(rowsOf(run.edit()), freshLayout(run.edit(), text));
    run.edit().SetReadOnly(false);
    while (run.edit().CanUndo()) {
        run.edit().Undo();
    }
    EXPECT_EQ(run.edit().Text(), c.text) << "undo brings back every byte";
}

const std::string kYa5 = "a a a a a";

INSTANTIATE_TEST_SUITE_P(
    Search, EngineCase,
    ::testing::Values(
        // Double-byte characters and line breaks are never cut.
        SearchCase{"TrailByteIsNoMatch", kTsu + "xb", 0, {setFind("b"), first()}, {"hit 0:3/1 #1"}},
        SearchCase{"TrailAndLeadOfTwoCharactersIsNoMatch",
                   kTsu + kTsu,
                   0,
                   {setFind("\x62\x83"), first()},
                   {"none"}},
        SearchCase{
            "SoftWrapJoinsRows", "123456789abcd", 10, {setFind("ab"), first()}, {"hit 0:9/2 #1"}},
        SearchCase{
            "LineEndSeparatesRows", "123456789a\r\nbcd", 10, {setFind("ab"), first()}, {"none"}},
        SearchCase{"SearchTextWithALineEnd",
                   "ab\r\ncd",
                   0,
                   {setFind("b\r\nc"), first()},
                   {"hit 0:1/4 #1"}},
        SearchCase{"HalfALineEndIsNoMatch", "ab\r\ncd", 0, {setFind("\nc"), first()}, {"none"}},
        // Counts, wrap-around, and where a step goes on.
        SearchCase{"HitsDoNotOverlapAndTheNextPassStartsAtTheTop",
                   "aaa",
                   0,
                   {setFind("aa"), first(), next(), next()},
                   {"hit 0:0/2 #1", "none", "hit 0:0/2 #1"}},
        SearchCase{"CountRestartsAtTheWrap",
                   "a-a\r\na",
                   0,
                   {setFind("a"), first(), next(), next(), next(), next()},
                   {"hit 0:0/1 #1", "hit 0:2/1 #2", "hit 1:0/1 #3", "none", "hit 0:0/1 #1"}},
        SearchCase{"EmptySearchTextNeverMatches",
                   "abc",
                   0,
                   {setFind(""), first(), next(), prev()},
                   {"none", "none", "none"}},
        SearchCase{"NextGoesOnFromAMovedCaret",
                   "ab ab ab",
                   0,
                   {setFind("ab"), first(), caret(0, 4), next()},
                   {"hit 0:0/2 #1", "hit 0:6/2 #2"}},
        SearchCase{"HitAcrossASoftWrapIsPassedWhole",
                   "123456789aaaa",
                   10,
                   {setFind("aa"), first(), next(), next()},
                   {"hit 0:9/2 #1", "hit 1:1/2 #2", "none"}},
        SearchCase{"PrevFromColumn0SearchesTheLineAboveFirstAndWrapsToTheBottom",
                   "a\r\n-\r\na\r\n-\r\na\r\nz",
                   0,
                   {setFind("a"), caret(5, 0), prev(), prev(), prev(), prev(), prev()},
                   {"hit 4:0/1 #1", "hit 2:0/1 #2", "hit 0:0/1 #3", "none", "hit 4:0/1 #1"}},
        SearchCase{"PrevIgnoresAMatchEndingBehindTheCaret",
                   "bc\r\nabc",
                   0,
                   {setFind("bc"), caret(1, 2), prev()},
                   {"hit 0:0/2 #1"}},
        SearchCase{"PrevAfterNextLooksInFrontOfTheHit",
                   "ab ab ab",
                   0,
                   {setFind("ab"), first(), next(), prev()},
                   {"hit 0:0/2 #1", "hit 0:3/2 #2", "hit 0:0/2 #3"}},
        SearchCase{"PrevAfterAFailedNextLooksInFrontOfTheEnd",
                   "ab\r\nx",
                   0,
                   {setFind("ab"), first(), next(), prev()},
                   {"hit 0:0/2 #1", "none", "hit 0:0/2 #2"}},
        SearchCase{"PrevAfterAHitAcrossASoftWrap",
                   "ab3456789ab",
                   10,
                   {setFind("ab"), first(), next(), prev()},
                   {"hit 0:0/2 #1", "hit 0:9/2 #2", "hit 0:0/2 #3"}},
        // Replacing.
        SearchCase{
            "EveryMatchReplacedAndCounted", "aaa", 0, {replace("a", "aa")}, {"end 3"}, "aaaaaa"},
        SearchCase{"ReplacementHoldingTheSearchTextIsNotSearchedAgain",
                   "ab ab",
                   0,
                   {replace("ab", "abab")},
                   {"end 2"},
                   "abab abab"},
        SearchCase{"ReplacementRunningOverTheSoftWrapIsPassedWhole",
                   "bbbbbbbbba",
                   10,
                   {replace("a", "aa")},
                   {"end 1"},
                   "bbbbbbbbbaa"},
        SearchCase{"ReplacementLongerThanTheRow",
                   "ab cd ab\r\nb",
                   10,
                   {replace("b", "bbbbbbbbb")},
                   {"end 3"},
                   "abbbbbbbbb cd abbbbbbbbb\r\nbbbbbbbbb"},
        SearchCase{"LineEndsPutInEndTheRun",
                   "x\r\ny\r\nz",
                   10,
                   {replace("\r\n", "\r\n\r\n")},
                   {"end 2"},
                   "x\r\n\r\ny\r\n\r\nz"},
        SearchCase{"MatchAcrossALineEndGoesWhole",
                   "ab\r\ncd\r\nef",
                   0,
                   {replace("b\r\nc", "-")},
                   {"end 1"},
                   "a-d\r\nef"},
        SearchCase{"MatchAcrossALineEndGoesWholeWithWordWrap",
                   "abcdef\r\ngh",
                   10,
                   {replace("f\r\ng", "")},
                   {"end 1"},
                   "abcdeh"},
        SearchCase{"DoubleByteTextReplaced",
                   kNichi + kHon + "\x8C\xEA " + kNichi + kHon,
                   10,
                   {replace(kNichi + kHon, kNihon)},
                   {"end 2"},
                   kNihon + "\x8C\xEA " + kNihon},
        SearchCase{"EmptyReplacementDeletes", "a-b-c", 0, {replace("-", "")}, {"end 2"}, "abc"},
        SearchCase{"PartialSelectionCoversItsWholeLinesOnly",
                   "a\r\na\r\na\r\nxa\r\nay\r\na",
                   0,
                   {select(3, 1, 4, 1), replace("a", "b")},
                   {"end 2"},
                   "a\r\na\r\na\r\nxb\r\nby\r\na"},
        SearchCase{"PartialSelectionRangeFollowsTheRewrap",
                   std::string(20, 'a') + "\r\nz",
                   10,
                   {select(0, 1, 0, 3), replace("a", "bb")},
                   {"end 10"},
                   std::string(20, 'b') + std::string(10, 'a') + "\r\nz"},
        SearchCase{"EachAnswer",
                   kYa5,
                   0,
                   {replace("a", "b", {Answer::No, Answer::Yes, Answer::Abort})},
                   {"ask 0:0/1 #0", "ask 0:2/1 #0", "ask 0:4/1 #1", "end 1"},
                   "a b a a a"},
        SearchCase{"AllReplacesThisAndTheRestWithoutAsking",
                   kYa5,
                   10,
                   {replace("a", "bb", {Answer::No, Answer::All})},
                   {"ask 0:0/1 #0", "ask 0:2/1 #0", "end 4"},
                   "a bb bb bb bb"},
        SearchCase{"ReadOnlyReplacesNothingAndAsksNothing",
                   "aaa",
                   0,
                   {readOnly(), replace("a", "b", {})},
                   {"end 0"}},
        // Answers of the matcher that cannot be taken.
        SearchCase{"PositionPastTheTextIsNoMatch",
                   "abc",
                   0,
                   {setFind("a"), first()},
                   {"none"},
                   std::nullopt,
                   Matcher::PastTheRest},
        SearchCase{"EmptyMatchIsNoMatch",
                   "abc",
                   0,
                   {replace("a", "")},
                   {"end 0"},
                   std::nullopt,
                   Matcher::EmptyMatch}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// What a replacement run announces: every replacement to OnChange, but one change
// message for a run without questions, and no caret message per hit.
class PostedMessages : public lumarik::platform::MessageTarget {
public:
    PostedMessages() : registration_(*this) {}
    lumarik::platform::MessageResult handleMessage(lumarik::platform::MessageId msg,
                                                   lumarik::platform::WParam,
                                                   lumarik::platform::LParam) override {
        changes += msg == change_ ? 1 : 0;
        caretMoves += msg == caretMove_ ? 1 : 0;
        return 0;
    }
    int changes = 0;
    int caretMoves = 0;

private:
    lumarik::platform::MessageId change_ =
        lumarik::platform::registerWindowMessage(messages::kChangeMessageName);
    lumarik::platform::MessageId caretMove_ =
        lumarik::platform::registerWindowMessage(messages::kMoveCaretMessageName);
    lumarik::platform::TopLevelMessageRegistration registration_;
};

TEST(SearchNotifications, ARunWithoutQuestionsPostsOneChangeAndOneCaretMove) {
    BlockEditor ed;
    ed.showText("a-a-a\r\na");
    giveFocus(ed.edit);
    ed.edit.OnFind = [](TVelEdit&, std::string_view str, std::string_view findchr, int, int& x,
                        int&) { x = static_cast<int>(Find(findchr, str, false)); };
    int onChange = 0;
    ed.edit.OnChange = [&onChange](TVelEdit&) { ++onChange; };
    PostedMessages posted;
    ed.edit.ReplaceAll("a", "b", false, true);
    QCoreApplication::processEvents();
    EXPECT_EQ(ed.edit.Text(), "b-b-b\r\nb");
    EXPECT_EQ(onChange, 4);
    EXPECT_EQ(posted.changes, 1);
    EXPECT_EQ(posted.caretMoves, 1);
    EXPECT_EQ(lumarik::test::caretOf(ed.edit), (lumarik::test::Pos{1, 1}));
}

TEST(SearchHighlight, HitIsPaintedInTheGivenColourUntilTheCaretMoves) {
    BlockEditor ed;
    ed.showText("xx ab yy\r\nz");
    giveFocus(ed.edit);
    ed.edit.OnFind = [](TVelEdit&, std::string_view str, std::string_view findchr, int, int& x,
                        int&) { x = static_cast<int>(Find(findchr, str, false)); };
    ed.edit.OnFindHit = [](TVelEdit& sender, std::string_view, int, int, int, int) {
        sender.ShowHitHighlight(clBlue);
    };
    ed.edit.SetFindText("ab");
    ed.edit.FindFirst();
    // Solid block glyphs: the text's colour fills the cells, the background shows
    // in the gap under them.
    const QRect hit = ed.cells(0, 3, 2);
    const QRect band(hit.left(), ed.rowTop(0), hit.width(),
                     BlockEditor::kCellHeight + BlockEditor::kRowGap);
    const QColor blue = lumarik::test::qColor(clBlue);
    const QColor yellow = lumarik::test::qColor(InvertColor(clBlue));
    EXPECT_TRUE(lumarik::test::allPixels(ed.image(), hit, yellow));
    EXPECT_GT(lumarik::test::countPixels(ed.image(), band, blue), 0);
    EXPECT_EQ(lumarik::test::countPixels(ed.image(), ed.cells(0, 0, 2), yellow), 0);
    EXPECT_FALSE(ed.edit.HasSelection());
    ed.edit.KeyDown(Qt::Key_Right, Qt::NoModifier);
    EXPECT_EQ(lumarik::test::countPixels(ed.image(), band, blue), 0);
    EXPECT_EQ(lumarik::test::countPixels(ed.image(), hit, yellow), 0);
    EXPECT_EQ(ed.edit.HitLen, 0);
}

} // namespace
