#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <algorithm>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace lumarik::platform {

namespace {

constexpr MessageId kLastRegisteredMessage = 0xFFFF;

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
    }
    return lower;
}

QEvent::Type postedMessageType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class PostedMessage final : public QEvent {
public:
    PostedMessage(MessageId msg, WParam wParam, LParam lParam)
        : QEvent(postedMessageType()), msg(msg), wParam(wParam), lParam(lParam) {}

    const MessageId msg;
    const WParam wParam;
    const LParam lParam;
};

// Receives posted messages for one top-level window and hands them to its target.
class Mailbox final : public QObject {
public:
    explicit Mailbox(MessageTarget& target) : target_(target) {}

    bool event(QEvent* event) override {
        if (event->type() != postedMessageType()) {
            return QObject::event(event);
        }
        const auto& posted = static_cast<const PostedMessage&>(*event);
        target_.handleMessage(posted.msg, posted.wParam, posted.lParam);
        return true;
    }

private:
    MessageTarget& target_;
};

// The registered top-level windows; touched from the GUI thread only.
std::vector<Mailbox*>& mailboxes() {
    static std::vector<Mailbox*> registered;
    return registered;
}

} // namespace

MessageId registerWindowMessage(std::string_view name) {
    static std::mutex mutex;
    static std::map<std::string, MessageId> ids;
    if (name.empty()) {
        return 0;
    }
    std::lock_guard lock(mutex);
    const MessageId next = kFirstRegisteredMessage + MessageId(ids.size());
    auto [it, added] = ids.try_emplace(asciiLower(name), next);
    if (added && next > kLastRegisteredMessage) {
        ids.erase(it);
        return 0;
    }
    return it->second;
}

MessageResult sendMessage(MessageTarget* target, MessageId msg, WParam wParam, LParam lParam) {
    return target ? target->handleMessage(msg, wParam, lParam) : 0;
}

void postMessageToAllTopLevel(MessageId msg, WParam wParam, LParam lParam) {
    for (Mailbox* mailbox : mailboxes()) {
        QCoreApplication::postEvent(mailbox, new PostedMessage(msg, wParam, lParam));
    }
}

TopLevelMessageRegistration::TopLevelMessageRegistration(MessageTarget& target)
    : mailbox_(std::make_unique<Mailbox>(target)) {
    mailboxes().push_back(static_cast<Mailbox*>(mailbox_.get()));
}

TopLevelMessageRegistration::~TopLevelMessageRegistration() {
    auto& registered = mailboxes();
    registered.erase(std::find(registered.begin(), registered.end(), mailbox_.get()));
}

} // namespace lumarik::platform
