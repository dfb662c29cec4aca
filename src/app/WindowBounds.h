#pragma once

#include <QRect>

#include <cstdint>
#include <vector>

namespace lumarik::app {

// The screens a window can be put on.
struct ScreenAreas {
    // All screens together.
    QRect desktop;
    // Each screen's work area: the screen less its panels and task bars.
    std::vector<QRect> workAreas;
};

// The screens of this session.
ScreenAreas currentScreenAreas();

// What window bounds read from the settings must satisfy.
struct BoundsRules {
    // Taken for a size that is not positive, and for a position that leaves the title
    // out of reach.
    QRect fallback;
    QSize minimum;
    // The height of the strip at the top by which the window is moved.
    int titleHeight = 0;
    // A height the window may have below the minimum: rolled up to its title (0: none).
    int shadedHeight = 0;
};

// Stored bounds made usable, whatever the stored numbers: a size no smaller than the
// minimum and no larger than the desktop, and a title that can be reached on a work
// area.
QRect usableBounds(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
                   const ScreenAreas& screens, const BoundsRules& rules);

// A stored height made usable by the same rules.
int usableHeight(std::int64_t height, const ScreenAreas& screens, const BoundsRules& rules);

// Whether a window of that size fills the work area, as the emulated maximise leaves
// it: as wide and as high, or as wide and rolled up to shadedHeight.
bool fillsWorkArea(QSize window, const QRect& workArea, int shadedHeight);

} // namespace lumarik::app
