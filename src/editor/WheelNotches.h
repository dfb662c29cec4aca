#pragma once

namespace lumarik::editor {

// Gathers wheel deltas of any size (touchpads and fine wheels send small ones) into
// the whole 120-unit notches a classic wheel delivers.
class WheelNotches {
public:
    static constexpr int kNotch = 120;

    // Adds a delta and answers the part of what was gathered that makes whole notches,
    // a signed multiple of kNotch (0 while less than a notch is gathered). The rest
    // waits for later deltas; turning the wheel the other way drops it.
    int add(int delta);

private:
    long long pending_ = 0;
};

} // namespace lumarik::editor
