#include <gtest/gtest.h>

#include "editor/VelEditSub.h"
#include "editor/VelEditTestSupport.h"

#include <QRect>

#include <random>
#include <string>

using namespace lumarik::editor;
using lumarik::test::allPixels;
using lumarik::test::BlockEditor;
using lumarik::test::countPixels;
using lumarik::test::describeDifference;
using lumarik::test::firstDifference;
using lumarik::test::PixelSet;
using lumarik::test::pixelsOf;
using lumarik::test::qColor;

namespace {

constexpr int kCell = BlockEditor::kCellWidth;
constexpr int kFontHeight = BlockEditor::kCellHeight;
constexpr TColor kFontColor = 0x203040;
constexpr TColor kSelColor = 0x00C000;

const QColor kPaper = qColor(clWhite);
const QColor kInk = qColor(kFontColor);
const QColor kSelectedInk = qColor(InvertColor(kFontColor));
const QColor kSelBack = qColor(kSelColor);
const QColor kMark = qColor(clTeal);
const QColor kSelectedMark = qColor(InvertColor(clTeal));
const QColor kLink = qColor(clBlue);
const QColor kJunk = qColor(0x00FFFF);

// Colours that tell selected from unselected pixels apart.
void useSelectionColours(TVelEdit& edit) {
    TEditFont font = edit.Font();
    font.Color = kFontColor;
    edit.SetFont(font);
    edit.SetSelColor(kSelColor);
}

// Extends the selection from its anchor to (col, line), as a mouse drag does.
void selectTo(TVelEdit& edit, int col, int line) {
    edit.MouseSelecting = true;
    edit.CaretCol = col;
    edit.CaretLine = line;
    edit.ExtendOrClearSelection();
    edit.MouseSelecting = false;
}

void placeCaret(TVelEdit& edit, int col, int line) {
    edit.CaretCol = col;
    edit.CaretLine = line;
}

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

QRect band(const BlockEditor& ed, int line, int firstCell, int cells) {
    return {ed.edit.TextLeft - ed.edit.HorzOffset + firstCell * kCell, ed.rowTop(line),
            cells * kCell, ed.edit.LinePitch};
}

// The canvas must look as a full repaint of the same state draws it.
void expectAsFullRepaint(BlockEditor& ed, const std::string& what) {
    const QImage incremental = ed.image();
    ed.edit.RedrawAll();
    const QImage full = ed.image();
    EXPECT_FALSE(firstDifference(incremental, full).has_value())
        << what << ": " << describeDifference(incremental, full);
}

} // namespace

TEST(VelEditSelectionPaint, SelectedTextIsInvertedOnTheSelectionColour) {
    BlockEditor ed;
    useSelectionColours(ed.edit);
    ed.showText("abcd\r\nefgh\r\nij");
    placeCaret(ed.edit, 1, 0);
    ed.edit.ClearSelection();
    selectTo(ed.edit, 2, 1);
    EXPECT_TRUE(ed.edit.SelActive);
    QImage image = ed.image();

    // Row 0: "a" as before, "bcd" selected, then the selected line-end cell with an
    // inverted arrow, then paper.
    EXPECT_TRUE(allPixels(image, ed.cells(0, 0, 1), kInk));
    EXPECT_TRUE(allPixels(image, ed.cells(0, 1, 3), kSelectedInk));
    EXPECT_TRUE(allPixels(image,
                          QRect(ed.edit.TextLeft + kCell, ed.rowTop(0) + kFontHeight, 3 * kCell,
                                ed.edit.LinePitch - kFontHeight),
                          kSelBack));
    const int end0 = ed.edit.TextLeft + 4 * kCell;
    const QRect cell0 = band(ed, 0, 4, 1);
    EXPECT_EQ(pixelsOf(image, cell0, kSelectedMark), lineEndArrow(ed.edit, end0, ed.rowTop(0)));
    EXPECT_EQ(countPixels(image, cell0, kSelBack) + countPixels(image, cell0, kSelectedMark),
              kCell * ed.edit.LinePitch);
    EXPECT_TRUE(
        allPixels(image, QRect(end0 + kCell, ed.rowTop(0), 100, ed.edit.LinePitch), kPaper));
    // Row 1: "ef" selected, "gh" and its line end as usual.
    EXPECT_TRUE(allPixels(image, ed.cells(1, 0, 2), kSelectedInk));
    EXPECT_TRUE(allPixels(image, ed.cells(1, 2, 2), kInk));
    EXPECT_EQ(pixelsOf(image, band(ed, 1, 4, 1), kMark),
              lineEndArrow(ed.edit, ed.edit.TextLeft + 4 * kCell, ed.rowTop(1)));
    EXPECT_EQ(countPixels(image, band(ed, 1, 4, 1), kSelBack), 0);

    // Selecting to the end of the text leaves "[EOF]" in its own colours.
    selectTo(ed.edit, 2, 2);
    image = ed.image();
    EXPECT_TRUE(allPixels(image, ed.cells(2, 0, 2), kSelectedInk));
    EXPECT_TRUE(allPixels(image, ed.cells(2, 2, 5), kMark));
    EXPECT_EQ(countPixels(image, band(ed, 2, 2, 30), kSelBack), 0);
    EXPECT_EQ(countPixels(image, band(ed, 2, 2, 30), kSelectedMark), 0);
}

TEST(VelEditSelectionPaint, LinksAreNotDrawnInsideTheSelection) {
    BlockEditor ed;
    useSelectionColours(ed.edit);
    ed.showText("go http://x.jp/ ok");
    const QRect link = ed.cells(0, 3, 12);
    ASSERT_GT(countPixels(ed.image(), link, kLink), 0);
    placeCaret(ed.edit, 0, 0);
    ed.edit.ClearSelection();
    selectTo(ed.edit, 9, 0); // "go http:/" selected
    const QImage image = ed.image();
    EXPECT_EQ(countPixels(image, ed.cells(0, 0, 9), kLink), 0);
    EXPECT_TRUE(allPixels(image, ed.cells(0, 3, 6), kSelectedInk));
    EXPECT_TRUE(allPixels(image, ed.cells(0, 9, 6), kLink)) << "the rest of the link";
}

TEST(VelEditSelectionPaint, MovingTheEndRepaintsOnlyTheCharactersBetween) {
    BlockEditor ed;
    useSelectionColours(ed.edit);
    ed.showText("abcdef\r\nghijkl\r\nmnopqr\r\nstu");
    placeCaret(ed.edit, 1, 0);
    ed.edit.ClearSelection();
    selectTo(ed.edit, 3, 1);
    const QImage before = ed.image();

    // One character to the right: only its cell band changes, to the selected look.
    ed.edit.Canvas().fillRect(ed.edit.Canvas().rect(), kJunk);
    selectTo(ed.edit, 4, 1);
    QImage image = ed.image();
    const QRect changed = band(ed, 1, 3, 1);
    EXPECT_EQ(countPixels(image, image.rect(), kJunk),
              image.width() * image.height() - changed.width() * changed.height());
    EXPECT_TRUE(allPixels(image, ed.cells(1, 3, 1), kSelectedInk));
    // And back: the same cell returns to the unselected look.
    selectTo(ed.edit, 3, 1);
    EXPECT_EQ(ed.image().copy(changed), before.copy(changed));

    // Across lines: the rows between the old and the new end, and nothing else.
    ed.edit.Canvas().fillRect(ed.edit.Canvas().rect(), kJunk);
    selectTo(ed.edit, 1, 3);
    image = ed.image();
    EXPECT_EQ(countPixels(image, QRect(0, 0, image.width(), ed.rowTop(1)), kJunk),
              image.width() * ed.rowTop(1));
    EXPECT_EQ(countPixels(image, band(ed, 1, 0, 3), kJunk), 3 * kCell * ed.edit.LinePitch);
    EXPECT_TRUE(allPixels(image, ed.cells(1, 3, 3), kSelectedInk));
    EXPECT_TRUE(allPixels(image, ed.cells(2, 0, 6), kSelectedInk));
    EXPECT_TRUE(allPixels(image, ed.cells(3, 0, 1), kSelectedInk));
    EXPECT_TRUE(allPixels(image, band(ed, 3, 1, 30), kJunk));
}

TEST(VelEditSelectionPaint, ClearingRepaintsOnlyTheSelectedLines) {
    BlockEditor ed;
    useSelectionColours(ed.edit);
    ed.showText("abcdef\r\nghijkl\r\nmnopqr\r\nstuvwx\r\nyz");
    const QImage unselected = ed.image();
    int changes = 0;
    ed.edit.OnSelectionChange = [&](TVelEdit&) { ++changes; };

    placeCaret(ed.edit, 2, 1);
    ed.edit.ClearSelection();
    EXPECT_EQ(changes, 0) << "nothing was selected";
    selectTo(ed.edit, 4, 3);
    // Spoil the lines outside the selection; clearing must not touch them.
    for (int line : {0, 4}) {
        ed.edit.Canvas().fillRect(band(ed, line, 0, 40), kJunk);
    }
    ed.edit.ClearSelection();
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(ed.edit.SelActive);
    EXPECT_EQ(ed.edit.SelAnchorCol, 4);
    EXPECT_EQ(ed.edit.SelAnchorLine, 3);
    EXPECT_EQ(ed.edit.SelDrawnEndCol, 4);
    EXPECT_EQ(ed.edit.SelEndLine, 3);
    const QImage image = ed.image();
    const QRect selectedRows(0, ed.rowTop(1), image.width(), 3 * ed.edit.LinePitch);
    EXPECT_EQ(image.copy(selectedRows), unselected.copy(selectedRows));
    EXPECT_TRUE(allPixels(image, band(ed, 0, 0, 40), kJunk));
    EXPECT_TRUE(allPixels(image, band(ed, 4, 0, 40), kJunk));

    // A whole-text selection clears to the plain look of every visible row.
    ed.edit.RedrawAll();
    ed.edit.SelectAll();
    EXPECT_TRUE(allPixels(ed.image(), ed.cells(0, 0, 6), kSelectedInk));
    ed.edit.ClearSelection();
    EXPECT_FALSE(ed.edit.AllSelected);
    const QImage cleared = ed.image();
    ed.edit.RedrawAll();
    EXPECT_FALSE(firstDifference(cleared, ed.image()).has_value())
        << describeDifference(cleared, ed.image());
}

TEST(VelEditSelectionPaint, IncrementalRepaintsMatchAFullRepaint) {
    // Tabs, double-byte characters, links, quote rows, wrapped rows and empty lines;
    // the double-byte-space boxes are off since their dot phase runs on.
    std::string text;
    for (int i = 0; i < 6; ++i) {
        text += "plain\trow \x93\xFA\x96\x7B\r\n";
        text += ">quote x\r\n";
        text += "go http://example.jp/a/long/path end and more words to wrap\r\n";
        text += "\r\n";
        text += "\tw\x93\xFA" + std::string(30, 'z') + "\r\n";
    }
    text += "last";
    BlockEditor ed;
    useSelectionColours(ed.edit);
    ed.edit.SetShowDblSpace(false);
    ed.edit.SetShowTAB(true);
    ed.edit.SetColumn(24);
    ed.showText(text);
    const int count = ed.edit.Lines().Count();
    ASSERT_GT(count, ed.edit.VisibleLines + 10);

    std::mt19937 random(5);
    const auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const auto randomColumn = [&](int line) {
        const std::string& row = ed.edit.Lines().Get(line);
        const int limit = static_cast<int>(HasTerminator(row) ? row.size() - 2 : row.size());
        return static_cast<int>(SnapToCharStart(row, pick(limit + 1), false));
    };
    for (int step = 0; step < 300; ++step) {
        const int line = pick(count);
        const int col = randomColumn(line);
        const int op = pick(10);
        std::string what = "step " + std::to_string(step);
        if (op < 6) {
            selectTo(ed.edit, col, line);
            what += ": end to " + std::to_string(col) + ", " + std::to_string(line);
        } else if (op < 8) {
            placeCaret(ed.edit, col, line);
            ed.edit.ClearSelection();
            what += ": cleared at " + std::to_string(col) + ", " + std::to_string(line);
        } else {
            ed.edit.TopLine = pick(count);
            ed.edit.HorzOffset = pick(3) * 12;
            ed.edit.RedrawAll();
            what += ": scrolled";
        }
        expectAsFullRepaint(ed, what);
        if (HasFailure()) {
            break;
        }
    }

    // An empty selection draws every row exactly as the plain row drawing does.
    ed.edit.TopLine = 0;
    ed.edit.HorzOffset = 0;
    placeCaret(ed.edit, 3, 2);
    ed.edit.ClearSelection();
    ed.edit.RedrawAll();
    const QImage plain = ed.image();
    ed.edit.SelActive = true;
    ed.edit.RedrawAll();
    EXPECT_FALSE(firstDifference(plain, ed.image()).has_value())
        << describeDifference(plain, ed.image());
}
