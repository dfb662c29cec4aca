#pragma once

#include <QWidget>

namespace lumarik::app {

// The replace window, shown modelessly beside the main window.
class Tform_replace : public QWidget {
public:
    explicit Tform_replace(QWidget* owner);
};

} // namespace lumarik::app
