#include <gtest/gtest.h>

#include "editor/EditControlMessages.h"
#include "editor/VelEditTestSupport.h"
#include "platform/Clipboard.h"
#include "platform/WindowMessages.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace lumarik::editor;
using lumarik::platform::LParam;
using lumarik::platform::MessageId;
using lumarik::platform::MessageResult;
using lumarik::platform::MessageTarget;
using lumarik::platform::TopLevelMessageRegistration;
using lumarik::platform::WParam;
using lumarik::test::BlockEditor;
using lumarik::test::caretOf;
using lumarik::test::giveFocus;
using lumarik::test::Pos;
using lumarik::test::rowsOf;
namespace fs = std::filesystem;

namespace {

// "亜" (0x88 0x9F), "日" (0x93 0xFA), "ャ" (0x83 0x83: a trail byte with a lead value).
const std::string kA = "\x88\x9F";
const std::string kNichi = "\x93\xFA";
const std::string kSmallYa = "\x83\x83";

void pressUndo(TVelEdit& edit) {
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
}

// Where two texts first differ, for a failure message that does not print whole files.
std::string describeDifference(const std::string& actual, const std::string& expected) {
    const auto [a, e] =
        std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    const auto at = static_cast<size_t>(a - actual.begin());
    return "sizes " + std::to_string(actual.size()) + " and " + std::to_string(expected.size()) +
           ", first difference at byte " + std::to_string(at) + ": \"" + actual.substr(at, 16) +
           "\" instead of \"" + expected.substr(at, 16) + "\"";
}

// Everything an undo can announce: OnChange, OnChangeModify, OnChangeRedoMode and the
// change message that reaches a top-level window.
class UndoSignals : public MessageTarget {
public:
    explicit UndoSignals(TVelEdit& edit) : registration_(*this) {
        edit.OnChange = [this](TVelEdit&) { ++changes; };
        edit.OnChangeModify = [this](TVelEdit&, bool modified) { modify.push_back(modified); };
        edit.OnChangeRedoMode = [this](TVelEdit&, bool redo) { this->redo.push_back(redo); };
    }
    MessageResult handleMessage(MessageId msg, WParam, LParam) override {
        if (msg == id_) {
            ++messages;
        }
        return 0;
    }
    void clear() {
        QApplication::processEvents();
        changes = messages = 0;
        modify.clear();
        redo.clear();
    }
    bool silent() {
        QApplication::processEvents();
        return changes == 0 && messages == 0 && modify.empty() && redo.empty();
    }

    int changes = 0;
    int messages = 0;
    std::vector<bool> modify;
    std::vector<bool> redo;

private:
    MessageId id_ = lumarik::platform::registerWindowMessage(messages::kChangeMessageName);
    TopLevelMessageRegistration registration_;
};

} // namespace

TEST(VelEditUndo, TypingOverASelectionIsTakenBackInOneStep) {
    BlockEditor ed;
    giveFocus(ed.edit);
    const std::string text = "hello world\r\nbye";
    ed.showText(text);
    ed.edit.SetSelection(6, 0, 0, 11);
    QTest::keyClick(&ed.edit, 'X');
    EXPECT_EQ(ed.edit.Text(), "hello X\r\nbye");
    pressUndo(ed.edit);
    EXPECT_EQ(ed.edit.Text(), text);
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 11)) << "after the restored text";
    EXPECT_FALSE(ed.edit.HasSelection());
    EXPECT_FALSE(ed.edit.CanUndo());
    EXPECT_FALSE(ed.edit.Modified);

    // Over a line break, with the caret at the upper end, and with word wrap off.
    ed.edit.SetWordWrap(false);
    ed.showText(text);
    ed.edit.SetSelection(3, 1, 0, 6);
    ed.edit.TypeText(kA);
    EXPECT_EQ(ed.edit.Text(), "hello " + kA);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), text);
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 3));
    EXPECT_FALSE(ed.edit.CanUndo());

    // Deleting and then typing at the same place is one step too.
    ed.edit.SetSelection(0, 1, 1, 3);
    ed.edit.DeleteChar();
    ed.edit.TypeText("see");
    EXPECT_EQ(ed.edit.Text(), "hello world\r\nsee");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), text);
    EXPECT_FALSE(ed.edit.CanUndo());
}

TEST(VelEditUndo, APastedBlockIsTakenBackWholeAfterTheTextWasWrappedAgain) {
    BlockEditor ed;
    ed.edit.SetColumn(10);
    const std::string text = "0123456789abcdefghij\r\nend";
    ed.showText(text);
    // Inside the second row of the wrapped logical line.
    ed.edit.MoveCaretTo(3, 1, 0);
    const std::string block =
        "PASTE" + kA + kA + kA + "\r\nsecond line of the block\r\n" + kNichi + kSmallYa + "tail";
    ASSERT_TRUE(lumarik::platform::setClipboardText(block));
    ed.edit.PasteFromClipboard();
    EXPECT_EQ(ed.edit.Text(), text.substr(0, 13) + block + text.substr(13));
    ed.edit.SetColumn(14);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), text);
    EXPECT_FALSE(ed.edit.CanUndo());
    // The caret stands where the block began.
    EXPECT_EQ(
        ed.edit.Lines().Get(ed.edit.CaretLine).substr(static_cast<size_t>(ed.edit.CaretCol), 1),
        "d");
}

TEST(VelEditUndo, AnOverwriteIsTakenBackWithItsPadInOneStep) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.showText("a" + kA + "b");
    ed.edit.InsMode = false;
    ed.edit.MoveCaretTo(1, 0, 0);
    ed.edit.TypeText("x");
    ASSERT_EQ(ed.edit.Text(), "ax b");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "a" + kA + "b");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 1)) << "in front of the restored character";
    EXPECT_FALSE(ed.edit.CanUndo());
    EXPECT_FALSE(ed.edit.Modified);

    // Over the rows of a wrapped logical line.
    ed.edit.SetWordWrap(true);
    ed.edit.SetColumn(10);
    ed.showText("0123456789abc\r\nXYZ");
    ed.edit.InsMode = false;
    ed.edit.MoveCaretTo(8, 0, 0);
    ed.edit.TypeText("ABCDEFGHIJ");
    ASSERT_EQ(ed.edit.Text(), "01234567ABCDEFGHIJ\r\nXYZ");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "0123456789abc\r\nXYZ");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 8));
    EXPECT_FALSE(ed.edit.CanUndo());
}

TEST(VelEditUndo, DeleteLeavesTheCaretBeforeAndBackSpaceAfterTheRestoredText) {
    BlockEditor ed;
    giveFocus(ed.edit);
    const std::string text = "ab" + kA + "cd\r\nef";
    ed.showText(text);
    struct Step {
        Pos from;
        Qt::Key key;
        Pos afterUndo;
    };
    const std::vector<Step> steps = {
        {{0, 2}, Qt::Key_Delete, {0, 2}},    // a double-byte character
        {{0, 4}, Qt::Key_Backspace, {0, 4}}, // the same from its other side
        {{0, 6}, Qt::Key_Delete, {0, 6}},    // the line break
        {{1, 0}, Qt::Key_Backspace, {1, 0}},
    };
    for (const Step& step : steps) {
        ed.edit.MoveCaretTo(step.from.second, step.from.first, 0);
        QTest::keyClick(&ed.edit, step.key);
        ASSERT_NE(ed.edit.Text(), text);
        pressUndo(ed.edit);
        EXPECT_EQ(ed.edit.Text(), text);
        EXPECT_EQ(caretOf(ed.edit), step.afterUndo) << "key " << step.key;
    }

    // A lone CR with the byte after it ends a row too; both bytes come back as they were.
    const std::string loneCr = "ab\rxcd\r\nef";
    ed.showText(loneCr);
    const std::vector<std::string> rows = rowsOf(ed.edit);
    ASSERT_EQ(rows.front(), "ab\rx");
    ed.edit.MoveCaretTo(2, 0, 0);
    QTest::keyClick(&ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "abcd\r\nef");
    pressUndo(ed.edit);
    EXPECT_EQ(ed.edit.Text(), loneCr);
    EXPECT_EQ(rowsOf(ed.edit), rows);
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 2));
    ed.edit.MoveCaretTo(0, 1, 0);
    QTest::keyClick(&ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), "abcd\r\nef");
    pressUndo(ed.edit);
    EXPECT_EQ(ed.edit.Text(), loneCr);
    EXPECT_EQ(rowsOf(ed.edit), rows);
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
}

TEST(VelEditUndo, TheByteBudgetDropsOldHistoryAndAnOversizedEditDropsAll) {
    BlockEditor ed;
    ed.edit.SetUndoBuf(10);
    ed.showText("start");
    UndoSignals events(ed.edit);
    ed.edit.MoveCaretTo(5, 0, 0);
    for (const char c : std::string("abcde")) {
        ed.edit.TypeText(std::string(1, c));
    }
    // Six more bytes leave room only for the newest four single letters.
    ed.edit.ReplaceSelText("123456");
    EXPECT_EQ(ed.edit.UndoBytes(), 10);
    while (ed.edit.CanUndo()) {
        ed.edit.Undo();
    }
    EXPECT_EQ(ed.edit.Text(), "starta");
    EXPECT_TRUE(ed.edit.Modified) << "history was lost";

    // Exactly the budget still fits.
    ed.edit.ReplaceSelText("0123456789");
    EXPECT_EQ(ed.edit.UndoBytes(), 10);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "starta");

    // One byte more: the edit happens, and nothing before it can be taken back.
    ed.edit.TypeText("b");
    ed.edit.ReplaceSelText("0123456789X");
    EXPECT_EQ(ed.edit.Text(), "startab0123456789X");
    EXPECT_FALSE(ed.edit.CanUndo());
    EXPECT_EQ(ed.edit.UndoBytes(), 0);
    events.clear();
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "startab0123456789X");
    EXPECT_TRUE(events.silent());
    // Later edits are recorded again, but the text never counts as unmodified.
    ed.edit.TypeText("c");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "startab0123456789X");
    EXPECT_TRUE(ed.edit.Modified);
    EXPECT_EQ(std::count(events.modify.begin(), events.modify.end(), false), 0);
}

TEST(VelEditUndo, UndoingEveryEditReturnsToUnmodifiedAndTheRedoStateFollows) {
    BlockEditor ed;
    giveFocus(ed.edit);
    const std::string text = "abc\r\ndef";
    ed.showText(text);
    UndoSignals events(ed.edit);
    events.clear();
    ed.edit.MoveCaretTo(1, 0, 0);
    QTest::keyClick(&ed.edit, 'X');
    QTest::keyClick(&ed.edit, Qt::Key_Return);
    QTest::keyClick(&ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "aX\r\nc\r\ndef");
    EXPECT_EQ(events.modify, std::vector<bool>({true})) << "once, at the first edit";
    EXPECT_TRUE(events.redo.empty());
    events.clear();

    pressUndo(ed.edit);
    EXPECT_EQ(events.redo, std::vector<bool>({true})) << "the first undo";
    EXPECT_TRUE(ed.edit.Modified);
    pressUndo(ed.edit);
    pressUndo(ed.edit);
    EXPECT_EQ(ed.edit.Text(), text);
    EXPECT_FALSE(ed.edit.Modified);
    EXPECT_EQ(events.modify, std::vector<bool>({false}));
    EXPECT_EQ(events.redo, std::vector<bool>({true}));
    QApplication::processEvents();
    EXPECT_EQ(events.changes, 3);
    EXPECT_EQ(events.messages, 3);

    // The next edit ends the run of undos.
    events.clear();
    ed.edit.TypeText("Y");
    EXPECT_EQ(events.redo, std::vector<bool>({false}));
    EXPECT_EQ(events.modify, std::vector<bool>({true}));
}

TEST(VelEditUndo, UndoDoesNothingWhenReadOnlyOrWithoutHistory) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("abc");
    ed.edit.TypeText("x");
    UndoSignals events(ed.edit);
    events.clear();
    ed.edit.SetReadOnly(true);
    pressUndo(ed.edit);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "xabc");
    EXPECT_TRUE(ed.edit.CanUndo());
    EXPECT_TRUE(events.silent());

    ed.edit.SetReadOnly(false);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "abc");
    events.clear();
    pressUndo(ed.edit);
    EXPECT_EQ(ed.edit.Text(), "abc");
    EXPECT_TRUE(events.silent());
}

TEST(VelEditUndo, RecordsKeepTheirPlaceWhenTheTextIsLaidOutAgain) {
    BlockEditor ed;
    ed.edit.SetColumn(10);
    std::string long2;
    for (int i = 0; i < 8; ++i) {
        long2 += kA;
    }
    ed.showText("0123456789abcdefghijklmnopqrstuvwxyz\r\n" + long2 + "\r\nend");
    std::vector<std::string> before;
    auto edit = [&](auto&& action) {
        before.push_back(ed.edit.Text());
        action();
    };
    // Each edit deep inside a wrapped logical line, at display positions.
    edit([&] {
        ed.edit.MoveCaretTo(4, 2, 0);
        ed.edit.TypeText("XY");
    });
    edit([&] {
        ed.edit.MoveCaretTo(2, 3, 0);
        ed.edit.DeleteChar();
    });
    edit([&] {
        ed.edit.SetSelection(5, 1, 4, 2);
        ed.edit.DeleteChar();
    });
    // Behind the first double-byte character: at the deletion's own place the two
    // would be one undo step.
    edit([&] {
        ed.edit.MoveCaretTo(7, 1, 0);
        ed.edit.NewLine();
    });
    edit([&] {
        ed.edit.MoveCaretTo(1, 3, 0);
        ed.edit.DeleteCharLeft();
    });
    edit([&] {
        ed.edit.MoveCaretTo(3, 0, 0);
        ed.edit.TypeText(kNichi + kNichi + kNichi);
    });
    // Each undo under another layout than its edit was made in.
    const std::vector<std::pair<bool, int>> layouts = {{true, 13}, {false, 13}, {true, 11},
                                                       {true, 10}, {false, 10}, {true, 20}};
    for (size_t i = 0; i < layouts.size(); ++i) {
        ed.edit.SetWordWrap(layouts[i].first);
        ed.edit.SetColumn(layouts[i].second);
        ed.edit.Undo();
        ASSERT_FALSE(before.empty());
        EXPECT_EQ(ed.edit.Text(), before.back()) << "undo " << i;
        before.pop_back();
    }
    EXPECT_FALSE(ed.edit.CanUndo());
}

// A lone CR or a NUL ends a row but no line: rows and lines differ with word wrap off
// too, and a record made in one layout is taken back in the other.
TEST(VelEditUndo, RecordsKeepTheirPlaceAcrossAWordWrapSwitchBesideLoneCrRows) {
    BlockEditor ed;
    const std::string loneCr = "ab\rxcd\r\nef\r\ngh";
    ed.showText(loneCr);
    ASSERT_EQ(rowsOf(ed.edit)[0], "ab\rx");
    ed.edit.MoveCaretTo(0, 2, 0);
    ed.edit.TypeText("Z");
    ed.edit.SetWordWrap(false);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), loneCr);

    const std::string nul = "line0\r\nabc\rdef\r\nline2\r\nl" + std::string(1, '\0') + "ine3";
    ed.showText(nul);
    ASSERT_EQ(rowsOf(ed.edit)[4], "l" + std::string(1, '\0') + "i");
    ed.edit.MoveCaretTo(0, 3, 0);
    ed.edit.TypeText("Q");
    ed.edit.MoveCaretTo(1, 4, 0);
    ed.edit.DeleteChar();
    ed.edit.SetWordWrap(true);
    ed.edit.Undo();
    ed.edit.SetColumn(10);
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), nul);
}

// Inserted bytes that pair up with the bytes around them differently than they did
// alone are still taken back exactly.
TEST(VelEditUndo, AnInsertEndingInALoneLeadByteIsTakenBackExactly) {
    BlockEditor ed;
    ed.showText("abc\x82");
    ed.edit.SelectAll();
    ed.edit.ReplaceSelText("abc\x82");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 4));
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "abc\x82");
    // Pasted after the lone lead byte, the copy's "a" becomes its trail byte.
    ed.edit.TextEnd();
    ed.edit.ReplaceSelText("abc\x82");
    EXPECT_EQ(ed.edit.Text(), std::string("abc\x82") + "abc\x82");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "abc\x82");
    // In front of other text the caret stays off the pair the insert made.
    ed.showText("xyz");
    ed.edit.MoveCaretTo(1, 0, 0);
    ed.edit.ReplaceSelText("ab\x82");
    EXPECT_EQ(ed.edit.Text(), "xab\x82yz");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 3));
    ed.edit.DeleteChar();
    EXPECT_EQ(ed.edit.Text(), "xabz");
    ed.edit.Undo();
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "xyz");
}

TEST(VelEditUndo, UndoingEveryEditOfARealFileGivesBackItsBytes) {
    const fs::path corpus = LUMARIK_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "corpus folder " << corpus << " not found; real-file checks skipped";
    }
    // CR LF with an IBM extension character, CR only without a final break, LF with
    // half-width katakana, one line of 56 KB.
    const std::vector<std::string> files = {"aozora__3798_ruby_27269.txt", "aozora__460_ruby.txt",
                                            "chardet__www2.chuo-u.ac.jp-suishin.xml",
                                            "aozora__909_ruby_518.txt"};
    for (const std::string& file : files) {
        for (const bool wrap : {true, false}) {
            SCOPED_TRACE(file + (wrap ? " wrapped" : " unwrapped"));
            BlockEditor ed;
            ed.edit.SetWordWrap(wrap);
            ed.edit.SetAutoIndent(true);
            ASSERT_TRUE(ed.edit.LoadFromFile(corpus / file));
            const std::string loaded = ed.edit.Text();
            const int rows = ed.edit.Lines().Count();
            for (int k = 0; k < 5; ++k) {
                const int line = rows * k / 5;
                ed.edit.MoveCaretTo(7, line, 0);
                ed.edit.TypeText("abc");
                ed.edit.TypeText(kNichi);
                ed.edit.NewLine();
                ed.edit.DeleteChar();
                ed.edit.DeleteCharLeft();
                ed.edit.DeleteWordRight();
                ed.edit.DeleteWordLeft();
                ed.edit.InsMode = false;
                ed.edit.TypeText("zz" + kA);
                ed.edit.InsMode = true;
                ed.edit.InsertTab();
                ed.edit.LineEnd();
                ed.edit.DeleteChar();
                ed.edit.SetSelection(3, line, line + 2, 5);
                ed.edit.TypeText(kSmallYa);
                ed.edit.ReplaceSelText("pasted\r\n" + kA + "\r\n");
                ed.edit.SetSelection(1, line + 1, line, 4);
                ed.edit.DeleteChar();
            }
            EXPECT_NE(ed.edit.Text(), loaded);
            int undos = 0;
            while (ed.edit.CanUndo() && undos < 1000) {
                ed.edit.Undo();
                ++undos;
            }
            const std::string restored = ed.edit.Text();
            EXPECT_TRUE(restored == loaded) << describeDifference(restored, loaded);
            EXPECT_FALSE(ed.edit.Modified);
        }
    }
}

// Deleting a selection behind a lone lead byte pairs it with the byte after the
// selection: the caret steps in front of it, and what replaces the selection goes there.
// One undo still takes back both, and the deleted bytes return behind the lead byte.
TEST(VelEditUndo, ReplacingASelectionBehindALoneLeadByteIsTakenBackInOneStep) {
    const std::string text = "x\x88\r\nyz\r\n\x88";
    struct Command {
        std::string inserted;
        std::function<void(TVelEdit&)> run;
    };
    const std::vector<Command> commands = {
        {kA + "\x83", [](TVelEdit& edit) { edit.TypeText(kA + "\x83"); }},
        {"\r\n", [](TVelEdit& edit) { edit.NewLine(); }},
        {"\t", [](TVelEdit& edit) { edit.InsertTab(); }},
        {"q", [](TVelEdit& edit) { edit.ReplaceSelText("q"); }},
    };
    for (const bool wordWrap : {false, true}) {
        for (const auto& [inserted, command] : commands) {
            SCOPED_TRACE(inserted + (wordWrap ? " wrapped" : ""));
            BlockEditor ed;
            ed.edit.SetWordWrap(wordWrap);
            ed.showText(text);
            ed.edit.SetSelection(1, 1, 0, 2); // from the end of "x\x88" to behind "y"
            command(ed.edit);
            ASSERT_EQ(ed.edit.Text(), "x" + inserted + "\x88z\r\n\x88");
            ed.edit.Undo();
            EXPECT_EQ(ed.edit.Text(), text);
            EXPECT_FALSE(ed.edit.CanUndo());
            EXPECT_FALSE(ed.edit.Modified);
        }
    }
}
