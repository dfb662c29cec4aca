// TVelEdit: word-wrap layout, font, metrics and view geometry.
#include "editor/VelEdit.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

#include "editor/CaretHideGuard.h"
#include "editor/ScrollCodes.h"
#include "platform/MessageReporter.h"

namespace lumarik::editor {

WrapParams TVelEdit::CurrentWrapParams() const {
    WrapParams params;
    params.column = FColumn;
    params.autoWrap = FAutoWrap;
    params.tabCount = FTabCount;
    params.singleByteMode = FSingleByteMode;
    params.textAreaWidth = TextAreaWidth;
    params.avgCharWidth = AvgCharWidth;
    params.textWidth = [this](std::string_view bytes) { return canvas_->textWidth(bytes); };
    return params;
}

int TVelEdit::ExpandedWidth(std::string_view bytes) const {
    return canvas_->textWidth(ExpandTabs(bytes, FTabCount, FSingleByteMode));
}

int TVelEdit::ColumnX(int line, int col) const {
    if (line < 0 || line >= Strings->Count() || col <= 0) {
        return 0;
    }
    return RowWidths.PrefixWidth(line, Strings->Get(line), static_cast<size_t>(col),
                                 {FTabCount, FSingleByteMode});
}

void TVelEdit::RewrapAll(bool wrap, bool redraw) {
    try {
        const RewrapAllResult result =
            editor::RewrapAll(*Strings, LineIndex, wrap, CurrentWrapParams(), {CaretCol, CaretLine},
                              {SelAnchorCol, SelAnchorLine});
        FWordWrap = wrap;
        LinkCarries.InvalidateFrom(0);
        RowWidths.RowsChanged(0);
        CaretCol = result.caret.col;
        CaretLine = result.caret.line;
        SelAnchorCol = result.anchor.col;
        SelAnchorLine = result.anchor.line;
    } catch (const std::exception&) {
        ShowError("Error:OC004");
        return;
    }
    SelEndCol = SelDrawnEndCol = CaretCol;
    SelEndLine = SelDrawnEndLine = CaretLine;
    HorzOffset = 0;
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    if (redraw) {
        // The old top line may lie beyond the new layout's end.
        TopLine = std::clamp(TopLine, 0, std::max(0, Strings->Count() - 1));
        if (!SetCaret(-1, CaretLine, 0, true, false)) {
            const CaretHideGuard hidden(this);
            UpdateVertScrollBar();
            RedrawAll();
            UpdateCaretPos();
        }
    }
}

void TVelEdit::RewrapLines(int x, int firstLine, bool redraw, int rowsBeforeEdit, int lastLine) {
    const int caretLineBefore = CaretLine;
    const RewrapLinesResult result = editor::RewrapLines(*Strings, CurrentWrapParams(), firstLine,
                                                         lastLine, {CaretCol, CaretLine});
    LinkCarries.InvalidateFrom(std::max(0, result.startRow - 1));
    RowWidths.RowsChanged(result.startRow);
    CaretCol = result.caret.col;
    const int i = result.caret.line;
    if (!redraw) {
        CaretLine = SelAnchorLine = SelEndLine = i;
        CaretX = ColumnX(i, CaretCol) - HorzOffset;
        return;
    }
    if (SetCaret(CaretCol, i, 0, true, true)) {
        CaretLine = SelAnchorLine = SelDrawnEndLine = i;
        UpdateCaretPos();
        return;
    }
    // Keep the caret's distance from the bottom when the edit pushed it down.
    if ((i - TopLine) + PageFifth >= VisibleLines) {
        for (int k = caretLineBefore; k < i; ++k) {
            CaretFollows = false;
            VertScroll(scroll::LineDown, 0);
        }
    }
    CaretLine = i;
    if (UpdateVertScrollBar()) {
        RedrawAll();
    } else {
        const int start = result.startRow;
        RedrawEditedRows(start, start == firstLine ? x : 0, result.newLastRow,
                         Strings->Count() - rowsBeforeEdit);
    }
    SelAnchorCol = SelEndCol = SelDrawnEndCol = DesiredCol = CaretCol;
    CaretLine = SelAnchorLine = SelEndLine = SelDrawnEndLine = i;
    UpdateCaretPos();
}

int TVelEdit::LastVisibleRowOfLine(int row) const {
    const int last = std::min(Strings->Count() - 1, TopLine + VisibleLines - 1);
    while (row < last && !HasTerminator(Strings->Get(row))) {
        ++row;
    }
    return row;
}

void TVelEdit::LogicalToRow(int& col, int& line) const {
    const TextPos pos = LineIndex.LogicalToRow({col, line});
    col = pos.col;
    line = pos.line;
}

void TVelEdit::RowToLogical(int& col, int& line) const {
    const TextPos pos = LineIndex.RowToLogical({col, line});
    col = pos.col;
    line = pos.line;
}

void TVelEdit::Rewrap() {
    if (FWordWrap) {
        RewrapAll(false, false);
        RewrapAll(true, true);
    }
}

void TVelEdit::RewrapOrRedraw() {
    if (FWordWrap) {
        Rewrap();
    } else {
        UpdateVertScrollBar();
        RedrawAll();
        UpdateCaretPos();
    }
}

void TVelEdit::RefreshLayout() {
    BuildFont();
    VertBar->setVisible(FVertScrollBar);
    HorzBar->setVisible(FHorzScrollBar);
    LayoutChildren();
    UpdateMetrics();
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    UpdateGutter();
    UpdateViewSize(ClientWidth(), ClientHeight());
    CaretY = (CaretLine - TopLine) * LinePitch;
    SetImeWindow(CaretX + TextLeft, CaretY + FTopMargin);
    RecreateCaret();
    RewrapOrRedraw();
}

void TVelEdit::BuildFont() {
    FontDescription = platform::FontDesc{};
    FontDescription.faceName = QString::fromStdString(FFont.Name);
    FontDescription.height = -FFont.Height;
    FontDescription.charSet = 1;
}

void TVelEdit::UpdateMetrics() {
    ResetCanvas();
    RowWidths.Clear();
    canvas_->setDotPhase(0);
    const platform::FontMetricsInfo& metrics = canvas_->fontMetrics();
    AvgCharWidth = std::max(1, metrics.averageCharWidth);
    FontHeight = metrics.height;
    SetLineSpace(FLineSpace);
    CRMarkBottom = static_cast<int>(std::lround(FontHeight * 0.8));
    CRMarkTop = static_cast<int>(std::lround(FontHeight * 0.2));
    MaxColumns = (32767 / AvgCharWidth) / 2;
    DblSpaceWidth = canvas_->textWidth("\x81\x40");
    DblSpaceHeight = FontHeight;
    SpaceWidth = canvas_->textWidth(" ");
}

void TVelEdit::UpdateGutter() {
    if (FShowLineNumber) {
        DigitWidth = canvas_->textWidth("0");
        GutterWidth = std::min(100, DigitWidth * FLineNoColumn) + 7;
    } else {
        GutterWidth = 0;
    }
    TextLeft = MinTextLeft = FLeftMargin + GutterWidth;
}

void TVelEdit::UpdateViewSize(int width, int height) {
    TextAreaWidth = width - TextLeft;
    TextAreaHeight = height - FTopMargin;
    const int pitch = std::max(1, LinePitch);
    VisibleLines = std::max(0, TextAreaHeight / pitch);
    VisibleColumns = std::max(0, TextAreaWidth / std::max(1, AvgCharWidth));
    PageFifth = (VisibleLines + 4) / 5;
    WidthFifth = (std::max(0, TextAreaWidth) + 4) / 5;
    SetCurSetMode(FCurSetMode);
    const int bottom = VisibleLines * pitch + FTopMargin;
    TextAreaRect = QRect(QPoint(TextLeft, 0), QPoint(width - 1, bottom - 1));
    TextRowsRect = QRect(QPoint(0, FTopMargin), QPoint(width - 1, bottom - 1));
}

void TVelEdit::SetImeWindow(int x, int y) {
    if (!preedit_.isEmpty() && imePoint_ != QPoint(x, y)) {
        // A composition moves with the point.
        const QRect oldPreedit = PreeditRect();
        imePoint_ = QPoint(x, y);
        update(oldPreedit | PreeditRect());
    }
    imePoint_ = QPoint(x, y);
    if (hasFocus()) {
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImFont);
    }
}

} // namespace lumarik::editor
