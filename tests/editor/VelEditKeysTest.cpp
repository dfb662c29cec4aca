#include <gtest/gtest.h>

#include "editor/RowPositions.h"
#include "editor/ScrollCodes.h"
#include "editor/VelEditSub.h"
#include "editor/VelEditTestSupport.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace lumarik::editor;
using lumarik::test::BlockEditor;
using lumarik::test::caretOf;
using lumarik::test::giveFocus;
using lumarik::test::numberedLines;
using lumarik::test::Pos;

namespace {

// "亜" (0x88 0x9F) and "ソ" (0x83 0x5C): trail bytes that look like a lead byte and
// like a backslash. Hiragana "あい", kanji "漢字".
const std::string kA = "\x88\x9F";
const std::string kSo = "\x83\x5C";
const std::string kHiragana = "\x82\xA0\x82\xA2";
const std::string kKanji = "\x8A\xBF\x8E\x9A";

Pos anchorOf(const TVelEdit& edit) {
    return {edit.SelAnchorLine, edit.SelAnchorCol};
}

void press(TVelEdit& edit, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
           int times = 1) {
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(&edit, key, modifiers);
    }
}

// Presses the key once for each expected caret position and checks each landing.
void walk(TVelEdit& edit, Qt::Key key, Qt::KeyboardModifiers modifiers,
          const std::vector<Pos>& expected) {
    for (size_t i = 0; i < expected.size(); ++i) {
        press(edit, key, modifiers);
        EXPECT_EQ(caretOf(edit), expected[i]) << "press " << i + 1;
        EXPECT_EQ(edit.CaretX, edit.ColumnX(edit.CaretLine, edit.CaretCol) - edit.HorzOffset);
    }
}

// One key event as the keyboard sends it, for keys and texts QTest cannot name.
void sendKey(TVelEdit& edit, QEvent::Type type, int key, const QString& text = {},
             Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, text, autoRepeat);
    QApplication::sendEvent(&edit, &event);
}

void tap(TVelEdit& edit, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    sendKey(edit, QEvent::KeyPress, key, {}, modifiers);
    sendKey(edit, QEvent::KeyRelease, key, {}, modifiers);
}

} // namespace

TEST(VelEditKeys, RightAndLeftStepOverWholeCharactersAndRowEnds) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("a" + kA + "b\r\nxy");
    walk(ed.edit, Qt::Key_Right, {}, {{0, 1}, {0, 3}, {0, 4}, {1, 0}, {1, 1}, {1, 2}, {1, 2}});
    walk(ed.edit, Qt::Key_Left, {}, {{1, 1}, {1, 0}, {0, 4}, {0, 3}, {0, 1}, {0, 0}, {0, 0}});
    // A lead byte in front of CR LF, or at the end of the text, is a character of its
    // own: the caret stands on either side of it, never takes a terminator byte.
    ed.showText("ab\x88\r\ncd\x88");
    walk(ed.edit, Qt::Key_Right, {},
         {{0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 3}});
    walk(ed.edit, Qt::Key_Left, {}, {{1, 2}, {1, 1}, {1, 0}, {0, 3}, {0, 2}});
    walk(ed.edit, Qt::Key_End, {}, {{0, 3}});
    walk(ed.edit, Qt::Key_Right, Qt::ControlModifier, {{1, 0}, {1, 2}, {1, 3}});
    // NUL and a byte end a row without being a line break: Right stops there.
    ed.showText(std::string("ab\0xcd", 6));
    walk(ed.edit, Qt::Key_Right, {}, {{0, 1}, {0, 2}, {0, 2}});

    // The end of a continued row is the next row's start: the caret never stands
    // there, and Left from that start lands in front of the last character.
    ed.showText(std::string(69, 'a') + kA + "a" + std::string(30, 'b'));
    ASSERT_EQ(ed.edit.Lines().Get(0), std::string(69, 'a') + kA + "a");
    ed.edit.MoveCaretTo(71, 0, 0);
    walk(ed.edit, Qt::Key_Right, {}, {{1, 0}});
    walk(ed.edit, Qt::Key_Left, {}, {{0, 71}, {0, 69}});
    ed.showText(std::string(70, 'a') + kA + std::string(30, 'b'));
    ed.edit.MoveCaretTo(70, 0, 0);
    walk(ed.edit, Qt::Key_Right, {}, {{1, 0}});
    walk(ed.edit, Qt::Key_Left, {}, {{0, 70}});
    walk(ed.edit, Qt::Key_End, {}, {{0, 72}});

    // In a file broken by LF alone a CR stays inside its line, an ordinary byte.
    const lumarik::test::TempDir dir;
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("lf.txt", "x\na\rb\nc")));
    ed.edit.MoveCaretTo(0, 1, 0);
    walk(ed.edit, Qt::Key_Right, {}, {{1, 1}, {1, 2}, {1, 3}, {2, 0}, {2, 1}, {2, 1}});
    walk(ed.edit, Qt::Key_Left, {}, {{2, 0}, {1, 3}});
    ed.edit.MoveCaretTo(0, 1, 0);
    walk(ed.edit, Qt::Key_Right, Qt::ControlModifier, {{1, 1}, {1, 2}, {1, 3}});
}

TEST(VelEditKeys, WordMovesStopAtClassChangesTabsAndLineBreaks) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("ab, \tcd" + kHiragana + kKanji + "\r\nxy");
    walk(ed.edit, Qt::Key_Right, Qt::ControlModifier,
         {{0, 2}, {0, 4}, {0, 5}, {0, 7}, {0, 11}, {0, 15}, {1, 0}, {1, 2}, {1, 2}});
    // Backwards a tab right behind the caret is crossed alone.
    walk(ed.edit, Qt::Key_Left, Qt::ControlModifier,
         {{1, 0}, {0, 15}, {0, 11}, {0, 7}, {0, 5}, {0, 4}, {0, 2}, {0, 0}, {0, 0}});
    // From behind a space, spaces, punctuation and tabs go as one word.
    ed.showText("ab,\t x");
    ed.edit.MoveCaretTo(5, 0, 0);
    walk(ed.edit, Qt::Key_Left, Qt::ControlModifier, {{0, 2}});
}

TEST(VelEditKeys, UpAndDownKeepThePixelXOfTheLastHorizontalMove) {
    BlockEditor ed;
    giveFocus(ed.edit);
    // A tab is 6 cells (48 pixels) here, a double-byte character 16 pixels.
    ed.showText("abcdefgh\r\n\tabc\r\n" + kA + kA + kA + "x\r\nabcdefgh");
    press(ed.edit, Qt::Key_Right, {}, 5);
    walk(ed.edit, Qt::Key_Down, {}, {{1, 1}, {2, 4}, {3, 5}});
    walk(ed.edit, Qt::Key_Up, Qt::ShiftModifier, {{2, 4}, {1, 1}, {0, 5}});
    walk(ed.edit, Qt::Key_Down, Qt::ControlModifier, {{1, 1}});
    press(ed.edit, Qt::Key_Right);
    walk(ed.edit, Qt::Key_Up, {}, {{0, 7}});
}

TEST(VelEditKeys, ShiftSelectsAndCtrlHomeAndEndGoToTheTextsEnds) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText(numberedLines(100));
    press(ed.edit, Qt::Key_Right, Qt::ShiftModifier);
    press(ed.edit, Qt::Key_Down, Qt::ShiftModifier, 3);
    EXPECT_TRUE(ed.edit.SelActive);
    EXPECT_EQ(ed.edit.GetSelText(), "0\r\n1\r\n2\r\n3");
    press(ed.edit, Qt::Key_Left);
    EXPECT_FALSE(ed.edit.SelActive) << "a move without Shift clears the selection";
    EXPECT_EQ(anchorOf(ed.edit), Pos(3, 0));

    press(ed.edit, Qt::Key_Right);
    press(ed.edit, Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 0));
    EXPECT_EQ(anchorOf(ed.edit), Pos(3, 1));
    EXPECT_EQ(ed.edit.GetSelText(), "0\r\n1\r\n2\r\n3");
    press(ed.edit, Qt::Key_End, Qt::ControlModifier);
    EXPECT_FALSE(ed.edit.SelActive);
    EXPECT_EQ(caretOf(ed.edit), Pos(99, 2));
    EXPECT_EQ(ed.edit.TopLine, 92) << "the last line a fifth of a page above the bottom";
    press(ed.edit, Qt::Key_Up);
    press(ed.edit, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(ed.edit.GetSelText(), "\r\n99");
    press(ed.edit, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_FALSE(ed.edit.HasSelection());
    EXPECT_EQ(ed.edit.TopLine, 0);
    // A view scrolled away from a caret already at the start still comes back.
    ed.edit.TopLine = 50;
    press(ed.edit, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(ed.edit.TopLine, 0);
    press(ed.edit, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(ed.edit.AllSelected);
}

TEST(VelEditKeys, HorizontalMovesKeepTheCaretInsideTheTextArea) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.edit.SetWordWrap(false);
    ed.showText(std::string(200, 'y') + "\r\nab");
    const int width = ed.edit.TextAreaWidth;
    const int endOffset = 200 * BlockEditor::kCellWidth - width + ed.edit.EndMargin;
    walk(ed.edit, Qt::Key_End, {}, {{0, 200}});
    EXPECT_EQ(ed.edit.HorzOffset, endOffset) << "the end EndMargin inside the right edge";
    walk(ed.edit, Qt::Key_Home, {}, {{0, 0}});
    EXPECT_EQ(ed.edit.HorzOffset, 0);
    walk(ed.edit, Qt::Key_Period, Qt::ControlModifier, {{0, 200}});
    walk(ed.edit, Qt::Key_Comma, Qt::ControlModifier, {{0, 0}});
    for (int i = 0; i < 100; ++i) {
        press(ed.edit, Qt::Key_Right);
        ASSERT_LE(ed.edit.CaretX, width - ed.edit.EndMargin);
    }
    EXPECT_GT(ed.edit.HorzOffset, 0);
    ed.edit.MoveCaretTo(0, 1, 0);
    walk(ed.edit, Qt::Key_Left, {}, {{0, 200}});
    EXPECT_EQ(ed.edit.HorzOffset, endOffset);
    walk(ed.edit, Qt::Key_Right, {}, {{1, 0}});
    EXPECT_EQ(ed.edit.HorzOffset, 0);
}

TEST(VelEditKeys, HeldDownScrollsFasterFromTheFifthScrollUntilReleased) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText(numberedLines(100));
    ASSERT_EQ(ed.edit.VisibleLines, 9);
    for (int i = 0; i < 7; ++i) {
        QTest::keyPress(&ed.edit, Qt::Key_Down);
    }
    EXPECT_EQ(caretOf(ed.edit), Pos(7, 0)) << "PageFifth rows above the bottom";
    EXPECT_EQ(ed.edit.TopLine, 0);
    std::vector<int> steps;
    for (int i = 0; i < 6; ++i) {
        const int top = ed.edit.TopLine;
        QTest::keyPress(&ed.edit, Qt::Key_Down);
        steps.push_back(ed.edit.TopLine - top);
        EXPECT_EQ(ed.edit.CaretLine - ed.edit.TopLine, 7) << "the caret rides along";
        // A repeating key's releases are marked as repeats: the key is still held.
        sendKey(ed.edit, QEvent::KeyRelease, Qt::Key_Down, {}, {}, true);
    }
    EXPECT_EQ(steps, std::vector<int>({1, 1, 1, 1, 2, 2}));
    QTest::keyRelease(&ed.edit, Qt::Key_Down);
    const int top = ed.edit.TopLine;
    press(ed.edit, Qt::Key_Down);
    EXPECT_EQ(ed.edit.TopLine - top, 1) << "the release restarts the count";
}

TEST(VelEditKeys, PageKeysMoveTheCaretWithTheViewEvenWithCaretScrollFix) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText(numberedLines(100));
    ed.edit.SetCaretScrollFix(true);
    press(ed.edit, Qt::Key_PageDown);
    EXPECT_EQ(ed.edit.TopLine, 9);
    EXPECT_EQ(ed.edit.CaretLine, 9);
    // A scroll bar leaves the caret behind; the next key brings it back into view.
    ed.edit.VertScroll(scroll::PageDown, 0);
    EXPECT_EQ(ed.edit.CaretLine, 9);
    walk(ed.edit, Qt::Key_Right, {}, {{9, 1}});
    EXPECT_LE(ed.edit.TopLine, 9);
    press(ed.edit, Qt::Key_PageDown, Qt::ShiftModifier, 20);
    EXPECT_EQ(ed.edit.CaretLine, 99);
    EXPECT_TRUE(ed.edit.SelActive);
    // In a text shorter than the view the view stays and the caret goes a page.
    ed.showText("abc\r\nd\r\nefgh\r\nij");
    press(ed.edit, Qt::Key_Right, {}, 2);
    walk(ed.edit, Qt::Key_PageDown, {}, {{3, 2}});
    walk(ed.edit, Qt::Key_PageUp, {}, {{0, 2}});
}

TEST(VelEditKeys, KeyHandlersSeeEveryKeyAndOnlyPrintableBytesAreTyped) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("abc\r\ndef");
    std::vector<int> downs;
    std::vector<int> ups;
    std::string typed;
    ed.edit.OnKeyDown = [&](TVelEdit& edit, int& key, Qt::KeyboardModifiers) {
        EXPECT_FALSE(edit.InKeyDown);
        downs.push_back(key);
        key = key == Qt::Key_Right || key == Qt::Key_B ? 0 : key;
    };
    ed.edit.OnKeyUP = [&](TVelEdit&, int& key, Qt::KeyboardModifiers) { ups.push_back(key); };
    ed.edit.OnKeyPress = [&](TVelEdit&, char& key) {
        typed += key;
        key = 0;
    };
    walk(ed.edit, Qt::Key_Right, {}, {{0, 0}});
    walk(ed.edit, Qt::Key_Down, {}, {{1, 0}});
    QTest::keyClick(&ed.edit, 'b');
    QTest::keyClick(&ed.edit, 'a');
    EXPECT_EQ(downs, std::vector<int>({Qt::Key_Right, Qt::Key_Down, Qt::Key_B, Qt::Key_A}));
    EXPECT_EQ(ups, downs);
    ed.edit.OnKeyDown = nullptr;
    // OnKeyPress sees every character, also the one of a key OnKeyDown took, controls,
    // Ctrl combinations, a character outside the code page (as "?") and read-only typing.
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_unknown, QString(QChar(0xFF71)));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_Return, QStringLiteral("\r"));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_Delete, QStringLiteral("\x7F"));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_A, QStringLiteral("\x01"), Qt::ControlModifier);
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_unknown, QString(QChar(0x0101)));
    ed.edit.SetReadOnly(true);
    QTest::keyClick(&ed.edit, 'a');
    EXPECT_EQ(typed, "ba\xB1\r\x7F\x01?a");
    EXPECT_EQ(ed.edit.Text(), "abc\r\n\r\nef") << "only the commands of Return and Delete";
}

TEST(VelEditKeys, OnlyInsertableCharactersAreTypedAfterOnKeyPress) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("");
    // What the handler leaves or puts in its place is checked again: a CR it returns
    // inserts nothing.
    char replacement = 0;
    ed.edit.OnKeyPress = [&](TVelEdit&, char& key) {
        if (replacement != 0 && key == 'q') {
            key = replacement;
        }
    };
    ed.edit.OnKeyDown = [](TVelEdit&, int& key, Qt::KeyboardModifiers) {
        key = key == Qt::Key_B ? 0 : key;
    };
    QTest::keyClick(&ed.edit, 'b');
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_unknown, QString(QChar(0xFF71)));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_unknown, QString(QChar(0x4E9C)));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_Delete, QStringLiteral("\x7F"));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_unknown, QString(QChar(0x0101)));
    sendKey(ed.edit, QEvent::KeyPress, Qt::Key_unknown, QStringLiteral("x"), Qt::ControlModifier);
    EXPECT_EQ(ed.edit.Text(), "b\xB1\x88\x9F");
    replacement = '\r';
    QTest::keyClick(&ed.edit, 'q');
    replacement = '\x85';
    QTest::keyClick(&ed.edit, 'q');
    replacement = 'z';
    QTest::keyClick(&ed.edit, 'q');
    EXPECT_EQ(ed.edit.Text(), "b\xB1\x88\x9Fz");
    EXPECT_EQ(ed.edit.Lines().Count(), 1);
}

TEST(VelEditKeys, InsertEscAndConvertAreSmallCommands) {
    BlockEditor ed;
    giveFocus(ed.edit);
    std::vector<bool> modes;
    ed.edit.OnChangeInsMode = [&](TVelEdit&, bool insert) { modes.push_back(insert); };
    press(ed.edit, Qt::Key_Insert);
    press(ed.edit, Qt::Key_Insert, Qt::ShiftModifier);
    press(ed.edit, Qt::Key_Insert, Qt::ControlModifier);
    press(ed.edit, Qt::Key_Insert);
    EXPECT_EQ(modes, std::vector<bool>({false, true}));
    EXPECT_TRUE(ed.edit.InsMode);

    // Shift+Insert pasted: the text is set afresh.
    ed.showText("abc\r\ndef\r\ngh");
    ed.edit.SetSelection(1, 0, 1, 2);
    ed.edit.NewSearch = false;
    press(ed.edit, Qt::Key_Escape);
    EXPECT_TRUE(ed.edit.NewSearch) << "the search starts again at the caret";
    EXPECT_EQ(ed.edit.GetSelText(), "bc\r\nde") << "Esc keeps the selection";

    // Convert puts the caret at the selection's start and asks the host to reconvert.
    std::vector<std::string> reconverted;
    ed.edit.OnIMEReConvert = [&](TVelEdit& edit) { reconverted.push_back(edit.GetSelText()); };
    tap(ed.edit, Qt::Key_Henkan);
    tap(ed.edit, Qt::Key_Henkan);
    EXPECT_EQ(reconverted, std::vector<std::string>(2, "bc\r\nde"));
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 1));
    EXPECT_EQ(anchorOf(ed.edit), Pos(1, 2));
    tap(ed.edit, Qt::Key_Henkan, Qt::ShiftModifier);
    tap(ed.edit, Qt::Key_Muhenkan);
    ed.edit.Composing = true;
    tap(ed.edit, Qt::Key_Henkan);
    EXPECT_EQ(reconverted.size(), 2u);
    ed.edit.Composing = false;
    // An anchor after a line break stands where the next line starts.
    ed.edit.SetSelection(5, 0, 1, 2);
    tap(ed.edit, Qt::Key_Henkan);
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
    EXPECT_EQ(reconverted.back(), "de");
}

TEST(VelEditKeys, NoKeyLeavesTheCaretInsideACharacterOrOutOfView) {
    const std::vector<std::string> pieces = {"a", "b",    " ",    ",",        "\t",  kA,
                                             kSo, kKanji, "\xB1", "\x88\x88", "\r\n"};
    std::mt19937 random(4711);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::string text;
    for (int i = 0; i < 900; ++i) {
        text += pieces[pick(random)] + (i % 150 == 0 ? std::string(90, 'w') : "");
    }
    const std::vector<Qt::Key> keys = {Qt::Key_Right,  Qt::Key_Left,    Qt::Key_Up,
                                       Qt::Key_Down,   Qt::Key_Home,    Qt::Key_End,
                                       Qt::Key_PageUp, Qt::Key_PageDown};
    const std::vector<Qt::KeyboardModifiers> modifiers = {{},
                                                          {},
                                                          {},
                                                          Qt::ShiftModifier,
                                                          Qt::ControlModifier,
                                                          Qt::ControlModifier | Qt::ShiftModifier};
    std::uniform_int_distribution<size_t> pickKey(0, keys.size() - 1);
    std::uniform_int_distribution<size_t> pickModifiers(0, modifiers.size() - 1);
    for (const bool wrap : {true, false}) {
        BlockEditor ed(QSize(300, 200));
        giveFocus(ed.edit);
        ed.edit.SetWordWrap(wrap);
        ed.showText(text);
        const TVelEdit& edit = ed.edit;
        for (int step = 0; step < 700; ++step) {
            const Qt::Key key = keys[pickKey(random)];
            press(ed.edit, key, modifiers[pickModifiers(random)]);
            const std::string& row = edit.Lines().Get(edit.CaretLine);
            SCOPED_TRACE("step " + std::to_string(step) + " key " + std::to_string(key));
            ASSERT_LE(edit.CaretCol, CaretColumnLimit(row));
            ASSERT_NE(ByteTypeAt(row, edit.CaretCol + 1, false), 2) << "inside a character";
            ASSERT_EQ(edit.CaretX, edit.ColumnX(edit.CaretLine, edit.CaretCol) - edit.HorzOffset);
            ASSERT_TRUE(edit.CaretX >= 0 && edit.CaretX <= edit.TextAreaWidth);
            ASSERT_TRUE(edit.CaretLine >= edit.TopLine &&
                        edit.CaretLine < edit.TopLine + edit.VisibleLines);
        }
    }
}
