#pragma once

class QWidget;

namespace lumarik::platform {

// Width of a vertical scroll bar, which is also the height of a horizontal one, in
// the style of widget (the application style without one).
int scrollBarExtent(const QWidget* widget = nullptr);

} // namespace lumarik::platform
