#include "editor/QuoteLine.h"

#include "editor/VelEditSub.h"

namespace lumarik::editor {

bool IsQuoteRow(std::string_view row, const MarkupRules& rules) {
    if (!rules.colorPrint || row.empty()) {
        return false;
    }
    // A leading tab expands to at least one space, whatever the tab width.
    if (row.front() == '\t') {
        return Find(" ", rules.quoteChars, rules.singleByte) != 0;
    }
    size_t length = ByteTypeAt(row, 1, rules.singleByte) == 1 ? 2 : 1;
    // Find looks only up to a NUL, so the end-of-text mark is never a quote character.
    return Find(row.substr(0, length), rules.quoteChars, rules.singleByte) != 0;
}

} // namespace lumarik::editor
