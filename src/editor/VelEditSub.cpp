#include "editor/VelEditSub.h"

#include <algorithm>

#include "platform/CodePage.h"

namespace lumarik::editor {

namespace {

bool isLead(char c) {
    return platform::CodePage::ansi().isLeadByte(static_cast<unsigned char>(c));
}

std::string_view upToNul(std::string_view s) {
    size_t nul = s.find('\0');
    return nul == std::string_view::npos ? s : s.substr(0, nul);
}

} // namespace

int ByteTypeAt(std::string_view s, long long pos, bool singleByte) {
    if (pos < 1 || pos > static_cast<long long>(s.size()) || singleByte) {
        return 0;
    }
    long long i = pos - 2; // 0-based index of the byte in front of pos
    long long run = 0;
    while (i >= 0 && isLead(s[i])) {
        ++run;
        --i;
    }
    if (run % 2 == 1) {
        return 2;
    }
    return isLead(s[pos - 1]) ? 1 : 0;
}

long long CharStartBefore(std::string_view s, long long col, bool singleByte) {
    if (col <= 0) {
        return 0;
    }
    col = std::min<long long>(col, static_cast<long long>(s.size()));
    if (col >= 2 && ByteTypeAt(s, col, singleByte) == 2) {
        return col - 2;
    }
    return col - 1;
}

int CharLengthAt(std::string_view s, long long col, bool singleByte) {
    if (!singleByte && col >= 0 && col + 1 < static_cast<long long>(s.size()) && isLead(s[col])) {
        return 2;
    }
    return 1;
}

long long SnapToCharStart(std::string_view s, long long col, bool singleByte) {
    if (col > 0 && ByteTypeAt(s, col + 1, singleByte) == 2) {
        return col - 1;
    }
    return col;
}

int CharScanner::next() {
    int length = (!singleByte_ && pos_ + 1 < s_.size() && isLead(s_[pos_])) ? 2 : 1;
    pos_ += length;
    return length;
}

bool HasTerminator(std::string_view s) {
    return s.size() >= 2 && (s[s.size() - 2] == '\0' || s[s.size() - 2] == '\r');
}

std::string_view StripTerminator(std::string_view s) {
    return HasTerminator(s) ? s.substr(0, s.size() - 2) : s;
}

std::string_view StripEndMark(std::string_view s) {
    return s.size() >= 2 && s[s.size() - 2] == '\0' ? s.substr(0, s.size() - 2) : s;
}

long long Find(std::string_view sub, std::string_view s, bool singleByte) {
    sub = upToNul(sub);
    s = upToNul(s);
    if (sub.empty() || s.empty()) {
        return 0;
    }
    // Byte matches are found by the library's search; the characters are walked only
    // up to each of them, to see whether it starts on a character boundary.
    CharScanner scan(s, singleByte);
    for (size_t at = s.find(sub); at != std::string_view::npos; at = s.find(sub, at + 1)) {
        while (scan.pos() < at) {
            scan.next();
        }
        if (scan.pos() == at) {
            return static_cast<long long>(at) + 1;
        }
    }
    return 0;
}

std::string LowerCase(std::string_view s, bool singleByte) {
    return platform::CodePage::ansi().lowerCase(s, singleByte);
}

namespace {

// One pass over s, which starts at column startColumn: calls onTab(expandedSoFar,
// spaces) for each tab before its spaces are appended.
template <typename OnTab>
std::string expand(std::string_view s, int tabCount, size_t startColumn, bool singleByte,
                   OnTab onTab) {
    const auto width = static_cast<size_t>(std::clamp(tabCount, 1, 8));
    std::string out;
    out.reserve(s.size());
    size_t start = 0;
    for (size_t tab = s.find('\t'); tab != std::string_view::npos; tab = s.find('\t', tab + 1)) {
        if (!IsTabAt(s, tab, singleByte)) {
            continue;
        }
        out.append(s, start, tab - start);
        const size_t spaces = width - (startColumn + out.size()) % width;
        onTab(out, spaces);
        out.append(spaces, ' ');
        start = tab + 1;
    }
    out.append(s, start);
    return out;
}

} // namespace

bool IsTabAt(std::string_view s, size_t i, bool singleByte) {
    if (i >= s.size() || s[i] != '\t') {
        return false;
    }
    size_t run = 0;
    while (!singleByte && run < i && isLead(s[i - run - 1])) {
        ++run;
    }
    return run % 2 == 0;
}

std::string ExpandTabs(std::string_view s, int tabCount, bool singleByte) {
    return ExpandTabsFrom(s, tabCount, 0, singleByte);
}

std::string ExpandTabsFrom(std::string_view s, int tabCount, size_t startColumn, bool singleByte) {
    return expand(s, tabCount, startColumn, singleByte, [](const std::string&, size_t) {});
}

std::string ExpandTabsWithStops(std::string_view s, int tabCount, bool showTabs,
                                const TextWidthFn& textWidth, std::vector<int>& tabStopsX,
                                bool singleByte) {
    tabStopsX.clear();
    if (!showTabs) {
        tabStopsX.push_back(-1);
        return ExpandTabs(s, tabCount, singleByte);
    }
    // Text widths add up character by character, so the x of each tab is the x of
    // the previous one plus the width of what lies between them.
    int x = 0;
    size_t measured = 0;
    std::string out = expand(s, tabCount, 0, singleByte, [&](const std::string& soFar, size_t) {
        if (static_cast<int>(tabStopsX.size()) >= kMaxTabStops) {
            return;
        }
        x += textWidth(std::string_view(soFar).substr(measured));
        measured = soFar.size();
        tabStopsX.push_back(x);
    });
    tabStopsX.push_back(-1);
    return out;
}

} // namespace lumarik::editor
