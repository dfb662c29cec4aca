#include <gtest/gtest.h>

#include "app/FontColorDialogs.h"

#include <QComboBox>
#include <QFontDialog>
#include <QLineEdit>
#include <QTest>

using namespace lumarik;
using app::FontColorDialog;
using editor::TColor;
using editor::TEditFont;

TEST(FontColorDialogs, EditorColoursAreBlueGreenRedAndComeBackUnchanged) {
    EXPECT_EQ(app::toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(app::toQColor(0x804020), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(app::fromQColor(QColor(0x20, 0x40, 0x80)), 0x804020u);
    EXPECT_EQ(app::fromQColor(QColor::fromHsv(240, 255, 255)), 0xFF0000u);
    for (const TColor color : {0x000000u, 0xFFFFFFu, 0x123456u, 0x808000u}) {
        EXPECT_EQ(app::fromQColor(app::toQColor(color)), color);
    }
}

TEST(FontColorDialogs, TheDialogShowsTheSizeInPointsAndTheStyle) {
    struct Case {
        int height;
        int points;
    };
    for (const Case c : {Case{13, 10}, Case{-19, 14}, Case{-16, 12}, Case{1, 1}}) {
        TEditFont font{"FixedSys", c.height, 0, true, false, true};
        const QFont shown = app::dialogFont(font);
        EXPECT_EQ(shown.pointSize(), c.points) << c.height;
        EXPECT_TRUE(shown.bold());
        EXPECT_FALSE(shown.italic());
    }
}

TEST(FontColorDialogs, WhatTheUserLeftAloneKeepsItsExactValue) {
    const TEditFont original{"ＭＳ ゴシック", 13, 0, false, false, true};
    const QFont shown = app::dialogFont(original);

    TEditFont same = app::editFontFrom(original, shown, shown, 0x0000FF);
    EXPECT_EQ(same.Name, original.Name);
    EXPECT_EQ(same.Height, 13);
    EXPECT_EQ(same.Color, 0x0000FFu);

    QFont bigger = shown;
    bigger.setPointSize(20);
    bigger.setItalic(true);
    const TEditFont resized = app::editFontFrom(original, shown, bigger, 0);
    EXPECT_EQ(resized.Name, original.Name);
    EXPECT_EQ(resized.Height, -27);
    EXPECT_TRUE(resized.Italic);

    QFont other = shown;
    other.setFamily(QStringLiteral("Other Face"));
    EXPECT_EQ(app::editFontFrom(original, shown, other, 0).Name, "Other Face");
}

TEST(FontColorDialogs, TheColourListHoldsTheBasicColoursAndTheFontsOwn) {
    const TEditFont basic{"FixedSys", -19, 0x808000, false, false, true};
    FontColorDialog withBasic(basic, nullptr);
    EXPECT_EQ(withBasic.colorList()->count(), 16);
    EXPECT_EQ(withBasic.colorList()->currentText(), QStringLiteral("青緑"));
    EXPECT_EQ(withBasic.chosenFont(), basic);

    const TEditFont custom{"FixedSys", -19, 0x123456, false, false, true};
    FontColorDialog withCustom(custom, nullptr);
    EXPECT_EQ(withCustom.colorList()->count(), 17);
    EXPECT_EQ(withCustom.chosenFont().Color, 0x123456u);
    withCustom.colorList()->setCurrentIndex(withCustom.colorList()->findText(QStringLiteral("赤")));
    EXPECT_EQ(withCustom.chosenFont().Color, 0x0000FFu);

    withCustom.fontPart()->setCurrentFont(QFont(QStringLiteral("FixedSys"), 20));
    EXPECT_EQ(withCustom.chosenFont().Height, -27);
}

TEST(FontColorDialogs, EscapeAndEnterInTheFontPartAnswerForTheWholeDialog) {
    for (const auto& [key, result] : {std::pair{Qt::Key_Escape, QDialog::Rejected},
                                      std::pair{Qt::Key_Return, QDialog::Accepted}}) {
        FontColorDialog dialog(TEditFont{"FixedSys", -19, 0, false, false, true}, nullptr);
        dialog.show();
        // As typed in the face name box.
        QTest::keyClick(dialog.fontPart()->findChild<QLineEdit*>(), key);
        EXPECT_FALSE(dialog.isVisible()) << key;
        EXPECT_EQ(dialog.result(), result) << key;
    }
}
