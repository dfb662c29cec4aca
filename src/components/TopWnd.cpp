#include "components/TopWnd.h"

#include <QWidget>
#include <QWindow>

namespace lumarik::components {

TTopMostWindow::TTopMostWindow(QWidget* owner) : QObject(owner), owner_(owner) {}

void TTopMostWindow::SetAlwaysOnTop(bool value) {
    if (value == alwaysOnTop_) {
        return;
    }
    if (OnBeforeChange) {
        OnBeforeChange(*this);
    }
    alwaysOnTop_ = value;
    ApplyTopMost();
    if (OnAfterChange) {
        OnAfterChange(*this);
    }
}

void TTopMostWindow::ApplyTopMost() {
    QWidget* window = owner_->window();
    // The widget's own flags would hide the window when set the usual way; they are
    // kept in step quietly, so that a native window made later gets the same layer.
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, alwaysOnTop_);
    window->overrideWindowFlags(flags);
    if (QWindow* handle = window->windowHandle()) {
        handle->setFlag(Qt::WindowStaysOnTopHint, alwaysOnTop_);
    }
}

} // namespace lumarik::components
