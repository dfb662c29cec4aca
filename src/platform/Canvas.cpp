#include "platform/Canvas.h"

#include "platform/CodePage.h"

#include <QPainter>
#include <QPen>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
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

// Pixel runs here are a glyph cell or a row of text wide: a library call per run
// would cost more than the run itself, so they are written four pixels at a time.
inline void copyPixelRun(const QRgb* from, QRgb* to, int count) {
    if (count < 4) {
        for (int i = 0; i < count; ++i) {
            to[i] = from[i];
        }
        return;
    }
    for (int i = 0; i + 4 < count; i += 4) {
        std::memcpy(to + i, from + i, 4 * sizeof(QRgb));
    }
    // The last four pixels, overlapping what was copied already.
    std::memcpy(to + count - 4, from + count - 4, 4 * sizeof(QRgb));
}

inline void fillPixelRun(QRgb* to, int count, QRgb color) {
    const std::array<QRgb, 4> four{color, color, color, color};
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        std::memcpy(to + i, four.data(), sizeof(four));
    }
    for (; i < count; ++i) {
        to[i] = color;
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
    plain_.reset(image_.height());
    changed(rect());
}

void Canvas::setGlyphPainterFactory(GlyphPainterFactory factory) {
    glyphFactory_ = std::move(factory);
    glyphs_.reset();
    recentGlyphs_.clear();
    forgetTileTables();
    tileTables_.clear();
    tiles_.clear();
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
        // Text and links switch between two fonts for every row drawn: the painters of
        // the last few fonts are kept at hand.
        const auto known = std::find_if(recentGlyphs_.begin(), recentGlyphs_.end(),
                                        [this](const auto& entry) { return entry.first == font_; });
        if (known != recentGlyphs_.end()) {
            glyphs_ = known->second;
        } else {
            glyphs_ = glyphFactory_ ? glyphFactory_(font_) : fontGlyphPainter(font_);
            if (recentGlyphs_.size() == kRecentFonts) {
                recentGlyphs_.erase(recentGlyphs_.begin());
            }
            recentGlyphs_.emplace_back(font_, glyphs_);
        }
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
    if (directPixels()) {
        fillPixels(rect, color.rgb());
        shown(rect);
    } else {
        QPainter painter(&image_);
        painter.fillRect(rect, color);
        changed(rect);
    }
}

bool Canvas::directPixels() const {
    return image_.devicePixelRatio() == 1.0 && image_.format() == QImage::Format_RGB32;
}

void Canvas::fillPixels(const QRect& rect, QRgb color) {
    // Written directly: a painter would hand big fills to worker threads, which costs
    // more than the fill itself on rows of text.
    const QRect target = rect & QRect(QPoint(0, 0), image_.size());
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (int row = target.top(); row <= target.bottom(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(bits + row * stride);
        plain_.fill(row, target.left(), target.right() + 1, color,
                    [&](int from, int to) { fillPixelRun(line + from, to - from, color); });
    }
}

void Canvas::textOut(int x, int y, std::string_view bytes) {
    drawText(x, y, nullptr, bytes);
}

void Canvas::textOut(int x, int y, const QRect& clip, std::string_view bytes) {
    drawText(x, y, &clip, bytes);
}

int Canvas::textWidth(std::string_view bytes) const {
    const GlyphPainter& painter = glyphs();
    if (const int cell = painter.cellWidth(); cell > 0) {
        return static_cast<int>(std::min<int64_t>(static_cast<int64_t>(bytes.size()) * cell,
                                                  std::numeric_limits<int>::max()));
    }
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
    if (drawTextFromTiles(y, area, clip != nullptr)) {
        shown(area);
        return;
    }

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
    // Unclipped glyphs may overhang their cells a little; fills must not trust any
    // pixel they might have reached.
    if (!clip) {
        forgetPlain(box.adjusted(-margin, -margin, margin, margin));
    }
    changed(clip ? *clip : box.adjusted(-metrics.averageCharWidth, 0, metrics.averageCharWidth, 0));
}

size_t Canvas::TileKeyHash::operator()(const TileKey& key) const {
    size_t h = std::hash<const void*>()(key.painter);
    for (const size_t part :
         {size_t(key.ch), size_t(key.width), size_t(key.text), size_t(key.background)}) {
        h = h * 1000003u ^ part;
    }
    return h;
}

const QImage& Canvas::glyphTile(char16_t ch, int width, int height) {
    const TileKey key{&glyphs(), ch, width, textColor_.rgb(), backgroundColor_.rgb()};
    const auto found = tiles_.find(key);
    if (found != tiles_.end()) {
        return found->second;
    }
    if (tiles_.size() >= kMaxTiles) {
        forgetTileTables();
        tiles_.clear();
    }
    // Drawn with room around the cell, to see whether the glyph stays inside it.
    const int margin = std::max(height / 2, 1);
    QImage roomy(width + 2 * margin, height + 2 * margin, image_.format());
    roomy.fill(backgroundColor_);
    QPainter painter(&roomy);
    painter.setPen(textColor_);
    const std::array<int, 2> lefts{margin, margin + width};
    glyphs().draw(painter, margin, std::u16string_view(&ch, 1), lefts);
    painter.end();
    const QRect cell(margin, margin, width, height);
    const QRgb paper = backgroundColor_.rgb();
    bool inside = true;
    for (int y = 0; y < roomy.height() && inside; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(roomy.constScanLine(y));
        for (int x = 0; x < roomy.width(); ++x) {
            if (line[x] != paper && !cell.contains(x, y)) {
                inside = false;
                break;
            }
        }
    }
    return tiles_.emplace(key, inside ? roomy.copy(cell) : QImage()).first->second;
}

Canvas::TileTable& Canvas::currentTileTable() {
    const GlyphPainter* painter = &glyphs();
    const QRgb text = textColor_.rgb();
    const QRgb background = backgroundColor_.rgb();
    for (const auto& table : tileTables_) {
        if (table->painter == painter && table->text == text && table->background == background) {
            return *table;
        }
    }
    if (tileTables_.size() == kTileTables) {
        tileTables_.erase(tileTables_.begin());
    }
    auto table = std::make_unique<TileTable>();
    table->painter = painter;
    table->text = text;
    table->background = background;
    tileTables_.push_back(std::move(table));
    return *tileTables_.back();
}

Canvas::TileRef Canvas::tileFor(TileTable& table, char16_t ch, int width, int height) {
    const auto high = static_cast<size_t>(ch >> 8);
    const auto low = static_cast<size_t>(ch & 0xFF);
    if (table.pages[high] && (*table.pages[high])[low].width == width) {
        return (*table.pages[high])[low].tile;
    }
    // Making a tile may empty the tables' pages (when tiles_ is full): look up again.
    const QImage& image = glyphTile(ch, width, height);
    auto& page = table.pages[high];
    if (!page) {
        page = std::make_unique<TilePage>();
    }
    TileEntry& entry = (*page)[low];
    entry.width = width;
    entry.tile = image.isNull() ? TileRef{} : TileRef{image.constBits(), image.bytesPerLine()};
    return entry.tile;
}

void Canvas::forgetTileTables() {
    for (const auto& table : tileTables_) {
        for (auto& page : table->pages) {
            page.reset();
        }
    }
}

bool Canvas::drawTextFromTiles(int y, const QRect& area, bool clipped) {
    // Tiles hold whole device pixels of one cell: not for scaled pictures, and not for
    // transparent text, which shows what lies under it.
    if (!opaque_ || !directPixels()) {
        return false;
    }
    const QRect target = area & QRect(QPoint(0, 0), image_.size());
    if (target.isEmpty()) {
        return true;
    }
    const int height = fontMetrics().height;
    const QRgb background = backgroundColor_.rgb();
    // The cells that reach into the target: they are copied whole, so only the rest of
    // the target is filled.
    size_t first = 0;
    while (first < chars_.size() && lefts_[first + 1] <= target.left()) {
        ++first;
    }
    size_t last = first;
    while (last < chars_.size() && lefts_[last] <= target.right()) {
        ++last;
    }
    const QRect band = QRect(target.left(), y, target.width(), height) & target;
    const int coveredLeft = std::max(target.left(), lefts_[first]);
    const int coveredRight = std::min(target.right() + 1, lefts_[last]);
    if (band.isEmpty() || coveredLeft >= coveredRight) {
        fillPixels(target, background);
    } else {
        fillPixels(
            QRect(QPoint(target.left(), target.top()), QPoint(target.right(), band.top() - 1)),
            background);
        fillPixels(QRect(QPoint(target.left(), band.bottom() + 1), target.bottomRight()),
                   background);
        fillPixels(QRect(QPoint(target.left(), band.top()), QPoint(coveredLeft - 1, band.bottom())),
                   background);
        fillPixels(QRect(QPoint(coveredRight, band.top()), QPoint(target.right(), band.bottom())),
                   background);
    }
    TileTable& table = currentTileTable();
    overhanging_.clear();
    cellTiles_.clear();
    for (size_t i = first; i < last; ++i) {
        const int left = lefts_[i];
        const int right = lefts_[i + 1];
        const TileRef tile = tileFor(table, chars_[i], right - left, height);
        if (tile.bits == nullptr) {
            fillPixels(QRect(left, y, right - left, height) & target, background);
            overhanging_.push_back(i);
            continue;
        }
        const int from = std::max(left, target.left());
        const int to = std::min(right, target.right() + 1);
        cellTiles_.push_back(
            {from, to - from, tile.bits + (from - left) * qsizetype(sizeof(QRgb)), tile.stride});
    }
    if (!cellTiles_.empty()) {
        plain_.drawnOver(band.top(), band.bottom(), cellTiles_.front().left,
                         cellTiles_.back().left + cellTiles_.back().width);
    }
    // Row by row across the cells, so that the picture is written in order.
    uchar* bits = image_.bits();
    const qsizetype stride = image_.bytesPerLine();
    for (int row = band.top(); row <= band.bottom() && !cellTiles_.empty(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(bits + row * stride);
        const qsizetype tileRow = (row - y);
        for (const CellTile& cell : cellTiles_) {
            copyPixelRun(reinterpret_cast<const QRgb*>(cell.bits + tileRow * cell.stride),
                         line + cell.left, cell.width);
        }
    }
    if (!overhanging_.empty()) {
        // Without a clip rectangle such a glyph shows whole, as it does elsewhere.
        QPainter painter(&image_);
        if (clipped) {
            painter.setClipRect(target);
        }
        painter.setPen(textColor_);
        for (const size_t i : overhanging_) {
            glyphs().draw(painter, y, std::u16string_view(chars_).substr(i, 1),
                          std::span<const int>(lefts_).subspan(i, 2));
            // How far such a glyph reaches is not known: a cell height on every side.
            const QRect reach = QRect(lefts_[i] - height, y - height,
                                      lefts_[i + 1] - lefts_[i] + 2 * height, 3 * height);
            forgetPlain(clipped ? reach & target : reach);
        }
    }
    return true;
}

void Canvas::lineTo(QPoint point) {
    const QPoint from = std::exchange(position_, point);
    if (image_.isNull() || from == point) {
        return;
    }
    if (penWidth_ == 1) {
        plotLine(from, point, false);
    } else {
        QPainter painter(&image_);
        if (lineClip_) {
            painter.setClipRect(*lineClip_);
        }
        painter.setPen(QPen(penColor_, penWidth_, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(from, point);
    }
    changed(lineBounds(from, point, penWidth_));
}

void Canvas::dottedLine(QPoint from, QPoint to) {
    if (image_.isNull() || from == to) {
        return;
    }
    plotLine(from, to, true);
    changed(lineBounds(from, to, 1));
}

void Canvas::plotLine(QPoint from, QPoint to, bool dotted) {
    const QRect bounds = lineClip_ ? *lineClip_ & rect() : rect();
    if (directPixels()) {
        const QRgb color = penColor_.rgb();
        forEachLinePixel(from, to, [&](QPoint p) {
            if ((!dotted || dotPhase_ == 0) && bounds.contains(p)) {
                reinterpret_cast<QRgb*>(image_.scanLine(p.y()))[p.x()] = color;
            }
            dotPhase_ ^= dotted ? 1 : 0;
        });
        return;
    }
    QPainter painter(&image_);
    painter.setClipRect(bounds);
    forEachLinePixel(from, to, [&](QPoint p) {
        if (!dotted || dotPhase_ == 0) {
            painter.fillRect(QRect(p, QSize(1, 1)), penColor_);
        }
        dotPhase_ ^= dotted ? 1 : 0;
    });
}

void Canvas::setPixel(QPoint point, QColor color) {
    fillRect(QRect(point, QSize(1, 1)), color);
}

void Canvas::scrollArea(const QRect& area, int dy) {
    const QRect target = area & rect();
    if (image_.isNull() || dy == 0 || target.isEmpty() || std::abs(dy) >= target.height()) {
        return;
    }
    const QRect from = target.adjusted(0, dy < 0 ? -dy : 0, 0, dy > 0 ? -dy : 0);
    if (directPixels()) {
        uchar* bits = image_.bits();
        const qsizetype stride = image_.bytesPerLine();
        const auto width = static_cast<size_t>(from.width()) * sizeof(QRgb);
        const auto moveRow = [&](int y) {
            std::memmove(bits + (y + dy) * stride + from.left() * sizeof(QRgb),
                         bits + y * stride + from.left() * sizeof(QRgb), width);
        };
        // Rows are taken in the order that never overwrites one still to be moved.
        if (dy > 0) {
            for (int y = from.bottom(); y >= from.top(); --y) {
                moveRow(y);
            }
        } else {
            for (int y = from.top(); y <= from.bottom(); ++y) {
                moveRow(y);
            }
        }
    } else {
        const qreal ratio = image_.devicePixelRatio();
        const QRect source(from.topLeft() * ratio, from.size() * ratio);
        const QImage moved = image_.copy(source);
        QPainter painter(&image_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(from.translated(0, dy), moved);
        changed(target);
        return;
    }
    plain_.moved(from.top(), from.bottom(), from.left(), from.right() + 1, dy);
    shown(target);
}

QColor Canvas::pixel(QPoint point) const {
    if (!rect().contains(point)) {
        return {};
    }
    return image_.pixelColor(point * image_.devicePixelRatio());
}

void Canvas::forgetPlain(const QRect& rect) {
    const qreal ratio = image_.devicePixelRatio();
    const QRect device(rect.topLeft() * ratio, rect.size() * ratio);
    plain_.drawnOver(device.top(), device.bottom(), device.left(), device.right() + 1);
}

void Canvas::changed(const QRect& rect) {
    forgetPlain(rect);
    shown(rect);
}

void Canvas::shown(const QRect& rect) const {
    const QRect visible = rect & this->rect();
    if (invalidate_ && !visible.isEmpty()) {
        invalidate_(visible);
    }
}

} // namespace lumarik::platform
