#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace lumarik::bench {

// The middle one of timings (the upper middle of an even count); 0 for none. A few
// runs that met a cold cache or a reallocation do not move it.
inline double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace lumarik::bench
