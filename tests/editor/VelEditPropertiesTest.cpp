#include <gtest/gtest.h>

#include "editor/VelEditSub.h"
#include "editor/VelEditTestSupport.h"
#include "platform/SystemMetrics.h"
#include "support/TempDir.h"

#include <QCoreApplication>

#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::test::BlockEditor;
using lumarik::test::readBytes;
using lumarik::test::TempDir;

namespace {

const std::string kEndOfText(2, '\0');
// "ＭＳ ゴシック" in UTF-8.
const std::string kMainFontName =
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
// Shift-JIS "日本語", and "亜" whose trail byte has a lead-byte value.
const std::string kNihongo = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kA = "\x88\x9F";

std::vector<std::string> rows(const TVelEdit& edit) {
    std::vector<std::string> result;
    for (int i = 0; i < edit.Lines().Count(); ++i) {
        result.push_back(edit.Lines().Get(i));
    }
    return result;
}

// Byte offset in the text of a display-line position: the rows concatenate to the text.
size_t byteOffset(const TVelEdit& edit, int line, int col) {
    size_t offset = 0;
    for (int i = 0; i < line; ++i) {
        offset += edit.Lines().Get(i).size();
    }
    return offset + static_cast<size_t>(col);
}

// The display-line position of a byte offset, at the start of a row when the offset
// is the end of a continuation row.
std::pair<int, int> positionOf(const TVelEdit& edit, size_t offset) {
    int line = 0;
    while (line + 1 < edit.Lines().Count() && offset >= edit.Lines().Get(line).size()) {
        offset -= edit.Lines().Get(line).size();
        ++line;
    }
    return {line, static_cast<int>(offset)};
}

} // namespace

TEST(VelEditDefaults, ControlCreatedInCode) {
    TVelEdit edit;
    EXPECT_FALSE(edit.CaretScrollFix());
    EXPECT_EQ(edit.TopMargin(), 4);
    EXPECT_EQ(edit.LeftMargin(), 10);
    EXPECT_EQ(edit.ScrollStep(), 2);
    EXPECT_TRUE(edit.CurSetMode());
    EXPECT_EQ(edit.SelColor(), clBlack);
    EXPECT_EQ(edit.CREOFcolor(), 0x808000u);
    EXPECT_EQ(edit.TabCount(), 6);
    EXPECT_TRUE(edit.ShowEOF());
    EXPECT_TRUE(edit.ShowCR());
    EXPECT_TRUE(edit.ShowDblSpace());
    EXPECT_FALSE(edit.ShowTAB());
    EXPECT_EQ(edit.UndoBuf(), 1015808);
    EXPECT_EQ(edit.LineSpace(), 10);
    EXPECT_EQ(edit.LineSpaceUnit(), TLineSizeUnit::uPercent);
    EXPECT_FALSE(edit.ShowUnderLine());
    EXPECT_FALSE(edit.AutoIndent());
    EXPECT_EQ(edit.BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(edit.Color(), 0xFFFFFFu);
    EXPECT_EQ(edit.Font().Name, "FixedSys");
    EXPECT_EQ(edit.Font().Height, -19); // 14 points at 96 dots per inch
    EXPECT_EQ(edit.Font().Color, clBlack);
    EXPECT_FALSE(edit.ReadOnly());
    EXPECT_FALSE(edit.HorzScrollBar());
    EXPECT_TRUE(edit.VertScrollBar());
    EXPECT_TRUE(edit.WordWrap());
    EXPECT_FALSE(edit.AutoWrap());
    EXPECT_TRUE(edit.WantTabs());
    EXPECT_EQ(edit.Column(), 72);
    EXPECT_EQ(edit.Inyostr(), ">");
    EXPECT_TRUE(edit.ColorPrintF());
    EXPECT_EQ(edit.URLColor(), 0xFF0000u);
    EXPECT_EQ(edit.InyoColor(), 0x808080u);
    EXPECT_EQ(edit.UlineColor(), clBlack);
    EXPECT_EQ(edit.Version(), "TVelEdit Ver1.21");
    EXPECT_FALSE(edit.ShowLineNumber());
    EXPECT_EQ(edit.LineNoColumn(), 5);
    EXPECT_FALSE(edit.SingleByteMode());
    EXPECT_EQ(edit.DragMode(), TDragMode::dmAutomatic);
    EXPECT_EQ(edit.DragCursor(), 1);

    EXPECT_EQ(edit.size(), QSize(185, 89));
    EXPECT_EQ(edit.cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(edit.focusPolicy(), Qt::StrongFocus);

    // An empty text: one row holding the end-of-text mark, the caret before it.
    EXPECT_EQ(rows(edit), std::vector<std::string>{kEndOfText});
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(edit.CaretLine, 0);
    EXPECT_EQ(edit.CaretCol, 0);
    EXPECT_TRUE(edit.InsMode);
    EXPECT_FALSE(edit.Modified);
    // Metrics are measured at once, so nothing divides by a zero metric.
    EXPECT_GT(edit.FontHeight, 0);
    EXPECT_GT(edit.AvgCharWidth, 0);
    EXPECT_GT(edit.LinePitch, 0);
}

TEST(VelEditProperties, SettersClampOutOfRangeValues) {
    TVelEdit edit;
    edit.SetTabCount(0);
    EXPECT_EQ(edit.TabCount(), 1);
    edit.SetTabCount(12);
    EXPECT_EQ(edit.TabCount(), 8);
    edit.SetTabCount(4);
    EXPECT_EQ(edit.TabCount(), 4);

    edit.SetLineNoColumn(0);
    EXPECT_EQ(edit.LineNoColumn(), 1);
    edit.SetLineNoColumn(9);
    EXPECT_EQ(edit.LineNoColumn(), 5);

    edit.SetTopMargin(-3);
    EXPECT_EQ(edit.TopMargin(), 0);
    edit.SetTopMargin(31);
    EXPECT_EQ(edit.TopMargin(), 30);
    edit.SetLeftMargin(-1);
    EXPECT_EQ(edit.LeftMargin(), 0);
    edit.SetLeftMargin(99);
    EXPECT_EQ(edit.LeftMargin(), 30);

    edit.SetLineSpace(250);
    EXPECT_EQ(edit.LineSpace(), 100);
    edit.SetLineSpace(-5);
    EXPECT_EQ(edit.LineSpace(), 0);
    edit.SetLineSpaceUnit(TLineSizeUnit::uPixel);
    edit.SetLineSpace(250);
    EXPECT_EQ(edit.LineSpace(), 100);

    edit.SetColumn(5);
    EXPECT_EQ(edit.Column(), 10);
    edit.SetColumn(100000); // no upper bound
    EXPECT_EQ(edit.Column(), 100000);

    // Colours keep their RGB part only.
    edit.SetColor(0xFF123456);
    EXPECT_EQ(edit.Color(), 0x123456u);
    edit.SetURLColor(0x01ABCDEF);
    EXPECT_EQ(edit.URLColor(), 0xABCDEFu);
    edit.SetCREOFcolor(0x80000001);
    EXPECT_EQ(edit.CREOFcolor(), 0x000001u);
}

TEST(VelEditProperties, ColumnRewrapsOnlyWhenItChanges) {
    BlockEditor ed;
    int redraws = 0;
    ed.edit.OnUserClientDraw = [&](TVelEdit&, int, int, int, int) { ++redraws; };
    ed.showText(std::string(25, 'a'));
    ASSERT_EQ(rows(ed.edit), std::vector<std::string>{std::string(25, 'a') + kEndOfText});

    ed.edit.SetColumn(5);
    EXPECT_EQ(ed.edit.Column(), 10);
    EXPECT_EQ(rows(ed.edit), (std::vector<std::string>{std::string(10, 'a'), std::string(10, 'a'),
                                                       std::string(5, 'a') + kEndOfText}));

    redraws = 0;
    ed.edit.HorzOffset = 16;
    ed.edit.SetColumn(10);
    EXPECT_EQ(redraws, 0) << "the same column must neither re-wrap nor redraw";
    EXPECT_EQ(ed.edit.HorzOffset, 16);

    ed.edit.SetColumn(12);
    EXPECT_GT(redraws, 0);
    EXPECT_EQ(ed.edit.HorzOffset, 0);
    EXPECT_EQ(rows(ed.edit), (std::vector<std::string>{std::string(12, 'a'), std::string(12, 'a'),
                                                       "a" + kEndOfText}));

    // Without word wrap the column is only stored.
    ed.edit.SetWordWrap(false);
    ed.edit.SetColumn(20);
    EXPECT_EQ(rows(ed.edit), std::vector<std::string>{std::string(25, 'a') + kEndOfText});
}

TEST(VelEditProperties, LineSpaceGivesTheLinePitch) {
    // Percent of the font height, halves rounded to the even neighbour.
    const std::vector<std::pair<int, int>> pitchForHeight = {{13, 19}, {14, 21}, {15, 23}};
    for (const auto& [fontHeight, pitch] : pitchForHeight) {
        BlockEditor ed(QSize(400, 200), 8, fontHeight);
        ed.edit.SetLineSpaceUnit(TLineSizeUnit::uPercent);
        ed.edit.SetLineSpace(50);
        ASSERT_EQ(ed.edit.FontHeight, fontHeight);
        EXPECT_EQ(ed.edit.LinePitch, pitch) << "font height " << fontHeight;
        EXPECT_EQ(ed.edit.VisibleLines, ed.edit.TextAreaHeight / pitch);
    }

    BlockEditor ed(QSize(400, 200), 8, 16);
    ed.edit.SetLineSpaceUnit(TLineSizeUnit::uPercent);
    ed.edit.SetLineSpace(250);
    EXPECT_EQ(ed.edit.LinePitch, 32);
    ed.edit.SetLineSpace(0);
    EXPECT_EQ(ed.edit.LinePitch, 16);
    ed.edit.SetLineSpaceUnit(TLineSizeUnit::uPixel);
    ed.edit.SetLineSpace(250);
    EXPECT_EQ(ed.edit.LinePitch, 116);
    EXPECT_EQ(ed.edit.VisibleLines, 1);
    EXPECT_EQ(ed.edit.PageFifth, 1);
    ed.edit.SetLineSpace(3);
    EXPECT_EQ(ed.edit.LinePitch, 19);
    EXPECT_EQ(ed.edit.VisibleLines, 196 / 19);
    EXPECT_EQ(ed.edit.PageFifth, (196 / 19 + 4) / 5);

    // The unit re-applies the stored space.
    ed.edit.SetLineSpaceUnit(TLineSizeUnit::uPercent);
    EXPECT_EQ(ed.edit.LinePitch, 16 + 0); // 3 % of 16 rounds to 0
}

TEST(VelEditProperties, MetricsComeFromTheCanvasFont) {
    BlockEditor ed(QSize(400, 200), 8, 16);
    const TVelEdit& edit = ed.edit;
    EXPECT_EQ(edit.AvgCharWidth, 8);
    EXPECT_EQ(edit.FontHeight, 16);
    EXPECT_EQ(edit.SpaceWidth, 8);
    EXPECT_EQ(edit.DblSpaceWidth, 16);
    EXPECT_EQ(edit.DblSpaceHeight, 16);
    EXPECT_EQ(edit.CRMarkTop, 3);
    EXPECT_EQ(edit.CRMarkBottom, 13);
    EXPECT_EQ(edit.MaxColumns, 32767 / 8 / 2);
    EXPECT_EQ(edit.LinePitch, 20);

    // View geometry of a 400 by 200 client area.
    EXPECT_EQ(edit.TextLeft, 10);
    EXPECT_EQ(edit.TextAreaWidth, 390);
    EXPECT_EQ(edit.TextAreaHeight, 196);
    EXPECT_EQ(edit.VisibleLines, 9);
    EXPECT_EQ(edit.VisibleColumns, 390 / 8);
    EXPECT_EQ(edit.PageFifth, 2);
    EXPECT_EQ(edit.WidthFifth, 78);

    // A font taller than 255 pixels still places the line-end arrow right.
    BlockEditor tall(QSize(400, 900), 10, 400);
    EXPECT_EQ(tall.edit.CRMarkTop, 80);
    EXPECT_EQ(tall.edit.CRMarkBottom, 320);
    EXPECT_EQ(tall.edit.MaxColumns, 32767 / 10 / 2);
}

TEST(VelEditProperties, BuildFontHandsOnNameAndNegatedHeightOnly) {
    TVelEdit edit;
    TEditFont font;
    font.Name = kMainFontName;
    font.Height = 13;
    font.Bold = true;
    font.Italic = true;
    edit.SetFont(font);
    edit.BuildFont();
    EXPECT_EQ(edit.FontDescription.faceName, QString::fromUtf8("ＭＳ ゴシック"));
    EXPECT_EQ(edit.FontDescription.height, -13);
    EXPECT_EQ(edit.FontDescription.weight, 400) << "the style has no effect";
    EXPECT_FALSE(edit.FontDescription.italic);
    EXPECT_FALSE(edit.FontDescription.underline);
}

TEST(VelEditProperties, LineNumberGutterWidth) {
    for (const auto& [digitWidth, gutterWidth] :
         std::vector<std::pair<int, int>>{{8, 47}, {25, 107}}) {
        BlockEditor ed(QSize(600, 200), digitWidth, 16);
        ed.edit.SetShowLineNumber(true);
        ed.edit.RefreshLayout();
        EXPECT_EQ(ed.edit.DigitWidth, digitWidth);
        EXPECT_EQ(ed.edit.GutterWidth, gutterWidth);
        EXPECT_EQ(ed.edit.TextLeft, ed.edit.LeftMargin() + gutterWidth);
    }

    BlockEditor ed;
    ed.edit.SetShowLineNumber(true);
    ed.edit.SetLineNoColumn(2);
    ed.edit.SetLeftMargin(3);
    EXPECT_EQ(ed.edit.TextLeft, 10) << "margins and gutter apply at the next layout";
    ed.edit.RefreshLayout();
    EXPECT_EQ(ed.edit.GutterWidth, 2 * 8 + 7);
    EXPECT_EQ(ed.edit.TextLeft, 3 + 2 * 8 + 7);
    EXPECT_EQ(ed.edit.MinTextLeft, ed.edit.TextLeft);

    ed.edit.SetShowLineNumber(false);
    ed.edit.RefreshLayout();
    EXPECT_EQ(ed.edit.GutterWidth, 0);
    EXPECT_EQ(ed.edit.TextLeft, 3);
}

TEST(VelEditPresets, MainEditor) {
    TVelEdit edit;
    ApplyMainEditorPreset(edit);
    EXPECT_EQ(edit.Font().Name, kMainFontName);
    EXPECT_EQ(edit.Font().Height, 13);
    EXPECT_EQ(edit.Font().Color, clBlack);
    EXPECT_TRUE(edit.ShowTAB());
    EXPECT_EQ(edit.LineSpace(), 0);
    EXPECT_EQ(edit.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_TRUE(edit.HorzScrollBar());
    EXPECT_TRUE(edit.VertScrollBar());
    EXPECT_EQ(edit.Column(), 80);
    EXPECT_EQ(edit.UlineColor(), clNavy);
    EXPECT_EQ(edit.Version(), "TVelEdit Ver1.05");
    EXPECT_TRUE(edit.ShowLineNumber());
    // Everything else keeps its default.
    EXPECT_EQ(edit.TabCount(), 6);
    EXPECT_TRUE(edit.WordWrap());
    EXPECT_FALSE(edit.ReadOnly());
    EXPECT_EQ(edit.LineNoColumn(), 5);
    EXPECT_EQ(edit.LinePitch, edit.FontHeight);

    // Set before the window exists, the scroll bars count as 0 pixels.
    EXPECT_EQ(edit.VertBarWidth, 0);
    EXPECT_EQ(edit.HorzBarHeight, 0);
    edit.show();
    edit.SetVertScrollBar(false);
    edit.SetVertScrollBar(true);
    edit.SetHorzScrollBar(false);
    edit.SetHorzScrollBar(true);
    const int extent = lumarik::platform::scrollBarExtent(&edit);
    EXPECT_GT(extent, 0);
    EXPECT_EQ(edit.VertBarWidth, extent);
    EXPECT_EQ(edit.HorzBarHeight, extent);
}

TEST(VelEditPresets, PreviewEditor) {
    TVelEdit edit;
    ApplyPreviewEditorPreset(edit);
    EXPECT_EQ(edit.Font().Name, "FixedSys");
    EXPECT_EQ(edit.Font().Height, -19);
    EXPECT_EQ(edit.LineSpace(), 0);
    EXPECT_TRUE(edit.ReadOnly());
    EXPECT_FALSE(edit.HorzScrollBar());
    EXPECT_FALSE(edit.VertScrollBar());
    EXPECT_EQ(edit.Version(), "TVelEdit Ver1.05");
    EXPECT_EQ(edit.Column(), 72);
    EXPECT_FALSE(edit.ShowTAB());
    EXPECT_FALSE(edit.ShowLineNumber());
    EXPECT_EQ(edit.UlineColor(), clBlack);
    EXPECT_EQ(edit.BorderStyle(), TBorderStyle::bsNone);
    EXPECT_EQ(edit.VertBarWidth, 0);
    EXPECT_EQ(edit.HorzBarHeight, 0);
}

TEST(VelEditFiles, FailedLoadLeavesTextCaretAndStateAlone) {
    TempDir dir;
    BlockEditor ed;
    ed.showText("abc\r\ndef");
    ed.edit.CaretLine = 1;
    ed.edit.CaretCol = 2;
    ed.edit.Modified = true;
    int modifyEvents = 0;
    ed.edit.OnChangeModify = [&](TVelEdit&, bool) { ++modifyEvents; };

    EXPECT_FALSE(ed.edit.LoadFromFile(dir.file("missing.txt")));
    EXPECT_FALSE(ed.edit.LoadFromFile(dir.path())) << "a folder cannot be read as a file";

    EXPECT_EQ(ed.edit.Text(), "abc\r\ndef");
    EXPECT_EQ(rows(ed.edit), (std::vector<std::string>{"abc\r\n", "def" + kEndOfText}));
    EXPECT_EQ(ed.edit.CaretLine, 1);
    EXPECT_EQ(ed.edit.CaretCol, 2);
    EXPECT_TRUE(ed.edit.Modified);
    EXPECT_EQ(modifyEvents, 0);
}

TEST(VelEditFiles, LoadResetsTheStateAndKeepsTheBytes) {
    TempDir dir;
    const std::string content =
        "first line\r\n" + kNihongo + kA + "\\\r\n\tTab\r\n" + std::string(100, 'x') + "\r\nlast";
    BlockEditor ed;
    ed.showText("old\r\ntext");
    ed.edit.CaretLine = 1;
    ed.edit.CaretCol = 3;
    ed.edit.TopLine = 1;
    ed.edit.Modified = true;
    std::vector<bool> modifyEvents;
    ed.edit.OnChangeModify = [&](TVelEdit&, bool modified) { modifyEvents.push_back(modified); };

    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("sample.txt", content)));
    EXPECT_EQ(ed.edit.Text(), content);
    // Loaded wrapped at Column: the 100-byte line takes two rows.
    EXPECT_EQ(ed.edit.Lines().Count(), 6);
    EXPECT_EQ(ed.edit.Lines().Get(3), std::string(72, 'x'));
    EXPECT_EQ(ed.edit.CaretLine, 0);
    EXPECT_EQ(ed.edit.CaretCol, 0);
    EXPECT_EQ(ed.edit.TopLine, 0);
    EXPECT_FALSE(ed.edit.Modified);
    EXPECT_EQ(modifyEvents, std::vector<bool>{false});

    // Saving writes the same bytes back, without the end-of-text mark.
    ASSERT_TRUE(ed.edit.SaveToFile(dir.file("copy.txt")));
    EXPECT_EQ(readBytes(dir.file("copy.txt")), content);

    // Unwrapped loading keeps one row per line.
    ed.edit.SetWordWrap(false);
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.file("copy.txt")));
    EXPECT_EQ(ed.edit.Lines().Count(), 5);
    EXPECT_EQ(ed.edit.Text(), content);

    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("empty.txt", "")));
    EXPECT_EQ(ed.edit.Text(), "");
    EXPECT_EQ(rows(ed.edit), std::vector<std::string>{kEndOfText});
}

TEST(VelEditFiles, WrappedLoadLaysOutTheRowsAsWrappingAfterwardsDoes) {
    TempDir dir;
    // A CR LF file, whose lone CRs are bytes of their lines.
    std::string content = "first\r\n";
    for (int i = 0; i < 40; ++i) {
        content += std::string(static_cast<size_t>(i * 7 % 50), 'a') + "\t" + kA + kNihongo +
                   std::string(static_cast<size_t>(i * 13 % 170), 'b') + "\r" + kA + "\r\n";
    }
    BlockEditor ed;
    ASSERT_TRUE(ed.edit.WordWrap());
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("long.txt", content)));
    const std::vector<std::string> loaded = rows(ed.edit);
    EXPECT_GT(loaded.size(), 60U);
    EXPECT_EQ(ed.edit.CaretLine, 0);
    EXPECT_EQ(ed.edit.CaretCol, 0);

    ed.edit.SetWordWrap(false);
    ed.edit.SetWordWrap(true);
    EXPECT_EQ(rows(ed.edit), loaded);
    EXPECT_EQ(ed.edit.Text(), content);
}

TEST(VelEditFiles, SaveFailureIsReported) {
    TempDir dir;
    TVelEdit edit;
    edit.SetText("text");
    EXPECT_FALSE(edit.SaveToFile(dir.file("no-such-folder") / "out.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-folder")));
    EXPECT_TRUE(edit.SaveToFile(dir.file("out.txt")));
    EXPECT_EQ(readBytes(dir.file("out.txt")), "text");
}

TEST(VelEditState, ClearAllLeavesAnEmptyText) {
    BlockEditor ed;
    ed.showText("one\r\ntwo\r\nthree");
    ed.edit.CaretLine = 2;
    ed.edit.CaretCol = 4;
    ed.edit.SelActive = true;
    ed.edit.Modified = true;
    std::vector<bool> modifyEvents;
    ed.edit.OnChangeModify = [&](TVelEdit&, bool modified) { modifyEvents.push_back(modified); };

    ed.edit.ClearAll();
    EXPECT_EQ(ed.edit.Text(), "");
    EXPECT_EQ(rows(ed.edit), std::vector<std::string>{kEndOfText});
    EXPECT_EQ(ed.edit.CaretLine, 0);
    EXPECT_EQ(ed.edit.CaretCol, 0);
    EXPECT_FALSE(ed.edit.SelActive);
    EXPECT_FALSE(ed.edit.Modified);
    EXPECT_EQ(modifyEvents, std::vector<bool>{false});

    ed.showText("again");
    ed.edit.AllSelected = true;
    ed.edit.ResetContent();
    EXPECT_EQ(ed.edit.Text(), "");
    EXPECT_FALSE(ed.edit.AllSelected);
}

// A font or line-number change stored without a re-layout shows once the control is
// reset or its window is first made, as with a new window.
TEST(VelEditState, ResetContentAndFirstShowTakeTheStoredFontAndGutter) {
    TVelEdit edit;
    edit.resize(300, 120);
    TEditFont font = edit.Font();
    font.Height = -30;
    edit.SetFont(font);
    edit.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.FontDescription.height, 30);
    const int bigHeight = edit.FontHeight;

    font.Height = -12;
    edit.SetFont(font);
    edit.SetShowLineNumber(true);
    edit.SetText("abc\r\ndef");
    EXPECT_EQ(edit.FontHeight, bigHeight);

    edit.ResetContent();
    EXPECT_LT(edit.FontHeight, bigHeight);
    EXPECT_GT(edit.GutterWidth, 0);
    EXPECT_EQ(edit.TextLeft, edit.LeftMargin() + edit.GutterWidth);
    EXPECT_EQ(edit.VisibleLines, edit.TextAreaHeight / edit.LinePitch);
    EXPECT_EQ(edit.Text(), "");
}

TEST(VelEditState, ResetEditStateClearsEditingStateAndRaisesAssignedEvents) {
    TVelEdit edit;
    edit.SetText("abc\r\ndef\r\nghi");
    edit.CaretLine = edit.SelEndLine = edit.SelAnchorLine = edit.TopLine = 2;
    edit.CaretCol = edit.SelEndCol = edit.SelAnchorCol = edit.HorzOffset = 1;
    edit.CaretX = edit.DesiredX = edit.NotifiedLine = 7;
    edit.SelActive = edit.AllSelected = edit.MouseSelecting = edit.Dragging = true;
    edit.Composing = edit.SkipNextMouseDown = edit.Undoing = edit.UndoLost = true;
    edit.InsMode = false;
    edit.Modified = true;
    edit.CaretFollows = false;

    // No handlers assigned: nothing to raise.
    edit.ResetEditState();
    EXPECT_EQ(edit.CaretLine, 0);
    EXPECT_EQ(edit.CaretCol, 0);
    EXPECT_EQ(edit.SelAnchorLine, 0);
    EXPECT_EQ(edit.SelAnchorCol, 0);
    EXPECT_EQ(edit.SelEndLine, 0);
    EXPECT_EQ(edit.SelEndCol, 0);
    EXPECT_EQ(edit.TopLine, 0);
    EXPECT_EQ(edit.HorzOffset, 0);
    EXPECT_EQ(edit.CaretX, 0);
    EXPECT_EQ(edit.DesiredX, 0);
    EXPECT_EQ(edit.NotifiedLine, 0);
    EXPECT_FALSE(edit.SelActive);
    EXPECT_FALSE(edit.AllSelected);
    EXPECT_FALSE(edit.MouseSelecting);
    EXPECT_FALSE(edit.Dragging);
    EXPECT_FALSE(edit.Composing);
    EXPECT_FALSE(edit.SkipNextMouseDown);
    EXPECT_FALSE(edit.Undoing);
    EXPECT_FALSE(edit.UndoLost);
    EXPECT_TRUE(edit.InsMode);
    EXPECT_FALSE(edit.Modified);
    EXPECT_TRUE(edit.CaretFollows);
    EXPECT_EQ(edit.Text(), "abc\r\ndef\r\nghi") << "the text stays";

    std::vector<std::string> events;
    edit.OnChangeModify = [&](TVelEdit& sender, bool modified) {
        EXPECT_EQ(&sender, &edit);
        events.push_back(modified ? "modify:true" : "modify:false");
    };
    edit.OnChangeRedoMode = [&](TVelEdit& sender, bool enabled) {
        EXPECT_EQ(&sender, &edit);
        EXPECT_FALSE(sender.RedoMode) << "cleared before the event";
        events.push_back(enabled ? "redo:true" : "redo:false");
    };
    edit.RedoMode = true;
    edit.ResetEditState();
    EXPECT_EQ(events, (std::vector<std::string>{"modify:false", "redo:false"}));
    EXPECT_FALSE(edit.RedoMode);
}

TEST(VelEditState, TogglingWordWrapKeepsTheCaretOnItsByte) {
    BlockEditor ed;
    ed.edit.SetColumn(10);
    const std::string text = "0123456789abcdef" + kNihongo + kA + kNihongo + "xyz\r\n\r\n" +
                             std::string(23, 'q') + "\tend";
    ed.showText(text);
    ASSERT_GT(ed.edit.Lines().Count(), 6);

    // Every character start of the text, and its end; never the LF of a line break.
    std::vector<size_t> offsets;
    for (CharScanner scan(text, false); !scan.atEnd(); scan.next()) {
        if (text[scan.pos()] != '\n') {
            offsets.push_back(scan.pos());
        }
    }
    offsets.push_back(text.size());

    for (size_t offset : offsets) {
        ASSERT_TRUE(ed.edit.WordWrap());
        std::tie(ed.edit.CaretLine, ed.edit.CaretCol) = positionOf(ed.edit, offset);
        ed.edit.SetWordWrap(false);
        EXPECT_EQ(byteOffset(ed.edit, ed.edit.CaretLine, ed.edit.CaretCol), offset)
            << "unwrapping, caret at byte " << offset;
        ed.edit.SetWordWrap(true);
        EXPECT_EQ(byteOffset(ed.edit, ed.edit.CaretLine, ed.edit.CaretCol), offset)
            << "wrapping, caret at byte " << offset;
        EXPECT_EQ(ed.edit.Text(), text);
    }
}
