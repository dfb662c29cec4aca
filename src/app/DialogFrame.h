#pragma once

#include <QObject>
#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>

#include <functional>
#include <optional>

namespace lumarik::app {

// The client size of a small window whose outer size (sizing frame and caption
// included) is given: the frame the windows were laid out for is 4 pixels on each
// side with a caption of 19.
inline QSize clientSizeForOuter(int width, int height) {
    return {width - 8, height - 27};
}

// Puts a small window's frame (not its client area) at a place on every showing
// that is not the window system's own. The first time a window is shown its frame
// is not known yet, so the window lands with its client area there; once it is
// painted the frame is known and the window is moved to where it belongs.
class FramePlacer final : public QObject {
public:
    FramePlacer(QWidget* window, std::function<QPoint()> frameTopLeft);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    std::function<QPoint()> frameTopLeft_;
    // Where the frame was put at the last showing, until it was painted there.
    std::optional<QPoint> unchecked_;
};

// A push button at a fixed place in a window laid out without layouts.
inline QPushButton* placeButton(QWidget* window, const QString& name, const QString& caption,
                                const QRect& geometry) {
    auto* button = new QPushButton(caption, window);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

} // namespace lumarik::app
