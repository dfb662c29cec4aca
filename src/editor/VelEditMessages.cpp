// TVelEdit: the window procedure (the standard edit-control messages and the
// registered ones), focus gain and loss, the dialog keys and the input method's
// composition.
#include "editor/VelEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <bit>
#include <cstring>

#include "editor/EditControlMessages.h"
#include "platform/Caret.h"

namespace lumarik::editor {

namespace msg = messages;

namespace {

// The bytes of s in front of its first NUL.
std::string_view upToNul(std::string_view s) {
    return s.substr(0, std::min(s.find('\0'), s.size()));
}

// Copies the text as saved (rows joined, no end-of-text mark) up to its first NUL,
// at most capacity - 1 bytes, and closes it with a NUL. Only the bytes copied are
// walked, so a short buffer costs little on a long text.
size_t copyText(const TVelStrings& rows, char* buffer, size_t capacity) {
    const size_t room = capacity - 1;
    const int count = rows.Count();
    size_t copied = 0;
    for (int i = 0; i < count && copied < room; ++i) {
        std::string_view row = rows.Get(i);
        if (i == count - 1) {
            row.remove_suffix(std::min<size_t>(2, row.size()));
        }
        const std::string_view bytes = upToNul(row);
        const size_t n = std::min(bytes.size(), room - copied);
        std::memcpy(buffer + copied, bytes.data(), n);
        copied += n;
        if (bytes.size() < row.size()) {
            break;
        }
    }
    buffer[copied] = '\0';
    return copied;
}

// The buffer a message argument points to (pointers travel as integers).
char* bufferAt(uintptr_t address) {
    return std::bit_cast<char*>(address);
}

void writeDword(uintptr_t address, uint32_t value) {
    if (address != 0) {
        std::memcpy(bufferAt(address), &value, sizeof value);
    }
}

bool ownsFocusReason(const QFocusEvent& event) {
    // Menus do not take the focus from the control: their commands run with its caret
    // and timer intact.
    return event.reason() != Qt::PopupFocusReason && event.reason() != Qt::MenuBarFocusReason;
}

// Switching to another window and back leaves the control the window's active one:
// that is no enter or exit.
bool changesActiveControl(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason;
}

} // namespace

platform::MessageResult TVelEdit::handleMessage(platform::MessageId message,
                                                platform::WParam wParam, platform::LParam lParam) {
    const auto packedLParam = static_cast<uintptr_t>(lParam);
    if (message != 0 && message == MsgGetCaretPos) {
        return msg::PackPosition(CaretCol, CaretLine);
    }
    if (message != 0 && message == MsgSetCaretPos) {
        return MoveCaretTo(msg::LowHalf(packedLParam), msg::HighHalf(packedLParam), 0) ? 1 : 0;
    }
    switch (message) {
    case msg::WM_GETTEXT:
        if (wParam == 0 || lParam == 0) {
            return msg::kRefused; // no room for the closing NUL
        }
        return static_cast<platform::MessageResult>(
            copyText(*Strings, bufferAt(packedLParam), wParam));
    case msg::WM_GETTEXTLENGTH:
        return static_cast<platform::MessageResult>(std::max<int64_t>(0, Strings->ByteCount() - 2));
    case msg::EM_GETSEL:
        writeDword(wParam, msg::PackPosition(SelAnchorCol, SelAnchorLine));
        writeDword(packedLParam, msg::PackPosition(SelEndCol, SelEndLine));
        return static_cast<platform::MessageResult>(GetSelLength());
    case msg::EM_SETSEL:
        SetSelection(msg::LowHalf(wParam), msg::HighHalf(wParam), msg::HighHalf(packedLParam),
                     msg::LowHalf(packedLParam));
        return 0;
    case msg::EM_GETLINECOUNT:
        return Strings->Count();
    case msg::EM_LINELENGTH: {
        const auto index = static_cast<platform::LParam>(wParam);
        if (index < 0) {
            return msg::kRefused;
        }
        return index < Strings->Count() ? static_cast<platform::MessageResult>(
                                              upToNul(Strings->Get(static_cast<int>(index))).size())
                                        : 0;
    }
    case msg::EM_GETLINE: {
        const auto index = static_cast<platform::LParam>(wParam);
        if (index < 0) {
            return msg::kRefused;
        }
        if (lParam == 0 || index >= Strings->Count()) {
            return 0;
        }
        // The buffer's first 16-bit word holds its size; the line is copied over it,
        // without a closing NUL.
        char* buffer = bufferAt(packedLParam);
        uint16_t size = 0;
        std::memcpy(&size, buffer, sizeof size);
        const std::string_view bytes = upToNul(Strings->Get(static_cast<int>(index)));
        const size_t n = std::min<size_t>(size, bytes.size());
        std::memcpy(buffer, bytes.data(), n);
        return static_cast<platform::MessageResult>(n);
    }
    case msg::EM_GETFIRSTVISIBLELINE:
        return TopLine;
    case msg::WM_CUT:
        CutToClipboard();
        return 0;
    case msg::WM_COPY:
        CopyToClipboard();
        return 0;
    case msg::WM_PASTE:
        PasteFromClipboard();
        return 0;
    case msg::WM_CLEAR:
        // Empties the whole text, not only the selection, without undo and without
        // OnChange. Nothing in the program sends it; a new sender must want exactly
        // that.
        ClearAll();
        return 0;
    case msg::WM_GETDLGCODE:
        return msg::DLGC_WANTARROWS | msg::DLGC_WANTCHARS | (FWantTabs ? msg::DLGC_WANTTAB : 0);
    case msg::WM_SETFOCUS:
        GainFocus();
        return 0;
    case msg::WM_KILLFOCUS:
        LoseFocus();
        return 0;
    case msg::WM_CREATE:
        EnsureCreated();
        return 0;
    case msg::WM_IME_STARTCOMPOSITION:
        StartComposition();
        return 0;
    case msg::WM_IME_ENDCOMPOSITION:
        EndComposition();
        return 0;
    default:
        // Everything else, the background erase included, needs nothing: the control
        // paints every pixel itself.
        return 0;
    }
}

void TVelEdit::GainFocus() {
    CaretY = (CaretLine - TopLine) * LinePitch;
    SetImeWindow(CaretX + TextLeft, CaretY + FTopMargin);
    platform::Caret& caret = platform::Caret::application();
    caret.create(this, 2, FontHeight);
    // A caret scrolled out to the left is parked just outside the client area.
    caret.setPos(QPoint(CaretX >= 0 ? CaretX + TextLeft : -5, CaretY + FTopMargin) +
                 ClientOrigin());
    caret.show();
    Timer->start();
}

void TVelEdit::LoseFocus() {
    Timer->stop();
    platform::Caret& caret = platform::Caret::application();
    if (caret.owner() == this) {
        caret.hide();
        caret.destroy();
    }
}

void TVelEdit::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (ownsFocusReason(*event)) {
        GainFocus();
        if (changesActiveControl(*event) && OnEnter) {
            OnEnter(*this);
        }
    }
}

void TVelEdit::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (ownsFocusReason(*event)) {
        // A selection or drag whose button release will not come here ends now.
        ReleasePointer();
        LoseFocus();
        if (changesActiveControl(*event) && OnExit) {
            OnExit(*this);
        }
    }
}

bool TVelEdit::TakeTabKey(QEvent* event) {
    if (!FWantTabs || event->type() != QEvent::KeyPress) {
        return false;
    }
    auto* key = static_cast<QKeyEvent*>(event);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (!tab || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        return false;
    }
    // The key is the control's even when it does nothing with it: it never moves the
    // focus to the next control of the window.
    keyPressEvent(key);
    key->accept();
    return true;
}

void TVelEdit::StartComposition() {
    Composing = true;
    if (OnIMEChanging) {
        if (FCaretScrollFix) {
            SetCaret(CaretCol, CaretLine, 0, true, false);
        }
        OnIMEChanging(*this);
    }
}

void TVelEdit::EndComposition() {
    Composing = false;
    if (OnIMEChanged) {
        OnIMEChanged(*this);
    }
}

} // namespace lumarik::editor
