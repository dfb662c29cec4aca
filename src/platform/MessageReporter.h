#pragma once

#include <QString>

#include <deque>
#include <vector>

namespace lumarik::platform {

enum class MessageIcon { None, Information, Warning, Error, Question };

// The buttons of a message box; the values are those of the Windows dialog ids, and
// All (yes to this and every further question) follows them.
enum class MessageButton {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
    All = 12
};

struct MessageChoice {
    MessageButton button = MessageButton::Ok;
    // Shown on the button; empty gives the usual Japanese caption for the button.
    QString caption;

    bool operator==(const MessageChoice&) const = default;
};

struct MessageBoxRequest {
    QString text;
    QString title;
    MessageIcon icon = MessageIcon::None;
    std::vector<MessageChoice> choices{MessageChoice{}};
    // Index into choices of the button that Enter presses.
    size_t defaultChoice = 0;
};

// Shows modal message boxes. The program uses QMessageBox; tests put in a recorder,
// since a modal box would hang a run without a user.
class MessageReporter {
public:
    virtual ~MessageReporter() = default;
    // Shows the box and answers the button chosen. A box closed without a button
    // answers Cancel when it has one, else No when it has one, else its default button.
    virtual MessageButton show(const MessageBoxRequest& request) = 0;
};

// QMessageBox, parented to the active window.
class DialogMessageReporter final : public MessageReporter {
public:
    MessageButton show(const MessageBoxRequest& request) override;
};

// Shows nothing: keeps every request and answers from a script.
class RecordingMessageReporter final : public MessageReporter {
public:
    MessageButton show(const MessageBoxRequest& request) override;

    // Answers for the next boxes, in order; with none left a box answers its default
    // button.
    std::deque<MessageButton> answers;
    std::vector<MessageBoxRequest> shown;
};

// The reporter message boxes go to: the dialogs unless one was set. Setting nullptr
// returns to the dialogs; the caller keeps ownership and must reset it before the
// reporter goes.
MessageReporter& currentReporter();
void setCurrentReporter(MessageReporter* reporter);

// Puts a reporter in place for a scope and restores the previous one afterwards.
class ScopedReporter {
public:
    explicit ScopedReporter(MessageReporter& reporter);
    ~ScopedReporter();
    ScopedReporter(const ScopedReporter&) = delete;
    ScopedReporter& operator=(const ScopedReporter&) = delete;

private:
    MessageReporter* previous_;
};

// The title of the program's message boxes: the one set, else the application name.
QString applicationTitle();
void setApplicationTitle(const QString& title);

// The editor's error box: the code as text (for example "Error:OC001"), the
// application title, no icon, an OK button.
void showErrorCode(const QString& code);

} // namespace lumarik::platform
