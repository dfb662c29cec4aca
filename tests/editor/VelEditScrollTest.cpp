#include <gtest/gtest.h>

#include "editor/ScrollCodes.h"
#include "editor/VelEditTestSupport.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <random>
#include <string>

using namespace lumarik::editor;
using lumarik::test::BlockEditor;
using lumarik::test::describeDifference;
using lumarik::test::moveTo;
using lumarik::test::pressAt;
using lumarik::test::releaseAt;

namespace {

// n short lines "0", "1", ... separated by CR LF.
std::string numberedLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += std::to_string(i % 1000);
        if (i + 1 < n) {
            text += "\r\n";
        }
    }
    return text;
}

// Rows are 20 pixels apart below a 4-pixel top margin: a height of 4 + 20 n shows n.
QSize rowsHigh(int n) {
    return {400, 4 + 20 * n};
}

QScrollBar* bar(TVelEdit& edit, Qt::Orientation orientation) {
    for (QScrollBar* b : edit.findChildren<QScrollBar*>()) {
        if (b->orientation() == orientation) {
            return b;
        }
    }
    return nullptr;
}

void sendWheel(TVelEdit& edit, int delta) {
    QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&edit, &event);
}

} // namespace

TEST(VelEditScroll, ShortTextCannotScrollButTheBarStaysShown) {
    BlockEditor ed(rowsHigh(20));
    ed.edit.SetVertScrollBar(true);
    ed.showText(numberedLines(10));
    ASSERT_EQ(ed.edit.VisibleLines, 20);
    EXPECT_EQ(ed.edit.MaxTopLine, 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::PageDown, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineDown, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::Bottom, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineUp, 0), 0);
    EXPECT_EQ(ed.edit.TopLine, 0);
    QScrollBar* vertical = bar(ed.edit, Qt::Vertical);
    ASSERT_NE(vertical, nullptr);
    EXPECT_FALSE(vertical->isEnabled());
    EXPECT_TRUE(vertical->isVisible());
}

TEST(VelEditScroll, TheViewScrollsUntilAFifthOfAPageIsEmptyBelowTheText) {
    BlockEditor ed(rowsHigh(20));
    ed.showText(numberedLines(100));
    ASSERT_EQ(ed.edit.PageFifth, 4);
    EXPECT_EQ(ed.edit.MaxTopLine, 83);
    EXPECT_EQ(ed.edit.VertScroll(scroll::Bottom, 0), 83);
    EXPECT_EQ(ed.edit.TopLine, 83);
    EXPECT_EQ(ed.edit.VertScroll(scroll::PageDown, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::PageUp, 0), -20);
    EXPECT_EQ(ed.edit.VertScroll(scroll::PageDown, 0), 20);
    EXPECT_EQ(ed.edit.VertScroll(scroll::Top, 0), -83);
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineUp, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::ThumbTrack, 50), 50);
    EXPECT_EQ(ed.edit.VertScroll(scroll::ThumbTrack, 500), 33) << "limited to the range";
    EXPECT_EQ(ed.edit.VertScroll(scroll::ThumbPosition, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(scroll::EndScroll, 0), 0);
    EXPECT_EQ(ed.edit.VertScroll(99, 0), 0);
    EXPECT_EQ(ed.edit.TopLine, 83);
}

TEST(VelEditScroll, ManyLinesAreScaledIntoTheBarsSixteenBitRange) {
    BlockEditor ed;
    ed.edit.SetVertScrollBar(true);
    ed.edit.SetWordWrap(false);
    // Nine rows shown, a fifth of them (2) may stay empty: 70008 lines reach 70000.
    ed.showText(numberedLines(70008));
    ASSERT_EQ(ed.edit.VisibleLines, 9);
    ASSERT_EQ(ed.edit.MaxTopLine, 70000);
    EXPECT_EQ(ed.edit.VertScale, 3);
    QScrollBar* vertical = bar(ed.edit, Qt::Vertical);
    ASSERT_NE(vertical, nullptr);
    EXPECT_EQ(vertical->maximum(), 23334);
    EXPECT_EQ(ed.edit.VertScroll(scroll::ThumbTrack, 23334), 70000);
    EXPECT_EQ(vertical->value(), 23334);
    EXPECT_EQ(ed.edit.VertScroll(scroll::ThumbTrack, 1000), 3000 - 70000);
    EXPECT_EQ(vertical->value(), 1000);
    // The bar's own actions arrive as scroll messages.
    vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(ed.edit.TopLine, 3001);
    vertical->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(ed.edit.TopLine, 70000);
    EXPECT_EQ(vertical->value(), 23334);
    vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(ed.edit.TopLine, 70000 - 9);
    EXPECT_EQ(vertical->value(), (70000 - 9 + 2) / 3);
}

TEST(VelEditScroll, WheelNotchesScrollTwoLinesAndSmallDeltasAddUp) {
    BlockEditor ed;
    ed.showText(numberedLines(100));
    ed.edit.VertScroll(scroll::ThumbTrack, 50);
    ed.edit.MouseWheel(240);
    EXPECT_EQ(ed.edit.TopLine, 46) << "two notches: four line-ups";
    ed.edit.MouseWheel(-120);
    EXPECT_EQ(ed.edit.TopLine, 48);
    ed.edit.MouseWheel(60);
    ed.edit.MouseWheel(-119);
    EXPECT_EQ(ed.edit.TopLine, 48) << "less than a notch does nothing";
    // Touchpads send small steps; the control adds them up to whole notches.
    sendWheel(ed.edit, 60);
    EXPECT_EQ(ed.edit.TopLine, 48);
    sendWheel(ed.edit, 60);
    EXPECT_EQ(ed.edit.TopLine, 46);
    for (int i = 0; i < 8; ++i) {
        sendWheel(ed.edit, -15);
    }
    EXPECT_EQ(ed.edit.TopLine, 48);
    // At the top a huge delta stops at line 0.
    ed.edit.MouseWheel(120 * 1000000);
    EXPECT_EQ(ed.edit.TopLine, 0);
}

TEST(VelEditScroll, LineScrollsAccelerateFromTheFifthInARow) {
    BlockEditor ed;
    ed.showText(numberedLines(100));
    ed.edit.VertScroll(scroll::ThumbTrack, 50);
    ed.edit.LineScrollRun = 4;
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineDown, 0), 1);
    ed.edit.LineScrollRun = 5;
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineDown, 0), 2);
    ed.edit.SetScrollStep(3);
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineDown, 0), 3);
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineUp, 0), -1) << "the run is downwards";
    ed.edit.LineScrollRun = -5;
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineUp, 0), -3);
    ed.edit.MouseWheel(120);
    EXPECT_EQ(ed.edit.TopLine, 50 + 1 + 2 + 3 - 1 - 3 - 6) << "a notch moves two steps";
}

TEST(VelEditScroll, TheCaretFollowsTheViewUnlessFixed) {
    BlockEditor ed;
    ed.showText(numberedLines(100));
    ed.edit.SetCaret(1, 2, 0, true, true);
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineDown, 0), 1);
    EXPECT_EQ(ed.edit.CaretLine, 3);
    EXPECT_EQ(ed.edit.VertScroll(scroll::PageDown, 0), 9);
    EXPECT_EQ(ed.edit.CaretLine, 12);
    EXPECT_EQ(ed.edit.CaretCol, 1) << "same pixel x";
    ed.edit.CaretFollows = false;
    EXPECT_EQ(ed.edit.VertScroll(scroll::LineUp, 0), -1);
    EXPECT_EQ(ed.edit.CaretLine, 12);
    EXPECT_TRUE(ed.edit.CaretFollows) << "set again after every scroll";
    ed.edit.SetCaretScrollFix(true);
    ed.edit.VertScroll(scroll::PageUp, 0);
    EXPECT_EQ(ed.edit.CaretLine, 12);
    EXPECT_FALSE(ed.edit.InScroll);
}

// A whole-text selection survives scrolling by the wheel, never a caret key that
// scrolls: typing after Page Down must not replace the whole text. A range selection
// goes with any scroll, whether or not the caret had to move.
TEST(VelEditScroll, KeysThatScrollEndASelectAllAndScrollsTreatARangeAlike) {
    BlockEditor ed;
    lumarik::test::giveFocus(ed.edit);
    const std::string text = numberedLines(100);
    ed.showText(text);
    ed.edit.SelectAll();
    sendWheel(ed.edit, -120);
    EXPECT_TRUE(ed.edit.AllSelected);
    ed.edit.SelectAll();
    QTest::keyClick(&ed.edit, Qt::Key_PageDown);
    EXPECT_FALSE(ed.edit.HasSelection());
    ed.edit.TypeText("x");
    EXPECT_EQ(ed.edit.Text().size(), text.size() + 1);
    ed.edit.MoveCaretTo(0, ed.edit.TopLine + 7, 0);
    ed.edit.SelectAll();
    QTest::keyClick(&ed.edit, Qt::Key_Down);
    EXPECT_FALSE(ed.edit.HasSelection()) << "Down at the view's edge";

    for (const int row : {2, 8}) {
        ed.edit.VertScroll(scroll::Top, 0);
        ed.edit.SetSelection(0, 0, row, 1);
        sendWheel(ed.edit, -120);
        EXPECT_FALSE(ed.edit.HasSelection()) << "caret on row " << row;
    }
}

TEST(VelEditScroll, HorizontalScrollStaysWithinTheWidestVisibleLine) {
    BlockEditor ed;
    ed.edit.SetHorzScrollBar(true);
    ed.edit.SetWordWrap(false);
    // 390 pixels of text area: a fifth is 78, so a 39-cell line (312) just fits.
    ed.showText(std::string(39, 'a') + "\r\nb");
    ASSERT_EQ(ed.edit.TextAreaWidth, 390);
    ASSERT_EQ(ed.edit.WidestLine, 390 - ed.edit.WidthFifth);
    ed.edit.HorzScroll(scroll::LineRight, 0);
    EXPECT_EQ(ed.edit.HorzOffset, 0);

    ed.showText(std::string(100, 'a') + "\r\nb");
    ASSERT_EQ(ed.edit.WidestLine, 800);
    EXPECT_EQ(ed.edit.HorzScroll(scroll::LineRight, 0), 0);
    EXPECT_EQ(ed.edit.HorzOffset, 78);
    ed.edit.HorzScroll(scroll::PageRight, 0);
    EXPECT_EQ(ed.edit.HorzOffset, 78 + 130);
    ed.edit.HorzScroll(scroll::ThumbTrack, 10000);
    EXPECT_EQ(ed.edit.HorzOffset, 800 - 78) << "the widest line's end stays a fifth in";
    ed.edit.HorzScroll(scroll::LineLeft, 0);
    EXPECT_EQ(ed.edit.HorzOffset, 800 - 156);
    ed.edit.HorzScroll(scroll::PageLeft, 0);
    ed.edit.HorzScroll(scroll::PageLeft, 0);
    ed.edit.HorzScroll(scroll::PageLeft, 0);
    ed.edit.HorzScroll(scroll::PageLeft, 0);
    ed.edit.HorzScroll(scroll::PageLeft, 0);
    EXPECT_EQ(ed.edit.HorzOffset, 0);
    bar(ed.edit, Qt::Horizontal)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(ed.edit.HorzOffset, 78);
}

TEST(VelEditScroll, TheGutterWidensInStepsOfTenAndStaysWide) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    ed.edit.SetShowLineNumber(true);
    ed.edit.RefreshLayout();
    // Five digits of 8 pixels plus 7, after a left margin of 10.
    ASSERT_EQ(ed.edit.MinTextLeft, 57);
    ed.showText(numberedLines(99999));
    EXPECT_EQ(ed.edit.TextLeft, 57);
    ed.showText(numberedLines(100000));
    EXPECT_EQ(ed.edit.TextLeft, 67);
    EXPECT_EQ(ed.edit.TextAreaWidth, 400 - 67);
    ed.showText(numberedLines(10));
    EXPECT_EQ(ed.edit.TextLeft, 67);

    // With the vertical scroll bar shown the text area still ends where the bar
    // begins, and the host's drawing events are told that edge.
    BlockEditor barred;
    barred.edit.SetWordWrap(false);
    barred.edit.SetShowLineNumber(true);
    barred.edit.SetVertScrollBar(true);
    barred.edit.RefreshLayout();
    int userDrawRight = 0;
    barred.edit.OnUserDraw = [&](TVelEdit&, int, int, int, int x2) { userDrawRight = x2; };
    barred.showText(numberedLines(100000));
    ASSERT_GT(barred.edit.VertBarWidth, 0);
    EXPECT_EQ(barred.edit.TextLeft, 67);
    const int clientWidth = barred.edit.Canvas().size().width();
    EXPECT_EQ(clientWidth, 400 - barred.edit.VertBarWidth);
    EXPECT_EQ(barred.edit.TextLeft + barred.edit.TextAreaWidth, clientWidth);
    EXPECT_EQ(userDrawRight, clientWidth);
}

namespace {

// Runs random scrolls, caret moves and mouse selections (the pointer held anywhere,
// inside or outside the control, for a few timer ticks); after each, once pending
// repaints ran, the picture must equal a fresh full repaint of the same state.
void expectFreshPictureAfterRandomMoves(BlockEditor& ed, unsigned seed) {
    ed.edit.SetHorzScrollBar(true);
    ed.edit.SetColumn(30);
    ed.edit.RefreshLayout();
    std::string text;
    for (int i = 0; i < 120; ++i) {
        text += std::string(static_cast<size_t>(i * 7 % 50), 'a') + "\x88\x9F\tb " +
                std::to_string(i) + (i % 3 == 0 ? "\r\n\r\n" : "\r\n");
    }
    ed.showText(text);
    std::mt19937 random(seed);
    for (int step = 0; step < 200; ++step) {
        const int count = ed.edit.Lines().Count();
        switch (random() % 8) {
        case 0:
            ed.edit.VertScroll(static_cast<int>(random() % 9), static_cast<int>(random() % 200));
            break;
        case 1:
            ed.edit.HorzScroll(static_cast<int>(random() % 6), static_cast<int>(random() % 400));
            break;
        case 2:
            // Callers place the caret this way only once a selection is gone.
            if (ed.edit.HasSelection()) {
                ed.edit.ClearSelection();
            }
            ed.edit.SetCaret(static_cast<int>(random() % 60), static_cast<int>(random() % count),
                             random() % 2 == 0 ? 0 : 2, true, true);
            break;
        case 3:
            ed.edit.MoveCaretTo(static_cast<int>(random() % 60), static_cast<int>(random() % count),
                                0);
            break;
        case 4:
            ed.edit.MouseWheel(static_cast<int>(random() % 5) * 120 - 240);
            break;
        case 5:
        case 6: {
            const auto anywhere = [&] {
                return QPoint(static_cast<int>(random() % 480) - 40,
                              static_cast<int>(random() % 280) - 40);
            };
            pressAt(ed.edit, QPoint(static_cast<int>(random() % 400), 40));
            const QPoint to = anywhere();
            moveTo(ed.edit, to);
            for (unsigned tick = random() % 8; tick > 0; --tick) {
                ed.edit.TimerTick();
            }
            releaseAt(ed.edit, to);
            break;
        }
        default:
            ed.edit.MoveCaretLines(static_cast<int>(random() % 21) - 10);
            break;
        }
        QApplication::processEvents();
        const QImage seen = ed.image();
        ed.edit.RedrawAll();
        const std::string difference = describeDifference(seen, ed.image());
        ASSERT_EQ(difference, "") << "after step " << step;
    }
}

} // namespace

TEST(VelEditScroll, AfterAnyScrollsAndCaretMovesThePictureIsAFreshRepaint) {
    BlockEditor underlined;
    underlined.edit.SetShowUnderLine(true);
    expectFreshPictureAfterRandomMoves(underlined, 5);
    BlockEditor numbered;
    numbered.edit.SetShowLineNumber(true);
    expectFreshPictureAfterRandomMoves(numbered, 7);
}

TEST(VelEditScroll, ResizingReWrapsOncePerTurnForTheLatestSize) {
    const std::string text = std::string(150, 'a') + "\r\n" + std::string(90, 'b');
    BlockEditor ed;
    ed.edit.SetAutoWrap(true);
    ed.edit.RefreshLayout();
    ed.showText(text);
    const int rowsAt400 = ed.edit.Lines().Count();
    ed.edit.resize(300, 200);
    ed.edit.resize(250, 200);
    EXPECT_EQ(ed.edit.Lines().Count(), rowsAt400) << "not yet re-wrapped";
    QApplication::processEvents();

    BlockEditor fresh(QSize(250, 200));
    fresh.edit.SetAutoWrap(true);
    fresh.edit.RefreshLayout();
    fresh.showText(text);
    ASSERT_GT(fresh.edit.Lines().Count(), rowsAt400);
    ASSERT_EQ(ed.edit.Lines().Count(), fresh.edit.Lines().Count());
    for (int i = 0; i < fresh.edit.Lines().Count(); ++i) {
        EXPECT_EQ(ed.edit.Lines().Get(i), fresh.edit.Lines().Get(i)) << "row " << i;
    }
    EXPECT_EQ(describeDifference(ed.image(), fresh.image()), "");
}
