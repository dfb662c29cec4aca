#pragma once

#include <QPixmap>

namespace lumarik::app {

// The images of the drawn title bar, painted in code.

inline constexpr int kTitleImageWidth = 1600;
inline constexpr int kTitleHeight = 20;
inline constexpr int kTitleButtonWidth = 18;

enum class TitleButton { Exit, Shade, Max, Min, OnTop, OnTopPinned };

// The title strip, wide enough for any window; windows show its left part.
QPixmap titleImage();
// The 67 by 11 overlay that greys the title while the application is inactive.
QPixmap inactiveTitleImage();
// An 18 by 20 button, raised or pressed.
QPixmap titleButtonImage(TitleButton button, bool pressed);

} // namespace lumarik::app
