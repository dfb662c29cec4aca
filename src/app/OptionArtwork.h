#pragma once

#include "app/OptionLayout.h"

#include <QPixmap>

class QFont;

namespace lumarik::app {

// The option dialog's images, painted in code with the dialog's font.

// The whole client area: title strip, the frame of the preview, every label, and the
// pressed look of each image button at that button's place, so that a button which
// hides its image while held shows itself pressed.
QPixmap optionBackground(const QFont& font);

// An image button raised (pressed false) or held, at the size of its place.
QPixmap optionButtonImage(option_layout::ImageButtonId id, bool pressed, const QFont& font);

} // namespace lumarik::app
