#pragma once

#include <QWidget>

namespace lumarik::app {

// The about box: a frameless window showing the logo and the version.
class TForm1 : public QWidget {
public:
    explicit TForm1(QWidget* owner);
};

} // namespace lumarik::app
