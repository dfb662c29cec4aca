#include <gtest/gtest.h>

#include "platform/WindowMessages.h"

#include <QCoreApplication>

#include <memory>
#include <vector>

using namespace lumarik::platform;

namespace {

struct Received {
    MessageId msg;
    WParam wParam;
    LParam lParam;
    bool operator==(const Received&) const = default;
};

class RecordingTarget : public MessageTarget {
public:
    MessageResult handleMessage(MessageId msg, WParam wParam, LParam lParam) override {
        received.push_back({msg, wParam, lParam});
        return LParam(msg) + lParam;
    }
    std::vector<Received> received;
};

} // namespace

TEST(WindowMessages, RegisteredNamesGetStableIdsFrom0xC000) {
    const MessageId first = registerWindowMessage("LumarikTest_Open");
    const MessageId second = registerWindowMessage("LumarikTest_Close");
    EXPECT_GE(first, kFirstRegisteredMessage);
    EXPECT_LE(first, 0xFFFFu);
    EXPECT_GE(second, kFirstRegisteredMessage);
    EXPECT_NE(first, second);
    EXPECT_EQ(registerWindowMessage("LumarikTest_Open"), first);
    EXPECT_EQ(registerWindowMessage("lumariktest_open"), first);
    EXPECT_EQ(registerWindowMessage(""), 0u);
}

TEST(WindowMessages, SendDeliversAtOnceAndAnswers) {
    RecordingTarget target;
    EXPECT_EQ(sendMessage(&target, 0x400, 7, 5), 0x405);
    EXPECT_EQ(target.received, (std::vector<Received>{{0x400, 7, 5}}));
    EXPECT_EQ(sendMessage(nullptr, 0x400, 7, 5), 0);
}

TEST(WindowMessages, PostedMessagesArriveLaterAtEveryTopLevelWindow) {
    RecordingTarget first;
    RecordingTarget second;
    RecordingTarget gone;
    TopLevelMessageRegistration firstRegistration(first);
    TopLevelMessageRegistration secondRegistration(second);
    auto goneRegistration = std::make_unique<TopLevelMessageRegistration>(gone);

    const MessageId msg = registerWindowMessage("LumarikTest_Broadcast");
    postMessageToAllTopLevel(msg, 1, -2);
    EXPECT_TRUE(first.received.empty());
    EXPECT_TRUE(second.received.empty());

    goneRegistration.reset();
    QCoreApplication::processEvents();
    const std::vector<Received> expected{{msg, 1, -2}};
    EXPECT_EQ(first.received, expected);
    EXPECT_EQ(second.received, expected);
    EXPECT_TRUE(gone.received.empty());

    QCoreApplication::processEvents();
    EXPECT_EQ(first.received.size(), 1u);
}
