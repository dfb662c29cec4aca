#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "components/MenuBar.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

using namespace lumarik;
using namespace lumarik::test;

namespace {

class MainWindowSettings : public ::testing::Test {
protected:
    MainWindowSettings() : scoped_(recorder_) {}

    std::filesystem::path ini() const { return dir_.file("lumarik.ini"); }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
};

const std::vector<std::string> kFirstRunFile = {
    "[window]",
    "width=500",
    "top=120",
    "left=120",
    "maxSighn=0",
    "height=500",
    "[Font]",
    "name=ＭＳ ゴシック",
    "size=-10",
    "color=0",
    "[back]",
    "color=16777215",
    "[URL]",
    "color=16711680",
    "[menu]",
    "english=1",
    "[editor]",
    "tabcount=6",
    "column=80",
    "linespace=0",
    "uline=0",
    "ulinecolor=8388608",
    "number=1",
    "mark=1",
    "mark_color=8421376",
    "autowrap=0",
    "[KeepFileNames]",
    "FileName1=",
    "FileName2=",
    "FileName3=",
    "FileName4=",
};

} // namespace

TEST_F(MainWindowSettings, FirstRunWritesEveryKeyInOrderAtExit) {
    app::ApplicationWindows windows = startApp(ini());
    EXPECT_FALSE(std::filesystem::exists(ini()));
    closeApp(windows);
    EXPECT_EQ(readBytes(ini()), iniText(kFirstRunFile));
    EXPECT_TRUE(recorder_.shown.empty());
}

TEST_F(MainWindowSettings, SecondRunReadsBackWhatItFinds) {
    writeBytes(ini(), iniText({
                          "[window]",   "width=640",   "top=40",           "left=60",
                          "maxSighn=1", "height=430",  "[Font]",           "name=FixedSys",
                          "size=12",    "color=255",   "[back]",           "color=0xEEEEEE",
                          "[URL]",      "color=32768", "[status]",         "visible=0",
                          "[toolbar]",  "visible=0",   "[menu]",           "english=0",
                          "[editor]",   "wordwrap=0",  "autowrap=1",       "tabcount=4",
                          "column=120", "linespace=3", "uline=1",          "ulinecolor=128",
                          "number=0",   "mark=0",      "mark_color=65280",
                      }));
    app::ApplicationWindows windows = startApp(ini());
    app::TFormEditor& form = *windows.FormEditor;
    const editor::TVelEdit& edit = *form.RichEdit1;

    EXPECT_EQ(form.geometry(), QRect(60, 40, 640, 430));
    EXPECT_EQ(edit.Font().Name, "FixedSys");
    EXPECT_EQ(edit.Font().Height, -16);
    EXPECT_EQ(edit.Font().Color, 255u);
    EXPECT_EQ(edit.InyoColor(), 255u);
    EXPECT_EQ(edit.Color(), 0xEEEEEEu);
    EXPECT_EQ(edit.URLColor(), 32768u);
    EXPECT_TRUE(form.StatusBar->isHidden());
    EXPECT_TRUE(form.StandardToolBar->isHidden());
    EXPECT_FALSE(edit.WordWrap());
    EXPECT_TRUE(edit.AutoWrap());
    EXPECT_TRUE(form.FMaximized);
    EXPECT_FALSE(form.INENGLISH->isChecked());
    EXPECT_EQ(form.MenuBar1->Menu(), form.MainMenu2);
    EXPECT_EQ(edit.TabCount(), 4);
    EXPECT_EQ(edit.Column(), 120);
    EXPECT_EQ(edit.LineSpace(), 3);
    EXPECT_TRUE(edit.ShowUnderLine());
    EXPECT_EQ(edit.UlineColor(), 128u);
    EXPECT_FALSE(edit.ShowLineNumber());
    EXPECT_FALSE(edit.ShowCR() || edit.ShowEOF() || edit.ShowTAB() || edit.ShowDblSpace());
    EXPECT_EQ(edit.CREOFcolor(), 65280u);
    closeApp(windows);

    // What the exit wrote starts the next run the same way.
    app::ApplicationWindows again = startApp(ini());
    EXPECT_EQ(again.FormEditor->geometry(), QRect(60, 40, 640, 430));
    EXPECT_EQ(again.FormEditor->RichEdit1->Font().Height, -16);
    EXPECT_EQ(again.FormEditor->RichEdit1->Font().Name, "FixedSys");
    EXPECT_FALSE(again.FormEditor->INENGLISH->isChecked());
    EXPECT_FALSE(again.FormEditor->RichEdit1->ShowEOF());
    EXPECT_TRUE(again.FormEditor->StandardToolBar->isHidden());
    closeApp(again);
}

TEST_F(MainWindowSettings, SectionAndKeyNamesMatchWithoutRegardToCase) {
    writeBytes(ini(),
               iniText({"[EDITOR]", "COLUMN=40", "[font]", "Size=-20", "[Window]", "Width=450"}));
    app::ApplicationWindows windows = startApp(ini());
    EXPECT_EQ(windows.FormEditor->RichEdit1->Column(), 40);
    EXPECT_EQ(windows.FormEditor->RichEdit1->Font().Height, 27);
    EXPECT_EQ(windows.FormEditor->width(), 450);
    closeApp(windows);
    // The existing spellings are kept, and no second section is added.
    const std::string text = readBytes(ini());
    EXPECT_NE(text.find("[EDITOR]\r\nCOLUMN=40\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[editor]"), std::string::npos);
}

TEST_F(MainWindowSettings, BadValuesNeverGiveABrokenWindow) {
    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    struct Case {
        std::vector<std::string> lines;
        std::function<void(const app::TFormEditor&)> check;
    };
    const std::vector<Case> cases = {
        {{"[window]", "width=0", "height=-30"},
         [](const app::TFormEditor& form) {
             EXPECT_GE(form.width(), app::TFormEditor::kMinWidth);
             EXPECT_GE(form.height(), app::TFormEditor::kMinHeight);
         }},
        {{"[window]", "width=5", "height=3"},
         [desktop](const app::TFormEditor& form) {
             EXPECT_GE(form.width(), app::TFormEditor::kMinWidth);
             EXPECT_GE(form.height(), app::TFormEditor::kMinHeight);
             EXPECT_LE(form.width(), desktop.width());
             EXPECT_LE(form.height(), desktop.height());
         }},
        {{"[window]", "width=2000000", "height=99999999"},
         [desktop](const app::TFormEditor& form) {
             EXPECT_LE(form.width(), desktop.width());
             EXPECT_LE(form.height(), desktop.height());
         }},
        {{"[window]", "left=-30000", "top=40000"},
         [](const app::TFormEditor& form) { EXPECT_EQ(form.pos(), QPoint(120, 120)); }},
        {{"[window]", "width=abc", "left=12x", "top="},
         [](const app::TFormEditor& form) {
             EXPECT_EQ(form.geometry(), QRect(120, 120, 500, 500));
         }},
        {{"[Font]", "size=0", "name="},
         [](const app::TFormEditor& form) {
             EXPECT_EQ(form.RichEdit1->Font().Height, 13);
             EXPECT_FALSE(form.RichEdit1->Font().Name.empty());
             EXPECT_GT(form.RichEdit1->AvgCharWidth, 0);
         }},
        {{"[Font]", "size=-400"},
         [](const app::TFormEditor& form) { EXPECT_EQ(form.RichEdit1->Font().Height, 13); }},
        {{"[Font]", "size=-2147483648"},
         [](const app::TFormEditor& form) { EXPECT_EQ(form.RichEdit1->Font().Height, 13); }},
        {{"[window]", "left=2147483647", "top=2147483647", "width=2147483647", "height=2147483647"},
         [desktop](const app::TFormEditor& form) {
             EXPECT_EQ(form.pos(), QPoint(120, 120));
             EXPECT_LE(form.width(), desktop.width());
         }},
        {{"[window]", "left=-2147483648", "top=-2147483648", "width=-2147483648"},
         [](const app::TFormEditor& form) { EXPECT_EQ(form.pos(), QPoint(120, 120)); }},
        {{"[Font]", "color=16777216", "[back]", "color=-1", "[URL]", "color=0x1000000"},
         [](const app::TFormEditor& form) {
             EXPECT_EQ(form.RichEdit1->Font().Color, editor::clBlack);
             EXPECT_EQ(form.RichEdit1->Color(), editor::clWhite);
             EXPECT_EQ(form.RichEdit1->URLColor(), editor::clBlue);
         }},
        {{"[editor]", "column=3"},
         [](const app::TFormEditor& form) { EXPECT_EQ(form.RichEdit1->Column(), 10); }},
        {{"[editor]", "column=50000", "mark_color=-5", "ulinecolor=0x7FFFFFFF"},
         [](const app::TFormEditor& form) {
             EXPECT_EQ(form.RichEdit1->Column(), 1000);
             EXPECT_EQ(form.RichEdit1->CREOFcolor(), editor::clTeal);
             EXPECT_EQ(form.RichEdit1->UlineColor(), editor::clNavy);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(iniText(c.lines));
        writeBytes(ini(), iniText(c.lines));
        app::ApplicationWindows windows = startApp(ini());
        c.check(*windows.FormEditor);
        EXPECT_GT(windows.FormEditor->RichEdit1->height(), 0);
        closeApp(windows);
    }
}

TEST_F(MainWindowSettings, UnwritableFileIsReportedOnceAndTheWindowStillCloses) {
    const std::filesystem::path unwritable = dir_.file("missing") / "lumarik.ini";
    app::ApplicationWindows windows = startApp(unwritable);
    closeApp(windows);
    EXPECT_FALSE(windows.FormEditor->isVisible());
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text,
              QString::fromStdString(unwritable.string()) + QStringLiteral(" に書き込めません"));
    EXPECT_FALSE(std::filesystem::exists(unwritable));
}
