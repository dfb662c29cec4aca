#include "app/ReplaceWindow.h"

namespace lumarik::app {

Tform_replace::Tform_replace(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("Tform_replace"));
    setWindowTitle(QStringLiteral("Replace"));
    setFont(owner->font());
    resize(299, 122);
}

} // namespace lumarik::app
