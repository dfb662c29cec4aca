#include "app/WindowBounds.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace lumarik::app {
namespace {

// Enough of the title bar to grab it with the mouse.
constexpr int kGrabbableWidth = 32;
constexpr int kGrabbableHeight = 10;

int usableExtent(std::int64_t value, int fallback, int minimum, int maximum) {
    if (value <= 0) {
        value = fallback;
    }
    return static_cast<int>(std::clamp<std::int64_t>(value, minimum, std::max(minimum, maximum)));
}

// Whether a strip at that place lies far enough inside one work area to be grabbed.
bool reachable(std::int64_t left, std::int64_t top, int width, int height,
               const std::vector<QRect>& workAreas) {
    const int grabWidth = std::min(kGrabbableWidth, width);
    const int grabHeight = std::min(kGrabbableHeight, height);
    return std::any_of(workAreas.begin(), workAreas.end(), [&](const QRect& area) {
        const std::int64_t x0 = std::max<std::int64_t>(left, area.left());
        const std::int64_t x1 = std::min<std::int64_t>(left + width, area.left() + area.width());
        const std::int64_t y0 = std::max<std::int64_t>(top, area.top());
        const std::int64_t y1 = std::min<std::int64_t>(top + height, area.top() + area.height());
        return x1 - x0 >= grabWidth && y1 - y0 >= grabHeight;
    });
}

} // namespace

ScreenAreas currentScreenAreas() {
    ScreenAreas screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens.desktop |= screen->geometry();
        screens.workAreas.push_back(screen->availableGeometry());
    }
    return screens;
}

int usableHeight(std::int64_t height, const ScreenAreas& screens, const BoundsRules& rules) {
    if (rules.shadedHeight > 0 && height == rules.shadedHeight) {
        return rules.shadedHeight;
    }
    return usableExtent(height, rules.fallback.height(), rules.minimum.height(),
                        screens.desktop.height());
}

QRect usableBounds(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
                   const ScreenAreas& screens, const BoundsRules& rules) {
    const int w =
        usableExtent(width, rules.fallback.width(), rules.minimum.width(), screens.desktop.width());
    const int h = usableHeight(height, screens, rules);
    QPoint at = rules.fallback.topLeft();
    if (reachable(left, top, w, rules.titleHeight, screens.workAreas)) {
        at = QPoint(static_cast<int>(left), static_cast<int>(top));
    } else if (!reachable(at.x(), at.y(), w, rules.titleHeight, screens.workAreas) &&
               !screens.workAreas.empty()) {
        at = screens.workAreas.front().topLeft();
    }
    return {at, QSize(w, h)};
}

bool fillsWorkArea(QSize window, const QRect& workArea, int shadedHeight) {
    return window.width() == workArea.width() &&
           (window.height() == workArea.height() || window.height() == shadedHeight);
}

} // namespace lumarik::app
