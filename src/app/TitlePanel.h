#pragma once

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
// buttons at the right.
class TTitlePanel : public QWidget {
public:
    explicit TTitlePanel(QWidget* parent);

    TitleButtonPanel* PanelExit;
    QLabel* Image2;
    QLabel* Image_dactive;
    TitleButtonPanel* PanelOnTop;
    TitleButtonPanel* PanelMin;
    TitleButtonPanel* PanelMax;
    TitleButtonPanel* PanelShade;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace lumarik::app
