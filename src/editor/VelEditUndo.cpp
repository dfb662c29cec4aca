// TVelEdit: the undo history. Each edit records what it is about to insert or remove
// at a logical position, whether word wrap is on or off, so records survive every
// re-wrap and every switch of WordWrap or Column; Undo takes back the newest record and
// the one recorded with it for the same user action.
#include "editor/VelEdit.h"

#include <algorithm>
#include <new>

#include "editor/CaretHideGuard.h"

namespace lumarik::editor {

namespace {

bool before(TextPos a, TextPos b) {
    return a.line < b.line || (a.line == b.line && a.col < b.col);
}

} // namespace

TextPos TVelEdit::DisplayPosition(int col, int line) const {
    LogicalToRow(col, line);
    return {col, line};
}

bool TVelEdit::RecordUndo(int kind, std::string_view text, int col, int line) {
    if (text.empty()) {
        return true;
    }
    if (!Modified) {
        Modified = true;
        if (OnChangeModify) {
            OnChangeModify(*this, true);
        }
    }
    if (col == -1) {
        const TextPos anchor{SelAnchorCol, SelAnchorLine};
        const TextPos end{SelEndCol, SelEndLine};
        const TextPos start = before(end, anchor) ? end : anchor;
        col = start.col;
        line = start.line;
    }
    const auto length = static_cast<int64_t>(text.size());
    const bool fits = UndoRecords.MakeRoom(length, FUndoBuf, UndoLost);
    if (fits) {
        // Unwrapped, a row and a logical line differ too: a lone CR ends a row but no
        // logical line.
        RowToLogical(col, line);
        try {
            UndoRecords.PushNewest({static_cast<UndoKind>(kind), col, line, std::string(text)});
        } catch (const std::bad_alloc&) {
            // Older records would replay at wrong places once this edit happened
            // without its record: the history goes, as for an edit over budget.
            UndoRecords.Clear();
            UndoLost = true;
            ShowError("Error:OC001");
        }
    }
    if (RedoMode && OnChangeRedoMode) {
        RedoMode = false;
        OnChangeRedoMode(*this, false);
    }
    return fits && !UndoRecords.Empty();
}

void TVelEdit::RecordInsertion(std::string_view text, bool replacesSelection) {
    if (RecordUndo(static_cast<int>(UndoKind::Inserted), text, CaretCol, CaretLine) &&
        replacesSelection && !text.empty()) {
        UndoRecords.JoinNewestWithOlder();
    }
}

void TVelEdit::Undo() {
    if (FReadOnly || UndoRecords.Empty()) {
        return;
    }
    ReplayNewest();
    if (!RedoMode && OnChangeRedoMode) {
        RedoMode = true;
        OnChangeRedoMode(*this, true);
    }
}

void TVelEdit::ReplayNewest() {
    const UndoRecord record = UndoRecords.PopNewest();
    ClearSelection();
    {
        const CaretHideGuard hidden(this);
        DrawCaretUnderline(CaretLine, false);
    }
    const TextPos at = DisplayPosition(record.col, record.line);
    CaretCol = at.col;
    CaretLine = at.line;
    Undoing = true;
    // The caret stands in front of text a Delete or an overwrite removed.
    bool caretBefore = record.kind == UndoKind::Deleted1 || record.kind == UndoKind::Overwritten;
    if (record.kind == UndoKind::Inserted) {
        // The inserted bytes run on from the record's place over following rows.
        TextPos end = at;
        int64_t rest = static_cast<int64_t>(record.text.size());
        const int last = Strings->Count() - 1;
        while (end.line < last &&
               rest >= static_cast<int64_t>(Strings->Get(end.line).size()) - end.col) {
            rest -= static_cast<int64_t>(Strings->Get(end.line).size()) - end.col;
            end = {0, end.line + 1};
        }
        end.col += static_cast<int>(rest);
        // Exactly the recorded bytes go, even where they pair with the bytes around
        // them differently from how the text reads now.
        DeleteText(at, end, true);
        caretBefore = false;
        // Typing over a selection or over existing bytes is one action with the
        // record made just before it: at the same place, or the selection deleted
        // wherever that left the caret.
        if (!UndoRecords.Empty() &&
            (record.withOlder || (UndoRecords.Newest().col == record.col &&
                                  UndoRecords.Newest().line == record.line)) &&
            (UndoRecords.Newest().kind == UndoKind::Deleted ||
             UndoRecords.Newest().kind == UndoKind::Overwritten)) {
            const UndoRecord partner = UndoRecords.PopNewest();
            caretBefore = partner.kind == UndoKind::Overwritten;
            // The deleted bytes go back where they were, not where the removal left the
            // caret: in front of a lead byte that paired with the bytes behind them.
            const TextPos place = DisplayPosition(partner.col, partner.line);
            CaretCol = place.col;
            CaretLine = place.line;
            InsertAtCaret(partner.text, true);
        }
    } else {
        InsertAtCaret(record.text, true);
    }
    if (caretBefore) {
        const TextPos place = DisplayPosition(record.col, record.line);
        SetCaret(place.col, place.line, 0, true, true);
    }
    Undoing = false;
    const bool modified = !UndoRecords.Empty() || UndoLost;
    if (modified != Modified) {
        Modified = modified;
        if (OnChangeModify) {
            OnChangeModify(*this, modified);
        }
    }
    NotifyChange();
}

void TVelEdit::ClearUndo() {
    UndoRecords.Clear();
}

} // namespace lumarik::editor
