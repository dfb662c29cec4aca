#include <gtest/gtest.h>

#include "editor/VelEditTestSupport.h"
#include "platform/Caret.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPalette>

#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::test::allPixels;
using lumarik::test::BlockEditor;
using lumarik::test::countPixels;
using lumarik::test::describeDifference;
using lumarik::test::firstDifference;
using lumarik::test::inkBounds;
using lumarik::test::PixelSet;
using lumarik::test::pixelsOf;
using lumarik::test::qColor;
using lumarik::test::RealFontEditor;
using lumarik::test::rowsWith;

namespace {

const QColor kPaper = qColor(clWhite);
const QColor kInk = qColor(clBlack);
const QColor kMark = qColor(clTeal);
const QColor kLink = qColor(0xFF0000);
const QColor kQuote = qColor(clGray);
const QColor kUnderline = qColor(BlockEditor::kUnderlineColor);
// Painted over parts of the image to see that a repaint covers them.
const QColor kJunk = qColor(0x00FFFF);

constexpr int kCell = BlockEditor::kCellWidth;
constexpr int kFontHeight = BlockEditor::kCellHeight;

const std::string kDoubleByteSpace = "\x81\x40";

// The downward line-end arrow of a row whose text ends at x, row top y.
PixelSet lineEndArrow(const TVelEdit& edit, int x, int y) {
    PixelSet pixels;
    const int bottom = y + edit.CRMarkBottom;
    for (int v = y + edit.CRMarkTop; v <= bottom; ++v) {
        pixels.emplace(x + 4, v);
    }
    for (int d = 1; d <= 2; ++d) {
        pixels.emplace(x + 4 - d, bottom - d);
        pixels.emplace(x + 4 + d, bottom - d);
    }
    return pixels;
}

// The right-pointing tab arrow that starts at x1 on the middle line ym.
PixelSet tabArrow(int x1, int ym) {
    PixelSet pixels;
    for (int x = x1; x <= x1 + 6; ++x) {
        pixels.emplace(x, ym);
    }
    for (int d = 1; d <= 2; ++d) {
        pixels.emplace(x1 + 6 - d, ym - d);
        pixels.emplace(x1 + 6 - d, ym + d);
    }
    return pixels;
}

// The pixels of the dotted box of a double-byte space ending at xEnd, in the order
// they are walked: right side down, bottom leftwards, left side up, top rightwards.
std::vector<QPoint> boxWalk(const TVelEdit& edit, int xEnd, int y) {
    const int right = xEnd - 3;
    const int left = xEnd - edit.DblSpaceWidth + 3;
    const int top = y + 2;
    const int bottom = y + edit.DblSpaceHeight - 2;
    std::vector<QPoint> walk;
    for (int v = top; v < bottom; ++v) {
        walk.emplace_back(right, v);
    }
    for (int x = right; x > left; --x) {
        walk.emplace_back(x, bottom);
    }
    for (int v = bottom; v > top; --v) {
        walk.emplace_back(left, v);
    }
    for (int x = left; x < right; ++x) {
        walk.emplace_back(x, top);
    }
    return walk;
}

void expectSameImage(const QImage& actual, const QImage& expected, const std::string& what) {
    EXPECT_FALSE(firstDifference(actual, expected).has_value())
        << what << ": " << describeDifference(actual, expected);
}

// The whole row band of a display line: glyph cells and the gap below them.
QRect rowBand(const BlockEditor& ed, int line) {
    return {0, ed.rowTop(line), ed.edit.width(), ed.edit.LinePitch};
}

} // namespace

TEST(VelEditPaint, TextRowsAreSolidCellsInTheFontColour) {
    BlockEditor ed;
    ed.showText("ab\r\nxyz");
    const QImage image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 2), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 3), kInk));
    EXPECT_EQ(countPixels(image, image.rect(), kInk), 5 * kCell * kFontHeight);
    // The top margin, the gaps between rows and everything below the text are paper.
    EXPECT_TRUE(allPixels(image, QRect(0, 0, 400, 4), kPaper));
    EXPECT_TRUE(allPixels(image, QRect(0, 20, 400, 4), kPaper));
    EXPECT_TRUE(allPixels(image, QRect(0, 40, 400, 160), kPaper));
    EXPECT_TRUE(allPixels(image, QRect(0, 0, 10, 200), kPaper)) << "left margin";
    // Only the line-end arrow and "[EOF]" are marks.
    EXPECT_EQ(countPixels(image, image.rect(), kMark), 15 + 5 * kCell * kFontHeight);

    // Text in the font's colour on the control's colour.
    TEditFont font = ed.edit.Font();
    font.Color = 0x00FF00;
    ed.edit.SetFont(font);
    ed.edit.SetColor(0xCCCCCC);
    const QImage recoloured = ed.image();
    EXPECT_TRUE(allPixels(recoloured, ed.cells(0, 0, 2), qColor(0x00FF00)));
    EXPECT_EQ(countPixels(recoloured, recoloured.rect(), kInk), 0);
    EXPECT_EQ(countPixels(recoloured, recoloured.rect(), kPaper), 0);
    EXPECT_TRUE(allPixels(recoloured, QRect(0, 40, 400, 160), qColor(0xCCCCCC)));
}

// What lies outside the canvas: BorderStyle bsSingle's sunken edge around the client
// area, and the corner between two shown scroll bars.
TEST(VelEditPaint, TheWidgetFramesItsPictureWithTheBorderAndTheBarCorner) {
    BlockEditor ed;
    lumarik::test::giveFocus(ed.edit);
    ed.showText("ab\r\nxyz");
    const QImage plain = ed.edit.grab().toImage();
    EXPECT_EQ(plain.pixel(0, 0), kPaper.rgb()) << "bsNone draws no edge";

    ed.edit.SetBorderStyle(TBorderStyle::bsSingle);
    ed.edit.RedrawAll();
    QCoreApplication::processEvents();
    EXPECT_EQ(ed.edit.Canvas().size(), QSize(396, 196)) << "the client area lies inside the edge";
    const QImage framed = ed.edit.grab().toImage();
    const QPalette palette = ed.edit.palette();
    EXPECT_EQ(framed.pixel(0, 0), palette.color(QPalette::Dark).rgb());
    EXPECT_EQ(framed.pixel(1, 1), palette.color(QPalette::Shadow).rgb());
    EXPECT_EQ(framed.pixel(399, 199), palette.color(QPalette::Light).rgb());
    EXPECT_EQ(framed.pixel(398, 198), palette.color(QPalette::Midlight).rgb());
    // The picture is the canvas, moved inside the edge, and so is the caret over it.
    const QRect caret = lumarik::platform::Caret::application().rect();
    EXPECT_EQ(caret.topLeft(), QPoint(2 + ed.edit.TextLeft, 2 + ed.edit.TopMargin()));
    QImage inside = framed.copy(2, 2, 396, 196).convertToFormat(QImage::Format_RGB32);
    QImage canvas = ed.image();
    for (QImage* image : {&inside, &canvas}) {
        QPainter(image).fillRect(caret.translated(-2, -2), kJunk);
    }
    EXPECT_EQ(describeDifference(inside, canvas), "");

    ed.edit.SetVertScrollBar(true);
    ed.edit.SetHorzScrollBar(true);
    ed.edit.RefreshLayout();
    QCoreApplication::processEvents();
    const QImage barred = ed.edit.grab().toImage();
    const QPoint corner(397 - ed.edit.SysVertBarWidth / 2, 197 - ed.edit.SysHorzBarHeight / 2);
    EXPECT_EQ(barred.pixel(corner), palette.color(QPalette::Window).rgb());
}

TEST(VelEditPaint, EmptyTextShowsEofAtTextLeft) {
    BlockEditor ed;
    ed.showText("");
    QImage image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 5), kMark));
    EXPECT_EQ(countPixels(image, image.rect(), kMark), 5 * kCell * kFontHeight);
    EXPECT_EQ(countPixels(image, image.rect(), kInk), 0);

    // "[EOF]" follows the last row's text.
    ed.showText("abc");
    image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 3, 5), kMark));

    ed.edit.SetShowEOF(false);
    ed.edit.RedrawAll();
    image = ed.image();
    EXPECT_EQ(countPixels(image, image.rect(), kMark), 0);
    EXPECT_TRUE(allPixels(image, QRect(ed.cells(0, 3, 5).topLeft(), QSize(200, 16)), kPaper));

    // With line numbers the empty text's one row is numbered "1".
    ed.edit.SetShowEOF(true);
    ed.edit.SetShowLineNumber(true);
    ed.edit.RefreshLayout();
    ed.showText("");
    image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 5), kMark));
    EXPECT_TRUE(allPixels(image, QRect(ed.edit.TextLeft - 7 - kCell, 4, kCell, 16), kMark));
}

TEST(VelEditPaint, LineEndArrowStandsRightOfTheText) {
    BlockEditor ed;
    ed.showText("abc\r\n\r\nd");
    const QImage image = ed.image();
    const int textLeft = ed.edit.TextLeft;
    EXPECT_EQ(pixelsOf(image, rowBand(ed, 0), kMark),
              lineEndArrow(ed.edit, textLeft + 3 * kCell, ed.rowTop(0)));
    // An empty line has its arrow at the text's left edge.
    EXPECT_EQ(pixelsOf(image, rowBand(ed, 1), kMark),
              lineEndArrow(ed.edit, textLeft, ed.rowTop(1)));

    // A continuation row has no mark; the row that ends the line has one.
    ed.edit.SetColumn(10);
    ed.showText(std::string(15, 'a') + "\r\nb");
    const QImage wrapped = ed.image();
    ASSERT_EQ(ed.edit.Lines().Get(0), std::string(10, 'a'));
    EXPECT_EQ(countPixels(wrapped, rowBand(ed, 0), kMark), 0);
    EXPECT_EQ(pixelsOf(wrapped, rowBand(ed, 1), kMark),
              lineEndArrow(ed.edit, textLeft + 5 * kCell, ed.rowTop(1)));

    ed.edit.SetShowCR(false);
    ed.edit.RedrawAll();
    EXPECT_EQ(countPixels(ed.image(), rowBand(ed, 1), kMark), 0);
}

TEST(VelEditPaint, TabArrowsMarkTheFirstHundredTabs) {
    BlockEditor ed;
    ed.edit.SetShowTAB(true);
    ed.edit.SetTabCount(4);
    ed.showText("\tab\r\nx\ty\r\n");
    QImage image = ed.image();
    const int textLeft = ed.edit.TextLeft;
    const int ym = ed.rowTop(0) + kFontHeight / 2;
    // The arrow spans the first of the four spaces only.
    EXPECT_EQ(pixelsOf(image, ed.cells(0, 0, 6), kMark), tabArrow(textLeft + 1, ym));
    EXPECT_TRUE(allPixels(image, ed.cells(0, 1, 5), kInk));
    // A tab after "x" expands to three spaces; its arrow starts after the "x".
    EXPECT_EQ(pixelsOf(image, ed.cells(1, 0, 5), kMark),
              tabArrow(textLeft + kCell + 1, ed.rowTop(1) + kFontHeight / 2));

    // On a selected background the arrow takes the inverse colour, also when the
    // double-byte-space marks are off.
    ed.edit.SetShowDblSpace(false);
    ed.edit.DrawMarks(ed.cells(0, 0, 6), textLeft, {0}, true, "    ab", ed.rowTop(0));
    EXPECT_EQ(pixelsOf(ed.image(), ed.cells(0, 0, 6), qColor(InvertColor(clTeal))),
              tabArrow(textLeft + 1, ym));

    ed.edit.SetShowTAB(false);
    ed.edit.RedrawAll();
    image = ed.image();
    EXPECT_EQ(countPixels(image, ed.cells(0, 0, 6), kMark), 0);
    EXPECT_EQ(countPixels(image, ed.cells(1, 0, 5), kMark), 0);

    // 101 tabs one cell each: the last one has no arrow.
    BlockEditor wide(QSize(1000, 100));
    wide.edit.SetWordWrap(false);
    wide.edit.SetShowTAB(true);
    wide.edit.SetTabCount(1);
    wide.showText(std::string(101, '\t') + "\r\n");
    image = wide.image();
    PixelSet arrows;
    for (int tab = 0; tab < 100; ++tab) {
        arrows.merge(tabArrow(wide.edit.TextLeft + tab * kCell + 1, wide.rowTop(0) + 8));
    }
    EXPECT_EQ(pixelsOf(image, wide.cells(0, 0, 101), kMark), arrows);
    EXPECT_TRUE(allPixels(image, wide.cells(0, 100, 1), kInk));
}

TEST(VelEditPaint, DoubleByteSpacesGetDottedBoxes) {
    BlockEditor ed;
    ed.showText("a" + kDoubleByteSpace + "b\r\n");
    QImage image = ed.image();
    const int xEnd = ed.edit.TextLeft + 3 * kCell;
    const std::vector<QPoint> walk = boxWalk(ed.edit, xEnd, ed.rowTop(0));
    ASSERT_EQ(walk.size(), 44u);
    // One pixel on, one off, all the way round; nothing inside or outside the box.
    int on = 0;
    for (size_t i = 0; i < walk.size(); ++i) {
        const QColor expected = (i % 2 == 0) ? kMark : kInk;
        EXPECT_EQ(image.pixelColor(walk[i]), expected) << "pixel " << i << " of the walk";
        on += image.pixelColor(walk[i]) == kMark ? 1 : 0;
    }
    EXPECT_EQ(on, 22);
    EXPECT_EQ(countPixels(image, ed.cells(0, 0, 4), kMark), 22);

    // Two spaces in a row get two boxes.
    ed.showText(kDoubleByteSpace + kDoubleByteSpace + "\r\n");
    EXPECT_EQ(countPixels(ed.image(), ed.cells(0, 0, 4), kMark), 44);

    // Bytes 0x81 0x40 that are not a character of their own (here a trail byte and
    // "@") are no space.
    ed.showText("\x88\x81\x40\r\n");
    EXPECT_EQ(countPixels(ed.image(), ed.cells(0, 0, 3), kMark), 0);

    ed.showText(kDoubleByteSpace + "\r\n");
    ed.edit.SetSingleByteMode(true);
    ed.edit.RedrawAll();
    EXPECT_EQ(countPixels(ed.image(), ed.cells(0, 0, 2), kMark), 0);
    ed.edit.SetSingleByteMode(false);
    ed.edit.SetShowDblSpace(false);
    ed.edit.RedrawAll();
    EXPECT_EQ(countPixels(ed.image(), ed.cells(0, 0, 2), kMark), 0);
}

TEST(VelEditPaint, QuoteRowsAreDrawnInInyoColor) {
    BlockEditor ed;
    ed.showText(">quoted\r\nplain\r\n >not\r\n");
    QImage image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 7), kQuote));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 5), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(2, 0, 5), kInk));
    EXPECT_EQ(countPixels(image, image.rect(), kQuote), 7 * kCell * kFontHeight);

    // Each display row is judged by its own first character.
    ed.edit.SetColumn(10);
    ed.showText(">" + std::string(14, 'a') + "\r\n" + std::string(10, 'b') + ">cd\r\n");
    image = ed.image();
    ASSERT_EQ(ed.edit.Lines().Get(3), ">cd\r\n");
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 10), kQuote));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 5), kInk)) << "continuation of a quote";
    EXPECT_TRUE(allPixels(image, ed.cells(2, 0, 10), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(3, 0, 3), kQuote)) << "continuation starting with >";

    // Inyostr is a set of characters, double-byte ones included ("＞" is 0x81 0x84).
    ed.edit.SetColumn(72);
    ed.edit.SetInyostr("#\x81\x84");
    ed.showText("#a\r\n\x81\x84"
                "b\r\n>c\r\n");
    image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 2), kQuote));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 3), kQuote));
    EXPECT_TRUE(allPixels(image, ed.cells(2, 0, 2), kInk));

    // A leading tab counts as the space it expands to.
    ed.edit.SetInyostr(" ");
    ed.showText("\tx\r\n");
    EXPECT_EQ(countPixels(ed.image(), ed.cells(0, 0, 6), kQuote), 6 * kCell * kFontHeight);
}

TEST(VelEditPaint, LinksAreDrawnInUrlColor) {
    BlockEditor ed;
    ed.showText("see http://x.jp/ ok\r\nMAILTO:A@B.JP\r\nme@example.jp\r\n");
    QImage image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 4), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(0, 4, 12), kLink));
    EXPECT_TRUE(allPixels(image, ed.cells(0, 16, 3), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 13), kLink)) << "prefix in capitals";
    EXPECT_EQ(countPixels(image, rowBand(ed, 2), kLink), 0) << "no prefix, no link";
    // Links are only recoloured text: the gap under the row stays paper.
    EXPECT_EQ(rowsWith(image, image.rect(), kLink), [&] {
        std::vector<int> rows;
        for (int y = 0; y < kFontHeight; ++y) {
            rows.push_back(ed.rowTop(0) + y);
        }
        for (int y = 0; y < kFontHeight; ++y) {
            rows.push_back(ed.rowTop(1) + y);
        }
        return rows;
    }());

    // A link cut by the wrap goes on at the start of the next row, up to the space.
    ed.edit.SetColumn(10);
    ed.showText("http://abcdefghijkl more\r\n");
    image = ed.image();
    ASSERT_EQ(ed.edit.Lines().Get(1), "defghijkl ");
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 10), kLink));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 9), kLink));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 9, 1), kInk));
    EXPECT_EQ(countPixels(image, rowBand(ed, 2), kLink), 0);
}

TEST(VelEditPaint, ColorPrintOffDrawsNeitherLinksNorQuotes) {
    BlockEditor ed;
    ed.edit.SetColorPrintF(false);
    ed.showText(">quoted http://x.jp/\r\nsee http://x.jp/\r\n");
    const QImage image = ed.image();
    EXPECT_EQ(countPixels(image, image.rect(), kQuote), 0);
    EXPECT_EQ(countPixels(image, image.rect(), kLink), 0);
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 20), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 16), kInk));
}

TEST(VelEditPaint, GutterShowsRightAlignedNumbersAndARule) {
    BlockEditor ed(QSize(400, 4 + 12 * 20));
    ed.edit.SetShowLineNumber(true);
    ed.edit.RefreshLayout();
    std::string text;
    for (int i = 1; i <= 12; ++i) {
        text += "line\r\n";
    }
    text.resize(text.size() - 2);
    ed.showText(text);
    ASSERT_EQ(ed.edit.VisibleLines, 12);
    const QImage image = ed.image();
    const int textLeft = ed.edit.TextLeft;
    ASSERT_EQ(textLeft, 10 + 5 * kCell + 7);

    int gutterMarks = 0;
    for (int line = 0; line < 12; ++line) {
        const int digits = line + 1 < 10 ? 1 : 2;
        const int y = ed.rowTop(line);
        // The number ends 7 pixels left of the text.
        EXPECT_TRUE(
            allPixels(image, QRect(textLeft - 7 - digits * kCell, y, digits * kCell, 16), kMark))
            << "number " << line + 1;
        EXPECT_TRUE(allPixels(image, QRect(textLeft - 7, y, 3, 16), kPaper));
        EXPECT_TRUE(allPixels(image, QRect(0, y, textLeft - 7 - digits * kCell, 16), kPaper));
        gutterMarks += digits * kCell * kFontHeight;
    }
    // The rule stands 4 pixels left of the text, from the top margin to the last
    // row's glyph bottom.
    const int ruleBottom = ed.rowTop(11) + kFontHeight;
    EXPECT_TRUE(allPixels(image, QRect(textLeft - 4, 4, 1, ruleBottom - 4), kMark));
    EXPECT_EQ(image.pixelColor(textLeft - 4, 3), kPaper);
    EXPECT_EQ(image.pixelColor(textLeft - 4, ruleBottom), kPaper);
    gutterMarks += ruleBottom - 4;
    EXPECT_EQ(countPixels(image, QRect(0, 0, textLeft, image.height()), kMark), gutterMarks);
    EXPECT_TRUE(allPixels(image, QRect(textLeft - 3, 0, 3, image.height()), kPaper));

    // Every display row has its own number: a line wrapped into three rows uses three.
    ed.edit.SetColumn(10);
    ed.showText(std::string(25, 'a'));
    const QImage wrapped = ed.image();
    ASSERT_EQ(ed.edit.Lines().Count(), 3);
    for (int line = 0; line < 3; ++line) {
        EXPECT_TRUE(
            allPixels(wrapped, QRect(textLeft - 7 - kCell, ed.rowTop(line), kCell, 16), kMark));
    }
    EXPECT_EQ(countPixels(wrapped, QRect(0, ed.rowTop(3), textLeft - 5, 100), kMark), 0);
}

TEST(VelEditPaint, CaretLineUnderline) {
    BlockEditor ed;
    ed.showText("ab\r\ncd\r\nef");
    EXPECT_EQ(countPixels(ed.image(), ed.image().rect(), kUnderline), 0) << "off by default";

    ed.edit.SetShowUnderLine(true);
    ed.edit.CaretLine = 1;
    ed.edit.RedrawAll();
    QImage image = ed.image();
    // The first pixel row under the caret line's glyphs, from the left margin on.
    const int y = ed.rowTop(1) + kFontHeight;
    EXPECT_EQ(rowsWith(image, image.rect(), kUnderline), std::vector<int>{y});
    EXPECT_TRUE(allPixels(image, QRect(10, y, 390, 1), kUnderline));
    EXPECT_EQ(image.pixelColor(9, y), kPaper);
    EXPECT_EQ(ed.edit.UnderlinedLine, 1);

    // Moving it leaves the same picture as drawing the new caret line afresh, also
    // where it crosses the gutter rule.
    ed.edit.SetShowLineNumber(true);
    ed.edit.RefreshLayout();
    ed.edit.RedrawAll();
    ed.edit.MoveCaretUnderline(1, 2);
    ed.edit.CaretLine = 2;
    image = ed.image();
    EXPECT_EQ(ed.edit.UnderlinedLine, 2);
    EXPECT_EQ(image.pixelColor(ed.edit.TextLeft - 4, y), kMark) << "rule pixel restored";
    ed.edit.RedrawAll();
    expectSameImage(image, ed.image(), "moved underline");

    // Erasing restores the paper and the rule, which ends with the last row's glyphs:
    // the picture equals a full redraw without the underline.
    ed.edit.DrawCaretUnderline(2, false);
    image = ed.image();
    EXPECT_EQ(countPixels(image, image.rect(), kUnderline), 0);
    ed.edit.SetShowUnderLine(false);
    ed.edit.RedrawAll();
    expectSameImage(image, ed.image(), "erased underline");
    ed.edit.SetShowUnderLine(true);

    // No underline while a selection is shown.
    ed.edit.SelActive = true;
    ed.edit.DrawCaretUnderline(0, true);
    EXPECT_EQ(countPixels(ed.image(), ed.image().rect(), kUnderline), 0);
}

TEST(VelEditPaint, NoUnderlineWhileTheCaretLineIsScrolledAway) {
    // With and without a gap between rows.
    for (int rowGap : {4, 0}) {
        BlockEditor ed;
        ed.edit.SetLineSpace(rowGap);
        ed.edit.SetShowUnderLine(true);
        std::string text;
        for (int i = 0; i < 20; ++i) {
            text += "row\r\n";
        }
        ed.showText(text);
        ed.edit.TopLine = 5;
        ed.edit.CaretLine = 4; // the line right above the view
        ed.edit.RedrawAll();
        EXPECT_EQ(countPixels(ed.image(), ed.image().rect(), kUnderline), 0)
            << "RedrawAll drew the underline of a line above the view, row gap " << rowGap;
        ed.edit.RedrawLines(0, 0, 0);
        EXPECT_EQ(countPixels(ed.image(), ed.image().rect(), kUnderline), 0)
            << "RedrawLines drew the underline of a line above the view, row gap " << rowGap;
    }
}

TEST(VelEditPaint, UserDrawEventsGetTheVisibleRange) {
    BlockEditor ed;
    ed.edit.SetWordWrap(false);
    std::string text;
    for (int i = 0; i < 20; ++i) {
        text += "row\r\n";
    }
    ed.showText(text);

    struct UserDraw {
        int c1, c2, x1, x2;
    };
    std::vector<UserDraw> userDraws;
    ed.edit.OnUserDraw = [&](TVelEdit& edit, int c1, int c2, int x1, int x2) {
        userDraws.push_back({c1, c2, x1, x2});
        // A handler may draw into the top margin (it was cleared before) and leave
        // the canvas in any state.
        edit.Canvas().fillRect(QRect(0, 0, 400, 4), kJunk);
        edit.Canvas().setPen(kJunk, 3);
        edit.Canvas().setBrush(kJunk);
    };
    struct ClientDraw {
        int x1, x2, l1, l2;
        bool rowsDrawn;
    };
    std::vector<ClientDraw> clientDraws;
    ed.edit.OnUserClientDraw = [&](TVelEdit& edit, int x1, int x2, int l1, int l2) {
        const bool drawn = edit.Canvas().pixel(ed.cells(l1, 0, 1).topLeft()) == kInk;
        clientDraws.push_back({x1, x2, l1, l2, drawn});
    };

    ed.edit.TopLine = 3;
    ed.edit.HorzOffset = 0;
    ed.edit.RedrawAll();
    ASSERT_EQ(userDraws.size(), 1u);
    EXPECT_EQ(userDraws[0].c1, 1);
    EXPECT_EQ(userDraws[0].c2, 50); // 400 / 8, below MaxColumns
    EXPECT_EQ(userDraws[0].x1, ed.edit.TextLeft);
    EXPECT_EQ(userDraws[0].x2, 400);
    ASSERT_EQ(clientDraws.size(), 1u);
    EXPECT_EQ(clientDraws[0].x1, ed.edit.TextLeft);
    EXPECT_EQ(clientDraws[0].x2, 400);
    EXPECT_EQ(clientDraws[0].l1, 3);
    EXPECT_EQ(clientDraws[0].l2, 3 + 9 - 1);
    EXPECT_TRUE(clientDraws[0].rowsDrawn);
    EXPECT_TRUE(allPixels(ed.image(), QRect(0, 0, 400, 4), kJunk));
    EXPECT_EQ(ed.edit.Canvas().penColor(), kMark) << "canvas reset after the handler";
    EXPECT_EQ(ed.edit.Canvas().penWidth(), 1);
    EXPECT_EQ(ed.edit.Canvas().brush(), kPaper);

    // Columns round to the nearest, halves to even: 20 / 8 = 2.5 and 420 / 8 = 52.5.
    ed.edit.HorzOffset = 20;
    ed.edit.RedrawAll();
    EXPECT_EQ(userDraws.back().c1, 2);
    EXPECT_EQ(userDraws.back().c2, 52);
    ed.edit.HorzOffset = 12; // 1.5 and 51.5
    ed.edit.RedrawAll();
    EXPECT_EQ(userDraws.back().c1, 2);
    EXPECT_EQ(userDraws.back().c2, 52);
    // With word wrap the last column is at most Column.
    ed.edit.HorzOffset = 0;
    ed.edit.SetWordWrap(true);
    ed.edit.SetColumn(10);
    ed.edit.RedrawAll();
    EXPECT_EQ(userDraws.back().c2, 10);

    // Near the end of the text the last line is the last row.
    ed.edit.TopLine = 15;
    clientDraws.clear();
    ed.edit.RedrawLines(0, 0, 0);
    ASSERT_EQ(clientDraws.size(), 1u);
    EXPECT_EQ(clientDraws[0].l1, 15);
    EXPECT_EQ(clientDraws[0].l2, ed.edit.Lines().Count() - 1);
}

TEST(VelEditPaint, PaintRaisesOnPaintAfterDrawing) {
    BlockEditor ed;
    ed.showText("abc");
    int paints = 0;
    ed.edit.OnPaint = [&](TVelEdit& edit) {
        ++paints;
        EXPECT_EQ(edit.Canvas().pixel(ed.cells(0, 0, 1).topLeft()), kInk);
    };
    ed.edit.Canvas().fillRect(ed.edit.Canvas().rect(), kJunk);
    ed.edit.Paint();
    EXPECT_EQ(paints, 1);

    // A change of size repaints through one posted paint.
    ed.edit.resize(420, 200);
    ed.edit.resize(440, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(countPixels(ed.image(), ed.image().rect(), kJunk), 0);
}

namespace {

// A text with every kind of mark, quote rows and a link wrapped over three rows.
std::string richText() {
    std::string text;
    for (int i = 0; i < 3; ++i) {
        text += "plain\trow\r\n";
        text += ">quote " + kDoubleByteSpace + " x\r\n";
        text += "go http://example.jp/a/long/path end\r\n";
        text += "\r\n";
        text += kDoubleByteSpace + "\tw\x93\xFA\r\n";
    }
    return text + "last";
}

BlockEditor& richEditor(BlockEditor& ed) {
    ed.edit.SetShowTAB(true);
    ed.edit.SetShowLineNumber(true);
    ed.edit.SetShowUnderLine(true);
    ed.edit.RefreshLayout();
    ed.edit.SetColumn(16);
    ed.showText(richText());
    return ed;
}

} // namespace

TEST(VelEditPaint, RedrawLinesMatchesAFullRedraw) {
    BlockEditor ed;
    richEditor(ed);
    ASSERT_GT(ed.edit.Lines().Count(), 20);
    ed.edit.TopLine = 2;
    ed.edit.CaretLine = 4;
    const int width = ed.edit.width();
    const int textLeft = ed.edit.TextLeft;
    const int gap = ed.edit.LinePitch - ed.edit.FontHeight;

    struct Case {
        int mode, a, b, first, last;
    };
    const int bottom = 2 + ed.edit.VisibleLines - 1;
    const std::vector<Case> cases = {
        {0, 0, 0, 2, bottom},   {1, 0, 0, 3, bottom}, {2, 0, 0, 4, bottom}, {3, 6, 0, 6, bottom},
        {3, 0, 0, 2, bottom},   {4, 0, 0, 4, 4},      {5, 0, 0, 5, bottom}, {6, 3, 5, 3, 5},
        {6, 0, 100, 2, bottom}, {6, 7, 7, 7, 7},
    };
    for (int scroll : {0, 12}) {
        ed.edit.HorzOffset = scroll;
        ed.edit.RedrawAll();
        const QImage reference = ed.image();
        for (const Case& c : cases) {
            // Spoil the rows the mode covers (not the gutter under the last one, which
            // no row owns), then redraw them.
            const int top = ed.rowTop(c.first);
            const int lastTop = ed.rowTop(c.last);
            ed.edit.Canvas().fillRect(QRect(0, top, width, lastTop + kFontHeight - top), kJunk);
            ed.edit.Canvas().fillRect(QRect(textLeft, lastTop + kFontHeight, width, gap), kJunk);
            ed.edit.RedrawLines(c.mode, c.a, c.b);
            expectSameImage(ed.image(), reference,
                            "RedrawLines(" + std::to_string(c.mode) + ", " + std::to_string(c.a) +
                                ", " + std::to_string(c.b) + "), scrolled " +
                                std::to_string(scroll));
        }
    }

    // A short text: the modes that run to the bottom also clear below the text.
    BlockEditor small;
    small.showText("one\r\n>two\r\nthree");
    small.edit.CaretLine = 1;
    small.edit.RedrawAll();
    const QImage shortReference = small.image();
    for (int mode : {0, 2, 3}) {
        small.edit.Canvas().fillRect(QRect(0, small.rowTop(1), width, 200), kJunk);
        small.edit.RedrawLines(mode, 1, 0);
        expectSameImage(small.image(), shortReference, "short text, mode " + std::to_string(mode));
    }
}

namespace {

// A row with a tab, a double-byte space, a link and a double-byte character, shown
// with tab marks and line numbers.
const std::string kMarkedRow = "a\tb" + kDoubleByteSpace + " http://x.jp/ c\x93\xFA\r\n";

void showMarkedRow(BlockEditor& ed) {
    ed.edit.SetShowTAB(true);
    ed.edit.SetShowLineNumber(true);
    ed.edit.RefreshLayout();
    ed.showText("first\r\n" + kMarkedRow + "last");
}

// Spoils a display line (the marked row unless told) from x on and draws it again from
// there, as typing does.
void redrawMarkedRowFrom(BlockEditor& ed, int x, int line = 1) {
    const int left = ed.edit.TextLeft + x - 1;
    ed.edit.Canvas().fillRect(
        QRect(left, ed.rowTop(line), ed.edit.width() - left, ed.edit.LinePitch), kJunk);
    ed.edit.DrawLine(x, ed.rowTop(line) - ed.edit.TopMargin(), ed.edit.Lines().Get(line));
    ed.edit.DrawLinks(line, line, nullptr);
}

const std::vector<int> kOffsets = {0, 1, 7, 8, 13, 49, 60, 100, 150, 170, 176, 180, 300};

} // namespace

TEST(VelEditPaint, DrawLineFromAnOffsetMatchesAFullRedraw) {
    BlockEditor ed;
    showMarkedRow(ed);
    ASSERT_EQ(ed.edit.Lines().Get(1), kMarkedRow);
    const QImage reference = ed.image();
    for (int x : kOffsets) {
        ed.edit.RedrawAll();
        redrawMarkedRowFrom(ed, x);
        expectSameImage(ed.image(), reference, "DrawLine from x " + std::to_string(x));
    }
}

TEST(VelEditPaint, DrawLineOfAScrolledRowLeavesTheGutterAlone) {
    BlockEditor ed;
    showMarkedRow(ed);
    // Scrolled a little, and so far that the marked row's line-end arrow or the last
    // row's [EOF] stands across TextLeft or wholly left of it.
    for (const int scroll : {12, 20, 44, 64, 220, 228, 236}) {
        ed.edit.HorzOffset = scroll;
        ed.edit.RedrawAll();
        const QImage reference = ed.image();
        const QRect gutter(0, 0, ed.edit.TextLeft, reference.height());
        for (const int line : {1, 2}) {
            for (const int x : kOffsets) {
                ed.edit.RedrawAll();
                redrawMarkedRowFrom(ed, x, line);
                const QImage image = ed.image();
                const std::string what = "row " + std::to_string(line) + " scrolled " +
                                         std::to_string(scroll) + ", DrawLine from x " +
                                         std::to_string(x);
                // A scrolled row's text and marks start left of TextLeft; a full redraw
                // paints the gutter over them, a redraw of the row alone must not reach it.
                EXPECT_FALSE(
                    firstDifference(image.copy(gutter), reference.copy(gutter)).has_value())
                    << what << " painted into the gutter: "
                    << describeDifference(image.copy(gutter), reference.copy(gutter));
                const QRect textArea(gutter.width(), 0, image.width() - gutter.width(),
                                     image.height());
                expectSameImage(image.copy(textArea), reference.copy(textArea), what);
            }
        }
    }
}

TEST(VelEditPaint, AScrolledRowShowsTheSamePixelsShifted) {
    // A long row with every kind of mark and 120 tabs, of which only the first 100
    // get arrows: 60 segments of 24 columns each.
    std::string row;
    for (int i = 0; i < 60; ++i) {
        row += "ab\t" + kDoubleByteSpace + "c\x93\xFA http://q.jp/z\t";
    }
    const std::string text = row + "\r\nend";
    const int rowWidth = 60 * 24 * kCell;
    auto prepare = [&](BlockEditor& ed) {
        ed.edit.SetWordWrap(false);
        ed.edit.SetShowTAB(true);
        ed.edit.SetTabCount(4);
        ed.showText(text);
    };
    BlockEditor whole(QSize(rowWidth + 400, 60));
    prepare(whole);
    BlockEditor window(QSize(400, 60));
    prepare(window);
    const int textLeft = window.edit.TextLeft;
    const int areaWidth = 400 - textLeft;

    const QImage reference = whole.image();
    for (int scroll : {0, 301, 5003, 9300, rowWidth - 200}) {
        window.edit.HorzOffset = scroll;
        window.edit.RedrawAll();
        expectSameImage(window.image().copy(QRect(textLeft, 0, areaWidth, 60)),
                        reference.copy(QRect(textLeft + scroll, 0, areaWidth, 60)),
                        "scrolled by " + std::to_string(scroll));
    }
}

TEST(VelEditRealFont, DoubleByteCharactersAreTwoCellsWide) {
    RealFontEditor ed;
    const lumarik::platform::Canvas& canvas = ed.edit.Canvas();
    const int cell = canvas.textWidth("a");
    ASSERT_GT(cell, 0);
    for (const char* single : {"i", "W", ".", "m", " ", "\xB1" /* half-width katakana */}) {
        EXPECT_EQ(canvas.textWidth(single), cell) << single;
    }
    for (const char* pair : {"\x82\xA0", "\x93\xFA", "\x81\x40", "\x88\x9F", "\x95\x5C"}) {
        EXPECT_EQ(canvas.textWidth(pair), 2 * cell);
    }
    EXPECT_EQ(ed.edit.SpaceWidth, cell);
    EXPECT_EQ(ed.edit.DblSpaceWidth, 2 * cell);
    EXPECT_EQ(ed.edit.DigitWidth, cell);
    EXPECT_EQ(ed.edit.FontHeight, canvas.fontMetrics().height);
}

TEST(VelEditRealFont, DrawingAndMeasuringAgree) {
    RealFontEditor ed;
    const std::string text = "abc\x82\xA0\x82\xA2\x82\xA4xyz\x93\xFA\x96\x7B";
    ed.edit.SetText(text + "\r\n" + text);
    ed.edit.RedrawAll();
    const QImage image = ed.edit.Canvas().image().copy();
    const int textLeft = ed.edit.TextLeft;
    const int xEnd = textLeft + ed.edit.Canvas().textWidth(text);
    const int pitch = ed.edit.LinePitch;
    const int top = ed.edit.TopMargin();
    const QRect row0(textLeft, top, image.width() - textLeft, ed.edit.FontHeight);

    // The glyphs lie between the text's left edge and its measured end, and reach
    // into its last cell.
    PixelSet marks = pixelsOf(image, row0, kMark);
    QImage withoutMarks = image;
    for (const auto& [x, y] : marks) {
        withoutMarks.setPixelColor(x, y, kPaper);
    }
    const QRect ink = inkBounds(withoutMarks, row0, kPaper);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), textLeft);
    EXPECT_LT(ink.right(), xEnd);
    EXPECT_GT(ink.right(), xEnd - 2 * ed.edit.Canvas().textWidth("a"));
    // The line-end arrow starts right after the measured end.
    ASSERT_FALSE(marks.empty());
    EXPECT_EQ(marks.begin()->first, xEnd + 2);
    EXPECT_EQ(marks.rbegin()->first, xEnd + 6);
    // "[EOF]" on the last row starts at the same place.
    const QRect row1(textLeft, top + pitch, image.width() - textLeft, ed.edit.FontHeight);
    const QRect text1(textLeft, row1.top(), xEnd - textLeft, row1.height());
    EXPECT_EQ(inkBounds(image, text1, kPaper).right(), ink.right());
    const PixelSet eofMarks = pixelsOf(image, row1, kMark);
    ASSERT_FALSE(eofMarks.empty());
    EXPECT_GE(eofMarks.begin()->first, xEnd);
}

TEST(VelEditRealFont, LinksAreUnderlinedAcrossTheirWidth) {
    RealFontEditor ed;
    ed.edit.SetText("go http://example.jp/x ok");
    ed.edit.RedrawAll();
    const QImage image = ed.edit.Canvas().image().copy();
    const lumarik::platform::Canvas& canvas = ed.edit.Canvas();
    const int x1 = ed.edit.TextLeft + canvas.textWidth("go ");
    const int x2 = ed.edit.TextLeft + canvas.textWidth("go http://example.jp/x");
    const QRect row(0, ed.edit.TopMargin(), image.width(), ed.edit.LinePitch);

    const QRect linkPixels = [&] {
        QRect bounds;
        for (const auto& [x, y] : pixelsOf(image, row, kLink)) {
            bounds |= QRect(x, y, 1, 1);
        }
        return bounds;
    }();
    EXPECT_EQ(linkPixels.left(), x1);
    EXPECT_EQ(linkPixels.right(), x2 - 1);
    bool underlined = false;
    for (int y = row.top(); y <= row.bottom(); ++y) {
        underlined = underlined || allPixels(image, QRect(x1, y, x2 - x1, 1), kLink);
    }
    EXPECT_TRUE(underlined) << "a pixel row in URLColor across the whole link";
}
