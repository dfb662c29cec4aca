#pragma once

#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>

namespace lumarik::app {

// The client size of a small window whose outer size (sizing frame and caption
// included) is given: the frame the windows were laid out for is 4 pixels on each
// side with a caption of 19.
inline QSize clientSizeForOuter(int width, int height) {
    return {width - 8, height - 27};
}

// A push button at a fixed place in a window laid out without layouts.
inline QPushButton* placeButton(QWidget* window, const QString& name, const QString& caption,
                                const QRect& geometry) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

} // namespace lumarik::app
