#include <gtest/gtest.h>

#include "platform/MessageReporter.h"

#include <QCoreApplication>

using namespace lumarik::platform;

TEST(MessageReporter, RecorderKeepsBoxesAndAnswersFromItsScript) {
    RecordingMessageReporter recorder;
    recorder.answers = {MessageButton::No};
    MessageBoxRequest question;
    question.text = QStringLiteral("保存しますか?");
    question.title = QStringLiteral("確認");
    question.icon = MessageIcon::Question;
    question.choices = {
        {MessageButton::Yes, {}}, {MessageButton::No, {}}, {MessageButton::Cancel, {}}};

    EXPECT_EQ(recorder.show(question), MessageButton::No);
    // Script used up: a box with Cancel is closed with Cancel, one without with No,
    // one with neither gets its default button.
    EXPECT_EQ(recorder.show(question), MessageButton::Cancel);
    question.choices = {{MessageButton::Yes, {}},
                        {MessageButton::No, {}},
                        {MessageButton::Abort, {}},
                        {MessageButton::All, {}}};
    EXPECT_EQ(recorder.show(question), MessageButton::No);
    question.choices = {{MessageButton::Ok, {}}, {MessageButton::All, {}}};
    question.defaultChoice = 1;
    EXPECT_EQ(recorder.show(question), MessageButton::All);

    ASSERT_EQ(recorder.shown.size(), 4u);
    EXPECT_EQ(recorder.shown[0].text, question.text);
    EXPECT_EQ(recorder.shown[0].icon, MessageIcon::Question);
    EXPECT_EQ(recorder.shown[0].choices.size(), 3u);
}

TEST(MessageReporter, ErrorCodesGoToTheCurrentReporter) {
    RecordingMessageReporter recorder;
    {
        ScopedReporter scoped(recorder);
        EXPECT_EQ(&currentReporter(), &recorder);
        showErrorCode(QStringLiteral("Error:OC001"));
        setApplicationTitle(QStringLiteral("Lumarik Editor"));
        showErrorCode(QStringLiteral("Error:OC003"));
        setApplicationTitle({});
    }
    EXPECT_NE(&currentReporter(), &recorder);

    ASSERT_EQ(recorder.shown.size(), 2u);
    const MessageBoxRequest& box = recorder.shown[0];
    EXPECT_EQ(box.text, QStringLiteral("Error:OC001"));
    EXPECT_EQ(box.title, QCoreApplication::applicationName());
    EXPECT_EQ(box.icon, MessageIcon::None);
    EXPECT_EQ(box.choices, (std::vector<MessageChoice>{{MessageButton::Ok, {}}}));
    EXPECT_EQ(recorder.shown[1].title, QStringLiteral("Lumarik Editor"));
}
