#include <gtest/gtest.h>

#include "editor/EditControlMessages.h"
#include "editor/ScrollCodes.h"
#include "editor/VelEditSub.h"
#include "editor/VelEditTestSupport.h"
#include "platform/Caret.h"
#include "platform/WindowMessages.h"

#include <QApplication>

#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::platform::LParam;
using lumarik::platform::MessageId;
using lumarik::platform::MessageResult;
using lumarik::platform::MessageTarget;
using lumarik::platform::TopLevelMessageRegistration;
using lumarik::platform::WParam;
using lumarik::test::BlockEditor;
using lumarik::test::giveFocus;
using lumarik::test::numberedLines;

namespace {

// "亜" (0x88 0x9F) and "日" (0x93 0xFA): trail bytes with and without a lead value.
const std::string kA = "\x88\x9F";
const std::string kNichi = "\x93\xFA";

// A top-level window that records the caret-move messages it receives.
class CaretMoveRecorder : public MessageTarget {
public:
    explicit CaretMoveRecorder(MessageId id) : id_(id) {}
    MessageResult handleMessage(MessageId msg, WParam wParam, LParam lParam) override {
        if (msg == id_) {
            received.push_back({wParam, lParam});
        }
        return 0;
    }
    std::vector<std::pair<WParam, LParam>> received;

private:
    MessageId id_;
};

MessageId moveCaretId() {
    return lumarik::platform::registerWindowMessage(messages::kMoveCaretMessageName);
}

bool insideAPair(const TVelEdit& edit, int line, int col) {
    return ByteTypeAt(edit.Lines().Get(line), col + 1, edit.SingleByteMode()) == 2;
}

} // namespace

TEST(VelEditCaret, PlacementClampsEveryPositionToAValidOne) {
    BlockEditor ed;
    ed.showText(std::string(100, 'a') + "\r\nxyz\r\nlast");
    ASSERT_FALSE(HasTerminator(ed.edit.Lines().Get(0))) << "wrapped at the column";
    const int continuedLength = static_cast<int>(ed.edit.Lines().Get(0).size());
    ed.edit.SetCaret(1000, 0, 0, true, true);
    EXPECT_EQ(ed.edit.CaretCol, continuedLength) << "a continued line's very end";
    ed.edit.SetCaret(1000, 2, 0, true, true);
    EXPECT_EQ(ed.edit.CaretCol, 3) << "in front of CR LF";
    ed.edit.SetCaret(5, -7, 0, true, true);
    EXPECT_EQ(ed.edit.CaretLine, 0);
    EXPECT_EQ(ed.edit.CaretCol, 5);
    ed.edit.SetCaret(99, 1000, 0, true, true);
    EXPECT_EQ(ed.edit.CaretLine, 3);
    EXPECT_EQ(ed.edit.CaretCol, 4) << "in front of the end-of-text mark";
    EXPECT_EQ(ed.edit.DesiredCol, 4);
    EXPECT_EQ(ed.edit.SelAnchorCol, 4);
    EXPECT_EQ(ed.edit.SelDrawnEndLine, 3);
    ed.edit.MoveCaretTo(-3, -3, 0);
    EXPECT_EQ(ed.edit.CaretLine, 0);
    EXPECT_EQ(ed.edit.CaretCol, 0);
    // Column -1 keeps the caret where it is.
    ed.edit.SetCaret(2, 2, 0, false, false);
    ed.edit.SetCaret(-1, 0, 0, false, false);
    EXPECT_EQ(ed.edit.CaretLine, 2);
    EXPECT_EQ(ed.edit.CaretCol, 2);
    EXPECT_EQ(ed.edit.CaretX, 2 * BlockEditor::kCellWidth);
}

TEST(VelEditCaret, NeverStandsBetweenALeadAndATrailByte) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    const std::string row = "a" + kA + kA + "b" + kNichi + "\x88\x88" + kA + "c";
    ed.showText(row + "\r\n" + kA + kNichi);
    for (int line = 0; line < 2; ++line) {
        for (int col = -2; col <= static_cast<int>(row.size()) + 3; ++col) {
            ed.edit.SetCaret(col, line, 0, true, true);
            EXPECT_FALSE(insideAPair(ed.edit, line, ed.edit.CaretCol))
                << "SetCaret line " << line << " col " << col;
            ed.edit.MoveCaretTo(col, line, 0);
            EXPECT_FALSE(insideAPair(ed.edit, line, ed.edit.CaretCol))
                << "MoveCaretTo line " << line << " col " << col;
            ed.edit.SetSelection(col, line, line, col);
            EXPECT_FALSE(insideAPair(ed.edit, ed.edit.CaretLine, ed.edit.CaretCol))
                << "selection caret";
            EXPECT_FALSE(insideAPair(ed.edit, ed.edit.SelAnchorLine, ed.edit.SelAnchorCol))
                << "selection anchor";
            EXPECT_EQ(ed.edit.GetSelText(), "");
        }
    }
    // The trail byte of a pair lands on its lead byte.
    ed.edit.MoveCaretTo(2, 0, 0);
    EXPECT_EQ(ed.edit.CaretCol, 1);
    ed.edit.MoveCaretTo(4, 0, 0);
    EXPECT_EQ(ed.edit.CaretCol, 3);
    ed.edit.MoveCaretTo(9, 0, 0);
    EXPECT_EQ(ed.edit.CaretCol, 8) << "0x88 0x88 is a pair too";
    // Pointing anywhere gives a character boundary.
    for (int x = -5; x < 200; ++x) {
        int columnX = 0;
        const int col = ed.edit.ColumnFromX(ed.edit.Lines().Get(0), x, columnX);
        EXPECT_FALSE(insideAPair(ed.edit, 0, col)) << "x " << x;
        EXPECT_EQ(columnX, ed.edit.ColumnX(0, col));
    }
}

TEST(VelEditCaret, EnsureVisibleScrollsByTheModesRules) {
    BlockEditor ed;
    ed.showText(numberedLines(100));
    ASSERT_EQ(ed.edit.VisibleLines, 9);
    // Mode 0: a visible line moves nothing; below the view it shows a fifth of a page
    // above the bottom, above the view a fifth of a page below the top.
    EXPECT_FALSE(ed.edit.SetCaret(0, 8, 0, true, true));
    EXPECT_EQ(ed.edit.TopLine, 0);
    EXPECT_TRUE(ed.edit.SetCaret(0, 50, 0, true, true));
    EXPECT_EQ(ed.edit.TopLine, 50 - (9 - 1));
    EXPECT_TRUE(ed.edit.SetCaret(0, 20, 0, true, true));
    EXPECT_EQ(ed.edit.TopLine, 19);
    // Mode 2 always moves the view, even to a visible line.
    EXPECT_TRUE(ed.edit.SetCaret(0, 24, 2, true, true));
    EXPECT_EQ(ed.edit.TopLine, 24 + 7 - 9);
    EXPECT_FALSE(ed.edit.SetCaret(0, 24, 2, true, true));
    EXPECT_TRUE(ed.edit.SetCaret(0, 1, 2, true, true));
    EXPECT_EQ(ed.edit.TopLine, 0);
    // Horizontally a caret at the edge lands four fifths across the text area.
    ed.edit.SetWordWrap(false);
    ed.showText(std::string(30, 'x') + "\r\n" + std::string(200, 'y'));
    const int width = ed.edit.TextAreaWidth;
    EXPECT_TRUE(ed.edit.SetCaret(150, 1, 0, true, true));
    EXPECT_EQ(ed.edit.CaretX, width - width / 5);
    EXPECT_EQ(ed.edit.HorzOffset, 150 * BlockEditor::kCellWidth - (width - width / 5));
    EXPECT_TRUE(ed.edit.SetCaret(0, 1, 0, true, true));
    EXPECT_EQ(ed.edit.HorzOffset, 0);
    EXPECT_EQ(ed.edit.CaretX, 0);
}

TEST(VelEditCaret, CaretMovesAreAnnouncedWithAClampedPackedPosition) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.showText(numberedLines(70000));
    giveFocus(ed.edit);
    ASSERT_TRUE(ed.edit.hasFocus());
    CaretMoveRecorder recorder(moveCaretId());
    const TopLevelMessageRegistration registration(recorder);
    int changes = 0;
    ed.edit.OnSelectionChange = [&](TVelEdit&) { ++changes; };

    ed.edit.SetCaret(2, 123, 0, true, true);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(recorder.received.empty()) << "posted, not sent";
    QApplication::processEvents();
    ASSERT_EQ(recorder.received.size(), 1u);
    EXPECT_EQ(recorder.received[0].first, reinterpret_cast<WParam>(&ed.edit));
    EXPECT_EQ(recorder.received[0].second, LParam(2 + (123 << 16)));
    // Where the caret already is, nothing is announced.
    ed.edit.SetCaret(2, 123, 0, true, true);
    ed.edit.UpdateCaretPos();
    QApplication::processEvents();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(recorder.received.size(), 1u);
    // A line beyond 65535 reports 65535 instead of spilling.
    ed.edit.SetCaret(1, 69999, 0, true, true);
    QApplication::processEvents();
    ASSERT_EQ(recorder.received.size(), 2u);
    EXPECT_EQ(recorder.received[1].second, LParam(1 + (0xFFFFu << 16)));
    // Without a handler the last announced place stays, so every update posts.
    ed.edit.OnSelectionChange = nullptr;
    ed.edit.SetCaret(0, 69999, 0, true, true);
    ed.edit.UpdateCaretPos();
    ed.edit.UpdateCaretPos();
    QApplication::processEvents();
    EXPECT_EQ(recorder.received.size(), 5u);
}

TEST(VelEditCaret, TheSystemCaretFollowsAndParksLeftOfTheClientArea) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.showText(std::string(200, 'y') + "\r\nab");
    giveFocus(ed.edit);
    lumarik::platform::Caret& caret = lumarik::platform::Caret::application();
    ASSERT_EQ(caret.owner(), &ed.edit);
    ed.edit.SetCaret(1, 1, 0, true, true);
    EXPECT_EQ(caret.rect().topLeft(),
              QPoint(ed.edit.TextLeft + BlockEditor::kCellWidth, ed.rowTop(1)));
    EXPECT_TRUE(caret.isShown());
    // Scrolling the view right leaves the caret out to the left.
    ed.edit.SetCaret(0, 1, 0, true, true);
    ed.edit.HorzScroll(scroll::LineRight, 0);
    ASSERT_LT(ed.edit.CaretX, 0);
    EXPECT_EQ(caret.rect().topLeft(), QPoint(-5, ed.rowTop(1)));
    EXPECT_TRUE(caret.isShown());
    // Without the focus the caret is not placed and nothing is announced.
    ed.edit.clearFocus();
    QApplication::processEvents();
    const int notifiedLine = ed.edit.NotifiedLine;
    ed.edit.OnSelectionChange = [](TVelEdit&) { ADD_FAILURE() << "announced without the focus"; };
    ed.edit.SetCaret(0, 0, 0, true, true);
    EXPECT_EQ(ed.edit.NotifiedLine, notifiedLine);
}

TEST(VelEditSelection, SelectAllSelectsTheWholeTextOnce) {
    BlockEditor ed;
    int changes = 0;
    ed.edit.OnSelectionChange = [&](TVelEdit&) { ++changes; };
    ed.showText("");
    changes = 0;
    ed.edit.SelectAll();
    EXPECT_FALSE(ed.edit.AllSelected) << "nothing to select";
    EXPECT_FALSE(ed.edit.HasSelection());
    EXPECT_EQ(changes, 0);

    ed.showText("ab\r\n" + kA + "c");
    ed.edit.SetCaret(1, 1, 0, true, true);
    changes = 0;
    ed.edit.SelectAll();
    EXPECT_TRUE(ed.edit.AllSelected);
    EXPECT_FALSE(ed.edit.SelActive);
    EXPECT_TRUE(ed.edit.HasSelection());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(ed.edit.CaretLine, 1) << "the caret does not move";
    EXPECT_EQ(ed.edit.GetSelText(), "ab\r\n" + kA + "c");
    EXPECT_EQ(ed.edit.GetSelLength(), 7);
    int startCol = -1, startLine = -1, endLine = -1, endCol = -1;
    EXPECT_TRUE(ed.edit.GetSelBounds(startCol, startLine, endLine, endCol));
    EXPECT_EQ(std::vector<int>({startCol, startLine, endLine, endCol}),
              std::vector<int>({0, 0, 1, 3}));
}

TEST(VelEditSelection, SelectedTextRunsAcrossWrappedRowsAndLineBreaks) {
    BlockEditor ed;
    ed.showText(std::string(100, 'a') + "\r\nbcd\r\nef");
    ASSERT_EQ(ed.edit.Lines().Count(), 4);
    const int first = static_cast<int>(ed.edit.Lines().Get(0).size());
    // From near the end of the first row, backwards from the caret in row 2.
    ed.edit.SetSelection(first - 2, 0, 2, 2);
    ASSERT_TRUE(ed.edit.SelActive);
    const std::string expected = "aa" + std::string(100 - first, 'a') + "\r\nbc";
    EXPECT_EQ(ed.edit.GetSelText(), expected);
    EXPECT_EQ(ed.edit.GetSelLength(), static_cast<int64_t>(expected.size()));
    ed.edit.SetSelection(2, 2, 0, first - 2);
    EXPECT_EQ(ed.edit.GetSelText(), expected) << "either direction";
    EXPECT_EQ(ed.edit.CaretLine, 0);
    int startCol = 0, startLine = 0, endLine = 0, endCol = 0;
    EXPECT_TRUE(ed.edit.GetSelBounds(startCol, startLine, endLine, endCol));
    EXPECT_EQ(std::vector<int>({startCol, startLine, endLine, endCol}),
              std::vector<int>({first - 2, 0, 2, 2}));

    // A whole line: the anchor after the line break, reported as ending after it.
    ed.edit.SetSelection(0, 2, 3, 0);
    EXPECT_EQ(ed.edit.GetSelText(), "bcd\r\n");
    EXPECT_TRUE(ed.edit.GetSelBounds(startCol, startLine, endLine, endCol));
    EXPECT_EQ(std::vector<int>({startCol, startLine, endLine, endCol}),
              std::vector<int>({0, 2, 2, 5}));
    ed.edit.SetSelection(5, 2, 2, 0);
    EXPECT_EQ(ed.edit.GetSelText(), "bcd\r\n") << "anchor after the terminator";
    // The caret asked after a terminator, or at the end of a continued row, goes to
    // the next row's start.
    ed.edit.SetSelection(0, 2, 2, 5);
    EXPECT_EQ(ed.edit.CaretLine, 3);
    EXPECT_EQ(ed.edit.CaretCol, 0);
    ed.edit.SetSelection(0, 0, 0, first);
    EXPECT_EQ(ed.edit.CaretLine, 1);
    EXPECT_EQ(ed.edit.CaretCol, 0);
    EXPECT_EQ(ed.edit.GetSelText(), std::string(static_cast<size_t>(first), 'a'));
}

TEST(VelEditSelection, PositionsFromOutsideAreClampedBeforeUse) {
    BlockEditor ed;
    ed.showText("ab\r\n" + kA + "cd");
    ed.edit.SetSelection(-5, -3, 999, 999);
    EXPECT_EQ(ed.edit.SelAnchorLine, 0);
    EXPECT_EQ(ed.edit.SelAnchorCol, 0);
    EXPECT_EQ(ed.edit.CaretLine, 1);
    EXPECT_EQ(ed.edit.CaretCol, 4);
    EXPECT_EQ(ed.edit.GetSelText(), ed.edit.Text()) << "never the end-of-text mark";
    ed.edit.SetSelection(999, 999, 1, 1);
    EXPECT_EQ(ed.edit.SelAnchorCol, 4) << "not after the end-of-text mark";
    EXPECT_EQ(ed.edit.CaretCol, 0);
    EXPECT_EQ(ed.edit.GetSelText(), kA + "cd");
    // Stale fields are clamped when read.
    ed.edit.SelEndLine = 50;
    ed.edit.SelEndCol = 70;
    ed.edit.SelAnchorLine = ed.edit.SelAnchorCol = 0;
    EXPECT_EQ(ed.edit.GetSelText(), "ab\r\n" + kA + "cd");
    EXPECT_EQ(ed.edit.GetSelLength(), 8);
    ed.edit.DrawHighlight(1, 0, false, 0x00FF00, clBlack, 1 << 30);
    ed.edit.DrawHighlight(1, 0, true, 0x00FF00, clBlack, 1 << 30);
    EXPECT_EQ(ed.edit.SelEndLine, 50) << "the highlight leaves the selection alone";
}
