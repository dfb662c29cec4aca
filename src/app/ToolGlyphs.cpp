#include "app/ToolGlyphs.h"

#include <QPainter>
#include <QPainterPath>

namespace lumarik::app {
namespace {

const QColor kInk(40, 40, 48);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 96, 200);
const QColor kYellow(236, 196, 64);
const QColor kRed(200, 48, 40);
const QColor kGreen(40, 150, 72);

// A sheet with a folded corner at (x, y), w by h.
void drawSheet(QPainter& p, qreal x, qreal y, qreal w, qreal h) {
    QPainterPath sheet;
    sheet.moveTo(x, y);
    sheet.lineTo(x + w - 4, y);
    sheet.lineTo(x + w, y + 4);
    sheet.lineTo(x + w, y + h);
    sheet.lineTo(x, y + h);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawLine(QPointF(x + w - 4, y), QPointF(x + w - 4, y + 4));
    p.drawLine(QPointF(x + w - 4, y + 4), QPointF(x + w, y + 4));
}

void drawTextLines(QPainter& p, qreal x, qreal y, qreal w, int count) {
    p.setPen(QPen(kBlue, 1));
    for (int i = 0; i < count; ++i) {
        p.drawLine(QPointF(x, y + i * 2.5), QPointF(x + w, y + i * 2.5));
    }
}

void drawLens(QPainter& p, qreal x, qreal y) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(QColor(200, 228, 255));
    p.drawEllipse(QPointF(x, y), 3.5, 3.5);
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x + 2.6, y + 2.6), QPointF(x + 5.5, y + 5.5));
}

void drawGlyph(QPainter& p, int index) {
    switch (index) {
    case GlyphReplace:
        drawSheet(p, 1.5, 1.5, 10, 13);
        drawTextLines(p, 3.5, 5.5, 6, 2);
        p.setPen(QPen(kRed, 1.5));
        p.drawLine(QPointF(3.5, 11), QPointF(9.5, 11));
        drawLens(p, 10.5, 9.5);
        break;
    case GlyphNew:
        drawSheet(p, 3.5, 1.5, 10, 13);
        p.setPen(QPen(kYellow.darker(120), 1.5));
        p.drawLine(QPointF(1, 4), QPointF(5, 4));
        p.drawLine(QPointF(3, 2), QPointF(3, 6));
        break;
    case GlyphOpen: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellow.darker(110));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        QPainterPath flap;
        flap.moveTo(3.5, 7.5);
        flap.lineTo(15.5, 7.5);
        flap.lineTo(13.5, 13.5);
        flap.lineTo(1.5, 13.5);
        flap.closeSubpath();
        p.setBrush(kYellow);
        p.drawPath(flap);
        break;
    }
    case GlyphPrint:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(180, 180, 190));
        p.drawRect(QRectF(1.5, 6.5, 13, 6));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.fillRect(QRectF(12, 8, 1.5, 1.5), kGreen);
        break;
    case GlyphSave:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(180, 180, 190));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
        break;
    case GlyphOption:
        p.setPen(QPen(kInk, 1));
        for (int row = 0; row < 3; ++row) {
            const qreal y = 3.5 + row * 4.5;
            p.drawLine(QPointF(2, y), QPointF(14, y));
            p.setBrush(row == 1 ? kRed : kBlue);
            p.drawRect(QRectF(3.5 + row * 3.5, y - 1.5, 3, 3));
        }
        break;
    case GlyphCopy:
        drawSheet(p, 1.5, 1.5, 8, 10);
        drawSheet(p, 6.5, 4.5, 8, 10);
        drawTextLines(p, 8, 8.5, 5, 2);
        break;
    case GlyphCut:
        p.setPen(QPen(kInk, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(5, 1.5), QPointF(10, 10));
        p.drawLine(QPointF(11, 1.5), QPointF(6, 10));
        p.setPen(QPen(kRed, 1.5));
        p.drawEllipse(QPointF(4.5, 12.5), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.5), 2.5, 2.5);
        break;
    case GlyphPaste:
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(176, 128, 72));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        drawSheet(p, 6.5, 6.5, 8, 8);
        break;
    case GlyphUndo: {
        p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(4, 6);
        arc.cubicTo(9, 2, 16, 6, 12, 13);
        p.drawPath(arc);
        QPainterPath head;
        head.moveTo(1, 6);
        head.lineTo(6, 2);
        head.lineTo(6, 10);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPath(head);
        break;
    }
    case GlyphFind:
        drawSheet(p, 1.5, 1.5, 10, 13);
        drawTextLines(p, 3.5, 5.5, 6, 3);
        drawLens(p, 9.5, 9);
        break;
    case GlyphMailBrowse:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(0.5, 4.5, 10, 7));
        p.drawLine(QPointF(0.5, 4.5), QPointF(5.5, 8.5));
        p.drawLine(QPointF(10.5, 4.5), QPointF(5.5, 8.5));
        p.setBrush(QColor(120, 180, 240));
        p.drawEllipse(QPointF(11.5, 10.5), 4, 4);
        p.setPen(QPen(kGreen, 1));
        p.drawLine(QPointF(8, 10.5), QPointF(15, 10.5));
        p.drawLine(QPointF(11.5, 7), QPointF(11.5, 14));
        break;
    case GlyphHomePage: {
        QPainterPath house;
        house.moveTo(8, 1.5);
        house.lineTo(15, 8);
        house.lineTo(13, 8);
        house.lineTo(13, 14.5);
        house.lineTo(3, 14.5);
        house.lineTo(3, 8);
        house.lineTo(1, 8);
        house.closeSubpath();
        p.setPen(QPen(kInk, 1));
        p.setBrush(kRed.lighter(130));
        p.drawPath(house);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6.5, 9.5, 3, 5));
        break;
    }
    case GlyphVersion: {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setPen(QPen(kPaper, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawPoint(QPointF(8, 4.5));
        p.drawLine(QPointF(8, 7.5), QPointF(8, 11.5));
        break;
    }
    default:
        break;
    }
}

} // namespace

QPixmap toolGlyph(int index) {
    QPixmap image(kToolGlyphSize, kToolGlyphSize);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawGlyph(p, index);
    return image;
}

QIcon toolIcon(int index) {
    return QIcon(toolGlyph(index));
}

} // namespace lumarik::app
