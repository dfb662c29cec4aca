#pragma once

#include <QPixmap>
#include <QRect>

namespace lumarik::app {

// The images of the drawn title bar, painted in code.

inline constexpr int kTitleImageWidth = 1600;
inline constexpr int kTitleHeight = 20;
inline constexpr int kTitleButtonWidth = 18;

enum class TitleButton { Exit, Shade, Max, Min, OnTop, OnTopPinned };

// Where on the title strip the inactive overlay lies: over the program's name.
inline constexpr QRect kInactiveTitleArea(18, 5, 67, 11);

// The title strip, wide enough for any window; windows show its left part.
QPixmap titleImage();
// The overlay that greys the program's name while the application is inactive.
QPixmap inactiveTitleImage();
// An 18 by 20 button, raised or pressed.
QPixmap titleButtonImage(TitleButton button, bool pressed);

} // namespace lumarik::app
