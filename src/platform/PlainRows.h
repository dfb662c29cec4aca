#pragma once

#include <cstdint>
#include <vector>

namespace lumarik::platform {

// Remembers, for each pixel row of a picture, one run of pixels that a fill left in
// a single colour and that nothing has drawn over since. A fill over such a run need
// not write it again: a view's repaints clear the same empty parts over and over.
// Runs are half-open: [left, right).
class PlainRows {
public:
    struct Run {
        int left = 0;
        int right = 0;
        uint32_t color = 0;
        int width() const { return right - left; }
    };

    // Forgets everything: rows pixel rows, none known to be plain.
    void reset(int rows);
    int rows() const { return static_cast<int>(runs_.size()); }
    const Run& run(int row) const { return runs_[row]; }

    // A fill of [left, right) on row with color: calls write(from, to) for each part
    // that does not hold the colour yet, and remembers the result.
    template <typename Write> void fill(int row, int left, int right, uint32_t color, Write write) {
        Run& known = runs_[row];
        if (known.width() > 0 && known.color == color && known.left <= right &&
            left <= known.right) {
            if (left < known.left) {
                write(left, known.left);
            }
            if (known.right < right) {
                write(known.right, right);
            }
            known.left = left < known.left ? left : known.left;
            known.right = right > known.right ? right : known.right;
            return;
        }
        write(left, right);
        filled(known, left, right, color);
    }

    // Something other than a fill wrote [left, right) on rows top..bottom.
    void drawnOver(int top, int bottom, int left, int right);

    // The pixels [left, right) of rows top..bottom moved dy rows down (up when negative),
    // over what was there.
    void moved(int top, int bottom, int left, int right, int dy);

private:
    static void trim(Run& run, int left, int right);
    // Keeps the wider of run (already trimmed by the fill) and the filled span.
    static void filled(Run& run, int left, int right, uint32_t color);

    std::vector<Run> runs_;
};

} // namespace lumarik::platform
