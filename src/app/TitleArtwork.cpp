#include "app/TitleArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace lumarik::app {
namespace {

const QColor kTitleDark(24, 52, 104);
const QColor kTitleLight(92, 140, 206);
const QColor kGlyph(255, 255, 255);

void drawButtonFace(QPainter& p, bool pressed) {
    const QRectF face(0.5, 0.5, kTitleButtonWidth - 1, kTitleHeight - 1);
    QLinearGradient fill(0, 0, 0, kTitleHeight);
    fill.setColorAt(0, pressed ? kTitleDark : kTitleLight);
    fill.setColorAt(1, pressed ? kTitleLight.darker(130) : kTitleDark);
    p.fillRect(face, fill);
    p.setPen(pressed ? kTitleDark.darker(150) : kTitleLight.lighter(140));
    p.drawLine(QPointF(0.5, 0.5), QPointF(kTitleButtonWidth - 0.5, 0.5));
    p.drawLine(QPointF(0.5, 0.5), QPointF(0.5, kTitleHeight - 0.5));
    p.setPen(pressed ? kTitleLight.lighter(140) : kTitleDark.darker(150));
    p.drawLine(QPointF(kTitleButtonWidth - 0.5, 0.5),
               QPointF(kTitleButtonWidth - 0.5, kTitleHeight - 0.5));
    p.drawLine(QPointF(0.5, kTitleHeight - 0.5),
               QPointF(kTitleButtonWidth - 0.5, kTitleHeight - 0.5));
}

void drawButtonSymbol(QPainter& p, TitleButton button) {
    p.setPen(QPen(kGlyph, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    switch (button) {
    case TitleButton::Exit:
        p.drawLine(QPointF(5, 6), QPointF(13, 14));
        p.drawLine(QPointF(13, 6), QPointF(5, 14));
        break;
    case TitleButton::Shade: {
        QPainterPath up;
        up.moveTo(5, 12);
        up.lineTo(9, 7);
        up.lineTo(13, 12);
        p.drawPath(up);
        break;
    }
    case TitleButton::Max:
        p.drawRect(QRectF(5, 6, 8, 8));
        p.drawLine(QPointF(5, 7), QPointF(13, 7));
        break;
    case TitleButton::Min:
        p.drawLine(QPointF(5, 14), QPointF(13, 14));
        break;
    case TitleButton::OnTop:
    case TitleButton::OnTopPinned: {
        const bool pinned = button == TitleButton::OnTopPinned;
        p.setBrush(pinned ? QColor(255, 210, 80) : Qt::NoBrush);
        p.drawEllipse(QPointF(9, 8), 3, 3);
        p.drawLine(QPointF(9, 11), QPointF(9, 16));
        break;
    }
    }
}

} // namespace

QPixmap titleImage() {
    QPixmap image(kTitleImageWidth, kTitleHeight);
    QPainter p(&image);
    QLinearGradient fill(0, 0, 0, kTitleHeight);
    fill.setColorAt(0, kTitleLight);
    fill.setColorAt(0.5, kTitleDark.lighter(130));
    fill.setColorAt(1, kTitleDark);
    p.fillRect(image.rect(), fill);
    // A thin highlight and a row of dots give the strip some grain.
    p.setPen(kTitleLight.lighter(150));
    p.drawLine(0, 0, kTitleImageWidth, 0);
    p.setPen(kTitleDark.lighter(160));
    for (int x = 112; x < kTitleImageWidth; x += 4) {
        p.drawPoint(x, 10);
    }
    QFont font(QStringLiteral("sans-serif"));
    font.setPixelSize(12);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kGlyph);
    p.drawText(QRect(kInactiveTitleArea.left() + 4, 0, 100, kTitleHeight),
               Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lumarik"));
    return image;
}

QPixmap inactiveTitleImage() {
    // The same part of the title, washed out to grey.
    QImage part = titleImage().toImage().copy(kInactiveTitleArea);
    for (int y = 0; y < part.height(); ++y) {
        for (int x = 0; x < part.width(); ++x) {
            const int grey = qGray(part.pixel(x, y)) / 2;
            part.setPixel(x, y, qRgb(grey + 96, grey + 100, grey + 110));
        }
    }
    return QPixmap::fromImage(part);
}

QPixmap titleButtonImage(TitleButton button, bool pressed) {
    QPixmap image(kTitleButtonWidth, kTitleHeight);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawButtonFace(p, pressed);
    if (pressed) {
        p.translate(1, 1);
    }
    drawButtonSymbol(p, button);
    return image;
}

} // namespace lumarik::app
