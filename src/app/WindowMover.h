#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

namespace lumarik::app {

// Moves a window while the left mouse button drags a part of it that is not a
// control, as dragging a caption would. The window system moves it when it can; when
// it cannot, the window follows the pointer itself until the button is released.
class WindowMover {
public:
    // How a press becomes a move: at once, or once the pointer has travelled the
    // platform's drag distance, so that a double click on the same spot still arrives.
    enum class Start { OnPress, AfterDragDistance };

    explicit WindowMover(Start start = Start::OnPress) : start_(start) {}

    // A press on the window's own surface. Answers whether it was taken: a move began,
    // or begins once the pointer travels far enough.
    bool press(QWidget& window, const QMouseEvent& event);
    // Pointer moves and the release; each answers whether it belonged to a move.
    bool move(QWidget& window, const QMouseEvent& event);
    bool release(const QMouseEvent& event);

    bool moving() const { return moving_; }

private:
    // Hands the move to the window system, or follows the pointer from here on.
    void begin(QWidget& window);

    Start start_;
    // Pressed, waiting for the drag distance.
    bool armed_ = false;
    // Past the drag distance: the window was put under the pointer, the move begins
    // with the next pointer move.
    bool catchingUp_ = false;
    bool moving_ = false;
    // Where the button went down, on the screen.
    QPoint pressedAt_;
    // Where the pointer holds the window, from the window's top-left corner.
    QPoint grip_;
};

} // namespace lumarik::app
