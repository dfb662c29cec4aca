#include <gtest/gtest.h>

#include "components/MenuBar.h"

#include <QMenu>

#include <memory>

using lumarik::components::TMenuBar;

namespace {

std::unique_ptr<QMenu> mainMenu(const QStringList& entries) {
    auto menu = std::make_unique<QMenu>();
    for (const QString& entry : entries) {
        menu->addMenu(entry)->addAction(entry + QStringLiteral(" item"));
    }
    return menu;
}

QStringList shownEntries(const TMenuBar& bar) {
    QStringList captions;
    for (const QAction* entry : bar.actions()) {
        captions << entry->text();
    }
    return captions;
}

} // namespace

TEST(MenuBar, ShowsTheEntriesOfTheMenuSetAndSwapsThemWhole) {
    const auto english = mainMenu({"&FILE", "&EDIT", "&SEARCH", "&OPTION", "&HELP"});
    const auto japanese =
        mainMenu({"ファイル(&F)", "編集(&E)", "検索(&S)", "オプション(&O)", "ヘルプ(&H)"});
    TMenuBar bar;
    EXPECT_EQ(bar.Menu(), nullptr);
    EXPECT_TRUE(bar.actions().isEmpty());

    bar.SetMenu(english.get());
    EXPECT_EQ(shownEntries(bar), QStringList({"&FILE", "&EDIT", "&SEARCH", "&OPTION", "&HELP"}));
    // Each entry drops down its own sub-menu.
    EXPECT_EQ(bar.actions().at(1)->menu(), english->actions().at(1)->menu());

    bar.SetMenu(japanese.get());
    EXPECT_EQ(bar.Menu(), japanese.get());
    EXPECT_EQ(shownEntries(bar), QStringList({"ファイル(&F)", "編集(&E)", "検索(&S)",
                                              "オプション(&O)", "ヘルプ(&H)"}));
    // The menus themselves are left intact by the swap.
    EXPECT_EQ(english->actions().size(), 5);
}

TEST(MenuBar, SettingTheSameMenuAgainKeepsTheBarAndNoneEmptiesIt) {
    const auto menu = mainMenu({"&FILE", "&EDIT"});
    TMenuBar bar;
    bar.SetMenu(menu.get());
    menu->addMenu(QStringLiteral("&HELP"));
    bar.SetMenu(menu.get());
    EXPECT_EQ(shownEntries(bar), QStringList({"&FILE", "&EDIT"}));

    bar.SetMenu(nullptr);
    EXPECT_EQ(bar.Menu(), nullptr);
    EXPECT_TRUE(bar.actions().isEmpty());
    EXPECT_EQ(menu->actions().size(), 3);
}
