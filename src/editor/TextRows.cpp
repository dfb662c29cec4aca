#include "editor/TextRows.h"

namespace lumarik::editor {

std::vector<std::string> SplitText(std::string_view text, int64_t& bytes) {
    std::vector<std::string> rows;
    bytes = 0;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    StopScanner scan(begin, end, kCR);
    const char* s = begin;
    do {
        const char* stop = scan.next(s);
        std::string row;
        if (stop == end) {
            row.assign(s, end);
            s = end;
        } else if (stop + 1 == end) {
            row.assign(s, end);
            row.push_back('\0');
            s = end;
        } else {
            row.assign(s, stop + 2);
            s = stop + 2;
        }
        bytes += static_cast<int64_t>(row.size());
        rows.push_back(std::move(row));
    } while (s < end);
    return rows;
}

} // namespace lumarik::editor
