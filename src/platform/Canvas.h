#pragma once

#include "platform/FontDesc.h"
#include "platform/GlyphPainter.h"
#include "platform/PlainRows.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>

#include <array>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class QWidget;

namespace lumarik::platform {

// A drawing surface with the persistent state of a Windows device context. Every
// operation paints straight into a backing image, at any time, and reports the
// rectangle it changed, so a widget can present it (paintEvent only blits).
class Canvas {
public:
    // Told the rectangle of every change, in logical pixels.
    using Invalidate = std::function<void(const QRect&)>;

    explicit Canvas(Invalidate invalidate = {});

    // An invalidate callback that schedules a repaint of the rectangle on widget.
    static Invalidate updating(QWidget* widget);

    // Reallocates the image; what fits of the old picture stays, the rest is filled
    // with the background colour, and the whole image is reported changed.
    void resize(QSize size, qreal devicePixelRatio = 1.0);
    const QImage& image() const { return image_; }
    QSize size() const { return size_; }
    QRect rect() const { return {QPoint(0, 0), size_}; }

    // Replaces how text is measured and drawn (tests use blockGlyphPainters).
    void setGlyphPainterFactory(GlyphPainterFactory factory);

    void setPen(QColor color, int width = 1);
    QColor penColor() const { return penColor_; }
    int penWidth() const { return penWidth_; }
    void setBrush(QColor color) { brush_ = color; }
    QColor brush() const { return brush_; }
    void setFont(const QFont& font);
    const QFont& font() const { return font_; }
    void setTextColor(QColor color) { textColor_ = color; }
    QColor textColor() const { return textColor_; }
    void setBackgroundColor(QColor color) { backgroundColor_ = color; }
    QColor backgroundColor() const { return backgroundColor_; }
    // Opaque text fills its rectangle with the background colour first.
    void setOpaque(bool opaque) { opaque_ = opaque; }
    bool isOpaque() const { return opaque_; }
    // Whether the next pixel of a dotted line is drawn (0) or skipped (1).
    void setDotPhase(int phase) { dotPhase_ = phase & 1; }
    int dotPhase() const { return dotPhase_; }

    // Metrics of the selected font.
    const FontMetricsInfo& fontMetrics() const;
    // How the selected font measures and draws, for pictures drawn beside the image.
    const GlyphPainter& glyphPainter() const { return glyphs(); }

    void fillRect(const QRect& rect); // with the brush
    void fillRect(const QRect& rect, QColor color);

    // Draws code-page bytes with the cell top-left at (x, y) in the text colour. With
    // a clip rectangle nothing is drawn outside it and opaque text fills all of it;
    // without one opaque text fills its own box (textWidth by line height).
    void textOut(int x, int y, std::string_view bytes);
    void textOut(int x, int y, const QRect& clip, std::string_view bytes);
    // Width of the bytes as textOut places them: the sum of the character advances.
    int textWidth(std::string_view bytes) const;

    // Lines with the pen from the current position; the end point is not drawn and
    // becomes the current position.
    void moveTo(QPoint point) { position_ = point; }
    QPoint currentPosition() const { return position_; }
    void lineTo(QPoint point);
    // Every other pixel of the line from 'from' up to (not including) 'to' in the pen
    // colour; the phase carries on into the next dotted line.
    void dottedLine(QPoint from, QPoint to);
    void setPixel(QPoint point, QColor color);
    // Moves the pixels inside `area` down by dy (up when negative), as scrolling part
    // of a window does. What moves out of the area is lost; the strip the move
    // uncovers keeps its old pixels, for the caller to draw.
    void scrollArea(const QRect& area, int dy);
    // Limits lines and dotted lines to a rectangle until cleared (as a clip region of
    // the device context does); text and fills take their own rectangles.
    void setLineClip(const QRect& clip) { lineClip_ = clip; }
    void clearLineClip() { lineClip_.reset(); }
    QColor pixel(QPoint point) const;

private:
    const GlyphPainter& glyphs() const;
    void layOut(int x, std::string_view bytes) const;
    void drawText(int x, int y, const QRect* clip, std::string_view bytes);
    // Opaque text from ready-made cells: each character drawn once per colour pair
    // into a tile of its cell, then copied. Answers false when tiles cannot be used.
    bool drawTextFromTiles(int y, const QRect& area, bool clipped);
    // Whether pixels can be written directly: one device pixel per pixel, 32 bits each.
    bool directPixels() const;
    void fillPixels(const QRect& rect, QRgb color);
    // The pixels of a one-pixel line in the pen colour, within the line clip; dotted
    // lines skip every other pixel, their phase running on.
    void plotLine(QPoint from, QPoint to, bool dotted);
    // The tile of a character in the current colours; a null image for a glyph that
    // reaches out of its cell, which is drawn over its neighbours instead.
    const QImage& glyphTile(char16_t ch, int width, int height);
    // Reports a change: changed for pixels drawn over, shown for fills and moves, which
    // keep plain_ up to date themselves.
    void changed(const QRect& rect);
    void shown(const QRect& rect) const;
    // Pixels of rect were drawn over by something other than a fill.
    void forgetPlain(const QRect& rect);

    Invalidate invalidate_;
    GlyphPainterFactory glyphFactory_;
    QImage image_;
    QSize size_;

    QColor penColor_ = Qt::black;
    int penWidth_ = 1;
    QColor brush_ = Qt::white;
    QFont font_;
    QColor textColor_ = Qt::black;
    QColor backgroundColor_ = Qt::white;
    bool opaque_ = true;
    int dotPhase_ = 0;
    QPoint position_;
    std::optional<QRect> lineClip_;

    // Made for the selected font on first use.
    mutable std::shared_ptr<const GlyphPainter> glyphs_;
    static constexpr size_t kRecentFonts = 4;
    mutable std::vector<std::pair<QFont, std::shared_ptr<const GlyphPainter>>> recentGlyphs_;
    struct TileKey {
        const GlyphPainter* painter;
        char16_t ch;
        int width;
        QRgb text;
        QRgb background;
        bool operator==(const TileKey&) const = default;
    };
    struct TileKeyHash {
        size_t operator()(const TileKey& key) const;
    };
    static constexpr size_t kMaxTiles = 16384;
    std::unordered_map<TileKey, QImage, TileKeyHash> tiles_;
    // The pixels of a tile of tiles_ as the copy loop reads them; no pixels for a
    // glyph that overhangs its cell.
    struct TileRef {
        const uchar* bits = nullptr;
        qsizetype stride = 0;
    };
    struct TileEntry {
        int width = 0; // the cell width the tile was made for; 0: none yet
        TileRef tile;
    };
    using TilePage = std::array<TileEntry, 256>;
    // The tiles of one font and colour pair by character, so that drawing finds a tile
    // without hashing. Pages are filled from tiles_ as characters come up.
    struct TileTable {
        const GlyphPainter* painter = nullptr;
        QRgb text = 0;
        QRgb background = 0;
        std::array<std::unique_ptr<TilePage>, 256> pages;
    };
    static constexpr size_t kTileTables = 4;
    std::vector<std::unique_ptr<TileTable>> tileTables_;
    // The table of the current font and colours, made when missing.
    TileTable& currentTileTable();
    // The tile of ch in a cell `width` wide.
    TileRef tileFor(TileTable& table, char16_t ch, int width, int height);
    // Drops the pixels the tables point at (before tiles_ changes).
    void forgetTileTables();
    // Characters of the text being drawn whose glyphs reach out of their cells.
    std::vector<size_t> overhanging_;
    // The visible part of each cell drawn from a tile: its left edge and width in the
    // picture, and its pixels in the tile.
    struct CellTile {
        int left = 0;
        int width = 0;
        const uchar* bits = nullptr;
        qsizetype stride = 0;
    };
    std::vector<CellTile> cellTiles_;
    // Runs of device pixels that fills left plain, so that fills can skip them.
    PlainRows plain_;
    // Scratch for laying out one textOut: the characters and their cell edges.
    mutable std::u16string chars_;
    mutable std::vector<int> lefts_;
};

} // namespace lumarik::platform
