// TVelEdit: the keyboard's caret moves: by character and by word, to the next line's
// start, up and down, by page, to the ends of the line and of the text.
#include "editor/VelEdit.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "editor/CaretHideGuard.h"
#include "editor/RowPositions.h"
#include "editor/ScrollCodes.h"
#include "editor/VelEditSub.h"
#include "editor/WordScan.h"

namespace lumarik::editor {

namespace {

bool shiftHeld() {
    return QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
}

// Before a jump to the text's start or end: with Shift an existing selection stays and
// a new one starts at the caret; without it a selection is cleared.
void keepOrStartSelectionForJump(TVelEdit& edit) {
    const bool shift = shiftHeld();
    if (edit.HasSelection()) {
        if (!shift) {
            edit.ClearSelection();
        }
    } else if (shift || edit.MouseSelecting) {
        edit.SelActive = true;
        edit.SelAnchorCol = edit.CaretCol;
        edit.SelAnchorLine = edit.CaretLine;
    }
}

bool isStopByte(char byte) {
    return byte == '\t' || byte == '\r' || byte == '\0';
}

} // namespace

void TVelEdit::CaretRight(bool byWord) {
    CaretReshow(true);
    DesiredCol = 0;
    const std::string_view row = Strings->Get(CaretLine);
    const bool lastLine = CaretLine >= Strings->Count() - 1;
    const int limit = CaretColumnLimit(row);
    const int from = CaretCol;
    bool toNextLine = false;
    if (CaretCol < limit) {
        const char byte = row[static_cast<size_t>(CaretCol)];
        // A lead byte in front of the terminator is a character of its own.
        CaretCol = byWord && !isStopByte(byte)
                       ? ScanWordForward(row, CaretCol, FSingleByteMode)
                       : CaretCol + CharLengthAt(row.substr(0, static_cast<size_t>(limit)),
                                                 CaretCol, FSingleByteMode);
        toNextLine = CaretCol >= static_cast<int>(row.size()) && !lastLine;
    } else if (HasTerminator(row)) {
        // Only a line break leads on; the end-of-text mark and a NUL pair end the way.
        toNextLine = row[static_cast<size_t>(limit)] == '\r' && !lastLine;
    } else {
        // The end of a continued row is the same place as the next row's start.
        toNextLine = !lastLine;
    }
    if (!toNextLine && CaretCol == from) {
        DesiredCol = CaretCol;
        return;
    }
    {
        const CaretHideGuard hidden(this);
        if (toNextLine) {
            NextLineStart();
        } else {
            const std::string_view passed =
                row.substr(static_cast<size_t>(from), static_cast<size_t>(CaretCol - from));
            // A tab's width depends on where it stands; other characters measure alone.
            CaretX = passed == "\t" ? ColumnX(CaretLine, CaretCol) - HorzOffset
                                    : CaretX + ExpandedWidth(passed);
            while (TextAreaWidth - CaretX - EndMargin < 0) {
                const int offset = HorzOffset;
                HorzScroll(scroll::LineRight, 0);
                if (HorzOffset == offset) {
                    break;
                }
            }
            ExtendOrClearSelection();
        }
        UpdateCaretPos();
    }
    DesiredCol = CaretCol;
}

void TVelEdit::NextLineStart() {
    const int line = CaretLine;
    if (line >= Strings->Count() - 1) {
        return;
    }
    const int oldOffset = HorzOffset;
    HorzOffset = 0;
    DesiredCol = 0;
    if (line - TopLine + PageFifth >= VisibleLines) {
        // The view scrolls and takes the caret along to column 0; an accelerated or
        // refused scroll is corrected below.
        VertScroll(scroll::LineDown, 0);
    }
    if (CaretLine != line + 1) {
        MoveCaretUnderline(CaretLine, line + 1);
        CaretLine = line + 1;
    }
    CaretCol = 0;
    CaretX = 0;
    if (oldOffset != 0) {
        RedrawAll();
    }
    ExtendOrClearSelection();
}

void TVelEdit::CaretLeft(bool byWord) {
    CaretReshow(true);
    DesiredCol = 0;
    if (CaretLine == 0 && CaretCol == 0) {
        return;
    }
    {
        const CaretHideGuard hidden(this);
        if (CaretCol == 0) {
            const int line = CaretLine;
            if (line - TopLine - PageFifth <= 0) {
                VertScroll(scroll::LineUp, 0);
            }
            if (CaretLine != line - 1) {
                MoveCaretUnderline(CaretLine, line - 1);
                CaretLine = line - 1;
            }
            // In front of the line break, or in front of a continued row's last
            // character: its end is the same place as the start just left.
            const std::string_view row = Strings->Get(CaretLine);
            CaretCol = HasTerminator(row)
                           ? ClampCaretColumn(row, CaretColumnLimit(row), FSingleByteMode)
                           : static_cast<int>(CharStartBefore(
                                 row, static_cast<long long>(row.size()), FSingleByteMode));
            const int width = ColumnX(CaretLine, CaretCol);
            const int oldOffset = HorzOffset;
            HorzOffset = std::max(0, width - TextAreaWidth + EndMargin);
            CaretX = width - HorzOffset;
            if (HorzOffset != oldOffset) {
                RedrawAll();
            }
        } else {
            const std::string_view row = Strings->Get(CaretLine);
            const int from = CaretCol;
            const auto start = static_cast<int>(CharStartBefore(row, from, FSingleByteMode));
            CaretCol = byWord && row[static_cast<size_t>(start)] != '\t'
                           ? ScanWordBackward(row, from, FSingleByteMode)
                           : start;
            const std::string_view passed =
                row.substr(static_cast<size_t>(CaretCol), static_cast<size_t>(from - CaretCol));
            CaretX = passed.find('\t') == std::string_view::npos
                         ? CaretX - ExpandedWidth(passed)
                         : ColumnX(CaretLine, CaretCol) - HorzOffset;
            while (CaretX < 0 && HorzOffset > 0) {
                HorzScroll(scroll::LineLeft, 0);
            }
        }
        ExtendOrClearSelection();
        UpdateCaretPos();
    }
    DesiredCol = CaretCol;
}

void TVelEdit::CaretUpDown(int d) {
    CaretReshow(false);
    constexpr int kMaxRun = std::numeric_limits<int16_t>::max();
    if (d > 0 && CaretLine - TopLine + PageFifth >= VisibleLines) {
        LineScrollRun =
            static_cast<int16_t>(std::min(std::max<int>(LineScrollRun, 0) + 1, kMaxRun));
        if (VertScroll(scroll::LineDown, 0) == 0) {
            MoveCaretLines(1);
        }
        return;
    }
    if (d < 0 && CaretLine - TopLine - PageFifth < 0) {
        LineScrollRun =
            static_cast<int16_t>(std::max(std::min<int>(LineScrollRun, 0) - 1, -kMaxRun));
        if (VertScroll(scroll::LineUp, 0) == 0) {
            MoveCaretLines(-1);
        }
        return;
    }
    MoveCaretLines(d);
}

void TVelEdit::PageMove(int d) {
    CaretReshow(true);
    // At either end the view stays; the caret still goes the page's way.
    if (VertScroll(d < 0 ? scroll::PageUp : scroll::PageDown, 0) == 0) {
        MoveCaretLines(ScrollCaretDelta);
    }
}

void TVelEdit::LineStart() {
    CaretReshow(true);
    if (CaretLine == 0 && CaretCol == 0 && HorzOffset == 0) {
        return;
    }
    const CaretHideGuard hidden(this);
    CaretCol = 0;
    CaretX = 0;
    ExtendOrClearSelection();
    if (HorzOffset != 0) {
        HorzOffset = 0;
        RedrawAll();
    }
    DesiredCol = 0;
    UpdateCaretPos();
}

void TVelEdit::LineEnd() {
    CaretReshow(true);
    const std::string_view row = Strings->Get(CaretLine);
    const int end = ClampCaretColumn(row, CaretColumnLimit(row), FSingleByteMode);
    const int width = ColumnX(CaretLine, end);
    // The line's end stands EndMargin pixels from the right edge, or the line fits.
    const int offset = std::max(0, width - TextAreaWidth + EndMargin);
    if (CaretLine == Strings->Count() - 1 && CaretCol == end && HorzOffset == offset) {
        return;
    }
    const CaretHideGuard hidden(this);
    const int oldOffset = HorzOffset;
    HorzOffset = offset;
    CaretX = width - offset;
    CaretCol = end;
    ExtendOrClearSelection();
    if (HorzOffset != oldOffset) {
        RedrawAll();
    }
    DesiredCol = CaretCol;
    UpdateCaretPos();
}

void TVelEdit::TextStart() {
    if (CaretLine == 0 && CaretCol == 0 && TopLine == 0 && HorzOffset == 0) {
        return;
    }
    const CaretHideGuard hidden(this);
    keepOrStartSelectionForJump(*this);
    HorzOffset = CaretX = TopLine = 0;
    CaretLine = CaretCol = DesiredCol = 0;
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    if (!HasSelection()) {
        SelAnchorCol = SelAnchorLine = 0;
    }
    SelEndCol = SelEndLine = SelDrawnEndCol = SelDrawnEndLine = 0;
    RedrawAll();
    UpdateCaretPos();
}

void TVelEdit::TextEnd() {
    const int last = Strings->Count() - 1;
    const std::string_view row = Strings->Get(last);
    const int end = ClampCaretColumn(row, CaretColumnLimit(row), FSingleByteMode);
    const int width = ColumnX(last, end);
    const int offset = std::max(0, width - TextAreaWidth + EndMargin);
    if (CaretLine == last && CaretCol == end && TopLine == MaxTopLine && HorzOffset == offset) {
        return;
    }
    const CaretHideGuard hidden(this);
    keepOrStartSelectionForJump(*this);
    CaretLine = last;
    CaretCol = end;
    HorzOffset = offset;
    CaretX = width - offset;
    if (!HasSelection()) {
        SelAnchorCol = CaretCol;
        SelAnchorLine = CaretLine;
    }
    SelEndCol = SelDrawnEndCol = CaretCol;
    SelEndLine = SelDrawnEndLine = CaretLine;
    TopLine = MaxTopLine;
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    DesiredCol = CaretCol;
    RedrawAll();
    UpdateCaretPos();
}

} // namespace lumarik::editor
