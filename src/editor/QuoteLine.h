#pragma once

#include <string_view>

#include "editor/MarkupRules.h"

namespace lumarik::editor {

// True when the display row (as stored, terminator included) is a quote line: its
// first character after tab expansion is one of rules.quoteChars. Each row is judged
// on its own, so a wrapped continuation of a quote is not a quote line unless it
// begins with a quote character itself. Always false when rules.colorPrint is off.
bool IsQuoteRow(std::string_view row, const MarkupRules& rules);

} // namespace lumarik::editor
