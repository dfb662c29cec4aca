// TVelEdit: the search and replace engine. It walks the display lines, shows the
// host's matcher a window of bytes at a time (OnFind), puts the caret on what is
// found, and replaces, asking first when told to. A search context lasts from one
// SetFindText or ReplaceAll to the next: a further step goes on behind the last hit,
// or from the caret once it moved, and a step after one that found nothing starts
// again at the other end of the text.
#include "editor/VelEdit.h"

#include <algorithm>
#include <limits>

#include "editor/CaretHideGuard.h"
#include "editor/RowPositions.h"

namespace lumarik::editor {

namespace {

// A range that ends only with the text, whatever is subtracted from it on the way.
constexpr int64_t kWholeText = std::numeric_limits<int64_t>::max() / 4;

// The end of a replaced range: a column past its display line goes on over the lines
// behind it, as far as the text goes; a negative column takes the rest of the line
// with its line break.
TextPos rangeEnd(const TVelStrings& rows, int col, int line) {
    const int last = rows.Count() - 1;
    line = std::clamp(line, 0, last);
    if (col < 0) {
        return line < last ? TextPos{0, line + 1} : TextPos{CaretColumnLimit(rows.Get(last)), last};
    }
    int64_t rest = col;
    while (line < last && rest > static_cast<int64_t>(rows.Get(line).size())) {
        rest -= static_cast<int64_t>(rows.Get(line).size());
        ++line;
    }
    if (line == last) {
        rest = std::min<int64_t>(rest, CaretColumnLimit(rows.Get(last)));
    }
    return {static_cast<int>(rest), line};
}

} // namespace

void TVelEdit::SearchCaretMoved() {
    NewSearch = true;
    RemoveHitHighlight();
}

void TVelEdit::RemoveHitHighlight() {
    // A selection shown over the hit is painted by whoever changes the selection.
    if (HitLen > 0 && !HasSelection()) {
        DrawHighlight(HitCol, HitLine, true, FSelColor, FColor, HitLen);
    }
    HitLen = 0;
}

void TVelEdit::ShowHitHighlight(TColor color) {
    if (HitLen > 0) {
        DrawHighlight(HitCol, HitLine, false, color, InvertColor(color), HitLen);
    }
}

void TVelEdit::SearchWholeText() {
    searchRangeLeft_ = kWholeText;
}

void TVelEdit::SetFindText(std::string_view text) {
    FindText = text;
    SearchWholeText();
    SearchLine = 0;
    SearchConsumed = 0;
    NewSearch = true;
    SearchStarted = false;
    WrapPending = false;
    HitCount = 0;
    RemoveHitHighlight();
}

void TVelEdit::FindFirst() {
    SearchWholeText();
    SearchLine = 0;
    SearchConsumed = 0;
    HitCount = 0;
    SearchStarted = false;
    WrapPending = false;
    RemoveHitHighlight();
    SearchForward(false);
}

void TVelEdit::FindNext() {
    RemoveHitHighlight();
    ClearSelection();
    SearchWholeText();
    if (NewSearch) {
        SearchLine = CaretLine;
        SearchConsumed = CaretCol;
        BuildSearchWindow(CaretCol);
        NewSearch = false;
    }
    SearchForward(false);
}

void TVelEdit::FindPrev() {
    const int hitLen = HitLen;
    RemoveHitHighlight();
    ClearSelection();
    SearchWholeText();
    // After a caret move the context stands at the caret, behind no hit.
    const bool fromCaret = NewSearch;
    if (fromCaret) {
        SearchLine = CaretLine;
        SearchConsumed = CaretCol;
        BuildSearchWindow(0);
        // Only matches that end at or before the caret count on its line.
        searchRestEnd_ = std::min<std::size_t>(static_cast<std::size_t>(std::max(CaretCol, 0)),
                                               searchWindow_.Size());
        SearchLimit = CaretCol;
        NewSearch = false;
    }
    SearchBackward(fromCaret ? 0 : hitLen);
}

void TVelEdit::ReplaceAll(std::string_view findText, std::string_view changeText, bool confirm,
                          bool wholeText) {
    FindText = findText;
    ChangeText = changeText;
    if (FReadOnly) {
        // Nothing can be replaced, and the run says so at once.
        if (OnFindChangeEnd) {
            OnFindChangeEnd(*this, FindText, ChangeText, 0);
        }
        return;
    }
    ConfirmEach = confirm;
    NewSearch = true;
    SearchStarted = true;
    WrapPending = false;
    AbortRequested = false;
    HitCount = 0;
    RemoveHitHighlight();
    int firstLine = 0;
    int lastLine = Strings->Count() - 1;
    SearchWholeText();
    if (!wholeText && HasSelection()) {
        // The whole display lines the selection touches.
        int startCol = 0;
        int endCol = 0;
        GetSelBounds(startCol, firstLine, lastLine, endCol);
        searchRangeLeft_ = 0;
        for (int line = firstLine; line <= lastLine; ++line) {
            searchRangeLeft_ += static_cast<int64_t>(Strings->Get(line).size());
        }
    }
    ClearSelection();
    SearchLine = firstLine;
    SearchConsumed = 0;
    BuildSearchWindow(0);
    replacing_ = true;
    quietHitLine_ = -1;
    while (SearchForward(true)) {
    }
    replacing_ = false;
    if (ConfirmEach) {
        RemoveHitHighlight();
    } else {
        ShowQuietReplacements();
    }
    if (changePostOwed_) {
        changePostOwed_ = false;
        platform::postMessageToAllTopLevel(MsgChange, reinterpret_cast<platform::WParam>(this), 0);
    }
    if (OnFindChangeEnd) {
        OnFindChangeEnd(*this, FindText, ChangeText, HitCount);
    }
}

void TVelEdit::BuildSearchWindow(int origin) {
    SearchLine = std::clamp(SearchLine, 0, Strings->Count() - 1);
    searchWindow_.Build(*Strings, SearchLine, origin, searchRangeLeft_, FindText.size(),
                        FSingleByteMode);
    SearchLimit = static_cast<int>(Strings->Get(SearchLine).size());
    searchRestEnd_ = searchWindow_.Size();
}

bool TVelEdit::NextLineInRange() const {
    return SearchLine + 1 < Strings->Count() &&
           static_cast<int64_t>(Strings->Get(SearchLine).size()) < searchRangeLeft_;
}

void TVelEdit::AdvanceSearchLine() {
    const int length = static_cast<int>(Strings->Get(SearchLine).size());
    // A hit that ran across the line end has passed the first bytes of the next line.
    SearchConsumed = std::max(0, SearchConsumed - length);
    searchRangeLeft_ -= length;
    ++SearchLine;
    BuildSearchWindow(0);
}

bool TVelEdit::AskMatcher(SearchHit& hit) {
    if (!OnFind) {
        return false;
    }
    const std::string_view bytes = searchWindow_.Bytes();
    const int origin = searchWindow_.Origin();
    // A match starts on this line and inside the range; it ends before the end of
    // the rest and never takes the end-of-text mark.
    const int64_t startLimit = std::min<int64_t>(SearchLimit, searchRangeLeft_) - origin;
    const std::size_t endLimit = std::min(searchWindow_.TextEnd(), searchRestEnd_);
    std::size_t from = static_cast<std::size_t>(std::max(0, SearchConsumed - origin));
    while (from < searchRestEnd_) {
        const std::string_view rest = bytes.substr(from, searchRestEnd_ - from);
        int x = 0;
        int len = static_cast<int>(FindText.size());
        OnFind(*this, rest, FindText, SearchLine, x, len);
        if (x < 1 || static_cast<std::size_t>(x) > rest.size() || len < 1) {
            return false;
        }
        const std::size_t start = from + static_cast<std::size_t>(x) - 1;
        const std::size_t end = start + static_cast<std::size_t>(len);
        if (static_cast<int64_t>(start) >= startLimit || end > endLimit) {
            return false;
        }
        const bool startsWhole = searchWindow_.StartsUnit(start);
        const std::size_t next = searchWindow_.NextUnitAfter(start);
        if (startsWhole && searchWindow_.StartsUnit(end)) {
            hit = {start, end - start};
            return true;
        }
        // The match cuts a character or a line break: the host is asked again from
        // the next character on.
        searchWindow_.RestartAt(next);
        from = next;
    }
    return false;
}

bool TVelEdit::SearchForward(bool replaceMode) {
    if (!SearchStarted) {
        BuildSearchWindow(SearchConsumed);
    } else if (WrapPending) {
        SearchLine = 0;
        SearchConsumed = 0;
        HitCount = 0;
        BuildSearchWindow(0);
    }
    WrapPending = false;
    SearchStarted = true;
    SearchHit hit;
    bool found = AskMatcher(hit);
    while (!found && NextLineInRange()) {
        AdvanceSearchLine();
        found = AskMatcher(hit);
    }
    if (!found) {
        if (replaceMode) {
            return false;
        }
        if (OnFindNoHit) {
            OnFindNoHit(*this, FindText);
        }
        WrapPending = true;
        return true;
    }
    const int col = searchWindow_.Origin() + static_cast<int>(hit.start);
    const int length = static_cast<int>(hit.length);
    PlaceCaretOnHit(col, length);
    if (!replaceMode) {
        ++HitCount;
        if (OnFindHit) {
            OnFindHit(*this, FindText, HitCol, HitLine, HitLen, HitCount);
        }
        SearchConsumed = col + length;
        return true;
    }
    if (ConfirmEach) {
        bool ChangeF = true;
        bool kakuninF = ConfirmEach;
        bool AbortF = AbortRequested;
        if (OnFindChange) {
            OnFindChange(*this, FindText, ChangeText, col, SearchLine, length, HitCount, ChangeF,
                         kakuninF, AbortF);
        }
        ConfirmEach = kakuninF;
        AbortRequested = AbortF;
        if (!ChangeF) {
            SearchConsumed = col + length;
            return true;
        }
        if (AbortRequested) {
            RemoveHitHighlight();
            return false;
        }
    }
    ReplaceHit(col, length);
    return true;
}

void TVelEdit::SearchBackward(int hitLen) {
    if (SearchStarted) {
        // The context ran forward: only what lies in front of its hit.
        BuildSearchWindow(0);
        searchRestEnd_ =
            static_cast<std::size_t>(std::clamp(SearchConsumed - hitLen, 0, SearchLimit));
    } else if (WrapPending) {
        SearchLine = Strings->Count() - 1;
        SearchConsumed = 0;
        HitCount = 0;
        BuildSearchWindow(0);
    }
    WrapPending = false;
    SearchStarted = false;
    SearchConsumed = 0;
    searchWindow_.RestartAt(0);
    SearchHit hit;
    bool found = AskMatcher(hit);
    while (!found && SearchLine > 0) {
        --SearchLine;
        SearchConsumed = 0;
        BuildSearchWindow(0);
        found = AskMatcher(hit);
    }
    if (!found) {
        if (OnFindNoHit) {
            OnFindNoHit(*this, FindText);
        }
        WrapPending = true;
        return;
    }
    // The last match of the line: each one found is passed and the rest asked again.
    std::size_t askedFrom = 0;
    while (true) {
        SearchConsumed = static_cast<int>(hit.start + hit.length);
        SearchHit next;
        if (!AskMatcher(next)) {
            break;
        }
        askedFrom = hit.start + hit.length;
        hit = next;
    }
    PlaceCaretOnHit(static_cast<int>(hit.start), static_cast<int>(hit.length));
    ++HitCount;
    if (OnFindHit) {
        OnFindHit(*this, FindText, HitCol, HitLine, HitLen, HitCount);
    }
    // The next step backward looks only in front of the part where this hit was found.
    searchRestEnd_ = askedFrom;
    SearchConsumed = static_cast<int>(hit.start + hit.length);
}

void TVelEdit::PlaceCaretOnHit(int col, int length) {
    RemoveHitHighlight();
    if (replacing_ && !ConfirmEach) {
        // Nothing of the walk shows until the run ends.
        CaretLine = SearchLine;
        CaretCol = ClampCaretColumn(Strings->Get(SearchLine), col, FSingleByteMode);
        DesiredCol = CaretCol;
        CollapseSelectionToCaret();
        quietHitLine_ = SearchLine;
    } else {
        MoveCaretTo(col, SearchLine, 2);
    }
    NewSearch = false;
    HitCol = col;
    HitLine = SearchLine;
    HitLen = length;
}

void TVelEdit::ReplaceHit(int col, int length) {
    HitLen = 0;
    const int64_t rangeBehindHit = searchRangeLeft_ - col - length;
    ReplaceRange(ChangeText, col, SearchLine, col + length, SearchLine, ConfirmEach);
    ++HitCount;
    // On right behind the text put in, where the caret stands: neither the replacement
    // nor what word wrap moved to the next line is searched again.
    SearchLine = CaretLine;
    SearchConsumed = CaretCol;
    searchRangeLeft_ = rangeBehindHit + CaretCol;
    BuildSearchWindow(CaretCol);
}

void TVelEdit::ShowQuietReplacements() {
    const CaretHideGuard hidden(this);
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    // The view the last hit scrolls to, with the caret brought into it.
    if (quietHitLine_ >= 0) {
        EnsureVisible(CaretX, quietHitLine_, 2, 3);
    }
    EnsureVisible(CaretX, CaretLine, 0, 3);
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    RedrawAll();
    DesiredCol = CaretCol;
    UpdateCaretPos();
}

void TVelEdit::ReplaceRange(std::string_view text, int startCol, int startLine, int endCol,
                            int endLine, bool redrawNow) {
    if (FReadOnly) {
        return;
    }
    if (HasSelection()) {
        ClearSelection();
    }
    const int last = Strings->Count() - 1;
    if (startLine >= 0) {
        SelAnchorLine = startLine;
    }
    if (startCol >= 0) {
        SelAnchorCol = startCol;
    }
    SelAnchorLine = std::clamp(SelAnchorLine, 0, last);
    SelAnchorCol = ClampAnchorColumn(Strings->Get(SelAnchorLine), SelAnchorCol,
                                     SelAnchorLine < last, FSingleByteMode);
    {
        const CaretHideGuard hidden(this);
        DrawCaretUnderline(CaretLine, false);
    }
    TextPos start{SelAnchorCol, SelAnchorLine};
    if (start.line < last && start.col >= static_cast<int>(Strings->Get(start.line).size())) {
        // After a line break is the start of the next line.
        start = {0, start.line + 1};
    }
    CaretCol = start.col;
    CaretLine = start.line;
    const EditStart before = EditStartAtCaret();
    if (endLine >= 0) {
        const TextPos end = rangeEnd(*Strings, endCol, endLine);
        if (end != start) {
            SelAnchorCol = start.col;
            SelAnchorLine = start.line;
            SelEndCol = SelDrawnEndCol = end.col;
            SelEndLine = SelDrawnEndLine = end.line;
            SelActive = true;
            DeleteSelection(false);
        }
    }
    RecordUndo(static_cast<int>(UndoKind::Inserted), text, CaretCol, CaretLine);
    InsertAtCaret(text, false);
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    if (redrawNow) {
        const CaretHideGuard hidden(this);
        const bool layoutChanged = UpdateVertScrollBar();
        if (!SetCaret(-1, CaretLine, 0, true, true)) {
            if (layoutChanged) {
                RedrawAll();
            } else {
                RedrawAfterEdit(before);
            }
            UpdateHorzScrollBar();
            UpdateCaretPos();
        }
    }
    DesiredCol = CaretCol;
    CollapseSelectionToCaret();
    if (replacing_ && !redrawNow) {
        // No event loop runs before the run ends: one posted message says as much as
        // one per replacement would.
        if (OnChange) {
            OnChange(*this);
        }
        changePostOwed_ = true;
        return;
    }
    NotifyChange(reinterpret_cast<platform::WParam>(this));
}

} // namespace lumarik::editor
