#pragma once

#include <QFont>

namespace lumarik::editor {
class TVelEdit;
}
namespace lumarik::platform {
class TextPrinter;
}

namespace lumarik::app {

// Prints the editor's display rows, or only the selected part of them, on a text
// device: each row's visible text once, followed by one line break. Line terminators
// and the end-of-text mark are not printed. Stops as soon as the device takes no more.
void printRows(const editor::TVelEdit& edit, bool selectionOnly, platform::TextPrinter& device);

// The font a document is printed in: the editor's, at the size it has on the screen.
QFont printFont(const editor::TVelEdit& edit);

} // namespace lumarik::app
