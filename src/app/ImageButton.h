#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace lumarik::app {

// A button that is only a picture. While any mouse button holds it down it paints
// nothing, so the window behind, which carries the pressed look at the same place,
// shows through; a left click runs clicked(). It takes no keyboard focus.
class TImageButton : public QAbstractButton {
public:
    TImageButton(const QPixmap& image, QWidget* parent);

    QSize sizeHint() const override { return image_.size(); }
    // True while the picture is hidden by a held mouse button.
    bool isHeld() const { return isDown() || heldByOtherButton_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap image_;
    // The right or middle button holds it: no click comes of that.
    bool heldByOtherButton_ = false;
};

} // namespace lumarik::app
