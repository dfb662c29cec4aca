#pragma once

#include <optional>
#include <string>
#include <string_view>

// The system clipboard as the editor exchanges text with it: code-page bytes with
// CR LF line breaks, ending at the first NUL. Text copied here comes back byte for
// byte; text from other programs is converted from Unicode, its line breaks (LF, CR
// or CR LF) made CR LF.
namespace lumarik::platform {

// Puts the bytes (up to their first NUL) on the clipboard; answers false when the
// clipboard is not available.
bool setClipboardText(std::string_view bytes);

// The clipboard's text, or nothing when it holds no text.
std::optional<std::string> clipboardText();

} // namespace lumarik::platform
