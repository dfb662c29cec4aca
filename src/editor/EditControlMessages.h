#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/WindowMessages.h"

// The window messages the editor control answers, with their classic numbers, and
// the names of the messages it registers.
namespace lumarik::editor::messages {

using platform::MessageId;

inline constexpr MessageId WM_CREATE = 0x0001;
inline constexpr MessageId WM_SETFOCUS = 0x0007;
inline constexpr MessageId WM_KILLFOCUS = 0x0008;
inline constexpr MessageId WM_GETTEXT = 0x000D;
inline constexpr MessageId WM_GETTEXTLENGTH = 0x000E;
inline constexpr MessageId WM_ERASEBKGND = 0x0014;
inline constexpr MessageId WM_GETDLGCODE = 0x0087;
inline constexpr MessageId EM_GETSEL = 0x00B0;
inline constexpr MessageId EM_SETSEL = 0x00B1;
inline constexpr MessageId EM_GETLINECOUNT = 0x00BA;
inline constexpr MessageId EM_LINELENGTH = 0x00C1;
inline constexpr MessageId EM_GETLINE = 0x00C4;
inline constexpr MessageId EM_GETFIRSTVISIBLELINE = 0x00CE;
inline constexpr MessageId WM_IME_STARTCOMPOSITION = 0x010D;
inline constexpr MessageId WM_IME_ENDCOMPOSITION = 0x010E;
inline constexpr MessageId WM_CUT = 0x0300;
inline constexpr MessageId WM_COPY = 0x0301;
inline constexpr MessageId WM_PASTE = 0x0302;
inline constexpr MessageId WM_CLEAR = 0x0303;

// Bits of the WM_GETDLGCODE answer.
inline constexpr platform::MessageResult DLGC_WANTARROWS = 0x0001;
inline constexpr platform::MessageResult DLGC_WANTTAB = 0x0002;
inline constexpr platform::MessageResult DLGC_WANTCHARS = 0x0080;

// The answer to a message whose arguments are refused (a zero-sized buffer, a
// negative line index); nothing is written then.
inline constexpr platform::MessageResult kRefused = -1;

// Posted to every top-level window after the text changed; wParam 0, or the control
// when a replace changed it.
inline constexpr const char* kChangeMessageName = "WM_TVELEDIT_CHANGE";
// Posted to every top-level window when the caret moved; wParam the control, lParam
// the packed caret position.
inline constexpr const char* kMoveCaretMessageName = "WM_TVELEDIT_MOVECARET";
// Sent to a control: answers the packed caret position.
inline constexpr const char* kGetCaretPosMessageName = "WM_TVELEDIT_GETCARETPOS";
// Sent to a control with the packed position in lParam: places the caret there and
// answers 1 when the view scrolled.
inline constexpr const char* kSetCaretPosMessageName = "WM_TVELEDIT_SETCARETPOS";

// A column in the low and a line in the high 16 bits. Each half is clamped to
// 0..65535, so a position beyond that range reports the largest value instead of
// spilling into the other half.
constexpr uint32_t PackPosition(int col, int line) {
    const auto half = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 0xFFFF)); };
    return half(col) | (half(line) << 16);
}

constexpr int LowHalf(uintptr_t v) {
    return static_cast<int>(v & 0xFFFF);
}

constexpr int HighHalf(uintptr_t v) {
    return static_cast<int>((v >> 16) & 0xFFFF);
}

} // namespace lumarik::editor::messages
