#include "platform/SystemMetrics.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace lumarik::platform {

int scrollBarExtent(const QWidget* widget) {
    const QStyle* style = widget ? widget->style() : QApplication::style();
    return style->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget);
}

} // namespace lumarik::platform
