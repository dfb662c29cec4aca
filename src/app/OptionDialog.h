#pragma once

#include <QWidget>

namespace lumarik::app {

// The option dialog: a frameless window of the editor's settings.
class Tform_option : public QWidget {
public:
    explicit Tform_option(QWidget* owner);
};

} // namespace lumarik::app
