#include "app/DocumentPrint.h"

#include "editor/VelEdit.h"
#include "editor/VelEditSub.h"
#include "platform/FontDesc.h"
#include "platform/TextPrinter.h"

#include <algorithm>
#include <climits>
#include <string_view>

namespace lumarik::app {
namespace {

// Screen pixels per inch the editor's font sizes assume, and points per inch.
constexpr qreal kScreenDpi = 96;
constexpr qreal kPointsPerInch = 72;

} // namespace

void printRows(const editor::TVelEdit& edit, bool selectionOnly, platform::TextPrinter& device) {
    const editor::TVelStrings& rows = edit.Lines();
    int startCol = 0;
    int startLine = 0;
    int endLine = rows.Count() - 1;
    int endCol = INT_MAX;
    if (selectionOnly && !edit.AllSelected) {
        edit.GetSelBounds(startCol, startLine, endLine, endCol);
        if (endCol == 0 && endLine > startLine) {
            // The selection ends where that row starts.
            --endLine;
            endCol = INT_MAX;
        }
    }
    for (int line = startLine; line <= endLine && !device.done(); ++line) {
        std::string_view text = editor::StripTerminator(rows.Get(line));
        if (line == endLine) {
            text = text.substr(0, static_cast<size_t>(std::max(endCol, 0)));
        }
        if (line == startLine) {
            text.remove_prefix(std::min(static_cast<size_t>(std::max(startCol, 0)), text.size()));
        }
        device.write(text);
        device.write("\n");
    }
}

QFont printFont(const editor::TVelEdit& edit) {
    QFont font = platform::toQFont(edit.FontDescription);
    font.setPointSizeF(font.pixelSize() * kPointsPerInch / kScreenDpi);
    return font;
}

} // namespace lumarik::app
