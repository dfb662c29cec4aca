#include "app/AboutBox.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace lumarik::app {
namespace {

constexpr int kWidth = 177;
constexpr int kHeight = 82;
constexpr QPoint kOffsetFromOwner{100, 100};

const QColor kDeep(24, 52, 104);
const QColor kSky(92, 140, 206);
const QColor kPaper(250, 248, 240);

QFont pGothic() {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

// A sheet of paper with ruled lines, its corner folded: the editor's mark.
void drawSheet(QPainter& p) {
    QPainterPath sheet;
    sheet.moveTo(14, 12);
    sheet.lineTo(40, 12);
    sheet.lineTo(50, 22);
    sheet.lineTo(50, 62);
    sheet.lineTo(14, 62);
    sheet.closeSubpath();
    p.setPen(QPen(kDeep, 1.5));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.setBrush(kSky.lighter(150));
    p.drawPolygon(QPolygonF({QPointF(40, 12), QPointF(40, 22), QPointF(50, 22)}));
    p.setPen(QPen(kSky, 1.2));
    for (int y = 30; y <= 54; y += 6) {
        p.drawLine(QPointF(19, y), QPointF(y == 54 ? 33 : 45, y));
    }
}

} // namespace

QPixmap aboutLogoImage() {
    QPixmap image(kWidth, kHeight);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 0, kHeight);
    fill.setColorAt(0, kSky.lighter(160));
    fill.setColorAt(1, kSky);
    p.fillRect(image.rect(), fill);
    p.setPen(kDeep);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1));
    drawSheet(p);

    QFont name = pGothic();
    name.setPixelSize(24);
    name.setBold(true);
    p.setFont(name);
    p.setPen(kPaper);
    p.drawText(QRect(59, 13, 116, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lumarik"));
    p.setPen(kDeep);
    p.drawText(QRect(58, 12, 116, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Lumarik"));
    p.setFont(pGothic());
    p.drawText(QRect(58, 40, 116, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("テキストエディタ"));
    return image;
}

TForm1::TForm1(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Lumarik"));
    setFont(pGothic());
    setFixedSize(kWidth, kHeight);
    // Clicks on the pictures reach the window, which closes on any click.
    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, kWidth, kHeight);
    Image1->setPixmap(aboutLogoImage());
    Image1->setCursor(Qt::PointingHandCursor);
    Label_version = new QLabel(QStringLiteral("Ver5.7"), this);
    // 32 pixels wide, or as wide as the text needs in the font the system has.
    const int textWidth = Label_version->fontMetrics().horizontalAdvance(Label_version->text()) + 2;
    Label_version->setGeometry(120, 56, std::max(32, textWidth), 12);
    Label_version->setAutoFillBackground(true);
    QPalette colours = Label_version->palette();
    colours.setColor(QPalette::Window, Qt::cyan);
    colours.setColor(QPalette::WindowText, Qt::black);
    Label_version->setPalette(colours);
    Label_version->setCursor(Qt::PointingHandCursor);
}

void TForm1::showEvent(QShowEvent* event) {
    if (parentWidget() != nullptr) {
        move(parentWidget()->pos() + kOffsetFromOwner);
    }
    QWidget::showEvent(event);
}

void TForm1::mousePressEvent(QMouseEvent* event) {
    event->accept();
    hide();
}

} // namespace lumarik::app
