#include "app/DialogFrame.h"

#include <QEvent>
#include <QWidget>

namespace lumarik::app {

FramePlacer::FramePlacer(QWidget* window, std::function<QPoint()> frameTopLeft)
    : QObject(window), window_(*window), frameTopLeft_(std::move(frameTopLeft)) {
    window->installEventFilter(this);
}

bool FramePlacer::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) {
        return false;
    }
    if (event->type() == QEvent::Show && !event->spontaneous()) {
        unchecked_ = frameTopLeft_();
        window_.move(*unchecked_);
    } else if (event->type() == QEvent::Paint && unchecked_) {
        const QPoint wanted = *unchecked_;
        unchecked_.reset();
        if (window_.pos() != wanted) {
            window_.move(wanted);
        }
    }
    return false;
}

} // namespace lumarik::app
