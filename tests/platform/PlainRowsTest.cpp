#include <gtest/gtest.h>

#include "platform/PlainRows.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

using lumarik::platform::PlainRows;

namespace {

// A picture of a few short rows, drawn on by fills that trust PlainRows to skip what
// already holds their colour, and by other drawing that leaves arbitrary pixels.
struct Picture {
    static constexpr int kRows = 6;
    static constexpr int kWidth = 24;
    std::vector<std::vector<uint32_t>> pixels =
        std::vector<std::vector<uint32_t>>(kRows, std::vector<uint32_t>(kWidth, 0));
    PlainRows plain;
    Picture() { plain.reset(kRows); }

    void fill(int row, int left, int right, uint32_t color) {
        plain.fill(row, left, right, color, [&](int from, int to) {
            ASSERT_LE(left, from);
            ASSERT_LE(to, right);
            std::fill(pixels[row].begin() + from, pixels[row].begin() + to, color);
        });
    }
    void drawOver(int top, int bottom, int left, int right, uint32_t ink) {
        for (int row = top; row <= bottom; ++row) {
            std::fill(pixels[row].begin() + left, pixels[row].begin() + right, ink);
        }
        plain.drawnOver(top, bottom, left, right);
    }
    void move(int top, int bottom, int left, int right, int dy) {
        const auto before = pixels;
        for (int row = top; row <= bottom; ++row) {
            if (row + dy >= 0 && row + dy < kRows) {
                std::copy(before[row].begin() + left, before[row].begin() + right,
                          pixels[row + dy].begin() + left);
            }
        }
        plain.moved(top, bottom, left, right, dy);
    }
    // Every run the tracker reports really is plain.
    void expectRunsHold() const {
        for (int row = 0; row < kRows; ++row) {
            const PlainRows::Run& run = plain.run(row);
            for (int x = std::max(run.left, 0); x < run.right; ++x) {
                ASSERT_EQ(pixels[row][x], run.color) << "row " << row << " x " << x;
            }
        }
    }
};

} // namespace

TEST(PlainRows, FillsSkipOnlyWhatAlreadyHoldsTheirColour) {
    Picture picture;
    int written = 0;
    const auto count = [&](int from, int to) { written += to - from; };
    picture.plain.fill(0, 0, 20, 7, count);
    EXPECT_EQ(written, 20);
    written = 0;
    picture.plain.fill(0, 4, 24, 7, count); // only 20..24 is new
    EXPECT_EQ(written, 4);
    written = 0;
    picture.plain.drawnOver(0, 0, 10, 12); // keeps the wider side, 12..24
    picture.plain.fill(0, 0, 24, 7, count);
    EXPECT_EQ(written, 12);
    written = 0;
    picture.plain.fill(0, 0, 24, 8, count); // another colour writes everything
    EXPECT_EQ(written, 24);
}

TEST(PlainRows, RandomDrawingNeverLeavesAFillUndone) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto pick = [&](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        Picture picture;
        for (int step = 0; step < 300; ++step) {
            const int top = pick(0, Picture::kRows - 1);
            const int bottom = pick(top, Picture::kRows - 1);
            const int left = pick(0, Picture::kWidth - 1);
            const int right = pick(left + 1, Picture::kWidth);
            switch (pick(0, 3)) {
            case 0:
            case 1: {
                const auto color = static_cast<uint32_t>(pick(1, 3));
                for (int row = top; row <= bottom; ++row) {
                    picture.fill(row, left, right, color);
                    for (int x = left; x < right; ++x) {
                        ASSERT_EQ(picture.pixels[row][x], color);
                    }
                }
                break;
            }
            case 2:
                picture.drawOver(top, bottom, left, right, static_cast<uint32_t>(pick(1, 3)));
                break;
            default:
                picture.move(top, bottom, left, right, pick(-3, 3));
                break;
            }
            picture.expectRunsHold();
            if (HasFatalFailure()) {
                return;
            }
        }
    }
}
