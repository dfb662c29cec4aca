// TVelEdit: painting of text rows, marks, gutter and the caret-line underline. Every
// operation draws straight into the canvas, inside or outside a paint event.
#include "editor/VelEdit.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "editor/RowSlice.h"

namespace lumarik::editor {

namespace {

// A rectangle given by its edges, right and bottom excluded.
QRect edges(int left, int top, int right, int bottom) {
    return {left, top, right - left, bottom - top};
}

const std::string_view kDoubleByteSpace = "\x81\x40";

} // namespace

void TVelEdit::ResetCanvas() {
    canvas_->setBrush(ToQColor(FColor));
    canvas_->setPen(ToQColor(FCREOFcolor), 1);
    canvas_->setFont(platform::toQFont(FontDescription));
}

void TVelEdit::Paint() {
    RedrawAll();
    if (OnPaint) {
        OnPaint(*this);
    }
}

void TVelEdit::RedrawAll() {
    const int last = std::min(Strings->Count() - 1, TopLine + VisibleLines - 1);
    if (SelActive) {
        DrawViewWithSelection();
        ClearBelowText(TopLine, last);
    } else if (AllSelected) {
        // Selecting everything again draws every visible row selected and raises the
        // selection events.
        SelectAll();
        ClearBelowText(TopLine, last);
    } else {
        DrawLineRange(TopLine, last);
        ClearBelowText(TopLine, last);
        DrawCaretUnderline(CaretLine, true);
    }
    canvas_->fillRect(edges(0, 0, ClientWidth(), FTopMargin), ToQColor(FColor));
    if (OnUserDraw) {
        const double avg = std::max(1, AvgCharWidth);
        const int limit = FWordWrap ? FColumn : MaxColumns;
        const int c1 = std::max(1, static_cast<int>(std::nearbyint(HorzOffset / avg)));
        const int c2 =
            std::min(static_cast<int>(std::nearbyint((ClientWidth() + HorzOffset) / avg)), limit);
        OnUserDraw(*this, c1, c2, TextLeft, TextLeft + TextAreaWidth);
        ResetCanvas();
    }
    if (OnUserClientDraw) {
        OnUserClientDraw(*this, TextLeft, TextLeft + TextAreaWidth, TopLine,
                         std::min(Strings->Count(), TopLine + VisibleLines) - 1);
    }
    UpdateHorzScrollBar();
}

void TVelEdit::RedrawLines(int mode, int a, int b) {
    const int bottom = TopLine + VisibleLines - 1;
    int first = 0;
    int last = 0;
    switch (mode) {
    case 0:
        first = TopLine;
        last = bottom;
        break;
    case 1:
        first = CaretLine - 1;
        last = bottom;
        break;
    case 2:
        first = CaretLine;
        last = bottom;
        break;
    case 3:
        first = std::max(a, TopLine);
        last = bottom;
        break;
    case 4:
        first = last = CaretLine;
        break;
    case 5:
        first = CaretLine + 1;
        last = bottom;
        break;
    case 6:
        first = std::max(a, TopLine);
        last = std::min(b, bottom);
        break;
    default:
        break;
    }
    last = std::min(last, Strings->Count() - 1);
    DrawLineRange(first, last);
    ClearBelowText(first, last);
    DrawCaretUnderline(CaretLine, true);
    UpdateHorzScrollBar();
    if (OnUserClientDraw) {
        OnUserClientDraw(*this, TextLeft, TextLeft + TextAreaWidth, TopLine,
                         std::min(Strings->Count(), TopLine + VisibleLines) - 1);
    }
}

bool TVelEdit::LinksOfRowAboveMayChange(int row) {
    if (!FColorPrintF || row <= 0 || HasTerminator(Strings->Get(row - 1))) {
        return false;
    }
    // Only when a link (or a prefix this row completes) runs from the row above into
    // this row, before or after the change.
    const std::optional<LinkCarry> was = LinkCarries.PreviousCarryInto(row);
    return !was || *was != LinkCarry::None ||
           LinkCarries.CarryInto(*Strings, row) != LinkCarry::None;
}

void TVelEdit::RedrawEditedRows(int first, int x, int lastChanged, int moved) {
    if (paintPending_) {
        return; // a scroll has already asked for the whole view
    }
    const int count = Strings->Count();
    const int bottom = TopLine + VisibleLines - 1;
    // Moving pixels needs rows that own their whole band (the caret underline of a row
    // without line spacing lies on the next row), and nothing drawn over the rows that
    // is not theirs.
    const bool movable = LinePitch > FontHeight && HitLen == 0 && !OnUserDraw && !OnUserClientDraw;
    if (LinksOfRowAboveMayChange(first)) {
        --first;
        x = 0;
    }
    if (!movable) {
        x = EditedRowX(x);
        if (first >= TopLine && x > 0) {
            DrawLine(x, (first - TopLine) * LinePitch, Strings->Get(first));
            DrawLinks(first, first, nullptr);
            ++first;
        }
        RedrawLines(3, first, 0);
        return;
    }
    x = EditedRowX(x);
    DrawCaretUnderline(UnderlinedLine, false);
    if (FColorPrintF) {
        // A link runs on over the rows word wrap continues: a changed row can change the
        // links of the continued rows next to it. The rows behind the change show the
        // same links as before while the state handed into them is what it was.
        const int limit = std::min(bottom, count - 1);
        std::vector<std::optional<LinkCarry>> before;
        for (int row = lastChanged + 1; row <= limit && !HasTerminator(Strings->Get(row - 1));
             ++row) {
            before.push_back(LinkCarries.PreviousCarryInto(row - moved));
        }
        for (const std::optional<LinkCarry>& carry : before) {
            if (carry && *carry == LinkCarries.CarryInto(*Strings, lastChanged + 1)) {
                break;
            }
            ++lastChanged;
        }
        // The record must hold the state of every continued row in view, at its new
        // place, for the next edit's comparison.
        for (int row = lastChanged + 2; row <= limit && !HasTerminator(Strings->Get(row - 1));
             ++row) {
            LinkCarries.CarryInto(*Strings, row);
        }
    }
    // Rows behind the change show what they showed `moved` rows further up or down.
    int movedFirst = std::max({lastChanged + 1, TopLine, TopLine + moved});
    int movedLast = std::min({bottom, count - 1, bottom + moved});
    if (moved != 0 && movedFirst <= movedLast) {
        const int top =
            (std::min(movedFirst, movedFirst - moved) - TopLine) * LinePitch + FTopMargin;
        const int end =
            (std::max(movedLast, movedLast - moved) - TopLine + 1) * LinePitch + FTopMargin;
        canvas_->scrollArea(edges(TextLeft - 1, top, ClientWidth(), end), moved * LinePitch);
    } else if (moved != 0) {
        movedFirst = movedLast + 1;
    }
    const auto drawRun = [this, first, x](int from, int to) {
        for (int row = from; row <= to; ++row) {
            DrawLine(row == first ? x : 0, (row - TopLine) * LinePitch, Strings->Get(row));
        }
        DrawLinks(from, to, nullptr);
    };
    const int last = std::min(bottom, count - 1);
    const int from = std::max(first, TopLine);
    if (moved == 0) {
        drawRun(from, std::min(lastChanged, last));
    } else {
        drawRun(from, std::min(movedFirst - 1, last));
        drawRun(std::max(from, movedLast + 1), last);
    }
    // Where the text's end is in view and moved, rows that now stand where the text
    // ended get their numbers, and where rows left the end, the view is cleared from
    // the new last row's gap (which the gutter rule no longer crosses).
    if (moved > 0) {
        DrawGutter(std::max(count - moved, TopLine), last);
    } else if (moved < 0 && count - 1 < bottom) {
        const int top = (count - TopLine) * LinePitch + FTopMargin - (LinePitch - FontHeight);
        const int end = (std::min(count - moved, bottom + 1) - TopLine) * LinePitch + FTopMargin;
        canvas_->fillRect(edges(0, top, ClientWidth(), end), ToQColor(FColor));
    }
    DrawCaretUnderline(CaretLine, true);
    UpdateHorzScrollBar();
}

TVelEdit::EditStart TVelEdit::EditStartAtCaret() const {
    EditStart start{CaretLine, ColumnX(CaretLine, CaretCol) - HorzOffset, Strings->Count(), {}};
    if (FWordWrap && CaretLine > 0 && !HasTerminator(Strings->Get(CaretLine - 1))) {
        // Re-wrapping may move text into the row in front.
        start.rowAbove = Strings->Get(CaretLine - 1);
    }
    return start;
}

void TVelEdit::RedrawAfterEdit(const EditStart& start) {
    const bool aboveChanged = start.rowAbove && Strings->Get(start.row - 1) != *start.rowAbove;
    RedrawEditedRows(aboveChanged ? start.row - 1 : start.row, aboveChanged ? 0 : start.x,
                     LastVisibleRowOfLine(CaretLine), Strings->Count() - start.rows);
}

void TVelEdit::DrawLineRange(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, Strings->Count() - 1);
    for (int i = first; i <= last; ++i) {
        DrawLine(0, (i - TopLine) * LinePitch, Strings->Get(i));
    }
    DrawLinks(first, last, nullptr);
}

void TVelEdit::DrawLine(int x, int rowOffset, std::string_view text) {
    canvas_->setTextColor(ToQColor(IsQuoteLine(text) ? FInyoColor : FFont.Color));
    const int y = rowOffset + FTopMargin;
    std::string_view tail;
    if (text.ends_with("\r\n") || text.ends_with(std::string_view("\0\0", 2))) {
        tail = text.substr(text.size() - 2);
        text.remove_suffix(2);
    }
    canvas_->setBackgroundColor(ToQColor(FColor));
    canvas_->setOpaque(true);
    // One opaque output paints the text and clears the rest of the row. Only the part
    // of the row inside the clip is expanded and drawn, so a very long row costs what
    // is visible.
    // The row's rectangle starts one pixel left of x. Glyphs never reach into the
    // gutter (a row scrolled to the left would paint there); its last column is only
    // cleared.
    if (x <= 0) {
        canvas_->fillRect(edges(TextLeft - 1, y, TextLeft, y + LinePitch), ToQColor(FColor));
    }
    const QRect clip =
        edges(std::max(x + TextLeft - 1, TextLeft), y, TextLeft + TextAreaWidth, y + LinePitch);
    const int origin = TextLeft - HorzOffset;
    const int left = clip.left() - origin;
    // A stored row's slice starts at a checkpoint of its cached measures.
    const int line = rowOffset >= 0 ? TopLine + rowOffset / std::max(1, LinePitch) : -1;
    const bool stored =
        line >= 0 && line < Strings->Count() && Strings->Get(line).data() == text.data();
    const RowCheckpoint start =
        stored ? RowWidths.SliceStart(line, Strings->Get(line), left, text.size(),
                                      {FTabCount, FSingleByteMode})
               : RowCheckpoint{};
    const RowSlice slice = SliceRow(
        text, FTabCount, left, clip.left() + clip.width() - origin, FShowTAB,
        [this](std::string_view s) { return canvas_->textWidth(s); }, start, FSingleByteMode);
    canvas_->textOut(origin + slice.x, y, clip, slice.text);
    if (slice.reachesEnd) {
        DrawLineEndMark(origin + slice.endX, y, tail, clip);
    }
    DrawMarks(clip, origin + slice.x, slice.tabStopsX, false, slice.text, y);
}

void TVelEdit::DrawLineEndMark(int x, int y, std::string_view tail, const QRect& clip) {
    const int right = clip.left() + clip.width();
    if (tail == std::string_view("\0\0", 2) && FShowEOF) {
        // The opaque output clears from the mark to the row's end, as the text did.
        const QRect rest = edges(std::max(x, clip.left()), y, right, y + LinePitch);
        if (rest.isEmpty()) {
            return;
        }
        canvas_->setTextColor(ToQColor(FCREOFcolor));
        canvas_->setBackgroundColor(ToQColor(FColor));
        canvas_->setOpaque(true);
        canvas_->textOut(x, y, rest, "[EOF]");
    } else if (tail == "\r\n" && FShowCR) {
        canvas_->setBrush(ToQColor(FColor));
        canvas_->setLineClip(clip);
        DrawLineEndArrow(x, y, FCREOFcolor);
        canvas_->clearLineClip();
    }
}

void TVelEdit::DrawLineEndArrow(int x, int y, TColor color) {
    canvas_->setPen(ToQColor(color), 1);
    const int bottom = y + CRMarkBottom;
    canvas_->moveTo({x + 4, y + CRMarkTop});
    canvas_->lineTo({x + 4, bottom});
    canvas_->lineTo({x + 1, bottom - 3});
    canvas_->moveTo({x + 4, bottom});
    canvas_->lineTo({x + 7, bottom - 3});
}

void TVelEdit::DrawMarks(const QRect& clip, int xOrigin, const std::vector<int>& tabStopsX,
                         bool selected, std::string_view text, int y) {
    const QColor markColor = ToQColor(selected ? InvertColor(FCREOFcolor) : FCREOFcolor);
    canvas_->setPen(markColor, 1);
    // Marks that straddle the edge of the row's rectangle are cut at it.
    canvas_->setLineClip(clip);
    const int right = clip.left() + clip.width();
    if (FShowDblSpace && !FSingleByteMode) {
        int x = xOrigin;
        size_t consumed = 0;
        // Walk character by character so a space is only found at a character start.
        for (CharScanner scan(text, false); !scan.atEnd();) {
            const size_t start = scan.pos();
            const int length = scan.next();
            if (length != 2 || text.substr(start, 2) != kDoubleByteSpace) {
                continue;
            }
            x += canvas_->textWidth(text.substr(consumed, scan.pos() - consumed));
            consumed = scan.pos();
            const int xEnd = x;
            if (xEnd >= clip.left() && right >= xEnd - DblSpaceWidth) {
                const QPoint topRight(xEnd - 3, y + 2);
                const QPoint bottomRight(xEnd - 3, y + DblSpaceHeight - 2);
                const QPoint bottomLeft(xEnd - DblSpaceWidth + 3, y + DblSpaceHeight - 2);
                const QPoint topLeft(xEnd - DblSpaceWidth + 3, y + 2);
                canvas_->dottedLine(topRight, bottomRight);
                canvas_->dottedLine(bottomRight, bottomLeft);
                canvas_->dottedLine(bottomLeft, topLeft);
                canvas_->dottedLine(topLeft, topRight);
            }
        }
    }
    for (int t : tabStopsX) {
        const int x1 = t - HorzOffset + TextLeft + 1;
        const int x2 = x1 + SpaceWidth;
        if (x2 < clip.left() || right < x1) {
            continue;
        }
        const int ym = y + DblSpaceHeight / 2;
        canvas_->moveTo({x1, ym});
        canvas_->lineTo({x2 - 2, ym});
        canvas_->lineTo({x2 - 5, ym - 3});
        canvas_->moveTo({x2 - 2, ym});
        canvas_->lineTo({x2 - 5, ym + 3});
    }
    canvas_->clearLineClip();
}

void TVelEdit::ClearBelowText(int first, int last) {
    canvas_->setBrush(ToQColor(FColor));
    const int rows = std::max(0, std::min(VisibleLines, Strings->Count() - TopLine));
    const int top = rows * LinePitch + FTopMargin - (LinePitch - FontHeight);
    canvas_->fillRect(edges(0, top, ClientWidth(), ClientHeight()));
    DrawGutter(first, last);
}

void TVelEdit::DrawGutter(int first, int last) {
    if (last < first) {
        return;
    }
    const int yTop = std::max(FTopMargin, (first - TopLine) * LinePitch + FTopMargin);
    const int yBottom =
        std::min(ClientHeight(), (last - TopLine) * LinePitch + FTopMargin + FontHeight);
    canvas_->fillRect(edges(0, yTop, TextLeft, yBottom));
    if (!FShowLineNumber) {
        return;
    }
    canvas_->setBrush(ToQColor(FColor));
    canvas_->setPen(ToQColor(FCREOFcolor), 1);
    canvas_->moveTo({TextLeft - 4, FTopMargin});
    canvas_->lineTo({TextLeft - 4, yBottom});
    canvas_->setTextColor(ToQColor(FCREOFcolor));
    canvas_->setBackgroundColor(ToQColor(FColor));
    canvas_->setOpaque(true);
    for (int i = std::max(first, TopLine); i <= last; ++i) {
        const std::string number = std::to_string(i + 1);
        const int width = canvas_->textWidth(number);
        canvas_->textOut(TextLeft - 7 - width, (i - TopLine) * LinePitch + FTopMargin, number);
    }
}

int TVelEdit::GutterRuleBottom() const {
    const int last = std::min(Strings->Count() - 1, TopLine + VisibleLines - 1);
    return std::min(ClientHeight(), (last - TopLine) * LinePitch + FTopMargin + FontHeight);
}

int TVelEdit::UnderlineY(int line) const {
    return (line - TopLine + 1) * LinePitch + FTopMargin - (LinePitch - FontHeight);
}

void TVelEdit::DrawCaretUnderline(int line, bool draw) {
    if (!FShowUnderLine || SelActive || MouseSelecting) {
        return;
    }
    const int y = UnderlineY(line);
    if (draw) {
        // A caret line scrolled out of view has no underline on screen.
        if (line < TopLine || line >= TopLine + VisibleLines) {
            return;
        }
        canvas_->setPen(ToQColor(FUlineColor), 1);
        canvas_->moveTo({FLeftMargin, y});
        canvas_->lineTo({ClientWidth(), y});
        UnderlinedLine = line;
        return;
    }
    if (y <= FTopMargin) {
        return;
    }
    canvas_->setPen(ToQColor(FColor), 1);
    canvas_->moveTo({FLeftMargin, y});
    canvas_->lineTo({ClientWidth(), y});
    if (FShowLineNumber && y < GutterRuleBottom()) {
        canvas_->setPixel({TextLeft - 4, y}, ToQColor(FCREOFcolor));
    }
}

void TVelEdit::MoveCaretUnderline(int oldLine, int newLine) {
    if (!FShowUnderLine || SelActive || MouseSelecting) {
        return;
    }
    const int right = TextLeft + TextAreaWidth;
    const int oldY = UnderlineY(oldLine);
    if (oldY > FTopMargin) {
        canvas_->setPen(ToQColor(FColor), 1);
        canvas_->moveTo({FLeftMargin, oldY});
        canvas_->lineTo({right, oldY});
        if (FShowLineNumber && oldY < GutterRuleBottom()) {
            canvas_->setPixel({TextLeft - 4, oldY}, ToQColor(FCREOFcolor));
        }
    }
    UnderlinedLine = newLine;
    if (newLine < TopLine || newLine >= TopLine + VisibleLines) {
        return;
    }
    const int newY = UnderlineY(newLine);
    canvas_->setPen(ToQColor(FUlineColor), 1);
    canvas_->moveTo({FLeftMargin, newY});
    canvas_->lineTo({right, newY});
}

} // namespace lumarik::editor
