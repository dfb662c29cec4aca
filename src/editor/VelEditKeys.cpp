// TVelEdit: the key-down dispatch, typed characters, key-up, and the small key
// commands (caret re-show, Esc, the Convert key).
#include "editor/VelEdit.h"

#include <QKeyEvent>

#include <string>
#include <vector>

#include "editor/RowPositions.h"
#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

// Sets a flag for a scope and gives it back its value at the end.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), saved_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = saved_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool saved_;
};

// Ctrl held: the Ctrl commands; any other key only brings the caret back into view.
void ctrlCommand(TVelEdit& edit, int key) {
    switch (key) {
    case Qt::Key_Backspace:
        edit.DeleteWordLeft();
        break;
    case Qt::Key_Delete:
        edit.DeleteWordRight();
        break;
    case Qt::Key_Insert:
    case Qt::Key_C:
        edit.CopyToClipboard();
        break;
    case Qt::Key_V:
        edit.PasteFromClipboard();
        break;
    case Qt::Key_X:
        edit.CutToClipboard();
        break;
    case Qt::Key_Z:
        edit.Undo();
        break;
    case Qt::Key_A:
        edit.SelectAll();
        break;
    case Qt::Key_Home:
        edit.TextStart();
        break;
    case Qt::Key_End:
        edit.TextEnd();
        break;
    case Qt::Key_Left:
        edit.CaretLeft(true);
        break;
    case Qt::Key_Right:
        edit.CaretRight(true);
        break;
    case Qt::Key_Comma:
        edit.LineStart();
        break;
    case Qt::Key_Period:
        edit.LineEnd();
        break;
    default:
        edit.CaretReshow(true);
        break;
    }
}

// Ctrl up: the moves within a line.
void lineMove(TVelEdit& edit, int key) {
    switch (key) {
    case Qt::Key_Home:
        edit.LineStart();
        break;
    case Qt::Key_End:
        edit.LineEnd();
        break;
    case Qt::Key_Left:
        edit.CaretLeft(false);
        break;
    case Qt::Key_Right:
        edit.CaretRight(false);
        break;
    default:
        break;
    }
}

void shiftCommand(TVelEdit& edit, int key) {
    if (key == Qt::Key_Insert) {
        edit.PasteFromClipboard();
    } else if (key == Qt::Key_Delete) {
        edit.CutToClipboard();
    }
}

// Neither Shift nor Ctrl held.
void plainCommand(TVelEdit& edit, int key) {
    switch (key) {
    case Qt::Key_Backspace:
        edit.DeleteCharLeft();
        break;
    case Qt::Key_Insert:
        edit.InsMode = !edit.InsMode;
        if (edit.OnChangeInsMode) {
            edit.OnChangeInsMode(edit, edit.InsMode);
        }
        break;
    case Qt::Key_Delete:
        edit.DeleteChar();
        break;
    case Qt::Key_Henkan:
        edit.ImeReconvert();
        break;
    case Qt::Key_Muhenkan:
        edit.CaretReshow(true);
        break;
    default:
        break;
    }
}

// Whatever the modifiers: these keys act as the plain key.
void anyModifierCommand(TVelEdit& edit, int key) {
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        edit.InsertTab();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        edit.NewLine();
        break;
    case Qt::Key_Escape:
        edit.CancelHighlight();
        break;
    case Qt::Key_PageUp:
        edit.PageMove(-1);
        break;
    case Qt::Key_PageDown:
        edit.PageMove(1);
        break;
    case Qt::Key_Up:
        edit.CaretUpDown(-1);
        break;
    case Qt::Key_Down:
        edit.CaretUpDown(1);
        break;
    default:
        break;
    }
}

bool isTypedByte(unsigned char byte) {
    return (byte >= 0x20 && byte <= 0x7E) || (byte >= 0xA0 && byte <= 0xDF);
}

// One character a key typed, as the character message carries it: its code-page
// bytes (a control character too), with "?" for a character the code page lacks.
struct KeyCharacter {
    std::string bytes;
    bool missing = false; // not in the code page: the "?" stands in for it
};

std::vector<KeyCharacter> keyCharacters(const QString& text) {
    const platform::CodePage& codePage = platform::CodePage::ansi();
    std::vector<KeyCharacter> characters;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length;
        KeyCharacter typed{codePage.fromUnicode(character.toStdU16String())};
        typed.missing =
            typed.bytes.empty() || (typed.bytes == "?" && character != QStringLiteral("?"));
        if (typed.missing) {
            typed.bytes = "?";
        }
        characters.push_back(std::move(typed));
    }
    return characters;
}

// What a character inserts once OnKeyPress has seen it as `key`: a printable single
// byte (space to tilde, half-width katakana), or the whole double-byte character the
// key typed when the handler left its lead byte alone. Controls, DEL, a lone lead
// byte and a character the code page lacks insert nothing.
std::string insertedBytes(const KeyCharacter& typed, char key) {
    const platform::CodePage& codePage = platform::CodePage::ansi();
    if (key == typed.bytes[0]) {
        if (typed.missing) {
            return {};
        }
        if (typed.bytes.size() == 2 && codePage.isLeadByte(static_cast<unsigned char>(key))) {
            return typed.bytes;
        }
    }
    return isTypedByte(static_cast<unsigned char>(key)) ? std::string(1, key) : std::string();
}

} // namespace

void TVelEdit::KeyDown(int key, Qt::KeyboardModifiers shift) {
    const FlagScope inKeyDown(InKeyDown);
    const bool ctrl = shift.testFlag(Qt::ControlModifier);
    const bool shiftDown = shift.testFlag(Qt::ShiftModifier);
    // One key may act in several steps: Ctrl+Shift+Insert copies, then pastes.
    if (ctrl) {
        ctrlCommand(*this, key);
    } else {
        lineMove(*this, key);
    }
    if (shiftDown) {
        shiftCommand(*this, key);
    }
    if (!shiftDown && !ctrl) {
        plainCommand(*this, key);
    }
    anyModifierCommand(*this, key);
}

void TVelEdit::CaretReshow(bool setDesired) {
    if (FCaretScrollFix) {
        SetCaret(CaretCol, CaretLine, 0, setDesired, false);
    }
}

void TVelEdit::CancelHighlight() {
    CaretReshow(true);
    SearchCaretMoved();
}

void TVelEdit::ImeReconvert() {
    if (Composing || !OnIMEReConvert || !SelActive || FReadOnly) {
        CaretReshow(true);
        return;
    }
    const bool anchorFirst =
        SelAnchorLine < CaretLine || (SelAnchorLine == CaretLine && SelAnchorCol < CaretCol);
    if (anchorFirst) {
        // The caret goes to the selection's start, where reconversion begins.
        int col = SelAnchorCol;
        int line = SelAnchorLine;
        if (col > CaretColumnLimit(Strings->Get(line)) && line + 1 < Strings->Count()) {
            // An anchor after a line break is the next line's start.
            col = 0;
            ++line;
        }
        SelAnchorCol = SelDrawnEndCol = CaretCol;
        SelAnchorLine = SelDrawnEndLine = CaretLine;
        SetCaret(col, line, 0, true, false);
        MoveSelectionEnd(CaretCol, CaretLine);
    } else {
        CaretReshow(true);
    }
    OnIMEReConvert(*this);
}

void TVelEdit::keyPressEvent(QKeyEvent* event) {
    // During a drag the keys only switch between moving and copying, or cancel it.
    if (Dragging) {
        DragKey(*event, true);
        event->accept();
        return;
    }
    int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (OnKeyDown) {
        OnKeyDown(*this, key, modifiers);
    }
    // Alt and its combinations belong to the window (menus); only the caret comes back.
    if (modifiers.testFlag(Qt::AltModifier) || key == Qt::Key_Alt) {
        if (key == Qt::Key_Alt) {
            CaretReshow(true);
        }
        if (key != 0) {
            event->ignore();
            return;
        }
    } else {
        if (key != 0) {
            KeyDown(key, modifiers);
        }
        // Every character the key typed is announced first, also when OnKeyDown took
        // the key; what the handler leaves is inserted only when it is insertable.
        for (const KeyCharacter& typed : keyCharacters(event->text())) {
            char character = typed.bytes[0];
            if (OnKeyPress) {
                OnKeyPress(*this, character);
            }
            if (character == 0 || FReadOnly || modifiers.testFlag(Qt::ControlModifier)) {
                continue;
            }
            const std::string bytes = insertedBytes(typed, character);
            if (!bytes.empty()) {
                TypeText(bytes);
            }
        }
    }
    event->accept();
}

void TVelEdit::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
    if (Dragging) {
        DragKey(*event, false);
        return;
    }
    // A held key repeats without being released.
    if (event->isAutoRepeat()) {
        return;
    }
    int key = event->key();
    if (OnKeyUP) {
        OnKeyUP(*this, key, event->modifiers());
    }
    LineScrollRun = 0;
}

} // namespace lumarik::editor
