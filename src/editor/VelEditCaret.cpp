// TVelEdit: caret placement, the scrolling rule that keeps it in view, point to column,
// and the system caret's place on screen.
#include "editor/VelEdit.h"

#include <QTimer>

#include <algorithm>
#include <exception>

#include "editor/CaretHideGuard.h"
#include "editor/EditControlMessages.h"
#include "editor/RowPositions.h"
#include "platform/Caret.h"

namespace lumarik::editor {

namespace {

// Whether text is display line `line` of the store itself, not a copy of its bytes.
bool isStoredRow(const TVelStrings& store, int line, std::string_view text) {
    if (line < 0 || line >= store.Count()) {
        return false;
    }
    const std::string& row = store.Get(line);
    return row.data() == text.data() && row.size() == text.size();
}

// The display line whose stored row text is, looked for at the caret's line and then
// among the rows from `top` on; -1 when it is none of them.
int storedLineOf(const TVelStrings& store, std::string_view text, int caretLine, int top,
                 int rows) {
    if (isStoredRow(store, caretLine, text)) {
        return caretLine;
    }
    for (int line = top; line < top + rows; ++line) {
        if (isStoredRow(store, line, text)) {
            return line;
        }
    }
    return -1;
}

} // namespace

TextWidthFn TVelEdit::CharWidth() const {
    return [this](std::string_view bytes) { return canvas_->textWidth(bytes); };
}

int TVelEdit::ColumnFromX(std::string_view text, int x, int& columnX) const {
    // A stored row has its measures cached; other text is walked from its start.
    const int line = storedLineOf(*Strings, text, CaretLine, TopLine, VisibleLines);
    const ColumnHit hit =
        line >= 0 ? RowWidths.NearestColumn(line, text, x, {FTabCount, FSingleByteMode})
                  : ColumnAtX(StripTerminator(text), x, FTabCount, FSingleByteMode, CharWidth());
    columnX = hit.x;
    return hit.col;
}

bool TVelEdit::SetCaret(int col, int line, int mode, bool setDesired, bool collapse) {
    try {
        const int oldLine = CaretLine;
        if (col >= 0) {
            // Positions come from edits, undo records and hosts alike: never trusted.
            line = std::clamp(line, 0, Strings->Count() - 1);
            col = ClampCaretColumn(Strings->Get(line), col, FSingleByteMode);
            CaretX = ColumnX(line, col) - HorzOffset;
            CaretCol = col;
            CaretLine = line;
        }
        bool scrolled = false;
        if (EnsureVisible(CaretX, CaretLine, mode, 3)) {
            const CaretHideGuard hidden(this);
            UpdateVertScrollBar();
            UpdateHorzScrollBar();
            RedrawAll();
            UpdateCaretPos();
            scrolled = true;
        } else if (col >= 0) {
            UpdateCaretPos();
            if (CaretLine != oldLine) {
                const CaretHideGuard hidden(this);
                MoveCaretUnderline(oldLine, CaretLine);
            }
        }
        if (collapse) {
            SelAnchorCol = SelEndCol = SelDrawnEndCol = CaretCol;
            SelAnchorLine = SelEndLine = SelDrawnEndLine = CaretLine;
        }
        if (setDesired) {
            DesiredCol = CaretCol;
        }
        return scrolled;
    } catch (const std::exception&) {
        ShowError("Error:OC006");
        return false;
    }
}

bool TVelEdit::MoveCaretTo(int col, int line, int mode) {
    line = std::clamp(line, 0, Strings->Count() - 1);
    col = ClampCaretColumn(Strings->Get(line), col, FSingleByteMode);
    ClearSelection();
    return SetCaret(col, line, mode, true, true);
}

bool TVelEdit::EnsureVisible(int x, int line, int mode, int edge) {
    const int oldTopLine = TopLine;
    const int oldHorzOffset = HorzOffset;
    const int keep = TextAreaWidth - TextAreaWidth / 5;
    const int absolute = x + HorzOffset;
    if (x > TextAreaWidth - edge || x < edge) {
        // The caret lands four fifths across the text area, or the text scrolls fully
        // left.
        HorzOffset = std::max(0, absolute - keep);
        CaretX = absolute - HorzOffset;
    }
    if (mode == 2) {
        TopLine = std::max(0, line + static_cast<int>(VisibleLines * 0.8) - VisibleLines);
    } else if (line < TopLine) {
        TopLine = std::max(0, line - VisibleLines / 5);
        if (Strings->Count() < VisibleLines - PageFifth) {
            TopLine = 0;
        }
    } else if (line - TopLine >= VisibleLines) {
        TopLine = std::max(0, line - (VisibleLines - VisibleLines / 5));
    }
    return TopLine != oldTopLine || HorzOffset != oldHorzOffset;
}

void TVelEdit::MoveCaretLines(int n) {
    const int last = Strings->Count() - 1;
    if ((n < 0 && CaretLine <= 0) || (n > 0 && CaretLine >= last)) {
        return;
    }
    if (DesiredCol != DesiredXCol) {
        DesiredXCol = DesiredCol;
        DesiredX = ColumnX(CaretLine, DesiredCol);
    }
    const CaretHideGuard hidden(this);
    DrawCaretUnderline(CaretLine, false);
    CaretLine = std::clamp(CaretLine + n, 0, last);
    int x = 0;
    CaretCol = ColumnFromX(Strings->Get(CaretLine), DesiredX, x);
    if (x - HorzOffset > TextAreaWidth || (HorzOffset > 0 && x - HorzOffset < 0)) {
        HorzOffset = std::max(0, x - TextAreaWidth + WidthFifth);
        RedrawAll();
    }
    CaretX = x - HorzOffset;
    ExtendOrClearSelection();
    UpdateCaretPos();
    DrawCaretUnderline(CaretLine, true);
}

void TVelEdit::UpdateCaretPos() {
    // Nothing while the control's timer is off (without the focus): a search window
    // that holds the focus places the caret without moving it on screen.
    if (!Timer->isActive()) {
        return;
    }
    CaretY = (CaretLine - TopLine) * LinePitch;
    const int y = CaretY + FTopMargin;
    SetImeWindow(CaretX + TextLeft, y);
    platform::Caret& caret = platform::Caret::application();
    if (caret.owner() == this) {
        // A caret scrolled out to the left is parked just outside the client area.
        caret.setPos(QPoint(CaretX < 0 ? -5 : CaretX + TextLeft, y) + ClientOrigin());
    }
    SearchCaretMoved();
    if (CaretCol == NotifiedCol && CaretLine == NotifiedLine && CaretX == NotifiedX) {
        return;
    }
    if (OnSelectionChange) {
        OnSelectionChange(*this);
        NotifiedCol = CaretCol;
        NotifiedLine = CaretLine;
        NotifiedX = CaretX;
    }
    platform::postMessageToAllTopLevel(MsgMoveCaret, reinterpret_cast<platform::WParam>(this),
                                       messages::PackPosition(CaretCol, CaretLine));
    if (SelActive && OnUserClientDraw) {
        OnUserClientDraw(*this, TextLeft, TextLeft + TextAreaWidth, TopLine,
                         std::min(Strings->Count(), TopLine + VisibleLines) - 1);
    }
}

void TVelEdit::RecreateCaret() {
    platform::Caret& caret = platform::Caret::application();
    if (!hasFocus()) {
        return;
    }
    caret.hide();
    caret.destroy();
    caret.create(this, 2, FontHeight);
    caret.setPos(QPoint(TextLeft + CaretX, FTopMargin + CaretY) + ClientOrigin());
    caret.show();
}

} // namespace lumarik::editor
