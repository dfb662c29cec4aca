#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

class QObject;

namespace lumarik::platform {

using MessageId = unsigned int;
using WParam = uintptr_t;
using LParam = intptr_t;
using MessageResult = intptr_t;

// The first id handed out for a registered message name.
constexpr MessageId kFirstRegisteredMessage = 0xC000;

// Anything that answers window messages: the window procedure of a control or window.
class MessageTarget {
public:
    virtual ~MessageTarget() = default;
    virtual MessageResult handleMessage(MessageId msg, WParam wParam, LParam lParam) = 0;
};

// The process-wide id of a message name, the same for every call with that name
// (compared without regard to ASCII case). Ids start at kFirstRegisteredMessage. An
// empty name, or a name after every id is taken, gives 0.
MessageId registerWindowMessage(std::string_view name);

// Delivers a message at once and returns the target's answer; 0 without a target.
MessageResult sendMessage(MessageTarget* target, MessageId msg, WParam wParam, LParam lParam);

// Queues the message for every registered top-level window, visible or not. Each
// receives it later from the event loop, never during this call.
void postMessageToAllTopLevel(MessageId msg, WParam wParam, LParam lParam);

// Registers a top-level window for postMessageToAllTopLevel while it lives. Messages
// still queued when it goes are dropped.
class TopLevelMessageRegistration {
public:
    explicit TopLevelMessageRegistration(MessageTarget& target);
    ~TopLevelMessageRegistration();
    TopLevelMessageRegistration(const TopLevelMessageRegistration&) = delete;
    TopLevelMessageRegistration& operator=(const TopLevelMessageRegistration&) = delete;

private:
    std::unique_ptr<QObject> mailbox_;
};

} // namespace lumarik::platform
