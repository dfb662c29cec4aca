#include "platform/Caret.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleHints>

#include <algorithm>
#include <utility>

namespace lumarik::platform {

Caret::Caret() {
    QObject::connect(&blinkTimer_, &QTimer::timeout, &blinkTimer_, [this] { toggleBlink(); });
}

Caret::~Caret() {
    QObject::disconnect(ownerGone_);
}

Caret& Caret::application() {
    // Made on first use and deleted with the application, while its event dispatcher
    // still exists to stop the blink timer.
    static Caret* caret = nullptr;
    if (!caret) {
        caret = new Caret;
        qAddPostRoutine([] {
            delete caret;
            caret = nullptr;
        });
    }
    return *caret;
}

void Caret::create(QWidget* owner, int width, int height) {
    destroy();
    exists_ = true;
    owner_ = owner;
    if (owner) {
        ownerGone_ =
            QObject::connect(owner, &QObject::destroyed, &blinkTimer_, [this] { destroy(); });
    }
    pos_ = QPoint(0, 0);
    size_ = QSize(std::max(width, 1), std::max(height, 1));
    hideCount_ = 1;
    blinkOn_ = true;
}

void Caret::destroy() {
    if (!exists_) {
        return;
    }
    const bool wasVisible = isVisibleNow();
    blinkTimer_.stop();
    QObject::disconnect(ownerGone_);
    exists_ = false;
    hideCount_ = 0;
    if (wasVisible) {
        repaintOwner(rect());
    }
    owner_ = nullptr;
}

bool Caret::setPos(QPoint pos) {
    if (!exists_) {
        return false;
    }
    if (pos == pos_) {
        return true;
    }
    const QRect old = rect();
    const bool wasVisible = isVisibleNow();
    pos_ = pos;
    if (isShown()) {
        // A moved caret shows at once, as it does while typing.
        restartBlink();
        if (wasVisible) {
            repaintOwner(old);
        }
        repaintOwner(rect());
    }
    return true;
}

bool Caret::show() {
    if (!exists_) {
        return false;
    }
    if (hideCount_ > 0 && --hideCount_ == 0) {
        restartBlink();
        repaintOwner(rect());
    }
    return true;
}

bool Caret::hide() {
    if (!exists_) {
        return false;
    }
    const bool wasVisible = isVisibleNow();
    // The blink timer runs on: a hidden caret ignores it, and show() starts it afresh.
    ++hideCount_;
    if (wasVisible) {
        repaintOwner(rect());
    }
    return true;
}

void Caret::paint(QPainter& painter, const QWidget* widget) const {
    if (widget == nullptr || widget != owner_ || !isVisibleNow()) {
        return;
    }
    painter.save();
    // White in difference mode inverts whatever is below.
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(rect(), Qt::white);
    painter.restore();
}

void Caret::restartBlink() {
    blinkOn_ = true;
    const int flashTime = QGuiApplication::styleHints()->cursorFlashTime();
    if (flashTime <= 0) {
        blinkTimer_.stop();
        return;
    }
    // A running timer is not started afresh for every key, which costs more than a
    // typed character's repaint: the caret skips its next turn off instead.
    holdOn_ = true;
    if (!blinkTimer_.isActive() || blinkTimer_.interval() != flashTime / 2) {
        blinkTimer_.start(flashTime / 2);
    }
}

void Caret::toggleBlink() {
    if (!isShown()) {
        blinkTimer_.stop();
        return;
    }
    if (std::exchange(holdOn_, false)) {
        return;
    }
    blinkOn_ = !blinkOn_;
    repaintOwner(rect());
}

void Caret::repaintOwner(const QRect& rect) const {
    if (owner_) {
        owner_->update(rect);
    }
}

} // namespace lumarik::platform
