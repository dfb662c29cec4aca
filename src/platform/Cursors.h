#pragma once

#include <QCursor>
#include <QImage>
#include <QPoint>

#include <string_view>

namespace lumarik::platform {

// A cursor as an image and the point of it that marks the pointer's place.
struct CursorImage {
    QImage image;
    QPoint hotSpot;
};

// One of the program's own cursor images by its resource name: "DragCur1" (text being
// moved) and "DragCur2" (text being copied), 32 by 32 pixels with the hot spot at the
// tip of the arrow. Any other name gives a null image.
CursorImage loadCursorResource(std::string_view name);

// The application's table of numbered cursors, as controls name them by number (a
// drag-cursor property holds a slot). A slot without an image gives the arrow.
void setCursorSlot(int slot, const CursorImage& cursor);
QCursor cursorSlot(int slot);

} // namespace lumarik::platform
