// TVelEdit: the two bulk edits every editing command is built from (deleting the
// selection, inserting at the caret), their re-layout and repaint, and the change
// notification.
#include "editor/VelEdit.h"

#include <algorithm>

#include "editor/CaretHideGuard.h"
#include "editor/EditControlMessages.h"
#include "editor/RowPositions.h"
#include "editor/TextRows.h"
#include "editor/VelEditSub.h"

namespace lumarik::editor {

namespace {

// A position after a terminated row's terminator is the start of the next row, so a
// range ending or starting there joins rows instead of cutting a terminator off.
TextPos normalized(const TVelStrings& rows, TextPos p) {
    if (p.line < rows.Count() - 1) {
        const std::string& row = rows.Get(p.line);
        if (HasTerminator(row) && p.col >= static_cast<int>(row.size())) {
            return {0, p.line + 1};
        }
    }
    return p;
}

bool holdsBreak(std::string_view text) {
    return text.find(kCR) != std::string_view::npos || text.find('\0') != std::string_view::npos;
}

// Inserted text cut where it holds breaks: each CR or NUL ends a row together with
// the byte after it. A CR or NUL as the very last byte has no partner in the text
// and stays an ordinary byte: pairing it with the byte after the caret would take
// half of a terminator or of the end-of-text mark.
struct InsertedRows {
    std::vector<std::string> terminated; // rows that end with their two break bytes
    std::string rest;                    // what follows the last break
};

InsertedRows cutInserted(std::string_view text) {
    InsertedRows cut;
    size_t start = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == kCR || text[i] == '\0') {
            cut.terminated.emplace_back(text.substr(start, i + 2 - start));
            start = i + 2;
            ++i;
        }
    }
    cut.rest = std::string(text.substr(start));
    return cut;
}

} // namespace

void TVelEdit::NotifyChange(platform::WParam wParam) {
    if (OnChange) {
        OnChange(*this);
    }
    platform::postMessageToAllTopLevel(MsgChange, wParam, 0);
}

void TVelEdit::CollapseSelectionToCaret() {
    SelAnchorCol = SelEndCol = SelDrawnEndCol = CaretCol;
    SelAnchorLine = SelEndLine = SelDrawnEndLine = CaretLine;
}

bool TVelEdit::RemoveRange(TextPos from, TextPos to) {
    const int upper = from.line;
    if (from.line == to.line) {
        Strings->EraseBytes(upper, from.col, to.col - from.col);
    } else {
        // The lower row's tail joins the upper row's head; the rows between go.
        const std::string& lower = Strings->Get(to.line);
        const std::string tail = lower.substr(static_cast<size_t>(to.col));
        const std::string& head = Strings->Get(upper);
        Strings->EraseBytes(upper, from.col, static_cast<int>(head.size()) - from.col);
        Strings->InsertBytes(upper, from.col, tail);
        Strings->DeleteRange(upper + 1, to.line - upper);
    }
    // Only a row continued by word wrap can be emptied; its text goes on in the next.
    if (Strings->Get(upper).empty() && Strings->Count() > 1) {
        Strings->Delete(upper);
        LinesChanged(upper);
        return true;
    }
    if (from.line == to.line) {
        RowEdited(upper, from.col);
        return false;
    }
    RowsSplitOrJoined(upper, from.col, upper - to.line);
    return true;
}

void TVelEdit::DeleteSelection(bool redraw) {
    const auto [from, to] = SelectedRange();
    const std::string text = GetSelText();
    SelActive = AllSelected = false;
    if (!Undoing) {
        const TextPos at = normalized(*Strings, from);
        RecordUndo(static_cast<int>(UndoKind::Deleted), text, at.col, at.line);
    }
    DeleteText(from, to, redraw);
}

void TVelEdit::DeleteText(TextPos from, TextPos to, bool redraw) {
    from = normalized(*Strings, from);
    to = normalized(*Strings, to);
    const CaretHideGuard hidden(this);
    DrawCaretUnderline(CaretLine, false);
    const int rowsBefore = Strings->Count();
    const bool rowsRemoved = RemoveRange(from, to);
    CaretLine = from.line;
    // A lead byte in front of the removed bytes may pair with the byte behind them now:
    // the caret goes in front of that character.
    CaretCol = ClampCaretColumn(Strings->Get(from.line), from.col, FSingleByteMode);
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    CaretY = (CaretLine - TopLine) * LinePitch;
    DesiredCol = CaretCol;
    CollapseSelectionToCaret();
    if (FWordWrap) {
        RewrapLines(CaretX, CaretLine, redraw, rowsBefore, CaretLine);
        CollapseSelectionToCaret();
        return;
    }
    if (redraw && !SetCaret(-1, CaretLine, 0, true, true)) {
        if (UpdateVertScrollBar()) {
            RedrawAll();
        } else if (rowsRemoved) {
            RedrawEditedRows(CaretLine, CaretX, CaretLine, Strings->Count() - rowsBefore);
        } else {
            DrawLine(EditedRowX(CaretX), CaretY, Strings->Get(CaretLine));
            DrawLinks(CaretLine, CaretLine, nullptr);
            DrawCaretUnderline(CaretLine, true);
            UpdateHorzScrollBar();
        }
        UpdateCaretPos();
    }
}

void TVelEdit::InsertAtCaret(std::string_view text, bool redraw) {
    if (text.empty()) {
        return;
    }
    const int line = std::clamp(CaretLine, 0, Strings->Count() - 1);
    const int col = std::clamp(CaretCol, 0, static_cast<int>(Strings->Get(line).size()));
    const CaretHideGuard hidden(this);
    DrawCaretUnderline(CaretLine, false);
    const int rowsBefore = Strings->Count();
    const int headX = ColumnX(line, col) - HorzOffset;
    CaretY = (line - TopLine) * LinePitch;
    CaretLine = line;

    if (!holdsBreak(text)) {
        // Edited in place: typing at the end of a very long row never copies it.
        Strings->InsertBytes(line, col, text);
        RowEdited(line, col);
        // Inserted text that ends in a lead byte pairs it with the byte behind: the
        // caret goes in front of that character.
        CaretCol = ClampCaretColumn(Strings->Get(line), col + static_cast<int>(text.size()),
                                    FSingleByteMode);
        if (FWordWrap) {
            RewrapLines(headX, line, redraw, rowsBefore, line);
            CollapseSelectionToCaret();
            return;
        }
        CaretX = ColumnX(line, CaretCol) - HorzOffset;
        CollapseSelectionToCaret();
        if (redraw && !SetCaret(-1, CaretLine, 0, true, true)) {
            if (UpdateVertScrollBar()) {
                RedrawAll();
            } else {
                DrawLine(EditedRowX(headX), CaretY, Strings->Get(line));
                DrawLinks(line, line, nullptr);
                DrawCaretUnderline(line, true);
            }
            UpdateHorzScrollBar();
            UpdateCaretPos();
        }
        return;
    }

    // The row keeps its head and takes the first cut row; the other cut rows follow
    // it, and the last one takes the row's old tail.
    std::string tail = Strings->Get(line).substr(static_cast<size_t>(col));
    Strings->EraseBytes(line, col, static_cast<int>(tail.size()));
    InsertedRows cut = cutInserted(text);
    if (cut.terminated.empty()) {
        Strings->InsertBytes(line, col, cut.rest);
        CaretCol = col + static_cast<int>(cut.rest.size());
        Strings->InsertBytes(line, CaretCol, tail);
    } else {
        Strings->InsertBytes(line, col, cut.terminated.front());
        std::vector<std::string> rows(std::make_move_iterator(cut.terminated.begin() + 1),
                                      std::make_move_iterator(cut.terminated.end()));
        CaretCol = static_cast<int>(cut.rest.size());
        rows.push_back(std::move(cut.rest) + tail);
        CaretLine = line + static_cast<int>(rows.size());
        Strings->InsertRange(line + 1, std::move(rows));
    }
    RowsSplitOrJoined(line, col, CaretLine - line);
    CaretCol = ClampCaretColumn(Strings->Get(CaretLine), CaretCol, FSingleByteMode);
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    if (FWordWrap) {
        RewrapLines(headX, line, redraw, rowsBefore, CaretLine);
        CollapseSelectionToCaret();
        return;
    }
    CollapseSelectionToCaret();
    if (redraw && !SetCaret(-1, CaretLine, 0, true, true)) {
        if (UpdateVertScrollBar()) {
            RedrawAll();
        } else {
            RedrawEditedRows(line, headX, CaretLine, Strings->Count() - rowsBefore);
        }
        UpdateCaretPos();
    }
}

void TVelEdit::ReplaceSelText(std::string_view text) {
    if (FReadOnly) {
        return;
    }
    const bool replacesSelection = HasSelection();
    if (replacesSelection) {
        DeleteSelection(true);
    }
    RecordInsertion(text, replacesSelection);
    InsertAtCaret(text, true);
    NotifyChange();
}

} // namespace lumarik::editor
