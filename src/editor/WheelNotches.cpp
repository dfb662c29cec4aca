#include "editor/WheelNotches.h"

#include <algorithm>
#include <climits>

namespace lumarik::editor {

int WheelNotches::add(int delta) {
    if ((delta > 0 && pending_ < 0) || (delta < 0 && pending_ > 0)) {
        pending_ = 0;
    }
    pending_ += delta;
    const long long whole = pending_ / kNotch * kNotch;
    pending_ -= whole;
    // A whole run of notches fits an int; the clamp only guards the extreme deltas.
    return static_cast<int>(
        std::clamp<long long>(whole, INT_MIN / kNotch * kNotch, INT_MAX / kNotch * kNotch));
}

} // namespace lumarik::editor
