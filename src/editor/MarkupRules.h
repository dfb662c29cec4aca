#pragma once

#include <string>

namespace lumarik::editor {

// The editor properties that decide which passages are drawn as links and which rows
// as quote lines.
struct MarkupRules {
    bool colorPrint = true;       // links and quote lines are shown at all
    bool singleByte = false;      // every byte is a character of its own
    int tabCount = 6;             // tab width, 1..8, for columns in the expanded row
    std::string quoteChars = ">"; // any one of these characters starts a quote line
};

} // namespace lumarik::editor
