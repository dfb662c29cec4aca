#include <gtest/gtest.h>

#include "app/SizingBorder.h"
#include "app/WindowBounds.h"

#include <climits>

using namespace lumarik::app;

namespace {

// Two screens side by side: a 1280 by 1024 one with a panel at its top and left, and a
// smaller one to its right whose work area is all of it.
const ScreenAreas kScreens{QRect(0, 0, 2304, 1024),
                           {QRect(64, 32, 1216, 992), QRect(1280, 0, 1024, 768)}};

const BoundsRules kRules{QRect(120, 120, 500, 500), QSize(160, 120), 23, 27};

struct BoundsCase {
    const char* what;
    std::int64_t left, top, width, height;
    QRect expected;
};

} // namespace

TEST(WindowBounds, StoredBoundsAreKeptWhenUsableAndMendedWhenNot) {
    const std::vector<BoundsCase> cases = {
        {"usable on the first screen", 300, 200, 640, 480, QRect(300, 200, 640, 480)},
        {"usable on the second screen", 1500, 100, 400, 300, QRect(1500, 100, 400, 300)},
        {"title partly under a panel but reachable", 40, 20, 400, 300, QRect(40, 20, 400, 300)},
        {"title wholly under the top panel", 300, 0, 400, 300, QRect(120, 120, 400, 300)},
        {"title below the second screen's work area", 1500, 900, 400, 300,
         QRect(120, 120, 400, 300)},
        {"off to the left", -30000, 300, 400, 300, QRect(120, 120, 400, 300)},
        {"only a sliver left on the right", 2290, 300, 400, 300, QRect(120, 120, 400, 300)},
        {"sizes not positive", 300, 200, 0, -30, QRect(300, 200, 500, 500)},
        {"sizes too small", 300, 200, 5, 3, QRect(300, 200, 160, 120)},
        {"rolled up height kept", 300, 200, 400, 27, QRect(300, 200, 400, 27)},
        {"larger than the desktop", 300, 200, 99999, 99999, QRect(300, 200, 2304, 1024)},
        {"the limits of int", INT_MAX, INT_MIN, INT_MAX, INT_MIN, QRect(120, 120, 2304, 500)},
        {"beyond int", std::int64_t{1} << 40, -(std::int64_t{1} << 40), std::int64_t{1} << 40,
         std::int64_t{1} << 33, QRect(120, 120, 2304, 1024)},
    };
    for (const BoundsCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(usableBounds(c.left, c.top, c.width, c.height, kScreens, kRules), c.expected);
    }
}

TEST(WindowBounds, AFallbackOffEveryScreenGivesWayToTheFirstWorkArea) {
    const ScreenAreas farAway{QRect(3000, 2000, 800, 600), {QRect(3000, 2040, 800, 560)}};
    EXPECT_EQ(usableBounds(0, 0, 400, 300, farAway, kRules), QRect(3000, 2040, 400, 300));
    EXPECT_EQ(usableBounds(0, 0, 400, 300, ScreenAreas{}, kRules), QRect(120, 120, 160, 120));
}

TEST(WindowBounds, HeightsFollowTheSameRules) {
    EXPECT_EQ(usableHeight(400, kScreens, kRules), 400);
    EXPECT_EQ(usableHeight(27, kScreens, kRules), 27);
    EXPECT_EQ(usableHeight(0, kScreens, kRules), 500);
    EXPECT_EQ(usableHeight(INT_MAX, kScreens, kRules), 1024);
    BoundsRules unrolled = kRules;
    unrolled.shadedHeight = 0;
    EXPECT_EQ(usableHeight(27, kScreens, unrolled), 120);
}

TEST(WindowBounds, AWindowFillsTheWorkAreaByItsSizeAlone) {
    const QRect workArea(64, 32, 1216, 992);
    EXPECT_TRUE(fillsWorkArea(QSize(1216, 992), workArea, 27));
    EXPECT_TRUE(fillsWorkArea(QSize(1216, 27), workArea, 27));
    // The work area's right and bottom edges are not its size.
    EXPECT_FALSE(fillsWorkArea(QSize(1280, 1024), workArea, 27));
    EXPECT_FALSE(fillsWorkArea(QSize(1216, 991), workArea, 27));
    EXPECT_FALSE(fillsWorkArea(QSize(1000, 992), workArea, 27));
}

TEST(WindowBounds, ResizingKeepsTheOppositeEdgesAndTheSizeLimits) {
    const QRect start(100, 100, 400, 300);
    const QSize minimum(160, 120);
    const QSize maximum(600, 500);
    struct Case {
        Qt::Edges edges;
        QPoint delta;
        QRect expected;
    };
    const std::vector<Case> cases = {
        {Qt::LeftEdge, QPoint(300, 50), QRect(340, 100, 160, 300)},
        {Qt::RightEdge, QPoint(-300, 0), QRect(100, 100, 160, 300)},
        {Qt::TopEdge, QPoint(0, -400), QRect(100, -100, 400, 500)},
        {Qt::BottomEdge, QPoint(0, 500), QRect(100, 100, 400, 500)},
        {Qt::TopEdge | Qt::LeftEdge, QPoint(-250, 250), QRect(-100, 280, 600, 120)},
        {Qt::BottomEdge | Qt::RightEdge, QPoint(10, 10), QRect(100, 100, 410, 310)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected.x());
        EXPECT_EQ(resizedBounds(start, c.edges, c.delta, minimum, maximum), c.expected);
    }
}
