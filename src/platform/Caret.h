#pragma once

#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace lumarik::platform {

// The system caret: one per application, owned by the control with the focus. It is
// created hidden and hiding is cumulative: after n hides it takes n shows to appear
// again. The owner draws it with paint() on top of its picture, never into it, and is
// asked to repaint whenever the caret appears, disappears or moves.
class Caret {
public:
    Caret();
    ~Caret();
    Caret(const Caret&) = delete;
    Caret& operator=(const Caret&) = delete;

    // The application's caret; it goes with the application.
    static Caret& application();

    // Replaces any caret with a hidden one (hide count 1) of the given size at (0, 0).
    // Sizes below 1 become 1. The caret goes when its owner does; the owner may be
    // null (nobody draws it then).
    void create(QWidget* owner, int width, int height);
    void destroy();
    // All three answer false when there is no caret.
    bool setPos(QPoint pos);
    bool show();
    bool hide();

    bool exists() const { return exists_; }
    QWidget* owner() const { return owner_; }
    // Created and not hidden.
    bool isShown() const { return exists_ && hideCount_ == 0; }
    // Shown and in the visible half of its blink.
    bool isVisibleNow() const { return isShown() && blinkOn_; }
    QRect rect() const { return {pos_, size_}; }

    // Inverts the caret's rectangle when widget owns the caret and it is visible now.
    // Call at the end of the widget's paintEvent.
    void paint(QPainter& painter, const QWidget* widget) const;

private:
    void restartBlink();
    void toggleBlink();
    void repaintOwner(const QRect& rect) const;

    bool exists_ = false;
    QPointer<QWidget> owner_;
    QMetaObject::Connection ownerGone_;
    QPoint pos_;
    QSize size_;
    int hideCount_ = 0;
    bool blinkOn_ = true;
    // Set when the caret was shown or moved: the next blink tick leaves it on.
    bool holdOn_ = false;
    QTimer blinkTimer_;
};

} // namespace lumarik::platform
