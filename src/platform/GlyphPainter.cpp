#include "platform/GlyphPainter.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace lumarik::platform {

namespace {

// The glyphs of a real font. Each character is looked up once: its glyph, the font
// that has it (the selected one or a fallback) and its advance.
class FontGlyphPainter final : public GlyphPainter {
public:
    explicit FontGlyphPainter(const QFont& font);

    const FontMetricsInfo& metrics() const override { return metrics_; }
    int advance(char16_t ch, bool doubleByte) const override;
    int cellWidth() const override { return cellWidth_; }
    void draw(QPainter& painter, int top, std::u16string_view chars,
              std::span<const int> lefts) const override;

private:
    struct Glyph {
        quint32 index = 0;
        int advance = 0;  // 0: not looked up yet
        uint8_t font = 0; // into rawFonts_, or kNoFont
    };
    // No installed font has the character: a box fills its cell instead.
    static constexpr uint8_t kNoFont = 255;
    using Page = std::array<Glyph, 256>;

    const Glyph& glyph(char16_t ch) const;
    Glyph lookUp(char16_t ch) const;
    uint8_t fontSlot(const QRawFont& rawFont) const;
    void drawMissing(QPainter& painter, int top, std::span<const int> lefts) const;

    QFont font_;
    QFontMetrics fontMetrics_;
    FontMetricsInfo metrics_;
    // The width of one cell when the font is fixed pitch, else 0.
    int cellWidth_ = 0;
    int underlineTop_ = 0;
    int underlineHeight_ = 1;

    // The selected font first, then fallbacks as characters need them.
    mutable std::vector<QRawFont> rawFonts_;
    mutable std::array<std::unique_ptr<Page>, 256> pages_;
    mutable std::vector<quint32> runIndexes_;
    mutable std::vector<QPointF> runPositions_;
};

// Fonts whose advertised pitch is variable can still have equal advances everywhere
// (CJK fonts that are fixed pitch in their half-width and full-width cells), so the
// pitch is measured.
int measuredCellWidth(const QFontMetrics& metrics) {
    int wide = metrics.horizontalAdvance(QLatin1Char('W'));
    bool fixed = metrics.horizontalAdvance(QLatin1Char('i')) == wide &&
                 metrics.horizontalAdvance(QLatin1Char('.')) == wide &&
                 metrics.horizontalAdvance(QLatin1Char('m')) == wide;
    return fixed ? std::max(wide, 1) : 0;
}

FontGlyphPainter::FontGlyphPainter(const QFont& font)
    : font_(font), fontMetrics_(font), metrics_(measureFont(font)),
      cellWidth_(measuredCellWidth(fontMetrics_)) {
    underlineTop_ = metrics_.ascent + fontMetrics_.underlinePos();
    underlineHeight_ = std::max(fontMetrics_.lineWidth(), 1);
    rawFonts_.push_back(QRawFont::fromFont(font_));
}

int FontGlyphPainter::advance(char16_t ch, bool doubleByte) const {
    if (cellWidth_ > 0) {
        return doubleByte ? 2 * cellWidth_ : cellWidth_;
    }
    return glyph(ch).advance;
}

const FontGlyphPainter::Glyph& FontGlyphPainter::glyph(char16_t ch) const {
    auto& page = pages_[ch >> 8];
    if (!page) {
        page = std::make_unique<Page>();
    }
    Glyph& entry = (*page)[ch & 0xFF];
    if (entry.advance == 0) {
        entry = lookUp(ch);
    }
    return entry;
}

FontGlyphPainter::Glyph FontGlyphPainter::lookUp(char16_t ch) const {
    Glyph found;
    const QString text(QChar{ch});
    found.advance = std::max(fontMetrics_.horizontalAdvance(text), 1);
    const QList<quint32> own = rawFonts_.front().glyphIndexesForString(text);
    if (!own.isEmpty() && own.front() != 0) {
        found.index = own.front();
        return found;
    }
    // Let Qt's font merging find a font that has the character.
    QTextLayout layout(text, font_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    found.font = kNoFont;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        if (!indexes.isEmpty() && indexes.front() != 0) {
            found.index = indexes.front();
            found.font = fontSlot(run.rawFont());
            break;
        }
    }
    return found;
}

uint8_t FontGlyphPainter::fontSlot(const QRawFont& rawFont) const {
    auto it = std::find(rawFonts_.begin(), rawFonts_.end(), rawFont);
    if (it != rawFonts_.end()) {
        return uint8_t(it - rawFonts_.begin());
    }
    if (rawFonts_.size() >= kNoFont) {
        return 0;
    }
    rawFonts_.push_back(rawFont);
    return uint8_t(rawFonts_.size() - 1);
}

void FontGlyphPainter::draw(QPainter& painter, int top, std::u16string_view chars,
                            std::span<const int> lefts) const {
    if (chars.empty()) {
        return;
    }
    const qreal baseline = top + metrics_.ascent;
    size_t start = 0;
    while (start < chars.size()) {
        // One glyph run per stretch of characters from the same font.
        uint8_t slot = glyph(chars[start]).font;
        runIndexes_.clear();
        runPositions_.clear();
        size_t i = start;
        for (; i < chars.size(); ++i) {
            const Glyph& g = glyph(chars[i]);
            if (g.font != slot) {
                break;
            }
            runIndexes_.push_back(g.index);
            runPositions_.emplace_back(lefts[i], baseline);
        }
        if (slot == kNoFont) {
            drawMissing(painter, top, lefts.subspan(start, i - start + 1));
        } else {
            QGlyphRun run;
            run.setRawFont(rawFonts_[slot]);
            run.setRawData(runIndexes_.data(), runPositions_.data(), int(runIndexes_.size()));
            painter.drawGlyphRun(QPointF(0, 0), run);
        }
        start = i;
    }
    if (font_.underline()) {
        painter.fillRect(QRect(lefts.front(), top + underlineTop_,
                               lefts[chars.size()] - lefts.front(), underlineHeight_),
                         painter.pen().color());
    }
}

void FontGlyphPainter::drawMissing(QPainter& painter, int top, std::span<const int> lefts) const {
    // An outline inside each cell, from near its top down to the baseline.
    const int height = std::max(metrics_.ascent - 2, 1);
    for (size_t i = 0; i + 1 < lefts.size(); ++i) {
        const QRect box(lefts[i] + 1, top + 2, std::max(lefts[i + 1] - lefts[i] - 2, 1), height);
        painter.fillRect(box.left(), box.top(), box.width(), 1, painter.pen().color());
        painter.fillRect(box.left(), box.bottom(), box.width(), 1, painter.pen().color());
        painter.fillRect(box.left(), box.top(), 1, box.height(), painter.pen().color());
        painter.fillRect(box.right(), box.top(), 1, box.height(), painter.pen().color());
    }
}

class BlockGlyphPainter final : public GlyphPainter {
public:
    BlockGlyphPainter(int cellWidth, int cellHeight)
        : metrics_{cellHeight, cellHeight, 0, std::max(cellWidth, 1)} {}

    const FontMetricsInfo& metrics() const override { return metrics_; }
    int advance(char16_t, bool doubleByte) const override {
        return doubleByte ? 2 * metrics_.averageCharWidth : metrics_.averageCharWidth;
    }
    int cellWidth() const override { return metrics_.averageCharWidth; }
    void draw(QPainter& painter, int top, std::u16string_view chars,
              std::span<const int> lefts) const override {
        for (size_t i = 0; i < chars.size(); ++i) {
            painter.fillRect(QRect(lefts[i], top, lefts[i + 1] - lefts[i], metrics_.height),
                             painter.pen().color());
        }
    }

private:
    FontMetricsInfo metrics_;
};

} // namespace

std::shared_ptr<const GlyphPainter> fontGlyphPainter(const QFont& font) {
    // Used from the GUI thread only, like the fonts themselves. The painters hold font
    // engines, so they go when the application does, not at exit.
    static std::map<QString, std::shared_ptr<const GlyphPainter>> painters;
    if (painters.empty()) {
        qAddPostRoutine([] { painters.clear(); });
    }
    auto& painter = painters[font.key()];
    if (!painter) {
        painter = std::make_shared<FontGlyphPainter>(font);
    }
    return painter;
}

GlyphPainterFactory blockGlyphPainters(int cellWidth, int cellHeight) {
    auto painter = std::make_shared<const BlockGlyphPainter>(cellWidth, cellHeight);
    return [painter](const QFont&) { return painter; };
}

} // namespace lumarik::platform
