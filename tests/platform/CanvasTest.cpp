#include <gtest/gtest.h>

#include "platform/Canvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <random>
#include <string>
#include <vector>

using lumarik::platform::blockGlyphPainters;
using lumarik::platform::Canvas;
using lumarik::platform::FontDesc;
using lumarik::platform::toQFont;

namespace {

constexpr int kCellWidth = 8;
constexpr int kCellHeight = 16;

const QColor kPaper = Qt::white;
const QColor kInk = Qt::black;
const QColor kBack = Qt::blue;

// A white canvas whose characters are solid blocks of 8 by 16 pixels per cell.
struct BlockCanvas {
    explicit BlockCanvas(QSize size = QSize(64, 32)) {
        canvas.resize(size);
        canvas.setGlyphPainterFactory(blockGlyphPainters(kCellWidth, kCellHeight));
        canvas.setTextColor(kInk);
        canvas.setBackgroundColor(kBack);
        rects.clear();
    }
    std::vector<QRect> rects;
    Canvas canvas{[this](const QRect& rect) { rects.push_back(rect); }};
};

// True when every pixel of rect has the colour.
bool filled(const Canvas& canvas, const QRect& rect, QColor color) {
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (canvas.pixel(QPoint(x, y)) != color) {
                return false;
            }
        }
    }
    return true;
}

int countPixels(const Canvas& canvas, QColor color) {
    int count = 0;
    for (int y = 0; y < canvas.size().height(); ++y) {
        for (int x = 0; x < canvas.size().width(); ++x) {
            count += canvas.pixel(QPoint(x, y)) == color ? 1 : 0;
        }
    }
    return count;
}

// The rightmost column holding a pixel other than the paper colour; -1 for none.
int rightmostInk(const QImage& image, QColor paper) {
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixelColor(x, y) != paper) {
                return x;
            }
        }
    }
    return -1;
}

QFont ipaGothic(int height) {
    return toQFont(FontDesc{.faceName = QStringLiteral("ＭＳ ゴシック"), .height = height});
}

} // namespace

TEST(Canvas, FillRectPaintsExactlyTheRectangle) {
    BlockCanvas t;
    t.canvas.fillRect(QRect(5, 6, 10, 4), Qt::red);
    EXPECT_TRUE(filled(t.canvas, QRect(5, 6, 10, 4), Qt::red));
    EXPECT_EQ(countPixels(t.canvas, Qt::red), 40);

    t.canvas.setBrush(Qt::green);
    t.canvas.fillRect(QRect(60, 30, 10, 10)); // partly outside: clipped to the image
    EXPECT_EQ(countPixels(t.canvas, Qt::green), 4 * 2);

    t.canvas.setPixel(QPoint(1, 1), Qt::red);
    EXPECT_EQ(t.canvas.pixel(QPoint(1, 1)), QColor(Qt::red));
    EXPECT_EQ(t.canvas.pixel(QPoint(2, 1)), kPaper);
}

TEST(Canvas, OpaqueTextFillsItsRectangleWithTheBackground) {
    BlockCanvas t;
    const QRect clip(4, 2, 40, 20);
    t.canvas.textOut(10, 4, clip, "ab");
    EXPECT_TRUE(filled(t.canvas, QRect(10, 4, 2 * kCellWidth, kCellHeight), kInk));
    EXPECT_EQ(countPixels(t.canvas, kInk), 2 * kCellWidth * kCellHeight);
    EXPECT_EQ(countPixels(t.canvas, kBack),
              clip.width() * clip.height() - 2 * kCellWidth * kCellHeight);
    EXPECT_EQ(t.canvas.pixel(QPoint(3, 2)), kPaper);
    EXPECT_EQ(t.canvas.pixel(QPoint(44, 2)), kPaper);

    // Without a clip rectangle only the text's own box changes.
    BlockCanvas box;
    box.canvas.textOut(2, 1, "a");
    EXPECT_TRUE(filled(box.canvas, QRect(2, 1, kCellWidth, kCellHeight), kInk));
    EXPECT_EQ(countPixels(box.canvas, kPaper), 64 * 32 - kCellWidth * kCellHeight);

    // Transparent text leaves what is behind it.
    BlockCanvas transparent;
    transparent.canvas.setOpaque(false);
    transparent.canvas.textOut(0, 0, QRect(0, 0, 64, 32), "a");
    EXPECT_EQ(countPixels(transparent.canvas, kBack), 0);
    EXPECT_EQ(countPixels(transparent.canvas, kInk), kCellWidth * kCellHeight);
}

TEST(Canvas, TextIsClippedToItsRectangle) {
    BlockCanvas t;
    t.canvas.setOpaque(false);
    const QRect clip(4, 2, 10, 8);
    t.canvas.textOut(0, 0, clip, "abcdefgh");
    EXPECT_TRUE(filled(t.canvas, clip, kInk));
    EXPECT_EQ(countPixels(t.canvas, kInk), clip.width() * clip.height());

    // A clip far to the right of a long line still shows the characters under it.
    BlockCanvas far(QSize(400, 20));
    far.canvas.setOpaque(false);
    far.canvas.textOut(-200, 0, QRect(380, 0, 20, 16), std::string(100, 'x'));
    EXPECT_TRUE(filled(far.canvas, QRect(380, 0, 20, 16), kInk));
    EXPECT_EQ(countPixels(far.canvas, kInk), 20 * 16);
}

TEST(Canvas, TextWidthIsWhereTheGlyphsEnd) {
    BlockCanvas t(QSize(100, 20));
    t.canvas.setOpaque(false);
    // Half-width, full-width hiragana, half-width katakana.
    const std::string text = "a\x82\xA0\xB1";
    EXPECT_EQ(t.canvas.textWidth(text), 4 * kCellWidth);
    t.canvas.textOut(3, 0, text);
    EXPECT_EQ(rightmostInk(t.canvas.image(), kPaper), 3 + 4 * kCellWidth - 1);
    EXPECT_TRUE(filled(t.canvas, QRect(3, 0, 4 * kCellWidth, kCellHeight), kInk));

    // A lead byte takes the next byte whatever it is; one at the end stands alone.
    EXPECT_EQ(t.canvas.textWidth("\x82\x0D"), 2 * kCellWidth);
    EXPECT_EQ(t.canvas.textWidth("a\x82"), 2 * kCellWidth);
    EXPECT_EQ(t.canvas.textWidth(""), 0);
    EXPECT_EQ(t.canvas.fontMetrics().height, kCellHeight);
    EXPECT_EQ(t.canvas.fontMetrics().averageCharWidth, kCellWidth);
}

TEST(Canvas, RealFixedPitchFontKeepsHalfAndFullWidthCells) {
    // At 15 pixels the full-width glyphs are 15 wide and the half-width ones 8: the
    // cells must still be 8 and 16.
    for (int height : {-12, -15, -16, 17}) {
        Canvas canvas;
        canvas.resize(QSize(200, 40));
        canvas.setFont(ipaGothic(height));
        const int cell = canvas.textWidth("a");
        EXPECT_GT(cell, 0);
        EXPECT_EQ(canvas.fontMetrics().averageCharWidth, cell) << height;
        EXPECT_EQ(canvas.textWidth("\x82\xA0"), 2 * cell) << height;
        EXPECT_EQ(canvas.textWidth("\xB1"), cell) << height;
        EXPECT_EQ(canvas.textWidth("\x80\x01"), 2 * cell) << height; // stand-ins
        EXPECT_EQ(canvas.textWidth("ab\x82\xA0\x95\x5C"), 6 * cell) << height;

        canvas.setOpaque(false);
        const std::string text = "Wa\x82\xA0\x8A\xBF";
        canvas.textOut(0, 0, text);
        const int right = rightmostInk(canvas.image(), kPaper);
        EXPECT_GE(right, canvas.textWidth(text) - 2 * cell) << height;
        EXPECT_LT(right, canvas.textWidth(text)) << height;
    }
}

TEST(Canvas, CharactersTheFontLacksComeFromAFallbackFont) {
    // IPA Gothic has no U+FFFD (shown for byte 0x80): it must look as Qt draws it.
    const QFont font = ipaGothic(-16);
    Canvas canvas;
    canvas.resize(QSize(40, 20));
    canvas.setFont(font);
    canvas.textOut(0, 0, "\x80");

    QImage expected(canvas.image().size(), QImage::Format_RGB32);
    expected.fill(kPaper);
    QPainter painter(&expected);
    painter.setFont(font);
    painter.setPen(kInk);
    painter.drawText(QPoint(0, QFontMetrics(font).ascent()), QString(QChar(0xFFFD)));
    painter.end();
    EXPECT_EQ(canvas.image(), expected);
    EXPECT_GE(rightmostInk(expected, kPaper), 0);
}

TEST(Canvas, CharactersNoFontHasAreBoxesInsideTheirCells) {
    // The stand-ins for control bytes (Control Pictures) are in none of the fonts the
    // setup installs; a font's own missing-glyph box is full width and would overlap.
    Canvas canvas;
    canvas.resize(QSize(80, 20));
    canvas.setFont(ipaGothic(-16));
    const int cell = canvas.textWidth("a");
    canvas.textOut(0, 0, "\x01\x1B");
    const QImage& image = canvas.image();
    EXPECT_GE(rightmostInk(image, kPaper), cell);
    EXPECT_LT(rightmostInk(image, kPaper), 2 * cell);
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(image.pixelColor(cell - 1, y), kPaper) << y;
        EXPECT_EQ(image.pixelColor(cell, y), kPaper) << y;
    }
}

TEST(Canvas, UnderlinedTextHasALineAcrossItsWidth) {
    QFont font = ipaGothic(-16);
    font.setUnderline(true);
    Canvas canvas;
    canvas.resize(QSize(100, 20));
    canvas.setFont(font);
    canvas.setOpaque(false);
    const int width = canvas.textWidth("http://x");
    canvas.textOut(0, 0, "http://x");
    bool found = false;
    for (int y = canvas.fontMetrics().ascent; y < 20 && !found; ++y) {
        found = filled(canvas, QRect(0, y, width, 1), kInk);
    }
    EXPECT_TRUE(found);
}

TEST(Canvas, LinesLeaveOutTheirEndPoint) {
    BlockCanvas t;
    t.canvas.setPen(Qt::red);
    t.canvas.moveTo(QPoint(2, 3));
    t.canvas.lineTo(QPoint(7, 3));
    EXPECT_TRUE(filled(t.canvas, QRect(2, 3, 5, 1), Qt::red));
    EXPECT_EQ(countPixels(t.canvas, Qt::red), 5);
    EXPECT_EQ(t.canvas.currentPosition(), QPoint(7, 3));

    // On from the current position, diagonally.
    t.canvas.lineTo(QPoint(11, 7));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(t.canvas.pixel(QPoint(7 + i, 3 + i)), QColor(Qt::red)) << i;
    }
    EXPECT_EQ(t.canvas.pixel(QPoint(11, 7)), kPaper);
    EXPECT_EQ(countPixels(t.canvas, Qt::red), 9);

    t.canvas.setPen(Qt::green, 3);
    t.canvas.moveTo(QPoint(20, 20));
    t.canvas.lineTo(QPoint(40, 20));
    EXPECT_TRUE(filled(t.canvas, QRect(21, 19, 18, 3), Qt::green));
}

TEST(Canvas, DottedLinesCarryTheirPhaseFromCallToCall) {
    BlockCanvas t;
    t.canvas.setPen(Qt::red);
    t.canvas.dottedLine(QPoint(0, 0), QPoint(3, 0));
    EXPECT_EQ(t.canvas.dotPhase(), 1);
    t.canvas.dottedLine(QPoint(3, 0), QPoint(8, 0));
    std::vector<int> dots;
    for (int x = 0; x < 10; ++x) {
        if (t.canvas.pixel(QPoint(x, 0)) == QColor(Qt::red)) {
            dots.push_back(x);
        }
    }
    EXPECT_EQ(dots, (std::vector<int>{0, 2, 4, 6}));

    // Vertical, starting on a skipped pixel.
    t.canvas.setDotPhase(1);
    t.canvas.dottedLine(QPoint(5, 10), QPoint(5, 14));
    EXPECT_EQ(t.canvas.pixel(QPoint(5, 10)), kPaper);
    EXPECT_EQ(t.canvas.pixel(QPoint(5, 11)), QColor(Qt::red));
    EXPECT_EQ(t.canvas.pixel(QPoint(5, 12)), kPaper);
    EXPECT_EQ(t.canvas.pixel(QPoint(5, 13)), QColor(Qt::red));
    EXPECT_EQ(t.canvas.pixel(QPoint(5, 14)), kPaper);
}

TEST(Canvas, ReportsTheRectangleOfEveryChange) {
    BlockCanvas t;
    t.canvas.fillRect(QRect(1, 2, 3, 4), Qt::red);
    t.canvas.textOut(0, 0, QRect(8, 0, 16, 16), "abc");
    t.canvas.setPixel(QPoint(5, 5), Qt::red);
    t.canvas.fillRect(QRect(50, 20, 100, 100), Qt::red); // clipped to the image
    t.canvas.fillRect(QRect(100, 100, 5, 5), Qt::red);   // outside: nothing to report
    ASSERT_EQ(t.rects.size(), 4u);
    EXPECT_EQ(t.rects[0], QRect(1, 2, 3, 4));
    EXPECT_EQ(t.rects[1], QRect(8, 0, 16, 16));
    EXPECT_EQ(t.rects[2], QRect(5, 5, 1, 1));
    EXPECT_EQ(t.rects[3], QRect(50, 20, 14, 12));

    t.rects.clear();
    t.canvas.moveTo(QPoint(10, 10));
    t.canvas.lineTo(QPoint(20, 15));
    t.canvas.textOut(2, 3, "ab");
    ASSERT_EQ(t.rects.size(), 2u);
    EXPECT_TRUE(t.rects[0].contains(QRect(10, 10, 10, 5)));
    EXPECT_TRUE(t.rects[1].contains(QRect(2, 3, 2 * kCellWidth, kCellHeight)));
}

TEST(Canvas, ResizeKeepsThePictureAndReportsItAll) {
    BlockCanvas t(QSize(10, 10));
    t.canvas.fillRect(QRect(0, 0, 10, 10), Qt::red);
    t.canvas.setBackgroundColor(Qt::white);
    t.rects.clear();
    t.canvas.resize(QSize(20, 15));
    EXPECT_EQ(t.canvas.image().size(), QSize(20, 15));
    EXPECT_TRUE(filled(t.canvas, QRect(0, 0, 10, 10), Qt::red));
    EXPECT_EQ(countPixels(t.canvas, Qt::white), 20 * 15 - 100);
    ASSERT_EQ(t.rects.size(), 1u);
    EXPECT_EQ(t.rects[0], QRect(0, 0, 20, 15));

    // Drawing on an empty canvas is harmless.
    Canvas empty;
    empty.fillRect(QRect(0, 0, 5, 5), Qt::red);
    empty.textOut(0, 0, "a");
    EXPECT_TRUE(empty.image().isNull());
}

namespace {

// Stripes one pixel row tall, each row its own colour, so a move shows row by row.
void paintRowStripes(Canvas& canvas) {
    for (int y = 0; y < canvas.size().height(); ++y) {
        canvas.fillRect(QRect(0, y, canvas.size().width(), 1), QColor(y, 255 - y, 7));
    }
}

} // namespace

TEST(Canvas, ScrollAreaMovesOnlyTheAreaAndKeepsTheUncoveredStrip) {
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        for (const int dy : {3, -3}) {
            SCOPED_TRACE(dy);
            Canvas canvas;
            canvas.resize(QSize(20, 20), ratio);
            paintRowStripes(canvas);
            const QRect area(4, 5, 10, 10); // rows 5..14, columns 4..13
            canvas.scrollArea(area, dy);
            for (int y = 0; y < 20; ++y) {
                const QColor original(y, 255 - y, 7);
                // Outside the area's columns and rows nothing changes.
                EXPECT_EQ(canvas.pixel(QPoint(3, y)), original);
                EXPECT_EQ(canvas.pixel(QPoint(14, y)), original);
                const bool inArea = y >= 5 && y <= 14;
                const bool moved = inArea && y - dy >= 5 && y - dy <= 14;
                const QColor expected = moved ? QColor(y - dy, 255 - (y - dy), 7) : original;
                EXPECT_EQ(canvas.pixel(QPoint(4, y)), expected) << y;
                EXPECT_EQ(canvas.pixel(QPoint(13, y)), expected) << y;
            }
        }
    }

    // A move as tall as the area or taller leaves nothing to move.
    BlockCanvas t;
    paintRowStripes(t.canvas);
    t.rects.clear();
    t.canvas.scrollArea(QRect(0, 0, 64, 8), 8);
    EXPECT_TRUE(t.rects.empty());
    EXPECT_EQ(t.canvas.pixel(QPoint(0, 7)), QColor(7, 248, 7));
    t.canvas.scrollArea(QRect(0, 30, 64, 10), -1); // clipped to the image's last two rows
    ASSERT_EQ(t.rects.size(), 1u);
    EXPECT_EQ(t.rects[0], QRect(0, 30, 64, 2));
    EXPECT_EQ(t.canvas.pixel(QPoint(0, 30)), QColor(31, 224, 7));
}

// Fills skip pixels known to hold their colour already. A canvas that forgets all it
// knows after every step (a resize to its own size keeps the picture) must end up with
// the same picture through any mix of drawing.
TEST(Canvas, FillsThatSkipPlainPixelsLeaveThePictureAFullRepaintWould) {
    const QColor colors[] = {Qt::white, Qt::blue, Qt::black, QColor(200, 30, 30)};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto pick = [&](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        BlockCanvas tracked(QSize(96, 64));
        BlockCanvas forgetful(QSize(96, 64));
        if (seed % 2 == 0) {
            // A real font, whose fallback glyphs may reach out of their cells.
            for (Canvas* canvas : {&tracked.canvas, &forgetful.canvas}) {
                canvas->setGlyphPainterFactory({});
                canvas->setFont(ipaGothic(16));
            }
        }
        for (int step = 0; step < 250; ++step) {
            const QRect rect(pick(-8, 90), pick(-8, 60), pick(1, 60), pick(1, 40));
            const QColor color = colors[pick(0, 3)];
            const QColor other = colors[pick(0, 3)];
            const int kind = pick(0, 9);
            const int dy = pick(-20, 20);
            std::string text;
            for (int i = pick(0, 8); i > 0; --i) {
                const char* pieces[] = {"a", "\x93\xfa", "\xff", "\x85\x40", "W"};
                text += pieces[pick(0, 4)];
            }
            for (Canvas* canvas : {&tracked.canvas, &forgetful.canvas}) {
                switch (kind) {
                case 0:
                case 1:
                case 2:
                case 3:
                    canvas->fillRect(rect, color);
                    break;
                case 4:
                case 5:
                    canvas->setTextColor(color);
                    canvas->setBackgroundColor(other);
                    canvas->setOpaque(kind == 4);
                    canvas->textOut(rect.left(), rect.top(), rect, text);
                    break;
                case 6:
                    canvas->setTextColor(color);
                    canvas->setBackgroundColor(other);
                    canvas->setOpaque(true);
                    canvas->textOut(rect.left(), rect.top(), text);
                    break;
                case 7:
                    canvas->setPen(color, 1 + (step % 2) * 2);
                    canvas->moveTo(rect.topLeft());
                    canvas->lineTo(rect.bottomRight());
                    break;
                default:
                    canvas->scrollArea(rect, dy);
                    break;
                }
            }
            forgetful.canvas.resize(forgetful.canvas.size());
            ASSERT_EQ(tracked.canvas.image(), forgetful.canvas.image()) << "step " << step;
        }
    }
}
