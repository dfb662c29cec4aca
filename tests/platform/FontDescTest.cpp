#include <gtest/gtest.h>

#include "platform/FontDesc.h"
#include "platform/SystemMetrics.h"

#include <QFontInfo>
#include <QFontMetrics>

using lumarik::platform::FontDesc;
using lumarik::platform::measureFont;
using lumarik::platform::toQFont;

namespace {

const QString kGothic = QStringLiteral("ＭＳ ゴシック");

int cellHeight(const QFont& font) {
    QFontMetrics metrics(font);
    return metrics.ascent() + metrics.descent();
}

} // namespace

TEST(FontDesc, WindowsFaceNamesBecomeIpaFonts) {
    EXPECT_EQ(QFontInfo(toQFont({.faceName = kGothic})).family(), QStringLiteral("IPAGothic"));
    EXPECT_EQ(QFontInfo(toQFont({.faceName = QStringLiteral("FixedSys")})).family(),
              QStringLiteral("IPAGothic"));
    EXPECT_EQ(QFontInfo(toQFont({.faceName = QStringLiteral("ＭＳ Ｐゴシック")})).family(),
              QStringLiteral("IPAPGothic"));
}

TEST(FontDesc, NegativeHeightIsTheCharacterHeight) {
    EXPECT_EQ(toQFont({.faceName = kGothic, .height = -13}).pixelSize(), 13);
    EXPECT_EQ(toQFont({.faceName = kGothic, .height = -20}).pixelSize(), 20);
    EXPECT_GT(toQFont({.faceName = kGothic, .height = 0}).pixelSize(), 0);
}

TEST(FontDesc, PositiveHeightIsTheCellHeight) {
    for (int height = 8; height <= 40; ++height) {
        const QFont font = toQFont({.faceName = kGothic, .height = height});
        // The largest size whose cell fits, and an exact fit whenever one exists.
        QFont larger = font;
        larger.setPixelSize(font.pixelSize() + 1);
        EXPECT_LE(cellHeight(font), height) << height;
        EXPECT_GT(cellHeight(larger), height) << height;
        bool exactExists = false;
        for (int size = 1; size <= 2 * height; ++size) {
            QFont candidate = font;
            candidate.setPixelSize(size);
            exactExists = exactExists || cellHeight(candidate) == height;
        }
        if (exactExists) {
            EXPECT_EQ(cellHeight(font), height) << height;
        }
    }
}

TEST(FontDesc, StyleAndMetrics) {
    const QFont bold = toQFont(
        {.faceName = kGothic, .height = -16, .weight = 700, .italic = true, .underline = true});
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_TRUE(bold.italic());
    EXPECT_TRUE(bold.underline());
    EXPECT_FALSE(bold.kerning());
    EXPECT_EQ(toQFont({.faceName = kGothic, .weight = 0}).weight(), QFont::Normal);

    const auto metrics = measureFont(toQFont({.faceName = kGothic, .height = -16}));
    EXPECT_EQ(metrics.height, metrics.ascent + metrics.descent);
    EXPECT_EQ(metrics.averageCharWidth, 8);

    EXPECT_GT(lumarik::platform::scrollBarExtent(), 0);
}
