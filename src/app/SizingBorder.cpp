#include "app/SizingBorder.h"

#include <QEvent>
#include <QMouseEvent>
#include <QRegion>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace lumarik::app {
namespace {

// How far a corner grip reaches along each of its two edges.
constexpr int kCornerLength = 16;

constexpr std::array<Qt::Edges, 8> kGripEdges = {
    Qt::LeftEdge,
    Qt::TopEdge,
    Qt::RightEdge,
    Qt::BottomEdge,
    Qt::TopEdge | Qt::LeftEdge,
    Qt::TopEdge | Qt::RightEdge,
    Qt::BottomEdge | Qt::RightEdge,
    Qt::BottomEdge | Qt::LeftEdge,
};

// One grip: invisible, so the frame the window draws shows through it.
class SizeGrip : public QWidget {
public:
    SizeGrip(Qt::Edges edges, QWidget& window) : QWidget(&window), edges_(edges) {
        setObjectName(QStringLiteral("SizeGrip"));
        setCursor(resizeCursor(edges));
        setAttribute(Qt::WA_NoSystemBackground);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        QWidget* window = this->window();
        QWindow* handle = window->windowHandle();
        following_ = handle == nullptr || !handle->startSystemResize(edges_);
        pressedAt_ = event->globalPosition().toPoint();
        start_ = window->geometry();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!following_ || !event->buttons().testFlag(Qt::LeftButton)) {
            return;
        }
        QWidget* window = this->window();
        window->setGeometry(resizedBounds(start_, edges_,
                                          event->globalPosition().toPoint() - pressedAt_,
                                          window->minimumSize(), window->maximumSize()));
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            following_ = false;
        }
    }

private:
    Qt::Edges edges_;
    bool following_ = false;
    QPoint pressedAt_;
    QRect start_;
};

// Moves one edge by delta while the opposite edge stays, keeping the extent within
// [minimum, maximum]. Answers the new start and extent.
std::pair<int, int> dragEdge(int start, int extent, int delta, bool nearEdge, int minimum,
                             int maximum) {
    const int wanted = nearEdge ? extent - delta : extent + delta;
    const int clamped = std::clamp(wanted, minimum, std::max(minimum, maximum));
    return {nearEdge ? start + extent - clamped : start, clamped};
}

} // namespace

QRect resizedBounds(const QRect& start, Qt::Edges edges, QPoint delta, QSize minimum,
                    QSize maximum) {
    QRect result = start;
    if (edges & (Qt::LeftEdge | Qt::RightEdge)) {
        const auto [x, w] =
            dragEdge(start.x(), start.width(), delta.x(), edges.testFlag(Qt::LeftEdge),
                     minimum.width(), maximum.width());
        result.setX(x);
        result.setWidth(w);
    }
    if (edges & (Qt::TopEdge | Qt::BottomEdge)) {
        const auto [y, h] =
            dragEdge(start.y(), start.height(), delta.y(), edges.testFlag(Qt::TopEdge),
                     minimum.height(), maximum.height());
        result.setY(y);
        result.setHeight(h);
    }
    return result;
}

Qt::CursorShape resizeCursor(Qt::Edges edges) {
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling =
            edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    return horizontal ? Qt::SizeHorCursor : Qt::SizeVerCursor;
}

SizingBorder::SizingBorder(QWidget& window, QMargins frame)
    : QObject(&window), window_(window), frame_(frame) {
    for (size_t i = 0; i < grips_.size(); ++i) {
        grips_[i] = new SizeGrip(kGripEdges[i], window);
    }
    window.installEventFilter(this);
    placeGrips();
}

void SizingBorder::setResizable(bool resizable) {
    for (QWidget* grip : grips_) {
        grip->setVisible(resizable);
        if (resizable) {
            grip->raise();
        }
    }
}

bool SizingBorder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Resize) {
        placeGrips();
    }
    return QObject::eventFilter(watched, event);
}

void SizingBorder::placeGrips() {
    const int w = window_.width();
    const int h = window_.height();
    const int left = frame_.left();
    const int top = frame_.top();
    const int right = frame_.right();
    const int bottom = frame_.bottom();
    const int corner = kCornerLength;
    grips_[0]->setGeometry(0, corner, left, h - 2 * corner);
    grips_[1]->setGeometry(corner, 0, w - 2 * corner, top);
    grips_[2]->setGeometry(w - right, corner, right, h - 2 * corner);
    grips_[3]->setGeometry(corner, h - bottom, w - 2 * corner, bottom);
    // Each corner grip is an L along its two edges, leaving the window's inside free.
    const std::array<QRect, 4> corners = {
        QRect(0, 0, corner, corner),
        QRect(w - corner, 0, corner, corner),
        QRect(w - corner, h - corner, corner, corner),
        QRect(0, h - corner, corner, corner),
    };
    for (size_t i = 0; i < corners.size(); ++i) {
        QWidget* grip = grips_[4 + i];
        grip->setGeometry(corners[i]);
        const Qt::Edges edges = kGripEdges[4 + i];
        const int across = edges.testFlag(Qt::LeftEdge) ? left : right;
        const int down = edges.testFlag(Qt::TopEdge) ? top : bottom;
        const int x = edges.testFlag(Qt::LeftEdge) ? 0 : corner - across;
        const int y = edges.testFlag(Qt::TopEdge) ? 0 : corner - down;
        grip->setMask(QRegion(0, y, corner, down) + QRegion(x, 0, across, corner));
    }
}

} // namespace lumarik::app
