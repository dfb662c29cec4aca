// TVelEdit: moving or copying the selected text by dragging it inside the control. The
// drag runs on the control's own mouse and key events, without the system's drag loop:
// the caret shows the drop point, the pointer shows the move or copy cursor over the
// control and a refusal elsewhere, and releasing the button over the control drops
// the text there.
#include "editor/VelEdit.h"

#include <QGuiApplication>
#include <QKeyEvent>

#include <algorithm>
#include <string>

#include "editor/CaretHideGuard.h"
#include "platform/Cursors.h"

namespace lumarik::editor {

namespace {

// The cursor slot that shows a copy.
constexpr int kCopyCursor = 2;

bool before(TextPos a, TextPos b) {
    return a.line < b.line || (a.line == b.line && a.col < b.col);
}

// A place at a row's very end (after a line break, or the end of a continued row) as
// the start of the next row, so that one place in the text has one position.
TextPos atNextRowStart(const TVelStrings& rows, TextPos pos) {
    if (pos.line < rows.Count() - 1 && pos.col >= static_cast<int>(rows.Get(pos.line).size())) {
        return {0, pos.line + 1};
    }
    return pos;
}

// Where a drop point behind a removed range [start, end) comes to stand once the range
// is gone: on the range's last line it moves to where the range started, further down
// it moves up by the lines the range spanned. Points in front of the range stay.
TextPos afterRemoval(TextPos drop, TextPos start, TextPos end) {
    if (before(drop, end)) {
        return drop;
    }
    if (drop.line == end.line) {
        return {drop.col - end.col + start.col, start.line};
    }
    return {drop.col, drop.line - (end.line - start.line)};
}

} // namespace

bool TVelEdit::InsideSelection(TextPos pos) const {
    if (!HasSelection()) {
        return false;
    }
    const auto [from, to] = SelectedRange();
    const TextPos start = atNextRowStart(*Strings, from);
    const TextPos end = atNextRowStart(*Strings, to);
    const TextPos at = atNextRowStart(*Strings, pos);
    // An empty selection holds nothing to drag: a press on it starts a new selection.
    return before(start, end) && !before(at, start) && !before(end, at);
}

void TVelEdit::BeginDrag() {
    if (Dragging || !HasSelection()) {
        return;
    }
    if (OnStartDrag) {
        OnStartDrag(*this);
    }
    // A drag begun during a mouse selection keeps the value saved at the press.
    if (!MouseSelecting) {
        savedScrollFix_ = FCaretScrollFix;
    }
    Dragging = true;
    MouseSelecting = true;
    clickPending_ = false;
    savedDragCursor_ = FDragCursor;
    FCaretScrollFix = false;
    DragOrigin = {SelDrawnEndCol, SelDrawnEndLine};
    dragOverControl_ = false;
    // Ctrl held from the start copies, and the cursor says so at once.
    if (QGuiApplication::keyboardModifiers().testFlag(Qt::ControlModifier)) {
        FDragCursor = kCopyCursor;
    }
    DragMovedTo(pointerAt_);
}

void TVelEdit::ShowDragCursor() {
    setCursor(dragOverControl_ ? platform::cursorSlot(FDragCursor) : QCursor(Qt::ForbiddenCursor));
}

void TVelEdit::DragMovedTo(QPoint at) {
    const bool over = rect().contains(at);
    if ((over || dragOverControl_) && OnDragOver) {
        const TDragState state = !dragOverControl_ ? TDragState::dsDragEnter
                                 : over            ? TDragState::dsDragMove
                                                   : TDragState::dsDragLeave;
        bool accept = true;
        OnDragOver(*this, this, at.x(), at.y(), state, accept);
    }
    dragOverControl_ = over;
    ShowDragCursor();
    // Outside the control too the drop point follows and the view auto-scrolls.
    PointerMoved(at.x(), at.y());
}

void TVelEdit::DragKey(const QKeyEvent& event, bool press) {
    if (press && event.key() == Qt::Key_Escape) {
        CancelDrag(pointerAt_);
        return;
    }
    // The key event of Ctrl itself may not carry the modifier yet.
    const bool ctrl =
        event.key() == Qt::Key_Control ? press : event.modifiers().testFlag(Qt::ControlModifier);
    if (press && ctrl) {
        FDragCursor = kCopyCursor;
    } else if (!press && !ctrl) {
        FDragCursor = savedDragCursor_;
    }
    ShowDragCursor();
}

void TVelEdit::EndDrag(QPoint at, Qt::KeyboardModifiers shift) {
    if (at != LastPointerPoint) {
        DragMovedTo(at);
    }
    // Released outside the control, where the cursor showed the drop refused, the drag
    // drops nothing.
    if (!dragOverControl_) {
        CancelDrag(at);
        return;
    }
    if (OnDragDrop) {
        OnDragDrop(*this, this, at.x(), at.y());
    }
    if (OnEndDrag) {
        OnEndDrag(*this, this, at.x(), at.y());
    }
    DropSelectedText(shift.testFlag(Qt::ControlModifier));
    FinishDrag();
}

void TVelEdit::CancelDrag(QPoint at) {
    if (OnEndDrag) {
        OnEndDrag(*this, nullptr, at.x(), at.y());
    }
    FinishDrag();
    // The caret goes back to the selection's moving end.
    SetCaret(DragOrigin.col, DragOrigin.line, 0, true, false);
}

void TVelEdit::FinishDrag() {
    MouseSelecting = false;
    Dragging = false;
    dragOverControl_ = false;
    AutoScrollDirection = 0;
    LineScrollRun = 0;
    FCaretScrollFix = savedScrollFix_;
    FDragCursor = savedDragCursor_;
    setCursor(Qt::IBeamCursor);
}

void TVelEdit::DropSelectedText(bool copy) {
    MouseSelecting = false;
    TextPos drop{CaretCol, CaretLine};
    if (FReadOnly || InsideSelection(drop)) {
        ClearSelection();
        return;
    }
    const std::string text = GetSelText();
    const auto [start, end] = SelectedRange();
    TextPos from = atNextRowStart(*Strings, start);
    TextPos to = atNextRowStart(*Strings, end);
    CaretCol = DragOrigin.col;
    CaretLine = DragOrigin.line;
    // Word wrap may cut the rows anew once the text is gone: the drop point is kept
    // as a place in the logical line.
    const bool logical = FWordWrap && !copy;
    if (logical) {
        RowToLogical(drop.col, drop.line);
        RowToLogical(from.col, from.line);
        RowToLogical(to.col, to.line);
    }
    const CaretHideGuard hidden(this);
    if (copy) {
        ClearSelection();
    } else {
        // The picture is drawn once, when the text has arrived.
        DeleteSelection(false);
        drop = afterRemoval(drop, from, to);
    }
    if (logical) {
        LogicalToRow(drop.col, drop.line);
    }
    CaretLine = std::clamp(drop.line, 0, Strings->Count() - 1);
    CaretCol = drop.col;
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    RecordUndo(static_cast<int>(UndoKind::Inserted), text, CaretCol, CaretLine);
    InsertAtCaret(text, true);
    CollapseSelectionToCaret();
    DesiredCol = CaretCol;
    UpdateVertScrollBar();
    RedrawAll();
    UpdateCaretPos();
    NotifyChange();
}

} // namespace lumarik::editor
