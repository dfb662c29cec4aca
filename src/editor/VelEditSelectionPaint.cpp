// TVelEdit: the selected look. A display line is drawn in up to three segments
// (before, inside and after the selection); when the selection's end moves, only the
// visible text between its old and new place is drawn again.
#include "editor/VelEdit.h"

#include <QGuiApplication>

#include <algorithm>
#include <climits>
#include <utility>

#include "editor/CaretHideGuard.h"
#include "editor/RowSlice.h"
#include "editor/TextRows.h"

namespace lumarik::editor {

namespace {

// A rectangle given by its edges, right and bottom excluded.
QRect edges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

bool before(const TextPos& a, const TextPos& b) {
    return a.line != b.line ? a.line < b.line : a.col < b.col;
}

// The quote test of a segment: the row's first character as stored, so a leading
// tab is tested as a tab (a whole row is tested by the space the tab expands to).
bool startsWithQuoteChar(std::string_view row, const MarkupRules& rules) {
    if (!rules.colorPrint || row.empty()) {
        return false;
    }
    const size_t length = ByteTypeAt(row, 1, rules.singleByte) == 1 ? 2 : 1;
    return Find(row.substr(0, length), rules.quoteChars, rules.singleByte) != 0;
}

} // namespace

void TVelEdit::DrawLineSegment(int line, int from, std::string_view text, bool selected, int to) {
    const int length = static_cast<int>(text.size());
    to = std::min(to, length);
    from = std::max(from, 0);
    if (from >= to) {
        return;
    }
    const bool selectedLook = selected || AllSelected;
    std::string_view tail;
    int textEnd = to;
    if (to == length && (text.ends_with("\r\n") || text.ends_with(kEndMark))) {
        tail = text.substr(text.size() - 2);
        textEnd = length - 2;
    }
    from = std::min(from, textEnd);

    const int y = (line - TopLine) * LinePitch + FTopMargin;
    // The strip under the glyphs of the last row shown belongs to the area below the
    // text, which a full repaint clears; it never takes the selected look.
    const int lastShown = std::min(Strings->Count(), TopLine + VisibleLines) - 1;
    const int bottom = y + (line == lastShown ? FontHeight : LinePitch);
    const int right = TextLeft + TextAreaWidth;
    const int origin = TextLeft - HorzOffset;
    const QColor paper = ToQColor(FColor);
    const auto fill = [&](int left, int rightEdge, const QColor& color) {
        if (left < rightEdge) {
            canvas_->fillRect(edges(left, y, rightEdge, bottom), color);
        }
    };
    // Only the part of the row up to the right edge of the text area is walked, so a
    // very long row costs what is visible.
    const auto charWidth = [this](std::string_view s) { return canvas_->textWidth(s); };
    // A stored row's walks start at checkpoints of its cached measures.
    const bool stored =
        line >= 0 && line < Strings->Count() && Strings->Get(line).data() == text.data();
    const auto startBefore = [&](int x, int length) {
        return stored
                   ? RowWidths.SliceStart(line, Strings->Get(line), x, static_cast<size_t>(length),
                                          {FTabCount, FSingleByteMode})
                   : RowCheckpoint{};
    };
    const int limit = right - origin;
    const RowSlice head =
        SliceRow(text.substr(0, static_cast<size_t>(from)), FTabCount, limit, limit, false,
                 charWidth, startBefore(limit, from), FSingleByteMode);
    if (!head.reachesEnd) {
        return; // the segment starts right of the text area
    }
    const int partLeft = std::max(HorzOffset, head.endX);
    const RowSlice part =
        SliceRow(text.substr(0, static_cast<size_t>(textEnd)), FTabCount, partLeft, limit, FShowTAB,
                 charWidth, startBefore(partLeft, textEnd), FSingleByteMode);
    const int xFrom = origin + head.endX;
    const int xEnd = part.reachesEnd ? origin + part.endX : right;
    const int textRight = std::min(right, std::max(TextLeft, xEnd));

    if (part.reachesEnd && tail == kEndMark) {
        // The end-of-text mark never takes the selected look.
        const QRect rest = edges(std::max(TextLeft, xEnd), y, right, bottom);
        if (FShowEOF && !rest.isEmpty()) {
            canvas_->setTextColor(ToQColor(FCREOFcolor));
            canvas_->setBackgroundColor(paper);
            canvas_->setOpaque(true);
            canvas_->textOut(xEnd, y, rest, "[EOF]");
        } else {
            fill(rest.left(), right, paper);
        }
    } else if (part.reachesEnd && !tail.empty()) {
        // An 8-pixel cell stands for the line end; it is selected with the line.
        const int cellLeft = std::max(TextLeft, xEnd);
        const int cellRight = std::min(right, std::max(TextLeft, xEnd + 8));
        fill(cellLeft, cellRight, selectedLook ? ToQColor(FSelColor) : paper);
        if (FShowCR) {
            canvas_->setLineClip(edges(TextLeft, y, right, bottom));
            DrawLineEndArrow(xEnd, y, selectedLook ? InvertColor(FCREOFcolor) : FCREOFcolor);
            canvas_->clearLineClip();
        }
        fill(std::max(TextLeft, xEnd + 8), right, paper);
    }

    const QRect textRect = edges(std::max(TextLeft, xFrom), y, textRight, bottom);
    if (!textRect.isEmpty()) {
        if (selectedLook) {
            canvas_->setTextColor(ToQColor(InvertColor(FFont.Color)));
            canvas_->setBackgroundColor(ToQColor(FSelColor));
        } else {
            const bool quote = startsWithQuoteChar(text, CurrentMarkupRules());
            canvas_->setTextColor(ToQColor(quote ? FInyoColor : FFont.Color));
            canvas_->setBackgroundColor(paper);
        }
        canvas_->setOpaque(true);
        canvas_->textOut(origin + part.x, y, textRect, part.text);
        DrawMarks(textRect, origin + part.x, part.tabStopsX, selectedLook, part.text, y);
        // Links are never drawn inside the selection.
        if (!selectedLook) {
            DrawLinks(line, line, &textRect);
        }
    }
    // A continued row's segment that reaches the row's end clears the rest of the row.
    if (tail.empty() && to == length) {
        fill(textRight, right, paper);
    }
}

void TVelEdit::DrawLineWithSelection(int line, int from, int to) {
    const std::string& row = Strings->Get(line);
    const int length = static_cast<int>(row.size());
    from = std::clamp(from, 0, length);
    to = std::clamp(to, from, length);
    // The columns of this line inside the selection.
    int selFrom = 0;
    int selTo = 0;
    if (AllSelected) {
        selTo = length;
    } else if (SelActive) {
        TextPos start{SelAnchorCol, SelAnchorLine};
        TextPos end{SelEndCol, SelEndLine};
        if (before(end, start)) {
            std::swap(start, end);
        }
        if (line >= start.line && line <= end.line) {
            selFrom = line == start.line ? start.col : 0;
            selTo = line == end.line ? end.col : length;
        }
    }
    selFrom = std::clamp(selFrom, from, to);
    selTo = std::clamp(selTo, selFrom, to);
    DrawLineSegment(line, from, row, false, selFrom);
    DrawLineSegment(line, selFrom, row, true, selTo);
    DrawLineSegment(line, selTo, row, false, to);
}

void TVelEdit::RedrawTextBetween(TextPos a, TextPos b) {
    if (before(b, a)) {
        std::swap(a, b);
    }
    // Rows outside the view are skipped: drawing them would change no pixel.
    const int first = std::max(a.line, TopLine);
    const int last = std::min({b.line, TopLine + VisibleLines - 1, Strings->Count() - 1});
    for (int line = first; line <= last; ++line) {
        DrawLineWithSelection(line, line == a.line ? a.col : 0, line == b.line ? b.col : INT_MAX);
    }
}

void TVelEdit::DrawViewWithSelection() {
    const int last = std::min(Strings->Count(), TopLine + VisibleLines) - 1;
    for (int line = std::max(0, TopLine); line <= last; ++line) {
        DrawLineWithSelection(line, 0, INT_MAX);
    }
}

void TVelEdit::MoveSelectionEnd(int col, int line) {
    const TextPos drawn{SelDrawnEndCol, SelDrawnEndLine};
    SelEndCol = SelDrawnEndCol = col;
    SelEndLine = SelDrawnEndLine = line;
    RedrawTextBetween(drawn, {col, line});
}

void TVelEdit::ClearSelection() {
    const CaretHideGuard hidden(this);
    bool cleared = false;
    if (AllSelected) {
        AllSelected = false;
        SelActive = false;
        DrawViewWithSelection();
        cleared = true;
    } else if (SelActive) {
        SelActive = false;
        // What was painted selected lies between the anchor and the drawn end; the
        // end itself is included in case it moved without being painted.
        const TextPos anchor{SelAnchorCol, SelAnchorLine};
        TextPos first = anchor;
        TextPos last = anchor;
        for (const TextPos end :
             {TextPos{SelEndCol, SelEndLine}, TextPos{SelDrawnEndCol, SelDrawnEndLine}}) {
            first = before(end, first) ? end : first;
            last = before(last, end) ? end : last;
        }
        RedrawTextBetween(first, last);
        cleared = true;
    }
    if (cleared) {
        SearchCaretMoved();
        if (OnSelectionChange) {
            OnSelectionChange(*this);
        }
        if (OnUserClientDraw) {
            OnUserClientDraw(*this, TextLeft, TextLeft + TextAreaWidth, TopLine,
                             std::min(Strings->Count(), TopLine + VisibleLines) - 1);
        }
    }
    SelAnchorCol = SelEndCol = SelDrawnEndCol = CaretCol;
    SelAnchorLine = SelEndLine = SelDrawnEndLine = CaretLine;
    DrawCaretUnderline(CaretLine, true);
}

void TVelEdit::ExtendOrClearSelection() {
    const bool extending =
        QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier) || MouseSelecting;
    // A whole-text selection also survives a scroll by the wheel or the scroll bar
    // that moved the caret; a key's scroll ends it, as any other caret key does.
    const bool keptByScroll = InScroll && AllSelected && !InKeyDown;
    if (!extending && !keptByScroll) {
        ClearSelection();
        return;
    }
    if (AllSelected || Dragging) {
        // The shown selection stays as it is.
        SelDrawnEndCol = SelEndCol;
        SelDrawnEndLine = SelEndLine;
        return;
    }
    DrawCaretUnderline(UnderlinedLine, false);
    SelActive = true;
    MoveSelectionEnd(CaretCol, CaretLine);
}

} // namespace lumarik::editor
