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
        const Run span{left, right, color};
        if (joins(known, span)) {
            if (left < known.left) {
                write(left, known.left);
            }
            if (known.right < right) {
                write(known.right, right);
            }
        } else {
            write(left, right);
            trim(known, left, right);
        }
        keep(known, span);
    }

    // Something other than a fill wrote [left, right) on rows top..bottom.
    void drawnOver(int top, int bottom, int left, int right);

    // The pixels [left, right) of rows top..bottom moved dy rows down (up when negative),
    // over what was there.
    void moved(int top, int bottom, int left, int right, int dy);

private:
    static void trim(Run& run, int left, int right);
    // Whether two runs are one colour and overlap or touch.
    static bool joins(const Run& a, const Run& b);
    // Makes run the union of run and candidate when they join, else the wider of them.
    static void keep(Run& run, const Run& candidate);

    std::vector<Run> runs_;
};

} // namespace lumarik::platform
