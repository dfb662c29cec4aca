#include <gtest/gtest.h>

#include "editor/EditControlMessages.h"
#include "editor/VelEditTestSupport.h"
#include "platform/WindowMessages.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCharFormat>

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
using lumarik::test::allPixels;
using lumarik::test::BlockEditor;
using lumarik::test::caretOf;
using lumarik::test::countPixels;
using lumarik::test::giveFocus;
using lumarik::test::PixelSet;
using lumarik::test::pixelsOf;
using lumarik::test::Pos;
using lumarik::test::qColor;
using lumarik::test::RealFontEditor;
using lumarik::test::rowsOf;

namespace {

// "亜" (0x88 0x9F); "ャ" (0x83 0x83), whose trail byte has a lead-byte value; "日".
const std::string kA = "\x88\x9F";
const std::string kSmallYa = "\x83\x83";
const std::string kNichi = "\x93\xFA";
// "漢字" (kanji) and "かな" (hiragana): two words of different classes.
const std::string kKanji = "\x8A\xBF\x8E\x9A";
const std::string kKana = "\x82\xA9\x82\xC8";
const std::string kEnd("\0\0", 2);

using Rows = std::vector<std::string>;

void press(TVelEdit& edit, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&edit, key, modifiers);
}

void commit(TVelEdit& edit, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(&edit, &event);
}

// The input method's clauses: (start, length), in UTF-16 units.
using Clauses = std::vector<std::pair<int, int>>;
constexpr int kNoClause = -1;

// A composition as an input method sends it: its text, the place of its cursor (hidden
// when `cursor` is negative) and its clauses, each underlined, clause `selected` with
// a background as the clause being converted.
void compose(TVelEdit& edit, const QString& text, int cursor, const Clauses& clauses = {},
             int selected = kNoClause, const QString& commitString = {}) {
    QList<QInputMethodEvent::Attribute> attributes;
    attributes.append({QInputMethodEvent::Cursor, std::max(cursor, 0), cursor >= 0 ? 1 : 0});
    for (int i = 0; i < static_cast<int>(clauses.size()); ++i) {
        QTextCharFormat format;
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        if (i == selected) {
            format.setBackground(QColor(0xD0, 0xE0, 0xFF));
        }
        const auto [start, length] = clauses[static_cast<size_t>(i)];
        attributes.append({QInputMethodEvent::TextFormat, start, length, format});
    }
    QInputMethodEvent event(text, attributes);
    event.setCommitString(commitString);
    QApplication::sendEvent(&edit, &event);
}

// What the control shows in its client area, composition included, in the canvas's
// pixel format.
QImage screenOf(TVelEdit& edit) {
    return edit.grab(QRect(edit.ClientOrigin(), edit.Canvas().size()))
        .toImage()
        .convertToFormat(edit.Canvas().image().format());
}

QRect cursorRectangle(TVelEdit& edit) {
    return static_cast<QWidget&>(edit).inputMethodQuery(Qt::ImCursorRectangle).toRect();
}

// "にほんご" and "私は日本語を話す".
const QString kNihongo = QStringLiteral("\u306B\u307B\u3093\u3054");
const QString kSentence = QStringLiteral("\u79C1\u306F\u65E5\u672C\u8A9E\u3092\u8A71\u3059");

// Counts the editor's OnChange events and the change messages a top-level window
// receives from the event loop.
class ChangeWatch : public MessageTarget {
public:
    explicit ChangeWatch(TVelEdit& edit) : registration_(*this) {
        edit.OnChange = [this](TVelEdit&) { ++events_; };
    }
    MessageResult handleMessage(MessageId msg, WParam wParam, LParam lParam) override {
        if (msg == id_) {
            ++messages_;
            EXPECT_EQ(wParam, 0u);
            EXPECT_EQ(lParam, 0);
        }
        return 0;
    }
    // The changes announced since the last call; every OnChange must also have
    // reached the window as a message.
    int take() {
        QApplication::processEvents();
        EXPECT_EQ(messages_, events_) << "messages and OnChange events differ";
        const int events = events_;
        events_ = messages_ = 0;
        return events;
    }

private:
    MessageId id_ = lumarik::platform::registerWindowMessage(messages::kChangeMessageName);
    TopLevelMessageRegistration registration_;
    int events_ = 0;
    int messages_ = 0;
};

} // namespace

TEST(VelEditTyping, DeletingASelectionJoinsItsEndsAndDropsWholeRows) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    const std::string text = "abc\r\ndef\r\nghi\r\njkl";
    // Over three rows, with the caret at either end: the upper head joins the lower tail.
    for (const bool caretBelow : {true, false}) {
        ed.showText(text);
        if (caretBelow) {
            ed.edit.SetSelection(1, 0, 2, 2);
        } else {
            ed.edit.SetSelection(2, 2, 0, 1);
        }
        ed.edit.DeleteSelection(true);
        EXPECT_EQ(rowsOf(ed.edit), Rows({"ai\r\n", "jkl" + kEnd})) << caretBelow;
        EXPECT_EQ(caretOf(ed.edit), Pos(0, 1));
        EXPECT_FALSE(ed.edit.HasSelection());
        EXPECT_EQ(Pos(ed.edit.SelAnchorLine, ed.edit.SelAnchorCol), Pos(0, 1));
    }
    // A whole row with its line break leaves no empty row behind.
    ed.showText(text);
    ed.edit.SetSelection(0, 1, 2, 0);
    ed.edit.DeleteSelection(true);
    EXPECT_EQ(rowsOf(ed.edit), Rows({"abc\r\n", "ghi\r\n", "jkl" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
    // An empty selection on a row of nothing but its line break deletes nothing.
    ed.showText("a\r\n\r\nb");
    ed.edit.SetSelection(0, 1, 1, 0);
    ed.edit.DeleteSelection(true);
    EXPECT_EQ(rowsOf(ed.edit), Rows({"a\r\n", "\r\n", "b" + kEnd}));
    EXPECT_FALSE(ed.edit.CanUndo());
    EXPECT_FALSE(ed.edit.Modified);
}

TEST(VelEditTyping, ASelectionEndingAfterALineBreakKeepsTheRowsWhole) {
    // The anchor after a row's line break, as a click in the gutter puts it.
    const std::string text = "abc\r\ndef\r\nghi";
    const Rows original = {"abc\r\n", "def\r\n", "ghi" + kEnd};
    BlockEditor ed;
    for (const bool wrap : {false, true}) {
        ed.edit.SetWordWrap(wrap);
        ed.showText(text);
        ed.edit.SetSelection(5, 0, 1, 2);
        EXPECT_EQ(ed.edit.GetSelText(), "de");
        ed.edit.DeleteChar();
        EXPECT_EQ(rowsOf(ed.edit), Rows({"abc\r\n", "f\r\n", "ghi" + kEnd})) << wrap;
        EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
        ed.edit.Undo();
        EXPECT_EQ(rowsOf(ed.edit), original);

        // Anchored behind the lower row's break, the break goes and the rows join.
        ed.edit.SetSelection(5, 1, 1, 1);
        EXPECT_EQ(ed.edit.GetSelText(), "ef\r\n");
        ed.edit.DeleteChar();
        EXPECT_EQ(rowsOf(ed.edit), Rows({"abc\r\n", "dghi" + kEnd})) << wrap;
        EXPECT_EQ(caretOf(ed.edit), Pos(1, 1));
        ed.edit.Undo();
        EXPECT_EQ(rowsOf(ed.edit), original);

        // One row selected from behind its break back to its start.
        ed.edit.SetSelection(5, 0, 0, 0);
        EXPECT_EQ(ed.edit.GetSelText(), "abc\r\n");
        ed.edit.DeleteChar();
        EXPECT_EQ(rowsOf(ed.edit), Rows({"def\r\n", "ghi" + kEnd})) << wrap;
        EXPECT_EQ(caretOf(ed.edit), Pos(0, 0));
        ed.edit.Undo();
        EXPECT_EQ(rowsOf(ed.edit), original);
    }
}

TEST(VelEditTyping, InsertedLineBreaksSplitTheRowAndAnEmptyInsertChangesNothing) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.showText("xy");
    ed.edit.MoveCaretTo(1, 0, 0);
    ed.edit.InsertAtCaret("a\r\nb", true);
    EXPECT_EQ(rowsOf(ed.edit), Rows({"xa\r\n", "by" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 1));

    const QImage before = ed.image();
    ed.edit.InsertAtCaret("", true);
    EXPECT_EQ(rowsOf(ed.edit), Rows({"xa\r\n", "by" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 1));
    EXPECT_EQ(ed.image(), before);

    // A lone CR or a NUL ends a row with the byte after it, as the text would load: a
    // row never holds one in front of its last two bytes, where it would take the byte
    // after it for a line end.
    ed.edit.InsertAtCaret("c\rde" + std::string(1, '\0') + "f", true);
    EXPECT_EQ(rowsOf(ed.edit),
              Rows({"xa\r\n", "bc\rd", "e" + std::string(1, '\0') + "f", "y" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(3, 0));
    ed.showText("ab\rx");
    EXPECT_EQ(rowsOf(ed.edit), Rows({"ab\rx", kEnd}));
}

TEST(VelEditTyping, TypingIntoAWrappedRowKeepsTheCaretOnItsByte) {
    BlockEditor ed;
    ed.edit.SetColumn(10);
    ed.showText("0123456789abcdefghijklm\r\nend");
    ASSERT_EQ(rowsOf(ed.edit), Rows({"0123456789", "abcdefghij", "klm\r\n", "end" + kEnd}));
    // Inside the continued row: the rest of the logical line is laid out again.
    ed.edit.MoveCaretTo(3, 1, 0);
    ed.edit.TypeText("XY");
    EXPECT_EQ(rowsOf(ed.edit), Rows({"0123456789", "abcXYdefgh", "ijklm\r\n", "end" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 5));
    // Filling the first row pushes its last byte down; the caret stays in front of it.
    ed.edit.MoveCaretTo(9, 0, 0);
    ed.edit.TypeText("#");
    EXPECT_EQ(rowsOf(ed.edit), Rows({"012345678#", "9abcXYdefg", "hijklm\r\n", "end" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
    // A line break in the first row lays out the rest again from the new line's start.
    ed.edit.MoveCaretTo(2, 0, 0);
    ed.edit.NewLine();
    EXPECT_EQ(rowsOf(ed.edit),
              Rows({"01\r\n", "2345678#9a", "bcXYdefghi", "jklm\r\n", "end" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
}

TEST(VelEditTyping, OverwriteReplacesWholeCharactersAndInsertsAtTheLineEnd) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    giveFocus(ed.edit);
    ed.showText("a" + kA + "b\r\nc");
    press(ed.edit, Qt::Key_Insert);
    ASSERT_FALSE(ed.edit.InsMode);
    ed.edit.MoveCaretTo(1, 0, 0);
    // One byte over a double-byte character: a space keeps the text behind it in place.
    QTest::keyClick(&ed.edit, 'x');
    EXPECT_EQ(ed.edit.Text(), "ax b\r\nc");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 2));
    QTest::keyClick(&ed.edit, 'y');
    QTest::keyClick(&ed.edit, 'z');
    EXPECT_EQ(ed.edit.Text(), "axyz\r\nc");
    // In front of the line break typing inserts: the break is never typed over.
    QTest::keyClick(&ed.edit, 'w');
    EXPECT_EQ(ed.edit.Text(), "axyzw\r\nc");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 5));
    // A double-byte character over single bytes takes two of them.
    ed.edit.MoveCaretTo(1, 0, 0);
    ed.edit.TypeText(kNichi);
    EXPECT_EQ(ed.edit.Text(), "a" + kNichi + "zw\r\nc");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 3));
    EXPECT_FALSE(ed.edit.InsMode) << "typing keeps the mode";
}

TEST(VelEditTyping, OverwriteRunsOverWrappedRowsButNeverIntoTheNextLine) {
    BlockEditor ed;
    ed.edit.SetColumn(10);
    ed.showText("0123456789abc\r\nXYZ");
    ASSERT_EQ(rowsOf(ed.edit), Rows({"0123456789", "abc\r\n", "XYZ" + kEnd}));
    ed.edit.InsMode = false;
    ed.edit.MoveCaretTo(8, 0, 0);
    ed.edit.TypeText("#####");
    EXPECT_EQ(rowsOf(ed.edit), Rows({"01234567##", "###\r\n", "XYZ" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 3));
    // Longer than the rest of the logical line: the surplus is inserted before its break.
    ed.edit.MoveCaretTo(8, 0, 0);
    ed.edit.TypeText("ABCDEFGHIJ");
    EXPECT_EQ(ed.edit.Text(), "01234567ABCDEFGHIJ\r\nXYZ");
    EXPECT_EQ(rowsOf(ed.edit), Rows({"01234567AB", "CDEFGHIJ\r\n", "XYZ" + kEnd}));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 8));
}

TEST(VelEditTyping, OverwriteEndsOnCharacterBoundariesNotOnByteValues) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    // Two bytes over "ャ", whose trail byte looks like a lead byte: "亜" behind it stays.
    ed.showText(kSmallYa + kA + "z");
    ed.edit.InsMode = false;
    ed.edit.TypeText("ab");
    EXPECT_EQ(ed.edit.Text(), "ab" + kA + "z");
    // Two kanji over two such characters, as an input method commits them.
    ed.showText(kSmallYa + kSmallYa + kA);
    ed.edit.InsMode = false;
    ed.edit.TypeText(kNichi + kNichi);
    EXPECT_EQ(ed.edit.Text(), kNichi + kNichi + kA);
    // A double-byte character ending inside one: the whole pair goes, padded.
    ed.showText("a" + kA + "b");
    ed.edit.InsMode = false;
    ed.edit.TypeText(kSmallYa);
    EXPECT_EQ(ed.edit.Text(), kSmallYa + " b");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 2));
}

TEST(VelEditTyping, EnterWithAutoIndentCopiesTheIndentationBeforeTheCaret) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.edit.SetAutoIndent(true);
    giveFocus(ed.edit);
    const std::string indent = "\t  ";
    ed.showText(indent + "abc\r\nz");
    ed.edit.MoveCaretTo(3, 0, 0);
    press(ed.edit, Qt::Key_Return);
    EXPECT_EQ(ed.edit.Text(), indent + "\r\n" + indent + "abc\r\nz");
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 3));
    // Inside a word the whole indentation is copied.
    ed.edit.MoveCaretTo(5, 1, 0);
    press(ed.edit, Qt::Key_Return);
    EXPECT_EQ(ed.edit.Text(), indent + "\r\n" + indent + "ab\r\n" + indent + "c\r\nz");
    EXPECT_EQ(caretOf(ed.edit), Pos(2, 3));
    // Inside the indentation only the part before the caret.
    ed.showText(indent + "abc");
    ed.edit.MoveCaretTo(2, 0, 0);
    press(ed.edit, Qt::Key_Return);
    EXPECT_EQ(ed.edit.Text(), "\t \r\n\t  abc");
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 2));
    // Without AutoIndent the new line starts bare.
    ed.edit.SetAutoIndent(false);
    ed.showText(indent + "abc");
    ed.edit.MoveCaretTo(3, 0, 0);
    press(ed.edit, Qt::Key_Return);
    EXPECT_EQ(ed.edit.Text(), indent + "\r\nabc");
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
}

TEST(VelEditTyping, DeleteAndBackSpaceTakeWholeCharactersAndJoinLines) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ChangeWatch watch(ed.edit);
    ed.showText("a" + kA + "\r\ncd");
    watch.take();
    ed.edit.MoveCaretTo(1, 0, 0);
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "a\r\ncd");
    EXPECT_EQ(watch.take(), 1);
    // In front of the line break Delete joins the next line.
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "acd");
    EXPECT_EQ(ed.edit.Lines().Count(), 1);
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 1));
    EXPECT_EQ(watch.take(), 1);
    // At the end of the text: nothing, not even an announcement.
    ed.edit.MoveCaretTo(3, 0, 0);
    const std::size_t records = ed.edit.UndoRecords.Size();
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "acd");
    EXPECT_EQ(ed.edit.UndoRecords.Size(), records);
    EXPECT_EQ(watch.take(), 0);

    ed.showText("ab\r\n" + kA + "c");
    watch.take();
    press(ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), "ab\r\n" + kA + "c");
    EXPECT_EQ(watch.take(), 0) << "BackSpace at the start of the text";
    ed.edit.MoveCaretTo(2, 1, 0);
    press(ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), "ab\r\nc");
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
    press(ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), "abc");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 2));
    EXPECT_EQ(watch.take(), 2);

    // A lead byte in front of a line break or at the end of the text is one character:
    // deleting next to it never takes a terminator byte or the end-of-text mark.
    ed.showText("ab\x88\r\ncd");
    press(ed.edit, Qt::Key_End);
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), std::string("ab\x88") + "cd");
    ed.edit.Undo();
    ed.edit.MoveCaretTo(0, 1, 0);
    press(ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), std::string("ab\x88") + "cd");
    ed.edit.Undo();
    ed.edit.MoveCaretTo(2, 0, 0);
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "ab\r\ncd");
    ed.edit.Undo();
    ed.edit.MoveCaretTo(2, 0, 0);
    press(ed.edit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "ab\r\ncd");
    ed.edit.Undo();
    EXPECT_EQ(ed.edit.Text(), "ab\x88\r\ncd");
    ed.showText("abc\x88");
    press(ed.edit, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 4));
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "abc\x88");
    press(ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), "abc");
    EXPECT_EQ(rowsOf(ed.edit), Rows({"abc" + kEnd}));

    // At the very end of a continued row Delete takes the next row's first character.
    ed.edit.SetColumn(10);
    ed.showText("0123456789abc");
    ed.edit.MoveCaretTo(10, 0, 0);
    ASSERT_EQ(caretOf(ed.edit), Pos(0, 10));
    press(ed.edit, Qt::Key_Delete);
    EXPECT_EQ(ed.edit.Text(), "0123456789bc");

    // ReadOnly: neither key edits.
    ed.edit.SetReadOnly(true);
    ed.edit.MoveCaretTo(2, 0, 0);
    watch.take();
    press(ed.edit, Qt::Key_Delete);
    press(ed.edit, Qt::Key_Backspace);
    EXPECT_EQ(ed.edit.Text(), "0123456789bc");
    EXPECT_EQ(watch.take(), 0);
}

TEST(VelEditTyping, WordDeletesTakeOneWordClassOrOneTab) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ChangeWatch watch(ed.edit);
    ed.showText("ab\tcd");
    ed.edit.MoveCaretTo(2, 0, 0);
    press(ed.edit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "abcd") << "Ctrl+Delete before a TAB";
    ed.showText("ab\tcd");
    ed.edit.MoveCaretTo(3, 0, 0);
    press(ed.edit, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "abcd") << "Ctrl+BackSpace after a TAB";
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 2));
    // A file broken by LF alone keeps a CR inside its line: Ctrl+Delete takes it alone.
    const lumarik::test::TempDir dir;
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("lf.txt", "x\na\r, b\n")));
    ed.edit.MoveCaretTo(1, 1, 0);
    press(ed.edit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "x\r\na, b\r\n");

    // Latin letters, kanji and hiragana are words of their own.
    const std::string words = "abc" + kKanji + kKana;
    ed.showText(words + "\r\nx");
    watch.take();
    const std::vector<std::string> forward = {kKanji + kKana + "\r\nx", kKana + "\r\nx", "\r\nx",
                                              "x"};
    for (const std::string& expected : forward) {
        press(ed.edit, Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(ed.edit.Text(), expected);
        EXPECT_EQ(caretOf(ed.edit), Pos(0, 0));
        EXPECT_EQ(watch.take(), 1);
    }
    press(ed.edit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "");
    press(ed.edit, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(watch.take(), 1) << "only the deletion that changed the text";

    ed.showText("x\r\n" + words);
    ed.edit.MoveCaretTo(static_cast<int>(words.size()), 1, 0);
    watch.take();
    const std::vector<std::string> backward = {"x\r\nabc" + kKanji, "x\r\nabc", "x\r\n", "x"};
    for (const std::string& expected : backward) {
        press(ed.edit, Qt::Key_Backspace, Qt::ControlModifier);
        EXPECT_EQ(ed.edit.Text(), expected);
        EXPECT_EQ(watch.take(), 1);
    }
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 1));
    ed.edit.MoveCaretTo(0, 0, 0);
    press(ed.edit, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "x");
    EXPECT_EQ(watch.take(), 0);
}

TEST(VelEditTyping, EveryEditThatChangesTheTextIsAnnounced) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ChangeWatch watch(ed.edit);
    struct Key {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* name;
    };
    const std::vector<Key> deletions = {{Qt::Key_Delete, Qt::NoModifier, "Delete"},
                                        {Qt::Key_Backspace, Qt::NoModifier, "BackSpace"},
                                        {Qt::Key_Delete, Qt::ControlModifier, "Ctrl+Delete"},
                                        {Qt::Key_Backspace, Qt::ControlModifier, "Ctrl+BackSpace"}};
    for (const Key& key : deletions) {
        // A range selection over a line break.
        ed.showText("one two\r\nthree");
        ed.edit.SetSelection(1, 0, 1, 2);
        watch.take();
        press(ed.edit, key.key, key.modifiers);
        EXPECT_EQ(ed.edit.Text(), "oree") << key.name;
        EXPECT_EQ(watch.take(), 1) << key.name << " over a selection";
        // Everything selected.
        ed.edit.SelectAll();
        press(ed.edit, key.key, key.modifiers);
        EXPECT_NE(ed.edit.Text(), "oree") << key.name;
        EXPECT_EQ(watch.take(), 1) << key.name << " with everything selected";
        // At the caret.
        ed.showText("one two\r\nthree");
        ed.edit.MoveCaretTo(4, 0, 0);
        watch.take();
        press(ed.edit, key.key, key.modifiers);
        EXPECT_NE(ed.edit.Text(), "one two\r\nthree") << key.name;
        EXPECT_EQ(watch.take(), 1) << key.name << " at the caret";
    }
    ed.showText("abc");
    watch.take();
    QTest::keyClick(&ed.edit, 'x');
    press(ed.edit, Qt::Key_Return);
    press(ed.edit, Qt::Key_Tab);
    commit(ed.edit, QStringLiteral("\u65E5"));
    EXPECT_EQ(ed.edit.Text(), "x\r\n\t" + kNichi + "abc");
    EXPECT_EQ(watch.take(), 4);
}

TEST(VelEditTyping, InputMethodCommitsAreTypedAsCodePageBytes) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ChangeWatch watch(ed.edit);
    ed.showText("ab");
    ed.edit.MoveCaretTo(1, 0, 0);
    watch.take();
    commit(ed.edit, QStringLiteral("\u65E5\u672C\u8A9E"));
    const std::string nihongo = "\x93\xFA\x96\x7B\x8C\xEA";
    EXPECT_EQ(ed.edit.Text(), "a" + nihongo + "b");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 7));
    EXPECT_EQ(watch.take(), 1);

    // A preedit is only shown; the commit that ends the composition is typed once.
    QInputMethodEvent preedit(QStringLiteral("\u306B"), {});
    QApplication::sendEvent(&ed.edit, &preedit);
    EXPECT_EQ(ed.edit.Text(), "a" + nihongo + "b");
    EXPECT_EQ(watch.take(), 0);
    commit(ed.edit, QStringLiteral("\u4E8C"));
    EXPECT_EQ(ed.edit.Text(), "a" + nihongo + "\x93\xF1" + "b");
    EXPECT_FALSE(ed.edit.Composing);

    // Control characters are dropped; a character the code page lacks becomes "?".
    ed.showText("");
    commit(ed.edit, QStringLiteral("x\ty\r\nz\x01\x7F"));
    EXPECT_EQ(ed.edit.Text(), "xyz");
    commit(ed.edit, QStringLiteral("\u0101\U0001F600"));
    EXPECT_EQ(ed.edit.Text(), "xyz??");
    // Nothing but controls types nothing and announces nothing.
    watch.take();
    commit(ed.edit, QStringLiteral("\r\n"));
    EXPECT_EQ(ed.edit.Text(), "xyz??");
    EXPECT_EQ(watch.take(), 0);

    // In overwrite mode a commit types over whole characters.
    ed.showText(kA + kA + "!");
    ed.edit.InsMode = false;
    commit(ed.edit, QStringLiteral("\u65E5"));
    EXPECT_EQ(ed.edit.Text(), kNichi + kA + "!");

    ed.edit.SetReadOnly(true);
    watch.take();
    commit(ed.edit, QStringLiteral("\u65E5"));
    EXPECT_EQ(ed.edit.Text(), kNichi + kA + "!");
    EXPECT_EQ(watch.take(), 0);
}

TEST(VelEditTyping, TheCompositionShowsTheInputMethodsCursor) {
    BlockEditor ed;
    ed.showText("ab");
    giveFocus(ed.edit);
    ed.edit.MoveCaretTo(1, 0, 0);
    const int x0 = ed.cells(0, 1, 1).left();
    const int top = ed.rowTop(0);
    const QColor ink = qColor(clBlack);
    const QColor inverted = qColor(clWhite);
    constexpr int kWide = 2 * BlockEditor::kCellWidth;

    // Left twice from the end: にほ|んご. The cursor inverts two pixel columns there,
    // not at the start, and the candidate window is placed at it.
    compose(ed.edit, kNihongo, 2);
    QImage screen = screenOf(ed.edit);
    EXPECT_TRUE(allPixels(screen, QRect(x0 + 2 * kWide, top, 2, 16), inverted));
    EXPECT_TRUE(allPixels(screen, QRect(x0, top, 2 * kWide, 16), ink));
    EXPECT_TRUE(allPixels(screen, QRect(x0 + 2 * kWide + 2, top, 2 * kWide - 2, 16), ink));
    EXPECT_EQ(cursorRectangle(ed.edit).topLeft(), QPoint(x0 + 2 * kWide, top));
    EXPECT_GE(cursorRectangle(ed.edit).height(), ed.edit.FontHeight);

    // Without a cursor attribute the cursor stands at the end; a hidden one is not drawn.
    QInputMethodEvent plain(kNihongo, {});
    QApplication::sendEvent(&ed.edit, &plain);
    EXPECT_EQ(cursorRectangle(ed.edit).left(), x0 + 4 * kWide);
    compose(ed.edit, kNihongo, -1);
    EXPECT_TRUE(allPixels(screenOf(ed.edit), QRect(x0, top, 4 * kWide, 16), ink));
    EXPECT_EQ(cursorRectangle(ed.edit).left(), x0);

    // A cursor past the end is taken as the end; the composition's end goes back to
    // the caret.
    compose(ed.edit, kNihongo, 99);
    EXPECT_EQ(cursorRectangle(ed.edit).left(), x0 + 4 * kWide);
    compose(ed.edit, {}, -1);
    EXPECT_EQ(cursorRectangle(ed.edit).topLeft(), QPoint(x0, top));
    EXPECT_EQ(ed.edit.Text(), "ab");
}

TEST(VelEditTyping, EachClauseIsUnderlinedApartAndTheConvertedOneIsSelected) {
    BlockEditor ed;
    // A font colour whose inverse, the selected clause's text, is found nowhere else.
    TEditFont font = ed.edit.Font();
    font.Color = 0x102030;
    ed.edit.SetFont(font);
    ed.showText("");
    giveFocus(ed.edit);
    const QColor ink = qColor(0x102030);
    const QColor selectedInk = qColor(InvertColor(0x102030));
    const int x0 = ed.cells(0, 0, 1).left();
    const int top = ed.rowTop(0);
    constexpr int kWide = 2 * BlockEditor::kCellWidth;

    // 私は|日本語を|話す, the middle clause being converted.
    compose(ed.edit, kSentence, -1, {{0, 2}, {2, 4}, {6, 2}}, 1);
    const QImage screen = screenOf(ed.edit);
    EXPECT_TRUE(allPixels(screen, QRect(x0, top, 2 * kWide, 16), ink));
    EXPECT_TRUE(allPixels(screen, QRect(x0 + 2 * kWide, top, 4 * kWide, 16), selectedInk));
    EXPECT_TRUE(allPixels(screen, QRect(x0 + 6 * kWide, top, 2 * kWide, 16), ink));
    EXPECT_EQ(countPixels(screen, screen.rect(), selectedInk), 4 * kWide * 16);

    // The underline under the characters: one per clause, parted by a gap of two
    // pixels, two pixels thick under the clause being converted.
    const auto span = [&](int from, int to, int y) {
        PixelSet pixels;
        for (int x = x0 + from * kWide + 1; x < x0 + to * kWide - 1; ++x) {
            pixels.emplace(x, y);
        }
        return pixels;
    };
    const int underline = top + ed.edit.FontHeight + 1;
    PixelSet expected = span(0, 2, underline);
    expected.merge(span(2, 6, underline));
    expected.merge(span(6, 8, underline));
    const QRect below(x0, underline, 8 * kWide, 1);
    EXPECT_EQ(pixelsOf(screen, below, ink), expected);
    EXPECT_EQ(pixelsOf(screen, below.translated(0, 1), ink), span(2, 6, underline + 1));

    // With no clauses given, the whole composition is one underlined clause.
    compose(ed.edit, kNihongo, -1);
    EXPECT_EQ(pixelsOf(screenOf(ed.edit), QRect(x0, underline, 4 * kWide, 1), ink),
              span(0, 4, underline));
}

TEST(VelEditTyping, TheConvertedClauseHasTheSelectionsBackground) {
    RealFontEditor ed;
    ed.edit.SetSelColor(0x00C0FF);
    ed.edit.SetText("");
    ed.edit.RedrawAll();
    giveFocus(ed.edit);
    const QColor background = qColor(0x00C0FF);
    compose(ed.edit, kSentence, -1, {{0, 2}, {2, 4}, {6, 2}}, 1);
    const QImage screen = screenOf(ed.edit);
    // Behind the clause being converted, between its first and last character, and
    // nowhere else.
    const int cell = ed.edit.Canvas().textWidth("\x93\xFA");
    const QRect clause(ed.edit.TextLeft + 2 * cell, ed.edit.TopMargin(), 4 * cell,
                       ed.edit.FontHeight);
    const int behindClause = countPixels(screen, clause, background);
    EXPECT_GT(behindClause, clause.width() * clause.height() / 2);
    EXPECT_EQ(behindClause, countPixels(screen, screen.rect(), background));
}

TEST(VelEditTyping, ACompositionIsAlwaysWhollyInView) {
    BlockEditor ed;
    // Scroll bars on: what they cover is out of view.
    ed.edit.SetVertScrollBar(true);
    ed.edit.SetHorzScrollBar(true);
    ed.edit.SetWordWrap(false);
    TEditFont font = ed.edit.Font();
    font.Color = 0x102030;
    ed.edit.SetFont(font);
    ed.showText(std::string(60, 'x') + "\r\n" + lumarik::test::numberedLines(30));
    giveFocus(ed.edit);
    const QColor selectedInk = qColor(InvertColor(0x102030));
    constexpr int kBlock = 2 * BlockEditor::kCellWidth * 16;
    // Shown as the clause being converted, in a colour of its own, to count its pixels.
    const auto composeSelected = [&](const QString& text, int cursor) {
        compose(ed.edit, text, cursor, {{0, static_cast<int>(text.size())}}, 0);
    };

    // The caret at the end of a row that reaches the view's right edge.
    QTest::keyClick(&ed.edit, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&ed.edit, Qt::Key_End);
    ASSERT_EQ(caretOf(ed.edit), Pos(0, 60));
    composeSelected(kNihongo, 4);
    QImage screen = screenOf(ed.edit);
    EXPECT_EQ(countPixels(screen, screen.rect(), selectedInk), 4 * kBlock);
    // The candidate window opens at the cursor, inside the view.
    const QRect cursor = cursorRectangle(ed.edit);
    EXPECT_TRUE(ed.edit.rect().contains(cursor));
    EXPECT_EQ(screen.pixelColor(cursor.topLeft() - QPoint(1, 0)), selectedInk);
    compose(ed.edit, {}, -1);

    // On the last row of the view, a composition longer than a row.
    QString longer;
    for (int i = 0; i < 30; ++i) {
        longer += QChar(0x3042 + 2 * (i % 20));
    }
    ed.edit.MoveCaretTo(0, ed.edit.TopLine + ed.edit.VisibleLines - 1, 0);
    for (const int cursorAt : {0, 15, 30}) {
        composeSelected(longer, cursorAt);
        screen = screenOf(ed.edit);
        // A cursor inside the text inverts two columns of a character.
        const int inverted = cursorAt < 30 ? 2 * 16 : 0;
        EXPECT_EQ(countPixels(screen, screen.rect(), selectedInk), 30 * kBlock - inverted)
            << cursorAt;
        EXPECT_TRUE(ed.edit.rect().contains(cursorRectangle(ed.edit))) << cursorAt;
    }
    compose(ed.edit, {}, -1);
    EXPECT_EQ(ed.edit.Text().substr(0, 60), std::string(60, 'x'));
}

TEST(VelEditTyping, TheCompositionCoversWhatFollowsTheCaretInAFramedBox) {
    BlockEditor ed;
    ed.showText("abcdefghij");
    giveFocus(ed.edit);
    ed.edit.MoveCaretTo(2, 0, 0);
    const QColor ink = qColor(clBlack);
    const QColor paper = qColor(clWhite);
    // "日本語" is as wide as "cdefgh", which it covers; "ij" stays in view.
    compose(ed.edit, QStringLiteral("\u65E5\u672C\u8A9E"), -1);
    const QImage screen = screenOf(ed.edit);
    const QRect text = ed.cells(0, 2, 6);
    const int top = text.top();
    const int bottom = top + ed.edit.FontHeight + 3;
    // Paper, then a frame taller than the row, part the composition from "i".
    EXPECT_TRUE(allPixels(screen, QRect(text.right() + 1, top, 2, 16), paper));
    EXPECT_TRUE(allPixels(screen, QRect(text.right() + 3, top - 1, 1, bottom - top + 2), ink));
    EXPECT_TRUE(allPixels(screen, ed.cells(0, 8, 2).adjusted(3, 0, 0, 0), ink));
    // The frame runs round the box; inside it, paper around the characters.
    EXPECT_TRUE(allPixels(screen, QRect(text.left() - 2, top - 1, text.width() + 5, 1), ink));
    EXPECT_TRUE(allPixels(screen, QRect(text.left() - 2, bottom, text.width() + 5, 1), ink));
    EXPECT_TRUE(allPixels(screen, QRect(text.left() - 2, top - 1, 1, bottom - top + 2), ink));
    EXPECT_TRUE(allPixels(screen, QRect(text.left() - 1, top, 1, 16), paper));
    // Nothing of it is in the canvas.
    EXPECT_TRUE(allPixels(ed.image(), text, ink));
}

TEST(VelEditTyping, ACommitWithTheNextCompositionIsTypedOnceBeforeIt) {
    BlockEditor ed;
    ed.showText("ab");
    giveFocus(ed.edit);
    ChangeWatch watch(ed.edit);
    ed.edit.MoveCaretTo(1, 0, 0);
    std::string textWhenEnded;
    int started = 0;
    ed.edit.OnIMEChanging = [&](TVelEdit&) { ++started; };
    ed.edit.OnIMEChanged = [&](TVelEdit& edit) { textWhenEnded = edit.Text(); };
    watch.take();

    compose(ed.edit, kNihongo, 4);
    EXPECT_EQ(started, 1);
    // The input method commits "日本" and goes on composing "ご" after it.
    compose(ed.edit, QStringLiteral("\u3054"), 1, {}, kNoClause, QStringLiteral("\u65E5\u672C"));
    EXPECT_EQ(ed.edit.Text(), "a" + kNichi + "\x96\x7B" + "b");
    EXPECT_EQ(watch.take(), 1);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(ed.edit.Composing);
    // The composition and the candidate window follow to the new caret.
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 5));
    EXPECT_EQ(cursorRectangle(ed.edit).left(), ed.cells(0, 7, 1).left());

    // The last commit ends the composition after it is typed.
    compose(ed.edit, {}, -1, {}, kNoClause, QStringLiteral("\u8A9E"));
    const std::string all = "a" + kNichi + "\x96\x7B\x8C\xEA" + "b";
    EXPECT_EQ(ed.edit.Text(), all);
    EXPECT_EQ(textWhenEnded, all);
    EXPECT_FALSE(ed.edit.Composing);
    EXPECT_EQ(watch.take(), 1);
}
