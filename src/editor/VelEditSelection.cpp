// TVelEdit: the selection's state and its queries: select-all, a range set from
// outside, the selected bounds and bytes, and the temporary search-hit highlight.
#include "editor/VelEdit.h"

#include <algorithm>
#include <utility>

#include "editor/CaretHideGuard.h"
#include "editor/RowPositions.h"

namespace lumarik::editor {

namespace {

const std::string_view kEndOfText("\0\0", 2);

bool before(TextPos a, TextPos b) {
    return a.line < b.line || (a.line == b.line && a.col < b.col);
}

// A position made valid for the store: an anchor may stand after a row's terminator.
TextPos validAnchor(const TVelStrings& rows, TextPos p, bool singleByte) {
    const int last = rows.Count() - 1;
    p.line = std::clamp(p.line, 0, last);
    p.col = ClampAnchorColumn(rows.Get(p.line), p.col, p.line < last, singleByte);
    return p;
}

// The selected range in text order, empty at the caret without a selection. The
// fields are clamped, so a stale field never reads past a row.
std::pair<TextPos, TextPos> selectedRange(const TVelEdit& edit) {
    const TVelStrings& rows = edit.Lines();
    if (edit.AllSelected) {
        const int last = rows.Count() - 1;
        return {{0, 0}, {CaretColumnLimit(rows.Get(last)), last}};
    }
    const bool singleByte = edit.SingleByteMode();
    if (!edit.SelActive) {
        TextPos caret{0, std::clamp(edit.CaretLine, 0, rows.Count() - 1)};
        caret.col = ClampCaretColumn(rows.Get(caret.line), edit.CaretCol, singleByte);
        return {caret, caret};
    }
    const TextPos anchor = validAnchor(rows, {edit.SelAnchorCol, edit.SelAnchorLine}, singleByte);
    const TextPos end = validAnchor(rows, {edit.SelEndCol, edit.SelEndLine}, singleByte);
    return before(end, anchor) ? std::pair{end, anchor} : std::pair{anchor, end};
}

} // namespace

std::pair<TextPos, TextPos> TVelEdit::SelectedRange() const {
    return selectedRange(*this);
}

void TVelEdit::SelectAll() {
    if (Strings->Get(0) == kEndOfText) {
        return;
    }
    DrawCaretUnderline(CaretLine, false);
    AllSelected = true;
    SelActive = false;
    {
        const CaretHideGuard hidden(this);
        const int last = std::min(Strings->Count() - 1, TopLine + VisibleLines - 1);
        for (int i = TopLine; i <= last; ++i) {
            const std::string& row = Strings->Get(i);
            DrawLineSegment(i, 0, row, true, static_cast<int>(row.size()));
        }
    }
    const int lastLine = Strings->Count() - 1;
    SelAnchorCol = SelAnchorLine = 0;
    SelEndLine = lastLine;
    SelEndCol = CaretColumnLimit(Strings->Get(lastLine));
    SearchCaretMoved();
    if (OnSelectionChange) {
        OnSelectionChange(*this);
    }
    NotifiedCol = CaretCol;
    NotifiedLine = CaretLine;
    NotifiedX = CaretX;
    if (OnUserClientDraw) {
        OnUserClientDraw(*this, TextLeft, TextLeft + TextAreaWidth, TopLine,
                         std::min(Strings->Count(), TopLine + VisibleLines) - 1);
    }
}

bool TVelEdit::GetSelBounds(int& startCol, int& startLine, int& endLine, int& endCol) const {
    auto [start, end] = selectedRange(*this);
    // A range ending at the start of a row ends after the row before it.
    if (SelActive && end.line > 0 && end.col == 0) {
        end.line -= 1;
        end.col = static_cast<int>(Strings->Get(end.line).size());
    }
    startCol = start.col;
    startLine = start.line;
    endLine = end.line;
    endCol = end.col;
    return HasSelection();
}

std::string TVelEdit::GetSelText() const {
    const auto [from, to] = selectedRange(*this);
    const std::string& first = Strings->Get(from.line);
    if (from.line == to.line) {
        return first.substr(static_cast<size_t>(from.col), static_cast<size_t>(to.col - from.col));
    }
    std::string text = first.substr(static_cast<size_t>(from.col));
    for (int i = from.line + 1; i < to.line; ++i) {
        text += Strings->Get(i);
    }
    text.append(Strings->Get(to.line), 0, static_cast<size_t>(to.col));
    return text;
}

int64_t TVelEdit::GetSelLength() const {
    const auto [from, to] = selectedRange(*this);
    if (from.line == to.line) {
        return to.col - from.col;
    }
    int64_t length = static_cast<int64_t>(Strings->Get(from.line).size()) - from.col;
    for (int i = from.line + 1; i < to.line; ++i) {
        length += static_cast<int64_t>(Strings->Get(i).size());
    }
    return length + to.col;
}

void TVelEdit::SetSelection(int anchorCol, int anchorLine, int caretLine, int caretCol) {
    ClearSelection();
    DrawCaretUnderline(CaretLine, false);
    // Both ends may come from another program: made valid before anything is painted.
    const TextPos anchor = validAnchor(*Strings, {anchorCol, anchorLine}, FSingleByteMode);
    const int last = Strings->Count() - 1;
    caretLine = std::clamp(caretLine, 0, last);
    const std::string& row = Strings->Get(caretLine);
    if (caretLine < last && caretCol >= static_cast<int>(row.size())) {
        // After a row's terminator, and the end of a row that word wrap continues,
        // are the start of the next row, where the caret moves put the caret too.
        caretLine += 1;
        caretCol = 0;
    }
    caretCol = ClampCaretColumn(Strings->Get(caretLine), caretCol, FSingleByteMode);
    SelAnchorCol = SelDrawnEndCol = anchor.col;
    SelAnchorLine = SelDrawnEndLine = anchor.line;
    CaretCol = caretCol;
    CaretLine = caretLine;
    SelActive = true;
    MoveSelectionEnd(caretCol, caretLine);
    SetCaret(caretCol, caretLine, 0, false, false);
}

void TVelEdit::DrawHighlight(int col, int line, bool remove, TColor back, TColor text, int length) {
    // The range runs on over following rows, and stops at the end of the text however
    // long it is said to be.
    const TextPos start = validAnchor(*Strings, {col, line}, FSingleByteMode);
    const int last = Strings->Count() - 1;
    TextPos end = start;
    long long rest = std::max(0, length);
    while (end.line < last &&
           rest >= static_cast<long long>(Strings->Get(end.line).size()) - end.col) {
        rest -= static_cast<long long>(Strings->Get(end.line).size()) - end.col;
        end = {0, end.line + 1};
    }
    end.col = ClampCaretColumn(Strings->Get(end.line), end.col + rest, FSingleByteMode);

    const CaretHideGuard hidden(this);
    if (remove) {
        RedrawLines(6, start.line, end.line);
        return;
    }
    const TextPos savedCaret{CaretCol, CaretLine};
    const TextPos savedAnchor{SelAnchorCol, SelAnchorLine};
    const TextPos savedEnd{SelEndCol, SelEndLine};
    const TextPos savedDrawnEnd{SelDrawnEndCol, SelDrawnEndLine};
    const bool savedActive = SelActive;
    const TColor savedSelColor = FSelColor;
    const TColor savedFontColor = FFont.Color;
    SelAnchorCol = SelDrawnEndCol = start.col;
    SelAnchorLine = SelDrawnEndLine = start.line;
    CaretCol = SelEndCol = end.col;
    CaretLine = SelEndLine = end.line;
    SelActive = true;
    FSelColor = back;
    // Selected drawing inverts the font colour, so the text shows in `text`.
    FFont.Color = InvertColor(text);
    MoveSelectionEnd(end.col, end.line);
    CaretCol = savedCaret.col;
    CaretLine = savedCaret.line;
    SelAnchorCol = savedAnchor.col;
    SelAnchorLine = savedAnchor.line;
    SelEndCol = savedEnd.col;
    SelEndLine = savedEnd.line;
    SelDrawnEndCol = savedDrawnEnd.col;
    SelDrawnEndLine = savedDrawnEnd.line;
    SelActive = savedActive;
    FSelColor = savedSelColor;
    FFont.Color = savedFontColor;
}

} // namespace lumarik::editor
