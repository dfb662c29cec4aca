#include "platform/FontDesc.h"

#include <QFontMetrics>

#include <algorithm>

namespace lumarik::platform {

namespace {

int cellHeightAt(QFont font, int pixelSize) {
    font.setPixelSize(pixelSize);
    QFontMetrics metrics(font);
    return metrics.ascent() + metrics.descent();
}

// The largest pixel size whose cell (ascent + descent) is no taller than cellHeight.
// Cell height grows with the pixel size, so a binary search finds it; when even the
// smallest size is too tall, the smallest size is the answer.
int pixelSizeForCellHeight(const QFont& font, int cellHeight) {
    int low = 1;
    int high = cellHeight * 2;
    while (low < high) {
        int mid = (low + high + 1) / 2;
        if (cellHeightAt(font, mid) <= cellHeight) {
            low = mid;
        } else {
            high = mid - 1;
        }
    }
    return low;
}

} // namespace

void installFontSubstitutions() {
#ifndef _WIN32
    // Windows has the real fonts; elsewhere IPA Gothic stands in. Its half-width glyphs
    // are one cell and its full-width glyphs two, like the Windows fixed-pitch fonts.
    const QString gothic = QStringLiteral("IPAGothic");
    const QString proportionalGothic = QStringLiteral("IPAPGothic");
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), gothic);
    QFont::insertSubstitution(QStringLiteral("MS Gothic"), gothic);
    QFont::insertSubstitution(QStringLiteral("FixedSys"), gothic);
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), proportionalGothic);
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), proportionalGothic);
#endif
}

QFont toQFont(const FontDesc& desc) {
    QFont font(desc.faceName);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::TypeWriter);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setWeight(desc.weight <= 0 ? QFont::Normal
                                    : static_cast<QFont::Weight>(std::min(desc.weight, 1000)));
    font.setItalic(desc.italic);
    font.setUnderline(desc.underline);
    if (desc.height < 0) {
        font.setPixelSize(-desc.height);
    } else if (desc.height > 0) {
        font.setPixelSize(pixelSizeForCellHeight(font, desc.height));
    } else {
        font.setPixelSize(kDefaultFontPixelSize);
    }
    return font;
}

FontMetricsInfo measureFont(const QFont& font) {
    QFontMetrics metrics(font);
    FontMetricsInfo info;
    info.height = metrics.height();
    info.ascent = metrics.ascent();
    info.descent = metrics.descent();
    info.averageCharWidth = std::max(metrics.averageCharWidth(), 1);
    return info;
}

} // namespace lumarik::platform
