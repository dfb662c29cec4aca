#include "app/WindowMover.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace lumarik::app {

bool WindowMover::press(QWidget& window, const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton) {
        return false;
    }
    pressedAt_ = event.globalPosition().toPoint();
    grip_ = pressedAt_ - window.pos();
    if (start_ == Start::OnPress) {
        begin(window);
    } else {
        armed_ = true;
    }
    return true;
}

bool WindowMover::move(QWidget& window, const QMouseEvent& event) {
    if (!event.buttons().testFlag(Qt::LeftButton)) {
        armed_ = false;
        catchingUp_ = false;
        return false;
    }
    const QPoint pointer = event.globalPosition().toPoint();
    if (armed_) {
        if ((pointer - pressedAt_).manhattanLength() < QApplication::startDragDistance()) {
            return true;
        }
        // A window system's move holds the window where the pointer is when it starts,
        // so the window first catches up with the pointer, and the move starts at the
        // next event, once the window system has put the window there.
        armed_ = false;
        catchingUp_ = true;
        window.move(pointer - grip_);
        return true;
    }
    if (catchingUp_) {
        catchingUp_ = false;
        begin(window);
    }
    if (!moving_) {
        return false;
    }
    window.move(pointer - grip_);
    return true;
}

bool WindowMover::release(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton) {
        return false;
    }
    armed_ = false;
    catchingUp_ = false;
    if (!moving_) {
        return false;
    }
    moving_ = false;
    return true;
}

void WindowMover::begin(QWidget& window) {
    QWindow* handle = window.windowHandle();
    moving_ = handle == nullptr || !handle->startSystemMove();
}

} // namespace lumarik::app
