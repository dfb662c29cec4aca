#include "app/AboutBox.h"

namespace lumarik::app {

TForm1::TForm1(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Lumarik"));
    setFont(owner->font());
    setFixedSize(177, 82);
}

} // namespace lumarik::app
