#pragma once

// The codes the vertical and horizontal scroll messages carry (the Win32 values).
namespace lumarik::editor::scroll {

inline constexpr int LineUp = 0;
inline constexpr int LineDown = 1;
inline constexpr int PageUp = 2;
inline constexpr int PageDown = 3;
inline constexpr int ThumbPosition = 4;
inline constexpr int ThumbTrack = 5;
inline constexpr int Top = 6;
inline constexpr int Bottom = 7;
inline constexpr int EndScroll = 8;

// The horizontal names of the same codes.
inline constexpr int LineLeft = LineUp;
inline constexpr int LineRight = LineDown;
inline constexpr int PageLeft = PageUp;
inline constexpr int PageRight = PageDown;

} // namespace lumarik::editor::scroll
