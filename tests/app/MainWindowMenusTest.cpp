#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/SearchWindow.h"
#include "components/MenuBar.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>

using namespace lumarik;
using namespace lumarik::test;

namespace {

const MenuRow kSep{"-", "", -1};

const std::vector<std::vector<MenuRow>> kEnglishItems = {
    {{"&NEW", "", 1},
     {"&OPEN", "Ctrl+O", 2},
     {"&SAVE", "Ctrl+S", 4},
     {"SAVE &AS", "", -1},
     kSep,
     {"&PRINT", "Ctrl+P", 3},
     {"P&RINTER SETUP", "", -1},
     kSep,
     {"E&XIT", "", -1}},
    {{"&UNDO", "Ctrl+Z", 10},
     kSep,
     {"CU&T", "Ctrl+X", 8},
     {"&COPY", "Ctrl+C", 7},
     {"&PASTE", "Ctrl+V", 9},
     kSep,
     {"SELECT &ALL", "Ctrl+A", -1},
     kSep,
     {"MAIL/&BROWSE", "Ctrl+B", 13}},
    {{"&FIND DIALOG", "Ctrl+F", 11},
     {"&REPLACE DIALOG", "Ctrl+R", 0},
     kSep,
     {"FIND &NEXT", "F3", -1}},
    {{"OPTION", "", 6}, kSep, {"日本語表示(&N)", "", -1}},
    {{"HOME&PAGE", "", 14}, {"&VERSION", "", 15}},
};

const std::vector<std::vector<MenuRow>> kJapaneseItems = {
    {{"新規作成(&N)", "", 1},
     {"開く(&O)", "Ctrl+O", 2},
     {"上書き保存(&S)", "Ctrl+S", 4},
     {"名前を付けて保存(&A)", "", -1},
     kSep,
     {"印刷(&P)", "Ctrl+P", 3},
     {"プリンタ設定(&R)", "", -1},
     kSep,
     {"終了(&X)", "", -1}},
    {{"元に戻す(&U)", "Ctrl+Z", 10},
     kSep,
     {"切り取り(&T)", "Ctrl+X", 8},
     {"コピー(&C)", "Ctrl+C", 7},
     {"貼り付け(&P)", "Ctrl+V", 9},
     kSep,
     {"全て選択(&A)", "Ctrl+A", -1},
     kSep,
     {"メイル・ブラウズ(&B)", "Ctrl+B", 13}},
    {{"検索語の設定(&F)", "Ctrl+F", 11},
     {"置換語の設定(&R)", "Ctrl+R", 0},
     kSep,
     {"次を検索(&N)", "F3", -1}},
    {{"オプション", "", 6}, kSep, {"IN &ENGLISH", "", -1}},
    {{"ホームページ(&P)", "", 14}, {"バージョン情報(&V)", "", 15}},
};

const std::vector<MenuRow> kEnglishPopup = {
    {"U&NDO", "Ctrl+Z", 10}, kSep, {"C&UT", "Ctrl+X", 8},          {"&COPY", "Ctrl+C", 7},
    {"&PASTE", "Ctrl+V", 9}, kSep, {"MAIL/&BROWSE", "Ctrl+B", 13},
};

const std::vector<MenuRow> kJapanesePopup = {
    {"元に戻す", "Ctrl+Z", 10},
    kSep,
    {"切り取り", "Ctrl+X", 8},
    {"コピー", "Ctrl+C", 7},
    {"貼り付け", "Ctrl+V", 9},
    kSep,
    {"メイル・ブラウズ(&B)", "Ctrl+B", 13},
};

const std::vector<std::string> kEnglishEntries = {"&FILE", "&EDIT", "&SEARCH", "&OPTION", "&HELP"};
const std::vector<std::string> kJapaneseEntries = {"ファイル(&F)", "編集(&E)", "検索(&S)",
                                                   "オプション(&O)", "ヘルプ(&H)"};

class MainWindowMenus : public ::testing::Test {
protected:
    MainWindowMenus() : scoped_(recorder_), windows_(startApp(dir_.file("lumarik.ini"))) {}
    ~MainWindowMenus() override { closeApp(windows_); }

    app::TFormEditor& form() { return *windows_.FormEditor; }

    void checkMainMenu(const QMenu& menu, const std::vector<std::string>& entries,
                       const std::vector<std::vector<MenuRow>>& items) {
        EXPECT_EQ(entryCaptions(menu.actions()), entries);
        ASSERT_EQ(menu.actions().size(), static_cast<qsizetype>(items.size()));
        for (size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE(entries[i]);
            EXPECT_EQ(menuRows(*menu.actions().at(static_cast<qsizetype>(i))->menu()), items[i]);
        }
    }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
    app::ApplicationWindows windows_;
};

// Every registered shortcut of the window, as text.
QStringList registeredShortcuts(const QWidget& window) {
    QStringList keys;
    for (const QAction* action : window.actions()) {
        keys << action->shortcut().toString();
    }
    return keys;
}

} // namespace

TEST_F(MainWindowMenus, BothMainMenusAndBothPopupsCarryEveryCaptionShortcutAndImage) {
    checkMainMenu(*form().MainMenu1, kEnglishEntries, kEnglishItems);
    checkMainMenu(*form().MainMenu2, kJapaneseEntries, kJapaneseItems);
    EXPECT_EQ(menuRows(*form().PopupMenu1), kEnglishPopup);
    EXPECT_EQ(menuRows(*form().PopupMenu2), kJapanesePopup);
    EXPECT_EQ(form().MainMenu2->actions().at(0)->property("imageIndex").toInt(), 3);

    // Only the English main menu registers shortcuts, each once, with the window.
    EXPECT_EQ(registeredShortcuts(form()),
              QStringList({"Ctrl+O", "Ctrl+S", "Ctrl+P", "Ctrl+Z", "Ctrl+X", "Ctrl+C", "Ctrl+V",
                           "Ctrl+A", "Ctrl+B", "Ctrl+F", "Ctrl+R", "F3"}));
    for (QMenu* menu : {form().PopupMenu1, form().PopupMenu2}) {
        for (const QAction* action : menu->actions()) {
            EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
        }
    }
    for (const QAction* entry : form().MainMenu2->actions()) {
        for (const QAction* action : entry->menu()->actions()) {
            EXPECT_TRUE(action->shortcut().isEmpty()) << action->text().toStdString();
        }
    }
}

TEST_F(MainWindowMenus, ToolBarHasItsButtonsHintsAndImagesInOrder) {
    QStringList hints;
    std::vector<int> images;
    for (QAction* action : form().StandardToolBar->actions()) {
        QWidget* widget = form().StandardToolBar->widgetForAction(action);
        if (action->toolTip().isEmpty() || widget->width() == 8) {
            hints << QStringLiteral("|");
            EXPECT_EQ(widget->width(), 8);
            continue;
        }
        hints << action->toolTip();
        images.push_back(action->property("imageIndex").toInt());
        EXPECT_FALSE(action->icon().isNull());
    }
    EXPECT_EQ(hints, QStringList({"New", "Open", "Save", "|", "Print", "|", "Cut", "Copy", "Paste",
                                  "Undo", "|", "Mail&Browse"}));
    EXPECT_EQ(images, (std::vector<int>{1, 2, 4, 3, 8, 7, 9, 10, 13}));
}

TEST_F(MainWindowMenus, LanguageSwitchSwapsTheBarAndThePopupBothWays) {
    EXPECT_TRUE(form().INENGLISH->isChecked());
    EXPECT_EQ(entryCaptions(form().MenuBar1->actions()), kEnglishEntries);
    EXPECT_EQ(form().ActivePopupMenu(), form().PopupMenu1);
    EXPECT_EQ(form().RichEdit1->PopupMenu(), form().PopupMenu1);

    form().INENGLISH->trigger();
    EXPECT_FALSE(form().INENGLISH->isChecked());
    EXPECT_EQ(entryCaptions(form().MenuBar1->actions()), kJapaneseEntries);
    EXPECT_EQ(form().ActivePopupMenu(), form().PopupMenu2);
    EXPECT_EQ(form().RichEdit1->PopupMenu(), form().PopupMenu2);

    // "IN &ENGLISH" in the Japanese option menu switches back.
    form().MainMenu2->actions().at(3)->menu()->actions().constLast()->trigger();
    EXPECT_TRUE(form().INENGLISH->isChecked());
    EXPECT_EQ(entryCaptions(form().MenuBar1->actions()), kEnglishEntries);
    EXPECT_EQ(form().ActivePopupMenu(), form().PopupMenu1);
}

TEST_F(MainWindowMenus, ShortcutsWorkWhileTheJapaneseMenuIsShown) {
    form().INENGLISH->trigger();
    ASSERT_EQ(form().MenuBar1->Menu(), form().MainMenu2);
    for (QAction* action : form().actions()) {
        SCOPED_TRACE(action->text().toStdString());
        form().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
        QSignalSpy triggered(action, &QAction::triggered);
        QTest::keySequence(&form(), action->shortcut());
        EXPECT_EQ(triggered.count(), 1);
    }
    // Ctrl+F reached its command: the search window is up.
    EXPECT_TRUE(windows_.form_search->isVisible());
}
