#include "app/ImageButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumarik::app {

TImageButton::TImageButton(const QPixmap& image, QWidget* parent)
    : QAbstractButton(parent), image_(image) {
    setFocusPolicy(Qt::NoFocus);
    resize(image_.size());
}

void TImageButton::paintEvent(QPaintEvent* /*event*/) {
    if (!isHeld()) {
        QPainter(this).drawPixmap(0, 0, image_);
    }
}

void TImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    heldByOtherButton_ = true;
    update();
    event->accept();
}

void TImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QAbstractButton::mouseReleaseEvent(event);
        return;
    }
    heldByOtherButton_ = false;
    update();
    event->accept();
}

} // namespace lumarik::app
