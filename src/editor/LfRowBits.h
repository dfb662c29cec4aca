#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lumarik::editor {

// Whether a row ends with LF: the rows that end logical lines for the position
// conversions.
inline bool EndsWithLf(std::string_view row) {
    return !row.empty() && row.back() == '\n';
}

// Which of up to kMaxRows consecutive rows end with LF, one bit per row. Rows are
// inserted and removed by shifting the bits behind them, so that a run of rows can
// answer how many LF rows stand in front of one of its rows, and where its n-th LF row
// is, without reading any row.
class LfRowBits {
public:
    static constexpr std::size_t kMaxRows = 1024;

    bool test(std::size_t row) const { return ((words_[row / 64] >> (row % 64)) & 1U) != 0; }
    void set(std::size_t row, bool lf) {
        const uint64_t bit = uint64_t{1} << (row % 64);
        words_[row / 64] = lf ? words_[row / 64] | bit : words_[row / 64] & ~bit;
    }

    // Opens n clear bits at `at`; the bits from `at` on move up by n (bits pushed past
    // kMaxRows are dropped).
    void insert(std::size_t at, std::size_t n) {
        *this = low(at) | shiftedDown(at).shiftedUp(at + n);
    }
    // Removes bits [from, to); the bits behind move down.
    void erase(std::size_t from, std::size_t to) {
        *this = low(from) | shiftedDown(to).shiftedUp(from);
    }
    // Takes the bits from `at` on out, as the first bits of a new set.
    LfRowBits splitOff(std::size_t at) {
        const LfRowBits tail = shiftedDown(at);
        *this = low(at);
        return tail;
    }
    // Puts the bits of `next` behind the first `size` bits of this set.
    void append(std::size_t size, const LfRowBits& next) {
        *this = low(size) | next.shiftedUp(size);
    }

    int count() const {
        int sum = 0;
        for (const uint64_t word : words_) {
            sum += std::popcount(word);
        }
        return sum;
    }
    // Set bits below `row`.
    int countBefore(std::size_t row) const { return low(row).count(); }
    // The row of the n-th set bit (n from 0); kMaxRows when fewer are set.
    std::size_t nth(int n) const {
        for (std::size_t w = 0; w < words_.size(); ++w) {
            uint64_t word = words_[w];
            const int here = std::popcount(word);
            if (n < here) {
                for (; n > 0; --n) {
                    word &= word - 1;
                }
                return w * 64 + static_cast<std::size_t>(std::countr_zero(word));
            }
            n -= here;
        }
        return kMaxRows;
    }
    // The highest set bit below `row`; kMaxRows when there is none.
    std::size_t lastBefore(std::size_t row) const {
        const LfRowBits front = low(row);
        for (std::size_t w = words_.size(); w-- > 0;) {
            if (front.words_[w] != 0) {
                return w * 64 + 63 - static_cast<std::size_t>(std::countl_zero(front.words_[w]));
            }
        }
        return kMaxRows;
    }

    friend bool operator==(const LfRowBits&, const LfRowBits&) = default;

private:
    static constexpr std::size_t kWords = kMaxRows / 64;

    // The bits below `n`.
    LfRowBits low(std::size_t n) const {
        LfRowBits out;
        for (std::size_t w = 0; w < kWords && w * 64 < n; ++w) {
            const std::size_t bits = n - w * 64;
            out.words_[w] = bits >= 64 ? words_[w] : words_[w] & ((uint64_t{1} << bits) - 1);
        }
        return out;
    }
    // The bits from `n` on, moved down to bit 0.
    LfRowBits shiftedDown(std::size_t n) const {
        LfRowBits out;
        const std::size_t skip = n / 64;
        const std::size_t shift = n % 64;
        for (std::size_t w = 0; w + skip < kWords; ++w) {
            out.words_[w] = words_[w + skip] >> shift;
            if (shift != 0 && w + skip + 1 < kWords) {
                out.words_[w] |= words_[w + skip + 1] << (64 - shift);
            }
        }
        return out;
    }
    // The bits moved up by `n`.
    LfRowBits shiftedUp(std::size_t n) const {
        LfRowBits out;
        const std::size_t skip = n / 64;
        const std::size_t shift = n % 64;
        for (std::size_t w = kWords; w-- > skip;) {
            out.words_[w] = words_[w - skip] << shift;
            if (shift != 0 && w > skip) {
                out.words_[w] |= words_[w - skip - 1] >> (64 - shift);
            }
        }
        return out;
    }
    LfRowBits operator|(const LfRowBits& other) const {
        LfRowBits out;
        for (std::size_t w = 0; w < kWords; ++w) {
            out.words_[w] = words_[w] | other.words_[w];
        }
        return out;
    }

    std::array<uint64_t, kWords> words_{};
};

} // namespace lumarik::editor
