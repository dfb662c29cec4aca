#include "app/OptionArtwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace lumarik::app {
namespace {

using namespace option_layout;

const QColor kFace(232, 236, 244);
const QColor kFaceShade(214, 220, 232);
const QColor kTitleDark(24, 52, 104);
const QColor kTitleLight(92, 140, 206);
const QColor kLabel(28, 36, 56);
const QColor kEdgeLight(255, 255, 255);
const QColor kEdgeDark(128, 136, 156);
const QColor kButtonTop(250, 252, 255);
const QColor kButtonBottom(196, 210, 234);
const QColor kButtonBorder(84, 104, 148);

void drawButton(QPainter& p, const QRect& rect, QStringView caption, bool pressed,
                const QFont& font) {
    const QRectF face = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, pressed ? kButtonBottom.darker(115) : kButtonTop);
    fill.setColorAt(1, kButtonBottom);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(pressed ? kTitleDark : kButtonBorder, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 3, 3);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font);
    p.setPen(pressed ? kTitleDark : kLabel);
    // Held, the caption sinks by a pixel.
    const QRect text = pressed ? rect.translated(1, 1) : rect;
    p.drawText(text, Qt::AlignCenter, caption.toString());
}

void drawSunkenFrame(QPainter& p, const QRect& inner) {
    const QRect outer = inner.adjusted(-1, -1, 0, 0);
    p.setPen(kEdgeDark);
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(kEdgeLight);
    p.drawLine(outer.bottomLeft() + QPoint(0, 1), outer.bottomRight() + QPoint(1, 1));
    p.drawLine(outer.topRight() + QPoint(1, 0), outer.bottomRight() + QPoint(1, 1));
}

void drawTitle(QPainter& p, const QFont& font) {
    QLinearGradient fill(0, 0, 0, kTitleStrip.height());
    fill.setColorAt(0, kTitleLight);
    fill.setColorAt(1, kTitleDark);
    p.fillRect(kTitleStrip, fill);
    QFont bold = font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::white);
    p.drawText(kTitleStrip.adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("オプション"));
}

void drawLabels(QPainter& p, const QFont& font) {
    p.setFont(font);
    p.setPen(kLabel);
    for (const CheckBoxPlace& box : kCheckBoxes) {
        const QRect label(box.topLeft.x() + kCheckLabelOffset, box.topLeft.y(), 90, kCheckBoxSize);
        p.drawText(label, Qt::AlignLeft | Qt::AlignVCenter, box.label.toString());
    }
    for (const NumberBoxPlace& box : kNumberBoxes) {
        const QRect label(box.rect.left() - kNumberLabelGap - 80, box.rect.top(), 80,
                          box.rect.height());
        p.drawText(label, Qt::AlignRight | Qt::AlignVCenter, box.label.toString());
    }
}

} // namespace

QPixmap optionBackground(const QFont& font) {
    QPixmap image(kClientSize);
    QPainter p(&image);
    QLinearGradient face(0, 0, 0, kClientSize.height());
    face.setColorAt(0, kFace);
    face.setColorAt(1, kFaceShade);
    p.fillRect(image.rect(), face);
    drawTitle(p, font);
    // The window has no frame of its own: a one-pixel edge sets it off.
    p.setPen(kTitleDark);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    drawSunkenFrame(p, kPreview);
    // The settings below the preview and the buttons are set apart by a groove.
    p.setPen(kEdgeDark);
    p.drawLine(8, 114, 250, 114);
    p.setPen(kEdgeLight);
    p.drawLine(8, 115, 250, 115);
    drawLabels(p, font);
    for (const ImageButtonPlace& place : kImageButtons) {
        drawButton(p, place.rect, place.caption, true, font);
    }
    return image;
}

QPixmap optionButtonImage(ImageButtonId id, bool pressed, const QFont& font) {
    const ImageButtonPlace& place = imageButton(id);
    QPixmap image(place.rect.size());
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawButton(p, QRect(QPoint(0, 0), place.rect.size()), place.caption, pressed, font);
    return image;
}

} // namespace lumarik::app
