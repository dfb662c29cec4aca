#include <gtest/gtest.h>

#include "editor/VelEditSub.h"
#include "editor/VelEditTestSupport.h"
#include "platform/Caret.h"
#include "platform/Cursors.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::test::BlockEditor;
using lumarik::test::caretOf;
using lumarik::test::describeDifference;
using lumarik::test::displayOf;
using lumarik::test::dragFromTo;
using lumarik::test::giveFocus;
using lumarik::test::moveTo;
using lumarik::test::numberedLines;
using lumarik::test::offsetOf;
using lumarik::test::pointAt;
using lumarik::test::Pos;
using lumarik::test::pressAt;
using lumarik::test::RealFontEditor;
using lumarik::test::releaseAt;

namespace {

// "亜" (0x88 0x9F), "あいう" (hiragana).
const std::string kA = "\x88\x9F";
const std::string kHiragana = "\x82\xA0\x82\xA2\x82\xA4";

Pos anchorOf(const TVelEdit& edit) {
    return {edit.SelAnchorLine, edit.SelAnchorCol};
}

void click(TVelEdit& edit, QPoint at, Qt::KeyboardModifiers modifiers = {}) {
    QTest::mouseClick(&edit, Qt::LeftButton, modifiers, at);
}

bool insideAPair(const TVelEdit& edit) {
    return ByteTypeAt(edit.Lines().Get(edit.CaretLine), edit.CaretCol + 1, false) == 2;
}

// Selects the bytes [from, to) of the text.
void selectOffsets(TVelEdit& edit, size_t from, size_t to) {
    const TextPos anchor = displayOf(edit.Lines(), from);
    const TextPos end = displayOf(edit.Lines(), to);
    edit.SetSelection(anchor.col, anchor.line, end.line, end.col);
}

QImage cursorImage(const TVelEdit& edit) {
    return edit.cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage dragCursor(const char* name) {
    return lumarik::platform::loadCursorResource(name).image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(VelEditMouse, ClicksLandOnCharacterBoundaries) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("ab\r\nx" + kA + "y\r\n");
    const int left = ed.edit.TextLeft;
    // Cells of 8 and 16 pixels: the midpoint and left of it is the gap in front.
    const struct {
        int line, x, col;
    } hits[] = {{0, 4, 0},  {0, 5, 1},  {0, 12, 1}, {0, 13, 2}, {0, 16, 2}, {0, 300, 2},
                {1, 16, 1}, {1, 17, 3}, {1, 28, 3}, {1, 29, 4}, {1, -3, 0}};
    // The same cells inside the sunken edge of bsSingle: pointer positions count from
    // the widget's corner, the text from the client area's.
    for (const TBorderStyle style : {TBorderStyle::bsSingle, TBorderStyle::bsNone}) {
        ed.edit.SetBorderStyle(style);
        const int edge = ed.edit.ClientOrigin().x();
        for (const auto& hit : hits) {
            click(ed.edit, {edge + left + hit.x, pointAt(ed.edit, hit.line, 0).y()});
            EXPECT_EQ(caretOf(ed.edit), Pos(hit.line, hit.col)) << "x " << hit.x;
            EXPECT_EQ(ed.edit.CaretX, ed.edit.ColumnX(hit.line, hit.col));
            EXPECT_FALSE(ed.edit.HasSelection());
        }
        // The last pixel row of a row and the first of the next.
        const int rowTop = edge + ed.edit.TopMargin() + ed.edit.LinePitch;
        click(ed.edit, {edge + left + 9, rowTop - 1});
        EXPECT_EQ(caretOf(ed.edit), Pos(0, 1));
        click(ed.edit, {edge + left + 9, rowTop});
        EXPECT_EQ(caretOf(ed.edit), Pos(1, 1));
    }
    for (int x = -4; x < 40; ++x) {
        click(ed.edit, {left + x, pointAt(ed.edit, 1, 0).y()});
        EXPECT_FALSE(insideAPair(ed.edit)) << "x " << x;
    }
    // Below the text the last row, in the top margin the first.
    click(ed.edit, {left + 9, ed.edit.height() - 1});
    EXPECT_EQ(caretOf(ed.edit), Pos(2, 0));
    click(ed.edit, {left + 9, 0});
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 1));

    // A view too low for one row points at its top row, never above the text.
    BlockEditor low(QSize(400, 10));
    low.showText(numberedLines(5));
    ASSERT_EQ(low.edit.VisibleLines, 0);
    low.edit.SetCaret(0, 3, 0, true, true);
    click(low.edit, {left + 9, 5});
    EXPECT_EQ(caretOf(low.edit), Pos(low.edit.TopLine, 1));
}

TEST(VelEditMouse, ClicksWithTheRealFontSplitEachCellAtItsMiddle) {
    RealFontEditor ed;
    giveFocus(ed.edit);
    const std::string row = "ab" + kHiragana + "\t" + kA + "x";
    ed.edit.SetText(row);
    ed.edit.RedrawAll();
    const int y = pointAt(ed.edit, 0, 0).y();
    for (int col = 0; col < static_cast<int>(row.size());) {
        const int next = col + CharLengthAt(row, col, false);
        const int wr = ed.edit.ColumnX(0, next);
        const int split =
            ed.edit.ClientOrigin().x() + ed.edit.TextLeft + wr - (wr - ed.edit.ColumnX(0, col)) / 2;
        click(ed.edit, {split, y});
        EXPECT_EQ(ed.edit.CaretCol, col) << "middle of the character at " << col;
        click(ed.edit, {split + 1, y});
        EXPECT_EQ(ed.edit.CaretCol, next) << "right of the middle at " << col;
        col = next;
    }
}

TEST(VelEditMouse, ClickDoubleClickAndRightButtonRaiseTheirEvents) {
    BlockEditor ed;
    ed.showText("abc\r\ndef\r\nghi");
    std::vector<std::string> events;
    ed.edit.OnMouseDown = [&](TVelEdit&, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
        events.push_back(button == Qt::LeftButton ? "down" : "right down");
    };
    ed.edit.OnMouseUp = [&](TVelEdit&, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        events.emplace_back("up");
    };
    ed.edit.OnClick = [&](TVelEdit&) { events.emplace_back("click"); };
    ed.edit.OnDblclick = [&](TVelEdit&) { events.emplace_back("double"); };
    // Another window has the focus: the click shows the editor's caret all the same.
    QLineEdit other;
    other.show();
    giveFocus(other);

    ed.edit.SetSelection(0, 0, 0, 2);
    click(ed.edit, pointAt(ed.edit, 1, 2));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 2));
    EXPECT_FALSE(ed.edit.HasSelection());
    const lumarik::platform::Caret& caret = lumarik::platform::Caret::application();
    EXPECT_TRUE(caret.owner() == &ed.edit && caret.isShown());
    EXPECT_EQ(caret.rect().topLeft(), pointAt(ed.edit, 1, 2) - QPoint(0, ed.edit.LinePitch / 2));
    EXPECT_EQ(events, (std::vector<std::string>{"down", "click", "up"}));

    // The press that comes with a double click is ignored: nothing moves or is selected.
    events.clear();
    QTest::mouseDClick(&ed.edit, Qt::LeftButton, {}, pointAt(ed.edit, 2, 1));
    QTest::mouseRelease(&ed.edit, Qt::LeftButton, {}, pointAt(ed.edit, 2, 1));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 2));
    EXPECT_FALSE(ed.edit.SkipNextMouseDown);
    EXPECT_EQ(events, (std::vector<std::string>{"double", "up"}));

    // The right button shows the attached menu at the pointer and leaves the caret.
    events.clear();
    QMenu menu;
    menu.addAction(QStringLiteral("item"));
    ed.edit.SetPopupMenu(&menu);
    QTest::mousePress(&ed.edit, Qt::RightButton, {}, pointAt(ed.edit, 0, 1));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), ed.edit.mapToGlobal(pointAt(ed.edit, 0, 1)));
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 2));
    EXPECT_EQ(events, (std::vector<std::string>{"right down"}));
    QTest::mouseRelease(&ed.edit, Qt::RightButton, {}, pointAt(ed.edit, 0, 1));
    menu.close();
}

TEST(VelEditMouse, DraggingShiftClicksAndTheGutterSelect) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("abc\r\ndef\r\nghi\r\n");
    dragFromTo(ed.edit, pointAt(ed.edit, 0, 1), pointAt(ed.edit, 2, 2));
    EXPECT_EQ(anchorOf(ed.edit), Pos(0, 1));
    EXPECT_EQ(caretOf(ed.edit), Pos(2, 2));
    EXPECT_EQ(ed.edit.GetSelText(), "bc\r\ndef\r\ngh");
    EXPECT_FALSE(ed.edit.MouseSelecting);
    // The dragged picture is the picture of the same selection set at once.
    BlockEditor same;
    same.showText("abc\r\ndef\r\nghi\r\n");
    same.edit.SetSelection(1, 0, 2, 2);
    EXPECT_EQ(describeDifference(ed.image(), same.image()), "");

    // Shift extends from the anchor; without a selection from the old caret.
    click(ed.edit, pointAt(ed.edit, 1, 1), Qt::ShiftModifier);
    EXPECT_EQ(ed.edit.GetSelText(), "bc\r\nd");
    click(ed.edit, pointAt(ed.edit, 2, 3));
    click(ed.edit, pointAt(ed.edit, 1, 2), Qt::ShiftModifier);
    EXPECT_EQ(ed.edit.GetSelText(), "f\r\nghi");

    // The gutter takes whole rows with their line breaks; dragging down adds rows.
    const int gutterX = ed.edit.TextLeft - 5;
    click(ed.edit, {gutterX, pointAt(ed.edit, 1, 0).y()});
    EXPECT_EQ(ed.edit.GetSelText(), "def\r\n");
    EXPECT_EQ(caretOf(ed.edit), Pos(1, 0));
    same.edit.SetSelection(5, 1, 1, 0);
    EXPECT_EQ(describeDifference(ed.image(), same.image()), "");
    dragFromTo(ed.edit, {gutterX, pointAt(ed.edit, 0, 0).y()},
               {gutterX, pointAt(ed.edit, 1, 0).y()});
    EXPECT_EQ(ed.edit.GetSelText(), "abc\r\n");
    pressAt(ed.edit, {gutterX, pointAt(ed.edit, 0, 0).y()});
    moveTo(ed.edit, {gutterX, pointAt(ed.edit, 1, 0).y()});
    moveTo(ed.edit, {gutterX, pointAt(ed.edit, 2, 0).y()});
    releaseAt(ed.edit, {gutterX, pointAt(ed.edit, 2, 0).y()});
    EXPECT_EQ(ed.edit.GetSelText(), "abc\r\ndef\r\n");
    // Beside the empty last row nothing is selected.
    click(ed.edit, {gutterX, pointAt(ed.edit, 3, 0).y()});
    EXPECT_FALSE(ed.edit.HasSelection());
    EXPECT_EQ(caretOf(ed.edit), Pos(3, 0));

    // A gutter press scrolls a view that was scrolled sideways back to its start.
    ed.edit.SetWordWrap(false);
    ed.showText("short\r\n" + std::string(200, 'x'));
    ed.edit.SetCaret(150, 1, 0, true, true);
    ASSERT_GT(ed.edit.HorzOffset, 0);
    click(ed.edit, {gutterX, pointAt(ed.edit, 0, 0).y()});
    EXPECT_EQ(ed.edit.HorzOffset, 0);
    EXPECT_EQ(ed.edit.GetSelText(), "short\r\n");
}

TEST(VelEditMouse, HoldingThePointerOutsideTheTextScrollsEachTick) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText(numberedLines(100));
    ed.edit.SetCaretScrollFix(true);
    pressAt(ed.edit, pointAt(ed.edit, 2, 0));
    moveTo(ed.edit, {30, ed.edit.height() - 2});
    EXPECT_EQ(ed.edit.AutoScrollDirection, 1);
    EXPECT_FALSE(ed.edit.CaretScrollFix());
    EXPECT_EQ(caretOf(ed.edit), Pos(2, 0)) << "the timer moves the caret, not the pointer";
    // One row a tick; at the bottom the view scrolls, by ScrollStep rows from the fifth
    // scroll on.
    std::vector<int> tops;
    for (int tick = 0; tick < 16; ++tick) {
        ed.edit.TimerTick();
        tops.push_back(ed.edit.TopLine);
    }
    EXPECT_EQ(tops, (std::vector<int>{0, 0, 0, 0, 0, 1, 2, 3, 4, 6, 8, 10, 12, 14, 16, 18}));
    EXPECT_EQ(anchorOf(ed.edit), Pos(2, 0));
    EXPECT_EQ(caretOf(ed.edit), Pos(ed.edit.TopLine + 7, 0));
    EXPECT_EQ(ed.edit.SelEndLine, ed.edit.CaretLine);
    // The real timer ticks too.
    const int top = ed.edit.TopLine;
    QTest::qWait(200);
    EXPECT_GT(ed.edit.TopLine, top);

    moveTo(ed.edit, {30, 2});
    EXPECT_EQ(ed.edit.AutoScrollDirection, -1);
    const int line = ed.edit.CaretLine;
    ed.edit.TimerTick();
    EXPECT_EQ(ed.edit.CaretLine, line - 1);
    releaseAt(ed.edit, {30, 2});
    EXPECT_EQ(ed.edit.AutoScrollDirection, 0);
    EXPECT_TRUE(ed.edit.CaretScrollFix());
    ed.edit.TimerTick();
    EXPECT_EQ(ed.edit.CaretLine, line - 1);

    // Sideways one character a tick, right of the text area and, once scrolled, left
    // of it.
    ed.edit.SetWordWrap(false);
    ed.showText(std::string(100, 'x') + kA + "yz");
    pressAt(ed.edit, pointAt(ed.edit, 0, 40));
    moveTo(ed.edit, {ed.edit.width() + 5, pointAt(ed.edit, 0, 0).y()});
    EXPECT_EQ(ed.edit.AutoScrollDirection, 2);
    for (int tick = 0; tick < 70; ++tick) {
        ed.edit.TimerTick();
    }
    EXPECT_EQ(ed.edit.CaretCol, 104) << "stops at the row's end, over the double-byte character";
    EXPECT_GT(ed.edit.HorzOffset, 0);
    EXPECT_EQ(ed.edit.GetSelText(), std::string(60, 'x') + kA + "yz");
    moveTo(ed.edit, {ed.edit.TextLeft, pointAt(ed.edit, 0, 0).y()});
    EXPECT_EQ(ed.edit.AutoScrollDirection, -2);
    ed.edit.TimerTick();
    ed.edit.TimerTick();
    EXPECT_EQ(ed.edit.CaretCol, 102);
    releaseAt(ed.edit, {ed.edit.TextLeft, pointAt(ed.edit, 0, 0).y()});

    // A wheel turned while the button is held extends the selection with the caret.
    ed.edit.SetWordWrap(true);
    ed.showText(numberedLines(100));
    pressAt(ed.edit, pointAt(ed.edit, 3, 0));
    moveTo(ed.edit, pointAt(ed.edit, 3, 1));
    ed.edit.MouseWheel(-120);
    EXPECT_EQ(caretOf(ed.edit), Pos(5, 1));
    EXPECT_EQ(ed.edit.GetSelText(), "3\r\n4\r\n5");
    releaseAt(ed.edit, pointAt(ed.edit, 5, 1));
}

TEST(VelEditMouse, LosingTheFocusEndsAMouseSelection) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText(numberedLines(20));
    int entered = 0;
    int exited = 0;
    ed.edit.OnEnter = [&](TVelEdit&) { ++entered; };
    ed.edit.OnExit = [&](TVelEdit&) { ++exited; };
    QLineEdit other(&ed.edit);
    other.show();
    ed.edit.SetCaretScrollFix(true);
    pressAt(ed.edit, pointAt(ed.edit, 1, 0));
    moveTo(ed.edit, pointAt(ed.edit, 3, 1));
    giveFocus(other);
    EXPECT_FALSE(ed.edit.MouseSelecting);
    EXPECT_TRUE(ed.edit.CaretScrollFix());
    EXPECT_EQ(exited, 1);
    // Caret moves no longer extend the selection.
    giveFocus(ed.edit);
    EXPECT_EQ(entered, 1);
    QTest::keyClick(&ed.edit, Qt::Key_Down);
    EXPECT_FALSE(ed.edit.HasSelection());
}

namespace {

// A drag of the bytes [from, to) of a text to the place at byte `drop`, with Ctrl
// held at the release for a copy.
struct DragCase {
    std::string text;
    size_t from, to, drop;
    bool copy;
    std::string dropped; // the text afterwards
};

} // namespace

TEST(VelEditMouse, DraggedTextMovesOrCopiesToTheDropPointAndUndoesInSteps) {
    const std::string row = "0123456789ABCDEFGHIJ\r\nxyz";
    const std::vector<DragCase> cases = {
        {"abcdef\r\nxyz", 1, 3, 5, false, "adebcf\r\nxyz"},
        {"abcdef\r\nxyz", 3, 5, 1, false, "adebcf\r\nxyz"},
        {"abcdef\r\nxyz", 1, 3, 9, true, "abcdef\r\nxbcyz"},
        // Ending at the start of a row, dropped on that row or below it.
        {"ab\r\ncd\r\nefgh", 1, 8, 10, false, "aefb\r\ncd\r\ngh"},
        {"ab\r\ncd\r\n" + kA + kA + "x", 1, 8, 12, false, "a" + kA + kA + "b\r\ncd\r\nx"},
        {"ab\r\ncd\r\nef\r\ngh", 1, 5, 13, false, "ad\r\nef\r\ngb\r\nch"},
        // Rows continued by word wrap at column 10.
        {row, 5, 10, 13, false, "01234ABC56789DEFGHIJ\r\nxyz"},
        {row, 5, 22, 23, false, "01234x56789ABCDEFGHIJ\r\nyz"},
        {"ab\r\n" + row, 1, 26, 28, false, "axyb\r\n0123456789ABCDEFGHIJ\r\nz"},
    };
    for (const bool wrap : {true, false}) {
        for (const DragCase& c : cases) {
            SCOPED_TRACE((wrap ? "wrapped: " : "unwrapped: ") + c.text + " to " +
                         std::to_string(c.drop));
            BlockEditor ed;
            giveFocus(ed.edit);
            ed.edit.SetWordWrap(wrap);
            ed.edit.SetColumn(10);
            ed.showText(c.text);
            int changes = 0;
            ed.edit.OnChange = [&](TVelEdit&) { ++changes; };
            selectOffsets(ed.edit, c.from, c.to);
            const TextPos drop = displayOf(ed.edit.Lines(), c.drop);
            dragFromTo(ed.edit, pointAt(ed.edit, ed.edit.CaretLine, ed.edit.CaretCol),
                       pointAt(ed.edit, drop.line, drop.col),
                       c.copy ? Qt::ControlModifier : Qt::NoModifier);
            EXPECT_EQ(ed.edit.Text(), c.dropped);
            EXPECT_FALSE(ed.edit.HasSelection());
            EXPECT_FALSE(ed.edit.Dragging || ed.edit.MouseSelecting);
            const size_t landed = c.drop < c.from || c.copy ? c.drop : c.drop - (c.to - c.from);
            EXPECT_EQ(offsetOf(ed.edit.Lines(), ed.edit.CaretCol, ed.edit.CaretLine),
                      landed + c.to - c.from)
                << "the caret after the dropped text";
            EXPECT_EQ(changes, 1);
            // What was shown is a fresh picture.
            QApplication::processEvents();
            const QImage shown = ed.image();
            ed.edit.RedrawAll();
            EXPECT_EQ(describeDifference(shown, ed.image()), "");
            // A move takes two undo steps: the insertion, then the removal.
            ed.edit.Undo();
            if (!c.copy) {
                std::string removed = c.text;
                removed.erase(c.from, c.to - c.from);
                EXPECT_EQ(ed.edit.Text(), removed);
                ed.edit.Undo();
            }
            EXPECT_EQ(ed.edit.Text(), c.text);
            EXPECT_FALSE(ed.edit.CanUndo());
        }
    }
}

TEST(VelEditMouse, DropsInsideTheSelectionOrInAReadOnlyControlChangeNothing) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("abcdef\r\nxyz");
    // A click inside the selection starts and ends a drag at once.
    ed.edit.SetSelection(1, 0, 0, 4);
    click(ed.edit, pointAt(ed.edit, 0, 2));
    EXPECT_FALSE(ed.edit.HasSelection());
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 2));
    // Dropped on itself, its ends included.
    for (const int col : {1, 3, 4}) {
        ed.edit.SetSelection(1, 0, 0, 4);
        dragFromTo(ed.edit, pointAt(ed.edit, 0, 2), pointAt(ed.edit, 0, col));
        EXPECT_FALSE(ed.edit.HasSelection());
        EXPECT_EQ(caretOf(ed.edit), Pos(0, col));
    }
    EXPECT_FALSE(ed.edit.CanUndo());

    // Read-only: a press inside the selection keeps it and starts nothing.
    ed.edit.SetReadOnly(true);
    ed.edit.SetSelection(1, 0, 0, 4);
    pressAt(ed.edit, pointAt(ed.edit, 0, 2));
    EXPECT_FALSE(ed.edit.Dragging);
    EXPECT_EQ(ed.edit.GetSelText(), "bcd");
    releaseAt(ed.edit, pointAt(ed.edit, 0, 2));

    // Manual drags: the owner decides, and may start the drag itself.
    ed.edit.SetDragMode(TDragMode::dmManual);
    std::vector<std::string> offered;
    bool start = false;
    ed.edit.OnManualStartDrag = [&](TVelEdit& edit, const std::string& text, bool& canDrag) {
        offered.push_back(text);
        canDrag = start;
        if (start) {
            edit.BeginDrag();
        }
    };
    ed.edit.SetSelection(1, 0, 0, 4);
    pressAt(ed.edit, pointAt(ed.edit, 0, 2));
    EXPECT_FALSE(ed.edit.HasSelection()) << "refused by the owner";
    releaseAt(ed.edit, pointAt(ed.edit, 0, 2));
    start = true;
    ed.edit.SetSelection(1, 0, 0, 4);
    dragFromTo(ed.edit, pointAt(ed.edit, 0, 2), pointAt(ed.edit, 1, 1));
    EXPECT_EQ(ed.edit.Text(), "abcdef\r\nxyz") << "read-only";
    EXPECT_FALSE(ed.edit.HasSelection());
    EXPECT_EQ(offered, (std::vector<std::string>{"bcd", "bcd"}));
    ed.edit.SetReadOnly(false);
    ed.edit.SetSelection(1, 0, 0, 4);
    dragFromTo(ed.edit, pointAt(ed.edit, 0, 2), pointAt(ed.edit, 1, 1));
    EXPECT_EQ(ed.edit.Text(), "aef\r\nxbcdyz");
}

TEST(VelEditMouse, TheDragShowsItsCursorsAndDropsOnlyOnTheControl) {
    BlockEditor ed;
    giveFocus(ed.edit);
    ed.showText("abcdef\r\nxyz");
    std::vector<std::string> events;
    ed.edit.OnStartDrag = [&](TVelEdit&) { events.emplace_back("start"); };
    ed.edit.OnDragOver = [&](TVelEdit& edit, QObject* source, int, int, TDragState state, bool&) {
        EXPECT_EQ(source, &edit);
        events.emplace_back(state == TDragState::dsDragEnter  ? "enter"
                            : state == TDragState::dsDragMove ? "over"
                                                              : "leave");
    };
    ed.edit.OnDragDrop = [&](TVelEdit&, QObject*, int, int) { events.emplace_back("drop"); };
    ed.edit.OnEndDrag = [&](TVelEdit& edit, QObject* target, int, int) {
        events.emplace_back(target == &edit ? "end here" : "end elsewhere");
    };
    ASSERT_NE(dragCursor("DragCur1"), dragCursor("DragCur2"));

    ed.edit.SetSelection(1, 0, 0, 3);
    pressAt(ed.edit, pointAt(ed.edit, 0, 2));
    EXPECT_TRUE(ed.edit.Dragging);
    EXPECT_EQ(cursorImage(ed.edit), dragCursor("DragCur1"));
    // Ctrl pressed and released during the drag switches to copying and back.
    QTest::keyPress(&ed.edit, Qt::Key_Control);
    EXPECT_EQ(ed.edit.DragCursor(), 2);
    EXPECT_EQ(cursorImage(ed.edit), dragCursor("DragCur2"));
    QTest::keyRelease(&ed.edit, Qt::Key_Control);
    EXPECT_EQ(ed.edit.DragCursor(), 1);
    EXPECT_EQ(cursorImage(ed.edit), dragCursor("DragCur1"));
    // Away from the control the drop is refused, and a release there drops nothing.
    moveTo(ed.edit, pointAt(ed.edit, 1, 1));
    moveTo(ed.edit, {-30, 40});
    EXPECT_EQ(ed.edit.cursor().shape(), Qt::ForbiddenCursor);
    releaseAt(ed.edit, {-30, 40});
    EXPECT_EQ(ed.edit.Text(), "abcdef\r\nxyz");
    EXPECT_EQ(ed.edit.GetSelText(), "bc");
    EXPECT_EQ(caretOf(ed.edit), Pos(0, 3));
    EXPECT_EQ(ed.edit.cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(events,
              (std::vector<std::string>{"start", "enter", "over", "leave", "end elsewhere"}));

    // Esc cancels; keys typed during a drag do not reach the text.
    events.clear();
    pressAt(ed.edit, pointAt(ed.edit, 0, 2));
    moveTo(ed.edit, pointAt(ed.edit, 1, 1));
    QTest::keyClick(&ed.edit, Qt::Key_Q);
    QTest::keyClick(&ed.edit, Qt::Key_Escape);
    EXPECT_FALSE(ed.edit.Dragging);
    releaseAt(ed.edit, pointAt(ed.edit, 1, 1));
    EXPECT_EQ(ed.edit.Text(), "abcdef\r\nxyz");
    EXPECT_EQ(ed.edit.GetSelText(), "bc");

    events.clear();
    dragFromTo(ed.edit, pointAt(ed.edit, 0, 2), pointAt(ed.edit, 1, 1));
    EXPECT_EQ(ed.edit.Text(), "adef\r\nxbcyz");
    EXPECT_EQ(events, (std::vector<std::string>{"start", "enter", "over", "drop", "end here"}));
}
