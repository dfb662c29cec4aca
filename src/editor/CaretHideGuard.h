#pragma once

#include <QWidget>

#include "platform/Caret.h"

namespace lumarik::editor {

// Hides the system caret for a scope when the given control owns it, and shows it
// again at the end of the scope (hiding is counted, so guards nest).
class CaretHideGuard {
public:
    explicit CaretHideGuard(const QWidget* owner)
        : hidden_(platform::Caret::application().owner() == owner &&
                  platform::Caret::application().hide()) {}
    ~CaretHideGuard() {
        if (hidden_) {
            platform::Caret::application().show();
        }
    }
    CaretHideGuard(const CaretHideGuard&) = delete;
    CaretHideGuard& operator=(const CaretHideGuard&) = delete;

private:
    bool hidden_;
};

} // namespace lumarik::editor
