// TVelEdit: typed text and the editing keys: typing in insert and overwrite mode,
// Enter with auto-indent, Tab, Delete, BackSpace and their word forms, and the input
// method's commit strings.
#include "editor/VelEdit.h"

#include <algorithm>

#include "editor/CaretHideGuard.h"
#include "editor/RowPositions.h"
#include "editor/ScrollCodes.h"
#include "editor/WordScan.h"
#include "editor/WrapLayout.h"
#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

constexpr char kTab = '\t';

// The start of Ctrl+Delete and Ctrl+BackSpace: a range selection is deleted instead
// of a word (answers true); a whole-text selection is only cleared.
bool deletedRangeSelection(TVelEdit& edit) {
    if (edit.SelActive) {
        edit.DeleteSelection(true);
        edit.NotifyChange();
        return true;
    }
    if (edit.AllSelected) {
        edit.ClearSelection();
    }
    return false;
}

bool atEndOfText(const TVelStrings& rows, int line, int col) {
    const std::string& row = rows.Get(line);
    return line == rows.Count() - 1 && col >= static_cast<int>(row.size()) - 2;
}

} // namespace

void TVelEdit::TypeText(std::string_view s) {
    if (FReadOnly || s.empty()) {
        return;
    }
    const bool replacesSelection = HasSelection();
    if (replacesSelection) {
        DeleteSelection(true);
    }
    std::string pad;
    const std::string& caretRow = Strings->Get(CaretLine);
    const bool beforeTerminator =
        HasTerminator(caretRow) && CaretCol >= static_cast<int>(caretRow.size()) - 2;
    const bool overwrites = !InsMode && !beforeTerminator;
    EditStart start;
    bool rowsJoined = false;
    if (overwrites) {
        start = EditStartAtCaret();
        // Overwriting may take bytes from the following rows of the same logical line,
        // never from the next logical line: those rows are joined first.
        const JoinedRows joined = JoinRows(*Strings, CaretLine);
        rowsJoined = joined.lastRow > CaretLine;
        if (rowsJoined) {
            Strings->Put(CaretLine, joined.text);
            Strings->DeleteRange(CaretLine + 1, joined.lastRow - CaretLine);
            LinesChanged(CaretLine);
        }
        const std::string& row = Strings->Get(CaretLine);
        const std::string_view text = StripTerminator(row);
        const auto length = static_cast<int>(s.size());
        const int available = static_cast<int>(text.size()) - CaretCol;
        int count = std::min(available, length);
        // Ending inside a double-byte character would orphan its trail byte: the
        // whole character goes and a space keeps the text behind it in place.
        if (CaretCol + length < static_cast<int>(text.size()) &&
            ByteTypeAt(text, CaretCol + length, FSingleByteMode) == 1) {
            count = std::min(available, length + 1);
            pad = " ";
        }
        RecordUndo(static_cast<int>(UndoKind::Overwritten),
                   std::string_view(row).substr(static_cast<size_t>(CaretCol),
                                                static_cast<size_t>(std::max(0, count))),
                   CaretCol, CaretLine);
        Strings->EraseBytes(CaretLine, CaretCol, std::max(0, count));
        Strings->InsertBytes(CaretLine, CaretCol, pad);
        RowEdited(CaretLine, CaretCol);
    }
    // Typed over bytes, the insertion is one step with the overwrite instead.
    RecordInsertion(std::string(s) + pad, replacesSelection && !overwrites);
    // Joined rows are not on screen yet: the picture is brought up to date at the end.
    InsertAtCaret(s, !rowsJoined);
    if (rowsJoined) {
        const CaretHideGuard hidden(this);
        const bool gutterChanged = UpdateVertScrollBar();
        if (!SetCaret(-1, CaretLine, 0, true, true)) {
            if (gutterChanged) {
                RedrawAll();
            } else {
                RedrawAfterEdit(start);
            }
        }
    }
    DesiredCol = CaretCol;
    CollapseSelectionToCaret();
    UpdateCaretPos();
    NotifyChange();
}

void TVelEdit::CommitInput(const QString& text) {
    if (FReadOnly || text.isEmpty()) {
        return;
    }
    const std::u16string unicode(reinterpret_cast<const char16_t*>(text.utf16()),
                                 static_cast<size_t>(text.size()));
    std::string bytes = platform::CodePage::ansi().fromUnicode(unicode);
    // Enter and Tab arrive as keys; control characters in a commit string are dropped.
    std::erase_if(bytes, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b < 0x20 || b == 0x7F;
    });
    TypeText(bytes);
}

void TVelEdit::NewLine() {
    if (FReadOnly) {
        return;
    }
    const bool replacesSelection = HasSelection();
    if (replacesSelection) {
        DeleteSelection(true);
    }
    std::string text = "\r\n";
    if (FAutoIndent) {
        const std::string& row = Strings->Get(CaretLine);
        const auto prefix = std::string_view(row).substr(0, static_cast<size_t>(CaretCol));
        const auto blank = std::find_if(prefix.begin(), prefix.end(), [](char c) {
            return static_cast<unsigned char>(c) > 0x20;
        });
        text.append(prefix.begin(), blank);
    }
    RecordInsertion(text, replacesSelection);
    const EditStart start = EditStartAtCaret();
    InsertAtCaret(text, false);
    {
        const CaretHideGuard hidden(this);
        const bool changed = UpdateVertScrollBar();
        if (CaretLine - TopLine + PageFifth > VisibleLines) {
            CaretFollows = false;
            VertScroll(scroll::LineDown, 0);
        }
        if (!SetCaret(-1, CaretLine, 0, true, true)) {
            if (changed) {
                RedrawAll();
            } else {
                RedrawAfterEdit(start);
            }
        }
        UpdateCaretPos();
    }
    NotifyChange();
}

void TVelEdit::InsertTab() {
    CaretReshow(true);
    if (FReadOnly) {
        return;
    }
    const bool replacesSelection = HasSelection();
    if (replacesSelection) {
        DeleteSelection(true);
    }
    const std::string_view tab(&kTab, 1);
    RecordInsertion(tab, replacesSelection);
    InsertAtCaret(tab, true);
    NotifyChange();
}

bool TVelEdit::DeleteAtCaret(UndoKind kind) {
    const CaretHideGuard hidden(this);
    const int last = Strings->Count() - 1;
    if (CaretCol >= static_cast<int>(Strings->Get(CaretLine).size())) {
        // The very end of a row that word wrap continues is the next row's start.
        if (HasTerminator(Strings->Get(CaretLine)) || CaretLine >= last) {
            return false;
        }
        CaretLine += 1;
        CaretCol = 0;
    }
    const std::string& row = Strings->Get(CaretLine);
    const int line = CaretLine;
    CaretX = ColumnX(line, CaretCol) - HorzOffset;
    CaretY = (line - TopLine) * LinePitch;
    if (HasTerminator(row) && CaretCol >= static_cast<int>(row.size()) - 2) {
        if (line == last) {
            return false; // the end-of-text mark
        }
        // The bytes actually removed are recorded, so a lone-CR terminator comes
        // back as it was.
        RecordUndo(static_cast<int>(kind), std::string_view(row).substr(row.size() - 2), CaretCol,
                   line);
        Strings->EraseBytes(line, CaretCol, 2);
        if (FWordWrap) {
            LinesChanged(line);
            RewrapLines(CaretX, line, true, Strings->Count(), line);
        } else {
            Strings->InsertBytes(line, CaretCol, Strings->Get(line + 1));
            Strings->Delete(line + 1);
            RowsSplitOrJoined(line, CaretCol, -1);
            if (UpdateVertScrollBar()) {
                RedrawAll();
            } else {
                RedrawEditedRows(line, CaretX, line, -1);
            }
        }
    } else {
        // A lead byte in front of the terminator is a character of its own.
        const int length = CharLengthAt(StripTerminator(row), CaretCol, FSingleByteMode);
        RecordUndo(static_cast<int>(kind),
                   std::string_view(row).substr(static_cast<size_t>(CaretCol),
                                                static_cast<size_t>(length)),
                   CaretCol, line);
        Strings->EraseBytes(line, CaretCol, length);
        RowEdited(line, CaretCol);
        if (FWordWrap) {
            RewrapLines(CaretX, line, true, Strings->Count(), line);
        } else if (UpdateVertScrollBar()) {
            RedrawAll();
        } else {
            DrawLine(EditedRowX(CaretX), CaretY, Strings->Get(line));
            DrawLinks(line, line, nullptr);
            DrawCaretUnderline(line, true);
        }
    }
    if (!FWordWrap) {
        // A lead byte in front of the caret may pair with the byte that came up behind
        // it: the caret goes in front of that character (the re-wrap places it so).
        const int col = ClampCaretColumn(Strings->Get(CaretLine), CaretCol, FSingleByteMode);
        if (col != CaretCol) {
            CaretCol = col;
            CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
        }
        UpdateHorzScrollBar();
    }
    CollapseSelectionToCaret();
    DesiredCol = CaretCol;
    UpdateCaretPos();
    return true;
}

void TVelEdit::DeleteChar() {
    CaretReshow(true);
    if (FReadOnly) {
        return;
    }
    if (HasSelection()) {
        DeleteSelection(true);
        NotifyChange();
        return;
    }
    if (DeleteAtCaret(UndoKind::Deleted1)) {
        NotifyChange();
    }
}

void TVelEdit::DeleteCharLeft() {
    if (FReadOnly) {
        return;
    }
    CaretReshow(true);
    if (HasSelection()) {
        DeleteSelection(true);
        NotifyChange();
        return;
    }
    if (CaretLine == 0 && CaretCol == 0) {
        return;
    }
    CaretLeft(false);
    if (DeleteAtCaret(UndoKind::BackSpaced)) {
        NotifyChange();
    }
}

void TVelEdit::DeleteWordRight() {
    CaretReshow(true);
    if (FReadOnly) {
        return;
    }
    if (deletedRangeSelection(*this)) {
        return;
    }
    if (atEndOfText(*Strings, CaretLine, CaretCol)) {
        return;
    }
    const std::string& row = Strings->Get(CaretLine);
    const bool atBreak = CaretCol >= static_cast<int>(StripTerminator(row).size());
    // A TAB, and a CR or NUL inside a row (a file broken by LF alone keeps its CRs), go
    // alone, as Delete takes them.
    const char byte = atBreak ? '\0' : row[static_cast<size_t>(CaretCol)];
    if (byte == kTab || byte == '\r' || byte == '\0') {
        DeleteChar();
        return;
    }
    SelAnchorCol = CaretCol;
    SelAnchorLine = SelEndLine = CaretLine;
    SelEndCol = ScanWordForward(row, CaretCol, FSingleByteMode);
    SelActive = true;
    DeleteSelection(true);
    NotifyChange();
}

void TVelEdit::DeleteWordLeft() {
    CaretReshow(true);
    if (FReadOnly || (CaretLine == 0 && CaretCol == 0)) {
        return;
    }
    if (deletedRangeSelection(*this)) {
        return;
    }
    const std::string& row = Strings->Get(CaretLine);
    if (CaretCol > 0 &&
        row[static_cast<size_t>(CharStartBefore(row, CaretCol, FSingleByteMode))] != kTab) {
        SelAnchorCol = CaretCol;
        SelAnchorLine = SelEndLine = CaretLine;
        SelEndCol = ScanWordBackward(row, CaretCol, FSingleByteMode);
        SelActive = true;
        DeleteSelection(true);
        NotifyChange();
        return;
    }
    DeleteCharLeft();
    SelActive = false;
}

} // namespace lumarik::editor
