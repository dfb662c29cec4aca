#include "app/OptionDialog.h"

namespace lumarik::app {

Tform_option::Tform_option(QWidget* owner) : QWidget(owner, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Tform_option"));
    setWindowTitle(QStringLiteral("OPTION"));
    setFont(owner->font());
    setFixedSize(366, 211);
}

} // namespace lumarik::app
