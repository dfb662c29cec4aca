#include "platform/MessageReporter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

namespace lumarik::platform {

namespace {

MessageReporter* installedReporter = nullptr;
QString& titleOverride() {
    static QString title;
    return title;
}

QString defaultCaption(MessageButton button) {
    switch (button) {
    case MessageButton::Ok:
        return QStringLiteral("OK");
    case MessageButton::Cancel:
        return QStringLiteral("キャンセル");
    case MessageButton::Abort:
        return QStringLiteral("中止(&A)");
    case MessageButton::Retry:
        return QStringLiteral("再試行(&R)");
    case MessageButton::Ignore:
        return QStringLiteral("無視(&I)");
    case MessageButton::Yes:
        return QStringLiteral("はい(&Y)");
    case MessageButton::No:
        return QStringLiteral("いいえ(&N)");
    case MessageButton::All:
        return QStringLiteral("すべて(&A)");
    }
    return {};
}

QMessageBox::ButtonRole roleOf(MessageButton button) {
    switch (button) {
    case MessageButton::Ok:
        return QMessageBox::AcceptRole;
    case MessageButton::Cancel:
        return QMessageBox::RejectRole;
    case MessageButton::Yes:
        return QMessageBox::YesRole;
    case MessageButton::No:
        return QMessageBox::NoRole;
    case MessageButton::Abort:
    case MessageButton::Retry:
    case MessageButton::Ignore:
    case MessageButton::All:
        break;
    }
    return QMessageBox::ActionRole;
}

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The answer of a box closed without pressing a button: Cancel, else No (the button
// the dialog makes its escape button), else the default.
MessageButton closedAnswer(const MessageBoxRequest& request) {
    const auto& choices = request.choices;
    for (const MessageButton escape : {MessageButton::Cancel, MessageButton::No}) {
        if (std::any_of(choices.begin(), choices.end(),
                        [escape](const MessageChoice& c) { return c.button == escape; })) {
            return escape;
        }
    }
    if (request.defaultChoice < choices.size()) {
        return choices[request.defaultChoice].button;
    }
    return choices.empty() ? MessageButton::Ok : choices.front().button;
}

} // namespace

MessageButton DialogMessageReporter::show(const MessageBoxRequest& request) {
    QMessageBox box(qtIcon(request.icon), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    std::vector<std::pair<QAbstractButton*, MessageButton>> buttons;
    // Escape and the close button give what a box closed without a button answers.
    const MessageButton closed = closedAnswer(request);
    for (const MessageChoice& choice : request.choices) {
        const QString caption =
            choice.caption.isEmpty() ? defaultCaption(choice.button) : choice.caption;
        QPushButton* button = box.addButton(caption, roleOf(choice.button));
        buttons.emplace_back(button, choice.button);
        const bool escapes =
            choice.button == MessageButton::Cancel || choice.button == MessageButton::No;
        if ((escapes && choice.button == closed) || request.choices.size() == 1) {
            box.setEscapeButton(button);
        }
    }
    if (request.defaultChoice < buttons.size()) {
        box.setDefaultButton(static_cast<QPushButton*>(buttons[request.defaultChoice].first));
    }
    box.exec();
    for (const auto& [button, answer] : buttons) {
        if (button == box.clickedButton()) {
            return answer;
        }
    }
    return closedAnswer(request);
}

MessageButton RecordingMessageReporter::show(const MessageBoxRequest& request) {
    shown.push_back(request);
    if (!answers.empty()) {
        MessageButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return closedAnswer(request);
}

MessageReporter& currentReporter() {
    static DialogMessageReporter dialogs;
    return installedReporter ? *installedReporter : dialogs;
}

void setCurrentReporter(MessageReporter* reporter) {
    installedReporter = reporter;
}

ScopedReporter::ScopedReporter(MessageReporter& reporter) : previous_(installedReporter) {
    installedReporter = &reporter;
}

ScopedReporter::~ScopedReporter() {
    installedReporter = previous_;
}

QString applicationTitle() {
    const QString& title = titleOverride();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

void setApplicationTitle(const QString& title) {
    titleOverride() = title;
}

void showErrorCode(const QString& code) {
    MessageBoxRequest request;
    request.text = code;
    request.title = applicationTitle();
    currentReporter().show(request);
}

} // namespace lumarik::platform
