#include "app/SearchWindow.h"

namespace lumarik::app {

Tform_search::Tform_search(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("Tform_search"));
    setWindowTitle(QStringLiteral("Search"));
    setFont(owner->font());
    resize(262, 111);
}

} // namespace lumarik::app
