#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/ReplaceWindow.h"
#include "app/SearchWindow.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

using namespace lumarik;
using namespace lumarik::test;
using platform::MessageButton;

namespace {

const QString kNotFound = QStringLiteral("見つかりませんでした。");
// "日本" and "にほん" in the code page.
const std::string kNihonKanji = "\x93\xFA\x96\x7B";
const std::string kNihonKana = "\x82\xC9\x82\xD9\x82\xF1";

class Search : public ::testing::Test {
protected:
    Search() : scoped_(recorder_), windows_(startApp(dir_.file("lumarik.ini"))) {}
    ~Search() override { closeApp(windows_); }

    app::TFormEditor& form() { return *windows_.FormEditor; }
    editor::TVelEdit& edit() { return *windows_.FormEditor->RichEdit1; }
    app::Tform_search& searchWindow() { return *windows_.form_search; }
    app::Tform_replace& replaceWindow() { return *windows_.form_replace; }

    std::vector<QString> shownTexts() const {
        std::vector<QString> texts;
        for (const platform::MessageBoxRequest& request : recorder_.shown) {
            texts.push_back(request.text);
        }
        return texts;
    }
    // The caret and the hit it stands on: line, column, length.
    std::vector<int> hit() { return {edit().HitLine, edit().HitCol, edit().HitLen}; }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
    app::ApplicationWindows windows_;
};

TEST_F(Search, WindowsHaveTheirControlsAndShowBesideTheMainWindow) {
    app::Tform_search& search = searchWindow();
    EXPECT_EQ(search.size(), QSize(254, 84));
    EXPECT_EQ(search.Edit1->geometry(), QRect(8, 8, 233, 20));
    EXPECT_EQ(search.Button_search->geometry(), QRect(8, 40, 75, 25));
    EXPECT_EQ(search.Button_down->geometry(), QRect(88, 40, 75, 25));
    EXPECT_EQ(search.Button_up->geometry(), QRect(168, 40, 75, 25));
    EXPECT_EQ(search.Button_search->text(), QStringLiteral("Search"));
    EXPECT_EQ(search.Button_down->text(), QStringLiteral("Down"));
    EXPECT_EQ(search.Button_up->text(), QStringLiteral("Up"));
    EXPECT_TRUE(search.Button_search->isEnabled());
    EXPECT_FALSE(search.Button_down->isEnabled());
    EXPECT_FALSE(search.Button_up->isEnabled());
    EXPECT_EQ(search.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));

    app::Tform_replace& replace = replaceWindow();
    EXPECT_EQ(replace.size(), QSize(291, 95));
    EXPECT_EQ(replace.Label1->text(), QStringLiteral("Find"));
    EXPECT_EQ(replace.Label1->pos(), QPoint(8, 11));
    EXPECT_EQ(replace.Label2->text(), QStringLiteral("Replace"));
    EXPECT_EQ(replace.Label2->pos(), QPoint(8, 35));
    EXPECT_EQ(replace.Edit1->geometry(), QRect(56, 8, 225, 20));
    EXPECT_EQ(replace.Edit2->geometry(), QRect(56, 32, 225, 20));
    EXPECT_EQ(replace.Button_replace->geometry(), QRect(224, 56, 57, 25));
    EXPECT_EQ(replace.Button_replace->text(), QStringLiteral("Replace"));

    // Placed on every showing, after the main window moved too.
    form().move(200, 150);
    form().Find2Click();
    EXPECT_TRUE(search.isVisible());
    EXPECT_EQ(search.pos(), QPoint(250, 250));
    search.hide();
    form().move(100, 120);
    form().Find2Click();
    EXPECT_EQ(search.pos(), QPoint(150, 220));
    form().Replace1Click();
    EXPECT_TRUE(replace.isVisible());
    EXPECT_EQ(replace.pos(), QPoint(140, 160));
}

TEST_F(Search, SearchDownAndUpWithTheButtonsAndTheirStates) {
    edit().SetText("abc ABC abc\r\nxabc");
    form().Find2Click();
    app::Tform_search& search = searchWindow();
    QTest::keyClicks(search.Edit1, "abc");
    QTest::mouseClick(search.Button_search, Qt::LeftButton);
    EXPECT_EQ(hit(), (std::vector<int>{0, 0, 3}));
    EXPECT_EQ(edit().CaretCol, 0);
    EXPECT_FALSE(search.Button_search->isEnabled());
    EXPECT_TRUE(search.Button_down->isEnabled());
    EXPECT_TRUE(search.Button_up->isEnabled());

    // Case counts: "ABC" is passed over.
    QTest::mouseClick(search.Button_down, Qt::LeftButton);
    EXPECT_EQ(hit(), (std::vector<int>{0, 8, 3}));
    QTest::mouseClick(search.Button_down, Qt::LeftButton);
    EXPECT_EQ(hit(), (std::vector<int>{1, 1, 3}));
    QTest::mouseClick(search.Button_down, Qt::LeftButton);
    EXPECT_EQ(shownTexts(), std::vector<QString>{kNotFound});
    EXPECT_EQ(recorder_.shown[0].title, QStringLiteral("Untitled.txt"));
    EXPECT_EQ(recorder_.shown[0].icon, platform::MessageIcon::None);
    QTest::mouseClick(search.Button_up, Qt::LeftButton);
    EXPECT_EQ(hit(), (std::vector<int>{1, 1, 3}));
    QTest::mouseClick(search.Button_up, Qt::LeftButton);
    EXPECT_EQ(hit(), (std::vector<int>{0, 8, 3}));

    // An edit of the search text allows a new search; Down and Up stay.
    QTest::keyClick(search.Edit1, Qt::Key_Backspace);
    EXPECT_TRUE(search.Button_search->isEnabled());
    EXPECT_TRUE(search.Button_down->isEnabled());
}

TEST_F(Search, F3StartsAtTheTopEachTime) {
    edit().SetText("one two\r\ntwo");
    searchWindow().Edit1->setText(QStringLiteral("two"));
    form().FindNext1Click();
    EXPECT_EQ(hit(), (std::vector<int>{0, 4, 3}));
    form().FindNext1Click();
    EXPECT_EQ(hit(), (std::vector<int>{0, 4, 3}));
    EXPECT_EQ(edit().HitCount, 1);
    EXPECT_TRUE(searchWindow().Button_search->isEnabled());

    searchWindow().Edit1->setText(QStringLiteral("three"));
    form().FindNext1Click();
    EXPECT_EQ(shownTexts(), std::vector<QString>{kNotFound});
}

TEST_F(Search, MatchingRuleOfTheMainWindow) {
    struct Case {
        std::string row, find;
        int x;
    };
    // "ャ" (0x83 0x83) twice holds 0x83 0x83 across the two characters too; "表" ends
    // in a backslash.
    const std::vector<Case> cases = {
        {"xabcabc", "abc", 2},
        {"ABC", "abc", 0},
        {"a\x83\x83\x83\x83", "\x83\x83", 2},
        {"\x83\x83\x83", "\x83\x83", 1},
        {"\x95\x5C\\", "\\", 3},
        {"ab", "", 0},
        {"", "a", 0},
        {std::string("ab\0cd", 5), "cd", 0},
    };
    for (const Case& c : cases) {
        int x = -1;
        int len = static_cast<int>(c.find.size());
        edit().OnFind(edit(), c.row, c.find, 7, x, len);
        EXPECT_EQ(x, c.x) << c.row << " / " << c.find;
        EXPECT_EQ(len, static_cast<int>(c.find.size()));
    }
}

TEST_F(Search, ReplaceAsksAtEachMatchAndCountsWhatItReplaced) {
    struct Case {
        const char* name;
        std::vector<MessageButton> answers;
        std::string after;
        int count;
    };
    const std::string text =
        kNihonKanji + "a " + kNihonKanji + " " + kNihonKanji + " " + kNihonKanji;
    const std::vector<Case> cases = {
        {"yes to all",
         {MessageButton::Yes, MessageButton::Yes, MessageButton::Yes, MessageButton::Yes},
         kNihonKana + "a " + kNihonKana + " " + kNihonKana + " " + kNihonKana,
         4},
        {"no, then yes, then abort",
         {MessageButton::No, MessageButton::Yes, MessageButton::Abort},
         kNihonKanji + "a " + kNihonKana + " " + kNihonKanji + " " + kNihonKanji,
         1},
        {"closed box, then all",
         {MessageButton::Cancel, MessageButton::All},
         kNihonKanji + "a " + kNihonKana + " " + kNihonKana + " " + kNihonKana,
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit().SetText(text);
        recorder_.shown.clear();
        recorder_.answers.assign(c.answers.begin(), c.answers.end());
        form().Replace1Click();
        app::Tform_replace& replace = replaceWindow();
        replace.Edit1->setText(QString::fromUtf8("日本"));
        replace.Edit2->setText(QString::fromUtf8("にほん"));
        QTest::mouseClick(replace.Button_replace, Qt::LeftButton);
        EXPECT_FALSE(replace.isVisible());
        EXPECT_EQ(edit().Text(), c.after);
        ASSERT_EQ(recorder_.shown.size(), c.answers.size() + 1);
        const platform::MessageBoxRequest& question = recorder_.shown.front();
        EXPECT_EQ(question.text, QStringLiteral("置換しますか？"));
        EXPECT_EQ(question.title, QStringLiteral("情報"));
        EXPECT_EQ(question.icon, platform::MessageIcon::Information);
        std::vector<QString> captions;
        for (const platform::MessageChoice& choice : question.choices) {
            captions.push_back(choice.caption);
        }
        EXPECT_EQ(captions,
                  (std::vector<QString>{"はい(&Y)", "いいえ(&N)", "中止(&A)", "すべて(&A)"}));
        EXPECT_EQ(recorder_.shown.back().text,
                  QString::number(c.count) + QStringLiteral(" 個置換しました。"));
        EXPECT_EQ(recorder_.shown.back().title, QStringLiteral("Untitled.txt"));
        while (edit().CanUndo()) {
            edit().Undo();
        }
        EXPECT_EQ(edit().Text(), text);
    }
}

TEST_F(Search, BoxesHoldOnlyWhatTheCodePageHolds) {
    // Hangul, an emoji and the euro sign have no bytes in the code page.
    const QString typed = QString::fromUtf8("a한😀€日b");
    for (QLineEdit* box : {searchWindow().Edit1, replaceWindow().Edit1, replaceWindow().Edit2}) {
        box->clear();
        for (qsizetype i = 0; i < typed.size(); ++i) {
            const qsizetype units = typed[i].isHighSurrogate() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, typed.mid(i, units),
                                Qt::NoModifier);
            i += units - 1;
        }
        EXPECT_EQ(box->text(), QString::fromUtf8("a日b"));
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("한語"));
        QCoreApplication::sendEvent(box, &commit);
        EXPECT_EQ(box->text(), QString::fromUtf8("a日b語"));
        box->clear();
        box->insert(QString::fromUtf8("x€y"));
        EXPECT_EQ(box->text(), QStringLiteral("xy"));
    }
    searchWindow().Edit1->setText(QString::fromUtf8("日本"));
    EXPECT_EQ(searchWindow().SearchText(), kNihonKanji);
}

} // namespace
