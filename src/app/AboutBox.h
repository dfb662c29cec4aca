#pragma once

#include <QWidget>

class QLabel;

namespace lumarik::app {

// The about box: a small frameless window over every other window, showing the logo
// and the version. Each showing places it 100 pixels right of and below the main
// window's corner; a click anywhere on it closes it.
class TForm1 : public QWidget {
public:
    explicit TForm1(QWidget* owner);

    QLabel* Image1 = nullptr;
    QLabel* Label_version = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// The logo, 177 by 82, painted in code.
QPixmap aboutLogoImage();

} // namespace lumarik::app
