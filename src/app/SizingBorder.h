#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>

#include <array>

class QWidget;

namespace lumarik::app {

// Where a window dragged by the given edges ends up when the pointer has travelled
// delta since the press: the edges that are not dragged stay where they were, and
// the size keeps within minimum and maximum.
QRect resizedBounds(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum,
                    QSize maximum);

// The pointer shape over a grip for those edges.
Qt::CursorShape resizeCursor(Qt::Edges edges);

// The sizing border of a frameless window: grips over the frame it draws, along each
// edge and at each corner, that show the resize pointer and resize the window when
// dragged. The window system resizes it when it can; when it cannot, the window
// follows the pointer itself.
class SizingBorder : public QObject {
public:
    // frame: the width of the window's frame at each side.
    SizingBorder(QWidget& window, QMargins frame);

    // A window whose size is fixed shows no grips.
    void setResizable(bool resizable);

    // The grips, left, top, right, bottom, then the corners clockwise from the top
    // left.
    const std::array<QWidget*, 8>& grips() const { return grips_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeGrips();

    QWidget& window_;
    QMargins frame_;
    std::array<QWidget*, 8> grips_{};
};

} // namespace lumarik::app
