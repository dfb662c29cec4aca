#include "app/FontColorDialogs.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lumarik::app {
namespace {

using editor::TColor;
using editor::TEditFont;

constexpr double kPointsPerPixel = 72.0 / 96.0;

int pointSizeOf(const TEditFont& font) {
    return std::max(1, static_cast<int>(std::lround(std::abs(font.Height) * kPointsPerPixel)));
}

// Qt's font dialog as a part of another dialog: Enter goes on to the dialog around it.
class EmbeddedFontDialog : public QFontDialog {
public:
    using QFontDialog::QFontDialog;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        QFontDialog::keyPressEvent(event);
    }
};

QPixmap swatch(TColor color) {
    QPixmap image(16, 12);
    image.fill(toQColor(color));
    return image;
}

} // namespace

const std::array<NamedColor, 16> kBasicColors{{
    {0x000000, u"黒"},
    {0x000080, u"えび茶"},
    {0x008000, u"緑"},
    {0x008080, u"オリーブ"},
    {0x800000, u"紺"},
    {0x800080, u"紫"},
    {0x808000, u"青緑"},
    {0x808080, u"灰色"},
    {0xC0C0C0, u"銀"},
    {0x0000FF, u"赤"},
    {0x00FF00, u"黄緑"},
    {0x00FFFF, u"黄"},
    {0xFF0000, u"青"},
    {0xFF00FF, u"赤紫"},
    {0xFFFF00, u"水色"},
    {0xFFFFFF, u"白"},
}};

QColor toQColor(TColor color) {
    return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
            static_cast<int>((color >> 16) & 0xFF)};
}

TColor fromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return static_cast<TColor>(rgb.red()) | static_cast<TColor>(rgb.green()) << 8 |
           static_cast<TColor>(rgb.blue()) << 16;
}

QFont dialogFont(const TEditFont& font) {
    // The dialog lists installed faces: a stored name that stands for another face
    // shows as that face.
    QFont shown(QFontInfo(QFont(QString::fromStdString(font.Name))).family());
    shown.setPointSize(pointSizeOf(font));
    shown.setBold(font.Bold);
    shown.setItalic(font.Italic);
    shown.setFixedPitch(font.FixedPitch);
    return shown;
}

TEditFont editFontFrom(const TEditFont& original, const QFont& shown, const QFont& chosen,
                       TColor color) {
    TEditFont font = original;
    if (chosen.family() != shown.family()) {
        font.Name = chosen.family().toStdString();
        font.FixedPitch = QFontInfo(chosen).fixedPitch();
    }
    const int points = std::max(1, static_cast<int>(std::lround(chosen.pointSizeF())));
    if (points != pointSizeOf(original)) {
        font.SetSize(points);
    }
    font.Bold = chosen.bold();
    font.Italic = chosen.italic();
    font.Color = color & 0xFFFFFF;
    return font;
}

FontColorDialog::FontColorDialog(const TEditFont& font, QWidget* parent)
    : QDialog(parent), original_(font), fontPart_(new EmbeddedFontDialog(this)),
      colorList_(new QComboBox(this)) {
    setWindowTitle(QStringLiteral("フォント"));
    fontPart_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fontPart_->setWindowFlags(Qt::Widget);
    fontPart_->setCurrentFont(dialogFont(font));
    // What the dialog made of the font: a face it does not list shows as another one.
    shown_ = fontPart_->currentFont();
    // Escape inside the embedded dialog cancels the whole dialog.
    connect(fontPart_, &QDialog::finished, this, &QDialog::done);

    for (const NamedColor& named : kBasicColors) {
        colorList_->addItem(swatch(named.color), named.name.toString(), named.color);
    }
    int current = colorList_->findData(font.Color & 0xFFFFFF);
    if (current < 0) {
        colorList_->addItem(swatch(font.Color), QStringLiteral("現在の色"), font.Color & 0xFFFFFF);
        current = colorList_->count() - 1;
    }
    colorList_->setCurrentIndex(current);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("色(&C):"), this);
    colorLabel->setBuddy(colorList_);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colorList_);
    colorRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fontPart_);
    layout->addLayout(colorRow);
    layout->addWidget(buttons);
}

TEditFont FontColorDialog::chosenFont() const {
    return editFontFrom(original_, shown_, fontPart_->currentFont(),
                        colorList_->currentData().value<TColor>());
}

std::optional<TEditFont> chooseFont(QWidget* parent, const TEditFont& font) {
    FontColorDialog dialog(font, parent);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.chosenFont();
}

std::optional<TColor> chooseColor(QWidget* parent, TColor color) {
    const QColor chosen = QColorDialog::getColor(toQColor(color), parent);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return fromQColor(chosen);
}

} // namespace lumarik::app
