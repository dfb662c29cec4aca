#pragma once

#include "editor/VelEditTypes.h"

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QStringView>

#include <array>
#include <optional>

class QComboBox;
class QFontDialog;

namespace lumarik::app {

// An editor colour (0x00BBGGRR) as Qt's colour and back.
QColor toQColor(editor::TColor color);
editor::TColor fromQColor(const QColor& color);

struct NamedColor {
    editor::TColor color;
    QStringView name;
};

// The colours the font dialog offers for the text: the sixteen basic colours.
extern const std::array<NamedColor, 16> kBasicColors;

// The editor's font as the font dialog shows it: the same face, style and pitch, and
// the size in points at 96 dots per inch.
QFont dialogFont(const editor::TEditFont& font);

// The editor's font after the dialog: `shown` is what the dialog showed at first and
// `chosen` what it answered. What the user did not change keeps its exact old value
// (the face name as stored with its pitch, the height in pixels); a new size becomes a
// height from points, as font dialogs give it.
editor::TEditFont editFontFrom(const editor::TEditFont& original, const QFont& shown,
                               const QFont& chosen, editor::TColor color);

// The font dialog with a colour: Qt's font dialog, embedded without its buttons, above
// a list of the basic colours (plus the font's own colour when it is none of them),
// and OK and Cancel.
class FontColorDialog : public QDialog {
public:
    FontColorDialog(const editor::TEditFont& font, QWidget* parent);

    // The font the controls describe now.
    editor::TEditFont chosenFont() const;

    QFontDialog* fontPart() const { return fontPart_; }
    QComboBox* colorList() const { return colorList_; }

private:
    editor::TEditFont original_;
    QFont shown_;
    QFontDialog* fontPart_;
    QComboBox* colorList_;
};

// Runs the font dialog; nothing when the user cancelled.
std::optional<editor::TEditFont> chooseFont(QWidget* parent, const editor::TEditFont& font);

// Runs the colour dialog preset with a colour; nothing when the user cancelled.
std::optional<editor::TColor> chooseColor(QWidget* parent, editor::TColor color);

} // namespace lumarik::app
