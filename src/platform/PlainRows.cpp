#include "platform/PlainRows.h"

#include <algorithm>

namespace lumarik::platform {

void PlainRows::reset(int rows) {
    runs_.assign(static_cast<size_t>(std::max(rows, 0)), Run{});
}

void PlainRows::trim(Run& run, int left, int right) {
    if (right <= run.left || run.right <= left || left >= right) {
        return;
    }
    // What is left of the run on either side of the drawing; the wider part is kept.
    const Run before{run.left, std::min(left, run.right), run.color};
    const Run after{std::max(right, run.left), run.right, run.color};
    run = before.width() >= after.width() ? before : after;
    if (run.width() <= 0) {
        run = Run{};
    }
}

bool PlainRows::joins(const Run& a, const Run& b) {
    return a.width() > 0 && b.width() > 0 && a.color == b.color && a.left <= b.right &&
           b.left <= a.right;
}

void PlainRows::keep(Run& run, const Run& candidate) {
    if (joins(run, candidate)) {
        run = Run{std::min(run.left, candidate.left), std::max(run.right, candidate.right),
                  run.color};
    } else if (candidate.width() >= run.width()) {
        run = candidate;
    }
}

void PlainRows::drawnOver(int top, int bottom, int left, int right) {
    top = std::max(top, 0);
    bottom = std::min(bottom, rows() - 1);
    for (int row = top; row <= bottom; ++row) {
        trim(runs_[row], left, right);
    }
}

void PlainRows::moved(int top, int bottom, int left, int right, int dy) {
    top = std::max(top, 0);
    bottom = std::min(bottom, rows() - 1);
    if (top > bottom || dy == 0 || left >= right) {
        return;
    }
    // The moved part of each source row, taken before any of them is overwritten.
    std::vector<Run> carried;
    carried.reserve(static_cast<size_t>(bottom) - static_cast<size_t>(top) + 1);
    for (int row = top; row <= bottom; ++row) {
        const Run& run = runs_[row];
        Run part{std::max(run.left, left), std::min(run.right, right), run.color};
        carried.push_back(part.width() > 0 ? part : Run{});
    }
    for (int row = top; row <= bottom; ++row) {
        const int to = row + dy;
        if (to < 0 || to >= rows()) {
            continue;
        }
        Run& target = runs_[to];
        trim(target, left, right);
        const Run& part = carried[static_cast<size_t>(row - top)];
        if (part.width() > 0) {
            keep(target, part);
        }
    }
}

} // namespace lumarik::platform
