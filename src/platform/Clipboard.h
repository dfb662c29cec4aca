#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QMimeData;

// The system clipboard as the editor exchanges text with it: code-page bytes with
// CR LF line breaks, ending at the first NUL. Text copied here comes back byte for
// byte; text from other programs is converted from Unicode, its line breaks (LF, CR
// or CR LF) made CR LF.
namespace lumarik::platform {

// Puts the bytes (up to their first NUL) on the clipboard; answers false when the
// clipboard did not take them.
bool setClipboardText(std::string_view bytes);

// The clipboard's text, or nothing when it holds no text.
std::optional<std::string> clipboardText();

// Hands data to a clipboard and answers whether it was taken.
using ClipboardWriter = std::function<bool(std::unique_ptr<QMimeData> data)>;

// Sends what setClipboardText writes to another clipboard for a scope (tests put in
// one that refuses), then returns to the previous one.
class ScopedClipboardWriter {
public:
    explicit ScopedClipboardWriter(ClipboardWriter writer);
    ~ScopedClipboardWriter();
    ScopedClipboardWriter(const ScopedClipboardWriter&) = delete;
    ScopedClipboardWriter& operator=(const ScopedClipboardWriter&) = delete;

private:
    ClipboardWriter previous_;
};

} // namespace lumarik::platform
