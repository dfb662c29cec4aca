// TVelEdit: the pointer. A point as a caret place, click and Shift-click, whole rows
// from the gutter, selecting by dragging with auto-scroll while the pointer is outside
// the text area, the double click and the pop-up menu.
#include "editor/VelEdit.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>

#include "editor/CaretHideGuard.h"
#include "editor/RowPositions.h"
#include "editor/VelEditSub.h"
#include "platform/Caret.h"

namespace lumarik::editor {

namespace {

// A press this many pixels left of the text still counts as a press on the text.
constexpr int kGutterSlack = 4;

} // namespace

void TVelEdit::CaretFromPoint(int x, int y) {
    SelDrawnEndCol = CaretCol;
    SelDrawnEndLine = CaretLine;
    // A view too low for one whole row still points into the first row shown.
    const int rowsShown = std::max(1, VisibleLines);
    const int row = std::min(std::max(0, y - FTopMargin) / LinePitch, rowsShown - 1);
    CaretLine = std::clamp(TopLine + row, 0, Strings->Count() - 1);
    const int dx = x - TextLeft;
    if (dx < -kGutterSlack) {
        CaretCol = 0;
        CaretX = 0;
        HorzOffset = 0;
    } else {
        CaretCol = ColumnFromX(Strings->Get(CaretLine), dx + HorzOffset, CaretX);
    }
    DesiredCol = CaretCol;
    // The view moves by thirds of the text area until the caret is inside it.
    const int step = std::max(1, TextAreaWidth / 3);
    if (CaretX > HorzOffset + TextAreaWidth) {
        HorzOffset += (CaretX - HorzOffset - TextAreaWidth + step - 1) / step * step;
    }
    if (CaretX < HorzOffset) {
        HorzOffset = std::max(0, HorzOffset - (HorzOffset - CaretX + step - 1) / step * step);
    }
    CaretX -= HorzOffset;
}

void TVelEdit::SelectGutterRow() {
    ClearSelection();
    // The row with its line break, but without the end-of-text mark.
    const int length = static_cast<int>(StripEndMark(Strings->Get(CaretLine)).size());
    if (length == 0) {
        return;
    }
    // Painted from the row's end back to the caret at its start.
    SelAnchorCol = SelDrawnEndCol = length;
    SelAnchorLine = SelDrawnEndLine = CaretLine;
    SelActive = true;
    MoveSelectionEnd(CaretCol, CaretLine);
}

void TVelEdit::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at,
                         QPoint global) {
    if (Composing) {
        QGuiApplication::inputMethod()->commit();
    }
    // The press that comes with a double click.
    if (SkipNextMouseDown) {
        SkipNextMouseDown = false;
        return;
    }
    const int x = at.x();
    const int y = at.y();
    if (button == Qt::LeftButton) {
        const int oldOffset = HorzOffset;
        setFocus(Qt::MouseFocusReason);
        platform::Caret& caret = platform::Caret::application();
        const bool hidden = caret.owner() == this && caret.hide();
        DrawCaretUnderline(UnderlinedLine, false);
        CaretFromPoint(x, y);
        MouseSelecting = true;
        savedScrollFix_ = FCaretScrollFix;
        clickPending_ = true;
        bool dragCandidate = false;
        if (shift.testFlag(Qt::ShiftModifier)) {
            // From the anchor, or from the old caret without a selection, to the press.
            SelActive = true;
            MoveSelectionEnd(CaretCol, CaretLine);
        } else if (x >= TextLeft - kGutterSlack) {
            dragCandidate = InsideSelection({CaretCol, CaretLine});
            if (!dragCandidate) {
                ClearSelection();
            }
        } else {
            SelectGutterRow();
        }
        if (HorzOffset != oldOffset) {
            RedrawAll();
        }
        UpdateCaretPos();
        // Without a caret of its own yet the control sets one up as on focus gain.
        if (!hidden || !caret.show()) {
            GainFocus();
        }
        if (dragCandidate && FDragMode == TDragMode::dmAutomatic) {
            // A read-only control keeps the selection and starts nothing.
            if (!FReadOnly) {
                BeginDrag();
            }
        } else if (dragCandidate) {
            bool canDrag = true;
            if (OnManualStartDrag) {
                OnManualStartDrag(*this, GetSelText(), canDrag);
            }
            if (!OnManualStartDrag || !canDrag) {
                ClearSelection();
            }
        }
    } else if (button == Qt::RightButton && FPopupMenu != nullptr) {
        FPopupMenu->popup(global);
    }
    if (OnMouseDown) {
        OnMouseDown(*this, button, shift, x, y);
    }
}

void TVelEdit::PointerMoved(int x, int y) {
    LastPointerPoint = {x, y};
    AutoScrollDirection = 0;
    if (!MouseSelecting) {
        return;
    }
    FCaretScrollFix = false;
    // Outside the text area the timer moves the caret, a row or a character a tick.
    if (y > VisibleLines * LinePitch + FTopMargin) {
        AutoScrollDirection = 1;
    } else if (y <= FTopMargin) {
        AutoScrollDirection = -1;
    } else if (x > TextLeft + TextAreaWidth) {
        AutoScrollDirection = 2;
    } else if (x <= TextLeft && HorzOffset > 0) {
        AutoScrollDirection = -2;
    }
    if (AutoScrollDirection != 0) {
        return;
    }
    const int oldOffset = HorzOffset;
    const TextPos oldCaret{CaretCol, CaretLine};
    CaretFromPoint(x, y);
    if (CaretCol != oldCaret.col || CaretLine != oldCaret.line) {
        const CaretHideGuard hidden(this);
        if (Dragging) {
            // The caret shows the drop point; the selection stays as it is painted.
            SelDrawnEndCol = SelEndCol;
            SelDrawnEndLine = SelEndLine;
        } else {
            // Dragging down from a row selected at the gutter takes whole rows.
            const int oldAnchorCol = SelAnchorCol;
            if (x < TextLeft && CaretLine == SelAnchorLine + 1) {
                SelAnchorCol = 0;
            }
            SelActive = true;
            MoveSelectionEnd(CaretCol, CaretLine);
            // The anchor's row now shows selected from its start.
            if (SelAnchorCol != oldAnchorCol) {
                RedrawTextBetween({0, SelAnchorLine}, {oldAnchorCol, SelAnchorLine});
            }
        }
        UpdateCaretPos();
    }
    if (HorzOffset != oldOffset) {
        const CaretHideGuard hidden(this);
        RedrawAll();
        UpdateCaretPos();
    }
}

void TVelEdit::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at) {
    if (button == Qt::LeftButton && clickPending_) {
        clickPending_ = false;
        if (QRect(0, 0, ClientWidth(), ClientHeight()).contains(at) && OnClick) {
            OnClick(*this);
        }
    }
    if (OnMouseUp) {
        OnMouseUp(*this, button, shift, at.x(), at.y());
    }
    AutoScrollDirection = 0;
    if (MouseSelecting) {
        MouseSelecting = false;
        FCaretScrollFix = savedScrollFix_;
    }
    DrawCaretUnderline(CaretLine, true);
}

void TVelEdit::ReleasePointer() {
    if (Dragging) {
        CancelDrag(pointerAt_);
    } else if (MouseSelecting) {
        MouseSelecting = false;
        AutoScrollDirection = 0;
        FCaretScrollFix = savedScrollFix_;
    }
    clickPending_ = false;
}

void TVelEdit::TimerTick() {
    switch (AutoScrollDirection) {
    case 1:
        CaretUpDown(1);
        break;
    case -1:
        CaretUpDown(-1);
        break;
    case 2:
        if (CaretCol < CaretColumnLimit(Strings->Get(CaretLine))) {
            CaretRight(false);
        }
        break;
    case -2:
        if (CaretCol > 0) {
            CaretLeft(false);
        }
        break;
    default:
        break;
    }
}

// Pointer positions come in widget coordinates; the text is laid out in the client
// area inside BorderStyle's edge.
QPoint TVelEdit::ClientPoint(const QMouseEvent& event) const {
    return event.position().toPoint() - ClientOrigin();
}

void TVelEdit::mousePressEvent(QMouseEvent* event) {
    event->accept();
    pointerAt_ = ClientPoint(*event);
    // A drag the owner started without a pressed button ends at the next release.
    if (Dragging) {
        return;
    }
    MouseDown(event->button(), event->modifiers(), pointerAt_, event->globalPosition().toPoint());
}

void TVelEdit::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    pointerAt_ = ClientPoint(*event);
    if (Dragging) {
        DragMovedTo(pointerAt_);
        return;
    }
    if (OnMouseMove) {
        OnMouseMove(*this, event->modifiers(), pointerAt_.x(), pointerAt_.y());
    }
    PointerMoved(pointerAt_.x(), pointerAt_.y());
}

void TVelEdit::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    pointerAt_ = ClientPoint(*event);
    if (Dragging) {
        if (event->button() == Qt::LeftButton) {
            EndDrag(pointerAt_, event->modifiers());
        }
        return;
    }
    MouseUp(event->button(), event->modifiers(), pointerAt_);
}

void TVelEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (Dragging) {
        return;
    }
    // The press that comes with the double click is swallowed: a double click selects
    // nothing by itself.
    if (event->button() == Qt::LeftButton) {
        if (OnDblclick) {
            OnDblclick(*this);
        }
        SkipNextMouseDown = true;
    }
    pointerAt_ = ClientPoint(*event);
    MouseDown(event->button(), event->modifiers(), pointerAt_, event->globalPosition().toPoint());
}

void TVelEdit::contextMenuEvent(QContextMenuEvent* event) {
    event->accept();
    // A right press has shown the menu already; the menu key shows it at the caret.
    if (event->reason() != QContextMenuEvent::Mouse && FPopupMenu != nullptr) {
        FPopupMenu->popup(event->globalPos());
    }
}

} // namespace lumarik::editor
