#include "platform/Canvas.h"

#include "platform/CodePage.h"

#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QWidget>

#include <cstdlib>
#include <utility>

namespace lumarik::platform {

namespace {

// Calls visit(ch, doubleByte) for each displayed character of the bytes, reading them
// as CodePage::toUnicode does: a lead byte takes the next byte with it, and a lead
// byte with nothing after it stands alone.
template <typename Visit> void forEachChar(std::string_view bytes, Visit visit) {
    const CodePage& codePage = CodePage::ansi();
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (codePage.isLeadByte(byte) && i + 1 < bytes.size()) {
            visit(codePage.doubleByteChar(byte, static_cast<unsigned char>(bytes[i + 1])), true);
            ++i;
        } else {
            visit(codePage.singleByteChar(byte), false);
        }
    }
}

// Calls plot for every pixel of the line from 'from' to 'to', 'to' excluded.
template <typename Plot> void forEachLinePixel(QPoint from, QPoint to, Plot plot) {
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int stepX = from.x() < to.x() ? 1 : -1;
    const int stepY = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint p = from;
    while (p != to) {
        plot(p);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            p.rx() += stepX;
        }
        if (twice <= dx) {
            error += dx;
            p.ry() += stepY;
        }
    }
}

QRect lineBounds(QPoint from, QPoint to, int penWidth) {
    return QRect(from, to).normalized().adjusted(-penWidth, -penWidth, penWidth, penWidth);
}

} // namespace

Canvas::Canvas(Invalidate invalidate) : invalidate_(std::move(invalidate)) {}

Canvas::Invalidate Canvas::updating(QWidget* widget) {
    return [widget = QPointer<QWidget>(widget)](const QRect& rect) {
        if (widget) {
            widget->update(rect);
        }
    };
}

void Canvas::resize(QSize size, qreal devicePixelRatio) {
    QImage image(size * devicePixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    if (!image.isNull()) {
        image.fill(backgroundColor_);
        if (!image_.isNull()) {
            QPainter painter(&image);
            painter.drawImage(QPoint(0, 0), image_);
        }
    }
    image_ = std::move(image);
    size_ = size;
    changed(rect());
}

void Canvas::setGlyphPainterFactory(GlyphPainterFactory factory) {
    glyphFactory_ = std::move(factory);
    glyphs_.reset();
}

void Canvas::setPen(QColor color, int width) {
    penColor_ = color;
    penWidth_ = std::max(width, 1);
}

void Canvas::setFont(const QFont& font) {
    if (font == font_) {
        return;
    }
    font_ = font;
    glyphs_.reset();
}

const FontMetricsInfo& Canvas::fontMetrics() const {
    return glyphs().metrics();
}

const GlyphPainter& Canvas::glyphs() const {
    if (!glyphs_) {
        glyphs_ = glyphFactory_ ? glyphFactory_(font_) : fontGlyphPainter(font_);
    }
    return *glyphs_;
}

void Canvas::fillRect(const QRect& rect) {
    fillRect(rect, brush_);
}

void Canvas::fillRect(const QRect& rect, QColor color) {
    if (image_.isNull()) {
        return;
    }
    QPainter painter(&image_);
    painter.fillRect(rect, color);
    changed(rect);
}

void Canvas::textOut(int x, int y, std::string_view bytes) {
    drawText(x, y, nullptr, bytes);
}

void Canvas::textOut(int x, int y, const QRect& clip, std::string_view bytes) {
    drawText(x, y, &clip, bytes);
}

int Canvas::textWidth(std::string_view bytes) const {
    const GlyphPainter& painter = glyphs();
    int width = 0;
    forEachChar(bytes,
                [&](char16_t ch, bool doubleByte) { width += painter.advance(ch, doubleByte); });
    return width;
}

void Canvas::layOut(int x, std::string_view bytes) const {
    const GlyphPainter& painter = glyphs();
    chars_.clear();
    lefts_.clear();
    int left = x;
    forEachChar(bytes, [&](char16_t ch, bool doubleByte) {
        chars_.push_back(ch);
        lefts_.push_back(left);
        left += painter.advance(ch, doubleByte);
    });
    lefts_.push_back(left);
}

void Canvas::drawText(int x, int y, const QRect* clip, std::string_view bytes) {
    if (image_.isNull()) {
        return;
    }
    layOut(x, bytes);
    const FontMetricsInfo& metrics = fontMetrics();
    const QRect box(x, y, lefts_.back() - x, metrics.height);
    const QRect area = clip ? *clip : box;

    QPainter painter(&image_);
    if (clip) {
        painter.setClipRect(*clip);
    }
    if (opaque_) {
        painter.fillRect(area, backgroundColor_);
    }
    // Only the characters near the visible part: long lines are often drawn whole
    // and clipped to a narrow rectangle. A margin keeps overhanging glyphs.
    const int margin = metrics.height;
    size_t first = 0;
    while (first < chars_.size() && lefts_[first + 1] < area.left() - margin) {
        ++first;
    }
    size_t last = first;
    while (last < chars_.size() && lefts_[last] <= area.right() + margin) {
        ++last;
    }
    painter.setPen(textColor_);
    glyphs().draw(painter, y, std::u16string_view(chars_).substr(first, last - first),
                  std::span<const int>(lefts_).subspan(first, last - first + 1));
    painter.end();
    // Unclipped glyphs may overhang their cells a little.
    changed(clip ? *clip : box.adjusted(-metrics.averageCharWidth, 0, metrics.averageCharWidth, 0));
}

void Canvas::lineTo(QPoint point) {
    const QPoint from = std::exchange(position_, point);
    if (image_.isNull() || from == point) {
        return;
    }
    QPainter painter(&image_);
    if (lineClip_) {
        painter.setClipRect(*lineClip_);
    }
    if (penWidth_ == 1) {
        forEachLinePixel(from, point,
                         [&](QPoint p) { painter.fillRect(QRect(p, QSize(1, 1)), penColor_); });
    } else {
        painter.setPen(QPen(penColor_, penWidth_, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(from, point);
    }
    painter.end();
    changed(lineBounds(from, point, penWidth_));
}

void Canvas::dottedLine(QPoint from, QPoint to) {
    if (image_.isNull() || from == to) {
        return;
    }
    QPainter painter(&image_);
    if (lineClip_) {
        painter.setClipRect(*lineClip_);
    }
    forEachLinePixel(from, to, [&](QPoint p) {
        if (dotPhase_ == 0) {
            painter.fillRect(QRect(p, QSize(1, 1)), penColor_);
        }
        dotPhase_ ^= 1;
    });
    painter.end();
    changed(lineBounds(from, to, 1));
}

void Canvas::setPixel(QPoint point, QColor color) {
    fillRect(QRect(point, QSize(1, 1)), color);
}

QColor Canvas::pixel(QPoint point) const {
    if (!rect().contains(point)) {
        return {};
    }
    return image_.pixelColor(point * image_.devicePixelRatio());
}

void Canvas::changed(const QRect& rect) const {
    const QRect visible = rect & this->rect();
    if (invalidate_ && !visible.isEmpty()) {
        invalidate_(visible);
    }
}

} // namespace lumarik::platform
