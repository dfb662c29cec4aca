#include <gtest/gtest.h>

#include "components/TopWnd.h"

#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <string>
#include <vector>

using lumarik::components::TTopMostWindow;

namespace {

// A window whose native window a test can replace, as the toolkit may do.
class RecreatableWindow : public QWidget {
public:
    RecreatableWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}
    using QWidget::create;
    using QWidget::destroy;
};

bool pinnedNatively(const QWidget& window) {
    return window.windowHandle() != nullptr &&
           window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint);
}

} // namespace

TEST(TopMostWindow, EventsComeOnlyWithARealChangeAroundTheApply) {
    QWidget window;
    auto* child = new QWidget(&window);
    TTopMostWindow topMost(child);
    std::vector<std::string> calls;
    topMost.OnBeforeChange = [&](TTopMostWindow& sender) {
        calls.push_back(sender.AlwaysOnTop() ? "before on" : "before off");
    };
    topMost.OnAfterChange = [&](TTopMostWindow& sender) {
        calls.push_back(sender.AlwaysOnTop() ? "after on" : "after off");
    };
    EXPECT_FALSE(topMost.AlwaysOnTop());
    topMost.SetAlwaysOnTop(false);
    EXPECT_TRUE(calls.empty());

    topMost.SetAlwaysOnTop(true);
    topMost.SetAlwaysOnTop(true);
    topMost.SetAlwaysOnTop(false);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"before off", "after on", "before on", "after off"}));
    // The owner's top-level window is the one switched.
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST(TopMostWindow, SwitchesTheShownNativeWindowInPlaceAndFollowsANewOne) {
    RecreatableWindow window;
    window.setGeometry(140, 150, 300, 200);
    TTopMostWindow topMost(&window);
    // Set before there is a native window: the one made later is pinned.
    topMost.SetAlwaysOnTop(true);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_TRUE(pinnedNatively(window));

    topMost.SetAlwaysOnTop(false);
    EXPECT_FALSE(pinnedNatively(window));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), QRect(140, 150, 300, 200));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));

    // The toolkit makes a new native window; the switch addresses that one.
    const QPointer<QWindow> first = window.windowHandle();
    window.destroy();
    ASSERT_TRUE(first.isNull());
    window.create();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    topMost.SetAlwaysOnTop(true);
    EXPECT_TRUE(pinnedNatively(window));
    EXPECT_TRUE(window.isVisible());
    topMost.SetAlwaysOnTop(false);
    EXPECT_FALSE(pinnedNatively(window));
}
