#pragma once

#include "app/WindowMover.h"

#include <QWidget>

#include <functional>

class QLabel;

namespace lumarik::app {

// A title-bar button: an upper image over the pressed image. A left press hides the
// upper image, so the pressed one shows; the release shows it again and, when it
// happens over the button, reports a click.
class TitleButtonPanel : public QWidget {
public:
    TitleButtonPanel(const QPixmap& upper, const QPixmap& pressed, QWidget* parent);

    QLabel* upperImage() const { return upper_; }
    QLabel* pressedImage() const { return pressed_; }
    void setImages(const QPixmap& upper, const QPixmap& pressed);

    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* pressed_;
    QLabel* upper_;
};

// The drawn title bar: the exit button at the left, the title image filling the middle
// (with the inactive overlay over it), the always-on-top, minimise, maximise and shade
// buttons at the right. Dragging the title image moves the window; double-clicking it
// reports to onDoubleClick.
class TTitlePanel : public QWidget {
public:
    explicit TTitlePanel(QWidget* parent);

    // The always-on-top button shows the pinned image while pinned.
    void SetPinned(bool pinned);
    bool Pinned() const { return pinned_; }
    // The title image's hint (its tool tip) shows only while this is set.
    void SetTitleHintShown(bool shown) { titleHintShown_ = shown; }
    bool TitleHintShown() const { return titleHintShown_; }

    // Whether dragging the title moves the window now; unset: it does.
    std::function<bool()> canMoveWindow;
    std::function<void()> onDoubleClick;

    TitleButtonPanel* PanelExit;
    QLabel* Image2;
    QLabel* Image_dactive;
    TitleButtonPanel* PanelOnTop;
    TitleButtonPanel* PanelMin;
    TitleButtonPanel* PanelMax;
    TitleButtonPanel* PanelShade;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool TitleMouseEvent(QMouseEvent& event);

    WindowMover mover_{WindowMover::Start::AfterDragDistance};
    bool pinned_ = false;
    bool titleHintShown_ = false;
};

} // namespace lumarik::app
