#pragma once

#include <QWidget>

namespace lumarik::app {

// The search window, shown modelessly beside the main window.
class Tform_search : public QWidget {
public:
    explicit Tform_search(QWidget* owner);
};

} // namespace lumarik::app
