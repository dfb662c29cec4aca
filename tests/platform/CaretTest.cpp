#include <gtest/gtest.h>

#include "platform/Caret.h"

#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QStyleHints>
#include <QTest>

#include <memory>

using lumarik::platform::Caret;

namespace {

// A white widget that draws the caret on top, as the editor does, and keeps the
// region of every repaint.
class CaretWidget : public QWidget {
public:
    explicit CaretWidget(Caret& caret) : caret_(caret) { resize(40, 30); }
    QRegion repainted;

protected:
    void paintEvent(QPaintEvent* event) override {
        repainted += event->region();
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        caret_.paint(painter, this);
    }

private:
    Caret& caret_;
};

int blackPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == QColor(Qt::black) ? 1 : 0;
        }
    }
    return count;
}

} // namespace

TEST(Caret, HidingIsCumulativeAndCreateStartsHidden) {
    Caret caret;
    EXPECT_FALSE(caret.show());
    EXPECT_FALSE(caret.hide());
    EXPECT_FALSE(caret.setPos(QPoint(1, 1)));

    caret.create(nullptr, 2, 16);
    EXPECT_TRUE(caret.exists());
    EXPECT_FALSE(caret.isShown());
    EXPECT_TRUE(caret.show());
    EXPECT_TRUE(caret.isShown());

    caret.hide();
    caret.hide();
    caret.show();
    EXPECT_FALSE(caret.isShown());
    caret.show();
    EXPECT_TRUE(caret.isShown());

    // Showing a shown caret does not bank shows for later hides.
    caret.show();
    caret.hide();
    EXPECT_FALSE(caret.isShown());

    // Create starts over, hidden once, whatever came before.
    caret.hide();
    caret.create(nullptr, 0, 0);
    EXPECT_EQ(caret.rect(), QRect(0, 0, 1, 1));
    EXPECT_FALSE(caret.isShown());
    caret.show();
    EXPECT_TRUE(caret.isShown());

    caret.destroy();
    EXPECT_FALSE(caret.exists());
    EXPECT_FALSE(caret.isShown());
    EXPECT_FALSE(caret.show());
}

TEST(Caret, IsDrawnInvertedByItsOwnerOnly) {
    Caret caret;
    CaretWidget owner(caret);
    CaretWidget other(caret);
    caret.create(&owner, 2, 10);
    caret.setPos(QPoint(5, 3));
    EXPECT_EQ(caret.rect(), QRect(5, 3, 2, 10));
    EXPECT_EQ(blackPixels(owner.grab().toImage()), 0); // still hidden

    caret.show();
    const QImage shown = owner.grab().toImage();
    EXPECT_EQ(blackPixels(shown), 2 * 10);
    EXPECT_EQ(shown.pixelColor(5, 3), QColor(Qt::black));
    EXPECT_EQ(shown.pixelColor(6, 12), QColor(Qt::black));
    EXPECT_EQ(blackPixels(other.grab().toImage()), 0);

    caret.hide();
    EXPECT_EQ(blackPixels(owner.grab().toImage()), 0);
}

TEST(Caret, GoesWithItsOwner) {
    Caret caret;
    auto owner = std::make_unique<CaretWidget>(caret);
    caret.create(owner.get(), 2, 10);
    caret.show();
    owner.reset();
    EXPECT_FALSE(caret.exists());
    EXPECT_EQ(caret.owner(), nullptr);
    EXPECT_FALSE(caret.show());
}

TEST(Caret, AsksItsOwnerToRepaintWhatChanged) {
    Caret caret;
    CaretWidget owner(caret);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    caret.create(&owner, 2, 10);
    caret.setPos(QPoint(4, 4));
    QCoreApplication::processEvents();

    owner.repainted = {};
    caret.show();
    QTRY_VERIFY(owner.repainted.contains(QRect(4, 4, 2, 10)));

    owner.repainted = {};
    caret.setPos(QPoint(20, 6));
    QTRY_VERIFY(owner.repainted.contains(QRect(20, 6, 2, 10)));
    EXPECT_TRUE(owner.repainted.contains(QRect(4, 4, 2, 10)));

    owner.repainted = {};
    caret.hide();
    QTRY_VERIFY(owner.repainted.contains(QRect(20, 6, 2, 10)));
}

TEST(Caret, BlinksWithTheFlashTime) {
    QStyleHints* hints = QGuiApplication::styleHints();
    const int savedFlashTime = hints->cursorFlashTime();
    hints->setCursorFlashTime(60);
    Caret caret;
    caret.create(nullptr, 2, 10);
    caret.show();
    EXPECT_TRUE(caret.isVisibleNow());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !caret.isVisibleNow(); }, 2000));
    EXPECT_TRUE(caret.isShown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return caret.isVisibleNow(); }, 2000));

    // Moving shows it at once.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !caret.isVisibleNow(); }, 2000));
    caret.setPos(QPoint(3, 3));
    EXPECT_TRUE(caret.isVisibleNow());

    hints->setCursorFlashTime(0);
    caret.hide();
    caret.show();
    QTest::qWait(100);
    EXPECT_TRUE(caret.isVisibleNow());
    hints->setCursorFlashTime(savedFlashTime);
}
