#include "platform/Cursors.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygon>

#include <map>

namespace lumarik::platform {

namespace {

constexpr int kCursorSize = 32;

// Images, not cursors, are kept: they outlive the application object safely.
std::map<int, CursorImage>& table() {
    static std::map<int, CursorImage> images;
    return images;
}

// The pointer arrow with a dashed box under it, standing for the text being dragged;
// a copy adds a plus sign in a box.
QImage dragCursorImage(bool copy) {
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QPolygon arrow({{0, 0}, {0, 15}, {4, 11}, {7, 18}, {9, 17}, {6, 10}, {11, 10}});
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawPolygon(arrow);

    const QRect box(8, 20, 14, 9);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 3));
    painter.drawRect(box);
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(box);

    if (copy) {
        const QRect plusBox(20, 12, 10, 10);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::white);
        painter.drawRect(plusBox);
        const QPoint centre = plusBox.center();
        painter.drawLine(centre.x() - 3, centre.y(), centre.x() + 3, centre.y());
        painter.drawLine(centre.x(), centre.y() - 3, centre.x(), centre.y() + 3);
    }
    return image;
}

} // namespace

CursorImage loadCursorResource(std::string_view name) {
    if (name == "DragCur1") {
        return {dragCursorImage(false), {0, 0}};
    }
    if (name == "DragCur2") {
        return {dragCursorImage(true), {0, 0}};
    }
    return {};
}

void setCursorSlot(int slot, const CursorImage& cursor) {
    table()[slot] = cursor;
}

QCursor cursorSlot(int slot) {
    const auto found = table().find(slot);
    if (found == table().end() || found->second.image.isNull()) {
        return QCursor(Qt::ArrowCursor);
    }
    return QCursor(QPixmap::fromImage(found->second.image), found->second.hotSpot.x(),
                   found->second.hotSpot.y());
}

} // namespace lumarik::platform
