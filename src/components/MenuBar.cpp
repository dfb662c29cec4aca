#include "components/MenuBar.h"

#include <QMenu>

namespace lumarik::components {

TMenuBar::TMenuBar(QWidget* parent) : QMenuBar(parent) {
    setNativeMenuBar(false);
}

void TMenuBar::SetMenu(QMenu* value) {
    if (value == menu_) {
        return;
    }
    clear();
    menu_ = value;
    if (menu_ == nullptr) {
        return;
    }
    for (QAction* entry : menu_->actions()) {
        addAction(entry);
    }
}

} // namespace lumarik::components
