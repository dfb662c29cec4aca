#include "app/TitlePanel.h"

#include "app/TitleArtwork.h"

#include <QLabel>
#include <QMouseEvent>

namespace lumarik::app {
namespace {

constexpr int kExitPanelWidth = 19;

QLabel* imageLabel(const QPixmap& image, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(image);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(0, 0, image.width(), image.height());
    return label;
}

TitleButtonPanel* buttonPanel(TitleButton button, const QString& hint, QWidget* parent) {
    auto* panel = new TitleButtonPanel(titleButtonImage(button, false),
                                       titleButtonImage(button, true), parent);
    panel->setToolTip(hint);
    return panel;
}

} // namespace

TitleButtonPanel::TitleButtonPanel(const QPixmap& upper, const QPixmap& pressed, QWidget* parent)
    : QWidget(parent), pressed_(imageLabel(pressed, this)), upper_(imageLabel(upper, this)) {
    pressed_->setAttribute(Qt::WA_TransparentForMouseEvents);
    upper_->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TitleButtonPanel::setImages(const QPixmap& upper, const QPixmap& pressed) {
    upper_->setPixmap(upper);
    pressed_->setPixmap(pressed);
}

void TitleButtonPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        upper_->hide();
    }
}

void TitleButtonPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = upper_->isHidden();
    upper_->show();
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()) && onClick) {
        onClick();
    }
}

TTitlePanel::TTitlePanel(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kTitleHeight);
    Image2 = imageLabel(titleImage(), this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image_dactive = imageLabel(inactiveTitleImage(), this);
    Image_dactive->setObjectName(QStringLiteral("Image_dactive"));
    Image_dactive->move(kExitPanelWidth + kInactiveTitleArea.left(), kInactiveTitleArea.top());
    Image_dactive->hide();

    PanelExit = buttonPanel(TitleButton::Exit, QStringLiteral("Exit"), this);
    PanelExit->setObjectName(QStringLiteral("PanelExit"));
    PanelOnTop = buttonPanel(TitleButton::OnTop, QStringLiteral("Always On Top"), this);
    PanelOnTop->setObjectName(QStringLiteral("PanelOnTop"));
    PanelMin = buttonPanel(TitleButton::Min, QStringLiteral("Min"), this);
    PanelMin->setObjectName(QStringLiteral("PanelMin"));
    PanelMax = buttonPanel(TitleButton::Max, QStringLiteral("Max"), this);
    PanelMax->setObjectName(QStringLiteral("PanelMax"));
    PanelShade = buttonPanel(TitleButton::Shade, QStringLiteral("Shade"), this);
    PanelShade->setObjectName(QStringLiteral("PanelShade"));
    SetPinned(false);

    Image2->installEventFilter(this);
    Image_dactive->installEventFilter(this);
}

void TTitlePanel::SetPinned(bool pinned) {
    pinned_ = pinned;
    const TitleButton face = pinned ? TitleButton::OnTopPinned : TitleButton::OnTop;
    PanelOnTop->setImages(titleButtonImage(face, false), titleButtonImage(face, true));
}

bool TTitlePanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Image2 && watched != Image_dactive) {
        return QWidget::eventFilter(watched, event);
    }
    switch (event->type()) {
    case QEvent::ToolTip:
        // Swallowed while hidden, so that the tip keeps its text for when it shows.
        return !titleHintShown_;
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && onDoubleClick) {
            onDoubleClick();
        }
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return TitleMouseEvent(*static_cast<QMouseEvent*>(event));
    default:
        return QWidget::eventFilter(watched, event);
    }
}

bool TTitlePanel::TitleMouseEvent(QMouseEvent& event) {
    QWidget& window = *this->window();
    switch (event.type()) {
    case QEvent::MouseButtonPress:
        return (!canMoveWindow || canMoveWindow()) && mover_.press(window, event);
    case QEvent::MouseMove:
        return mover_.move(window, event);
    default:
        return mover_.release(event);
    }
}

void TTitlePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    PanelExit->setGeometry(0, 0, kExitPanelWidth, kTitleHeight);
    const int buttonsLeft = w - 4 * kTitleButtonWidth;
    Image2->setGeometry(kExitPanelWidth, 0, std::max(0, buttonsLeft - kExitPanelWidth),
                        kTitleHeight);
    PanelOnTop->setGeometry(buttonsLeft, 0, kTitleButtonWidth, kTitleHeight);
    PanelMin->setGeometry(buttonsLeft + kTitleButtonWidth, 0, kTitleButtonWidth, kTitleHeight);
    PanelMax->setGeometry(buttonsLeft + 2 * kTitleButtonWidth, 0, kTitleButtonWidth, kTitleHeight);
    PanelShade->setGeometry(buttonsLeft + 3 * kTitleButtonWidth, 0, kTitleButtonWidth,
                            kTitleHeight);
    // The overlay covers the title image, never a button of a narrow window.
    Image_dactive->raise();
    for (QWidget* button : {PanelOnTop, PanelMin, PanelMax, PanelShade}) {
        button->raise();
    }
}

} // namespace lumarik::app
