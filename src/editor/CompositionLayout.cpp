#include "editor/CompositionLayout.h"

#include <algorithm>

namespace lumarik::editor {

std::vector<CompositionClause> SplitIntoClauses(int length,
                                                std::span<const CompositionFormat> formats) {
    if (length <= 0) {
        return {};
    }
    if (formats.empty()) {
        return {{0, length, true, false}};
    }
    const auto clampToText = [length](long long at) {
        return static_cast<int>(std::clamp<long long>(at, 0, length));
    };
    std::vector<int> edges{0, length};
    for (const CompositionFormat& format : formats) {
        edges.push_back(clampToText(format.start));
        edges.push_back(clampToText(static_cast<long long>(format.start) + format.length));
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<CompositionClause> clauses;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        CompositionClause clause{edges[i], edges[i + 1], false, false};
        for (const CompositionFormat& format : formats) {
            const long long end = static_cast<long long>(format.start) + format.length;
            if (format.start <= clause.start && clause.end <= end) {
                clause.underlined = clause.underlined || format.underlined;
                clause.selected = clause.selected || format.selected;
            }
        }
        clauses.push_back(clause);
    }
    return clauses;
}

CompositionLayout LayOutComposition(std::span<const int> advances, const CompositionArea& area,
                                    int keepShown) {
    const int count = static_cast<int>(advances.size());
    CompositionLayout layout;
    layout.lefts.resize(advances.size() + 1);
    layout.rowOf.resize(advances.size() + 1);
    int x = std::max(area.startX, area.left);
    int top = std::max(area.startTop, area.top);
    layout.rows.push_back({top, 0, 0});
    for (int i = 0; i < count; ++i) {
        const int advance = advances[static_cast<size_t>(i)];
        if (advance > 0 && x > area.left && x + advance > area.right) {
            top += area.rowStep;
            layout.rows.push_back({top, i, i});
            x = area.left;
        }
        layout.lefts[static_cast<size_t>(i)] = x;
        layout.rowOf[static_cast<size_t>(i)] = static_cast<int>(layout.rows.size()) - 1;
        layout.rows.back().end = i + 1;
        x += advance;
    }
    layout.lefts.back() = x;
    layout.rowOf.back() = static_cast<int>(layout.rows.size()) - 1;
    // No room at the composition point: the text begins on the next row.
    if (layout.rows.size() > 1 && layout.rows.front().end == 0) {
        layout.rows.erase(layout.rows.begin());
        for (int& row : layout.rowOf) {
            row = std::max(row - 1, 0);
        }
    }

    int shift = std::max(layout.rows.back().top - area.bottom, 0);
    const int shown = layout.rowOf[static_cast<size_t>(std::clamp(keepShown, 0, count))];
    shift = std::min(shift, std::max(layout.rows[static_cast<size_t>(shown)].top - area.top, 0));
    for (CompositionRow& row : layout.rows) {
        row.top -= shift;
    }
    return layout;
}

} // namespace lumarik::editor
