#include <gtest/gtest.h>

#include "editor/VelEditTestSupport.h"
#include "platform/Clipboard.h"
#include "platform/MessageReporter.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

#include <optional>
#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::platform::clipboardText;
using lumarik::platform::setClipboardText;
using lumarik::test::BlockEditor;
using lumarik::test::giveFocus;
using lumarik::test::rowsOf;

namespace {

// "亜" (0x88 0x9F) and "日本" (0x93 0xFA 0x96 0x7B).
const std::string kA = "\x88\x9F";
const std::string kNihon = "\x93\xFA\x96\x7B";
const std::string kEnd("\0\0", 2);

void press(TVelEdit& edit, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&edit, key, modifiers);
}

// The store's shape: no empty row, and the end-of-text mark ends the last row only.
void expectWholeRows(const TVelEdit& edit, const std::string& step) {
    const std::vector<std::string> rows = rowsOf(edit);
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_FALSE(rows[i].empty()) << step << ": row " << i;
        EXPECT_EQ(rows[i].ends_with(kEnd), i + 1 == rows.size()) << step << ": row " << i;
    }
}

QString systemText() {
    return QGuiApplication::clipboard()->text();
}

} // namespace

TEST(Clipboard, CopyOfEverythingLeavesOutTheEndOfTextMark) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("ab\r\n" + kA + "c\r\n\r\nend");
    press(ed.edit, Qt::Key_A, Qt::ControlModifier);
    press(ed.edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), "ab\r\n" + kA + "c\r\n\r\nend");
    // Other programs get Unicode with their own line breaks.
    EXPECT_EQ(systemText(), QStringLiteral("ab\n\u4E9Cc\n\nend"));
    // Copying changes nothing and works when the text cannot be edited.
    EXPECT_FALSE(ed.edit.Modified);
    ed.edit.SetReadOnly(true);
    ed.edit.SetSelection(0, 1, 1, 3);
    ed.edit.CopyToClipboard();
    EXPECT_EQ(clipboardText(), kA + "c");
    // Without a selection the clipboard keeps what it holds.
    ed.edit.MoveCaretTo(1, 0, 0);
    ed.edit.CopyToClipboard();
    EXPECT_EQ(clipboardText(), kA + "c");
}

TEST(Clipboard, CopyInsideAWrappedLineHasNoBreaksAtTheWrapPoints) {
    BlockEditor ed;
    ed.edit.SetColumn(10);
    const std::string line = "0123456789abcdefghij" + kA + kA + "klmnop";
    ed.showText(line + "\r\nnext");
    ASSERT_GE(ed.edit.Lines().Count(), 4);
    ed.edit.SetSelection(5, 0, 2, 4);
    ed.edit.CopyToClipboard();
    EXPECT_EQ(clipboardText(), line.substr(5, 19));
}

TEST(Clipboard, CutMovesTheSelectionAndDoesNothingElse) {
    BlockEditor ed;
    giveFocus(ed.edit);
    int changes = 0;
    ed.edit.OnChange = [&](TVelEdit&) { ++changes; };
    ed.showText("abc\r\ndef");

    // ReadOnly: neither copied nor deleted.
    ASSERT_TRUE(setClipboardText("keep"));
    ed.edit.SetReadOnly(true);
    ed.edit.SetSelection(1, 0, 1, 1);
    press(ed.edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), "keep");
    EXPECT_EQ(ed.edit.Text(), "abc\r\ndef");
    EXPECT_EQ(changes, 0);
    ed.edit.SetReadOnly(false);

    // No selection: the clipboard stays, the text stays, the change is still announced.
    ed.edit.MoveCaretTo(1, 0, 0);
    press(ed.edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), "keep");
    EXPECT_EQ(ed.edit.Text(), "abc\r\ndef");
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(ed.edit.CanUndo());

    // A selection goes to the clipboard and out of the text, and comes back with undo.
    ed.edit.SetSelection(1, 0, 1, 1);
    press(ed.edit, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), "bc\r\nd");
    EXPECT_EQ(ed.edit.Text(), "aef");
    EXPECT_EQ(changes, 2);
    press(ed.edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "abc\r\ndef");
}

TEST(Clipboard, ARefusedCutReportsItAndKeepsTheSelection) {
    BlockEditor ed;
    giveFocus(ed.edit);
    // More than the undo budget: a cut deleted after a failed copy could not come back.
    ed.edit.SetUndoBuf(16);
    const std::string text = "keep " + kNihon + std::string(40, 'x') + "\r\nend";
    ed.showText(text);
    ASSERT_TRUE(setClipboardText("before"));
    lumarik::platform::RecordingMessageReporter recorder;
    const lumarik::platform::ScopedReporter scopedReporter(recorder);
    int offered = 0;
    {
        const lumarik::platform::ScopedClipboardWriter refusing(
            [&](std::unique_ptr<QMimeData> /*data*/) {
                ++offered;
                return false;
            });
        ed.edit.SetSelection(5, 0, 1, 2);
        press(ed.edit, Qt::Key_X, Qt::ControlModifier);
        EXPECT_EQ(offered, 1);
        EXPECT_EQ(ed.edit.Text(), text);
        EXPECT_TRUE(ed.edit.HasSelection());
        ASSERT_EQ(recorder.shown.size(), 1U);
        EXPECT_EQ(recorder.shown[0].text, QStringLiteral("Error:OC002"));
        // The menu's cut and the edit-control message take the same path.
        ed.edit.CutToClipboard();
        EXPECT_EQ(ed.edit.Text(), text);
        EXPECT_EQ(recorder.shown.size(), 2U);
    }
    EXPECT_EQ(clipboardText(), "before");
    // With the clipboard back the same cut goes through.
    ed.edit.CutToClipboard();
    EXPECT_EQ(clipboardText(), kNihon + std::string(40, 'x') + "\r\nen");
    EXPECT_EQ(ed.edit.Text(), "keep d");
    EXPECT_EQ(recorder.shown.size(), 2U);
}

TEST(Clipboard, PasteReplacesTheSelectionAndOneUndoRestoresIt) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.edit.SetColumn(10);
    const std::string text = "0123456789abcdefghij\r\nend";
    ed.showText(text);
    ed.edit.SetSelection(8, 0, 1, 2);
    ASSERT_EQ(ed.edit.GetSelText(), "89ab");
    const std::string pasted = kNihon + kNihon + kNihon + "\r\n" + kA + "xyz";
    ASSERT_TRUE(setClipboardText(pasted));
    press(ed.edit, Qt::Key_V, Qt::ControlModifier);
    const std::string expected = "01234567" + pasted + "cdefghij\r\nend";
    EXPECT_EQ(ed.edit.Text(), expected);
    EXPECT_FALSE(ed.edit.HasSelection());
    // The caret follows the pasted text, in front of "c".
    EXPECT_EQ(
        ed.edit.Lines().Get(ed.edit.CaretLine).substr(static_cast<size_t>(ed.edit.CaretCol), 1),
        "c");
    press(ed.edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), text);
    EXPECT_FALSE(ed.edit.CanUndo());
    // The pasted text is still on the clipboard: Shift+Insert pastes it again.
    press(ed.edit, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_NE(ed.edit.Text().find(pasted), std::string::npos);
    // ReadOnly: nothing is pasted.
    ed.showText(text);
    ed.edit.SetReadOnly(true);
    press(ed.edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), text);
}

TEST(Clipboard, TextFromOtherProgramsArrivesAsCodePageBytesWithCrLf) {
    BlockEditor ed;
    int changes = 0;
    ed.edit.OnChange = [&](TVelEdit&) { ++changes; };
    ed.showText("");
    QGuiApplication::clipboard()->setText(QStringLiteral("\u65E5\u672C\nabc\r\nx\ry\u0101"));
    EXPECT_EQ(clipboardText(), kNihon + "\r\nabc\r\nx\r\ny?");
    ed.edit.PasteFromClipboard();
    EXPECT_EQ(ed.edit.Text(), kNihon + "\r\nabc\r\nx\r\ny?");
    EXPECT_EQ(ed.edit.Lines().Count(), 4);
    EXPECT_EQ(changes, 1);

    // A clipboard without text pastes nothing and announces nothing.
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(clipboardText(), std::nullopt);
    ed.edit.PasteFromClipboard();
    QGuiApplication::clipboard()->setText(QString());
    ed.edit.PasteFromClipboard();
    EXPECT_EQ(ed.edit.Text(), kNihon + "\r\nabc\r\nx\r\ny?");
    EXPECT_EQ(changes, 1);
}

TEST(Clipboard, OurOwnCopiesComeBackByteForByte) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    // Bytes no Unicode round trip keeps: single 0x80 and 0xFD, a lone lead byte before
    // a line break, an unassigned pair, a control byte.
    const std::string odd =
        std::string("a\x80") + "b\xFD" + "c\x88\r\n" + "\xEB\x81" + "\x01" + "d";
    ed.showText(odd);
    ed.edit.SelectAll();
    ed.edit.CopyToClipboard();
    EXPECT_EQ(clipboardText(), odd);
    ed.edit.MoveCaretTo(1000, 1000, 0);
    ed.edit.PasteFromClipboard();
    EXPECT_EQ(ed.edit.Text(), odd + odd);

    // The clipboard's text ends at the first NUL.
    ASSERT_TRUE(setClipboardText(std::string("ab\0cd", 5)));
    EXPECT_EQ(clipboardText(), "ab");
}

TEST(Clipboard, ACopiedStrayCarriageReturnPastesAndUndoesByteExact) {
    // In a file broken by LF a CR is an ordinary byte, so a selection may end right
    // behind it.
    const lumarik::test::TempDir dir;
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("lf.txt", "x\na\rb\nc")));
    const std::string loaded = ed.edit.Text();
    ASSERT_EQ(loaded, "x\r\na\rb\r\nc");
    const std::vector<std::string> rows = rowsOf(ed.edit);
    ed.edit.SetSelection(0, 1, 1, 2);
    ASSERT_EQ(ed.edit.GetSelText(), "a\r");
    ed.edit.CopyToClipboard();

    // At the end of the text the CR must not take the end-of-text mark apart.
    ed.edit.MoveCaretTo(1000, 1000, 0);
    ed.edit.PasteFromClipboard();
    EXPECT_EQ(ed.edit.Text(), loaded + "a\r");
    expectWholeRows(ed.edit, "pasted at the end");
    ed.edit.TypeText("Z");
    EXPECT_EQ(ed.edit.Text(), loaded + "a\rZ");
    ed.edit.Undo();
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), loaded);
    EXPECT_EQ(rowsOf(ed.edit), rows);

    // Inside a line, undo takes back the CR with the rest of the pasted bytes.
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.file("lf.txt")));
    ed.edit.MoveCaretTo(0, 0, 0);
    ed.edit.PasteFromClipboard();
    EXPECT_EQ(ed.edit.Text(), "a\r" + loaded);
    expectWholeRows(ed.edit, "pasted at the start");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), loaded);
    EXPECT_EQ(rowsOf(ed.edit), rows);
}
