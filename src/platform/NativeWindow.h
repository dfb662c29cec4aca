#pragma once

#include <QPoint>

#include <optional>

class QWidget;

namespace lumarik::platform {

// Where the window system has put the top-left corner of a shown top-level window's
// client area, asked of the window system itself. The toolkit keeps its own record,
// which a window manager that reparents windows into frames can leave stale (at the
// frame's corner, 0, 0) until the window is next moved. Empty where the window system
// cannot be asked, or the window has no native window.
std::optional<QPoint> nativeClientPosition(const QWidget& window);

} // namespace lumarik::platform
