// TVelEdit: cut, copy and paste through the system clipboard.
#include "editor/VelEdit.h"

#include "platform/Clipboard.h"

namespace lumarik::editor {

bool TVelEdit::SetClipboardText(std::string_view s) {
    if (!platform::setClipboardText(s)) {
        ShowError("Error:OC002");
        return false;
    }
    return true;
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
    CaretReshow(true);
    // The selection goes only once the clipboard holds it: a cut larger than the undo
    // budget would otherwise be lost for good.
    if (HasSelection() && SetClipboardText(GetSelText())) {
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
