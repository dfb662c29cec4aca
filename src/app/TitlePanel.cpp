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

TitleButtonPanel* buttonPanel(TitleButton upper, TitleButton pressed, const QString& hint,
                              QWidget* parent) {
    auto* panel = new TitleButtonPanel(titleButtonImage(upper, false),
                                       titleButtonImage(pressed, upper == pressed), parent);
    panel->setToolTip(hint);
    return panel;
}

} // namespace

TitleButtonPanel::TitleButtonPanel(const QPixmap& upper, const QPixmap& pressed, QWidget* parent)
    : QWidget(parent), pressed_(imageLabel(pressed, this)), upper_(imageLabel(upper, this)) {
    pressed_->setAttribute(Qt::WA_TransparentForMouseEvents);
    upper_->setAttribute(Qt::WA_TransparentForMouseEvents);
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
    Image_dactive->move(37, 5);
    Image_dactive->hide();

    PanelExit = buttonPanel(TitleButton::Exit, TitleButton::Exit, QStringLiteral("Exit"), this);
    PanelExit->setObjectName(QStringLiteral("PanelExit"));
    PanelOnTop = buttonPanel(TitleButton::OnTop, TitleButton::OnTopPinned,
                             QStringLiteral("Always On Top"), this);
    PanelOnTop->setObjectName(QStringLiteral("PanelOnTop"));
    PanelMin = buttonPanel(TitleButton::Min, TitleButton::Min, QStringLiteral("Min"), this);
    PanelMin->setObjectName(QStringLiteral("PanelMin"));
    PanelMax = buttonPanel(TitleButton::Max, TitleButton::Max, QStringLiteral("Max"), this);
    PanelMax->setObjectName(QStringLiteral("PanelMax"));
    PanelShade = buttonPanel(TitleButton::Shade, TitleButton::Shade, QStringLiteral("Shade"), this);
    PanelShade->setObjectName(QStringLiteral("PanelShade"));
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
    Image_dactive->raise();
}

} // namespace lumarik::app
