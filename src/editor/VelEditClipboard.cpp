// TVelEdit: cut, copy and paste through the system clipboard.
#include "editor/VelEdit.h"

#include "platform/Clipboard.h"

namespace lumarik::editor {

void TVelEdit::SetClipboardText(std::string_view s) {
    if (!platform::setClipboardText(s)) {
        ShowError("Error:OC002");
    }
}

void TVelEdit::CopyToClipboard() {
    CaretReshow(true);
    if (HasSelection()) {
        SetClipboardText(GetSelText());
    }
}

void TVelEdit::CutToClipboard() {
    if (FReadOnly) {
        return;
    }
    CopyToClipboard();
    if (HasSelection()) {
        DeleteSelection(true);
    }
    NotifyChange();
}

void TVelEdit::PasteFromClipboard() {
    if (FReadOnly) {
        return;
    }
    const std::optional<std::string> text = platform::clipboardText();
    if (!text || text->empty()) {
        return;
    }
    ReplaceSelText(*text);
}

} // namespace lumarik::editor
