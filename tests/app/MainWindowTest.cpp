#include <gtest/gtest.h>

#include "app/AboutBox.h"
#include "app/AppTestSupport.h"
#include "app/CommandLine.h"
#include "app/OptionDialog.h"
#include "app/ReplaceWindow.h"
#include "app/SearchWindow.h"
#include "app/TitlePanel.h"
#include "components/MenuBar.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"
#include "platform/WindowMessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

using namespace lumarik;
using namespace lumarik::test;

namespace {

class MainWindow : public ::testing::Test {
protected:
    MainWindow() : scoped_(recorder_) {}

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
};

QStringList panelTexts(const app::TFormEditor& form) {
    QStringList texts;
    for (const QLabel* panel : form.StatusPanels) {
        texts << panel->text();
    }
    return texts;
}

} // namespace

TEST_F(MainWindow, StartsTheMainWindowFirstWithItsSettingsAppliedThenEachDialogOnce) {
    writeBytes(dir_.file("lumarik.ini"), iniText({"[window]", "width=420"}));
    app::MainWindowOptions options;
    options.settingsPath = QString::fromStdString(dir_.file("lumarik.ini").string());
    struct Created {
        QString name;
        QString title;
        bool mainShownWithSettings;
    };
    std::vector<Created> created;
    app::TFormEditor* main = nullptr;
    app::ApplicationWindows windows =
        app::startApplication(options, [&created, &main](QWidget& window) {
            if (main == nullptr) {
                main = dynamic_cast<app::TFormEditor*>(&window);
            }
            created.push_back({window.objectName(), window.windowTitle(),
                               main != nullptr && main->isVisible() && main->width() == 420});
        });

    ASSERT_EQ(created.size(), 5u);
    const QStringList expected = {"FormEditor", "TForm1", "Tform_option", "Tform_search",
                                  "Tform_replace"};
    for (size_t i = 0; i < created.size(); ++i) {
        EXPECT_EQ(created[i].name, expected[static_cast<qsizetype>(i)]);
        EXPECT_TRUE(created[i].mainShownWithSettings) << i;
    }
    EXPECT_EQ(created[0].title, QStringLiteral("Untitled.txt"));
    EXPECT_EQ(created[2].title, QStringLiteral("OPTION"));
    EXPECT_EQ(created[3].title, QStringLiteral("Search"));
    EXPECT_EQ(created[4].title, QStringLiteral("Replace"));
    EXPECT_EQ(platform::applicationTitle(), QStringLiteral("Untitled.txt"));
    for (QWidget* dialog : std::initializer_list<QWidget*>{
             windows.Form1, windows.form_option, windows.form_search, windows.form_replace}) {
        EXPECT_EQ(dialog->parentWidget(), main);
        EXPECT_TRUE(dialog->isWindow());
        EXPECT_FALSE(dialog->isVisible());
    }
    closeApp(windows);
}

TEST_F(MainWindow, DefaultWindowHasItsPartsStackedAtTheirSizes) {
    app::ApplicationWindows windows = startApp(dir_.file("none.ini"));
    app::TFormEditor& form = *windows.FormEditor;

    EXPECT_EQ(form.geometry(), QRect(120, 120, 500, 500));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(form.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form.font().pixelSize(), 12);

    const int inner = 500 - 2 * app::TFormEditor::kFrameSide;
    struct Part {
        QWidget* widget;
        int height;
    };
    const std::vector<Part> stack = {{form.Panel1, 20},
                                     {form.PanelMenu, 21},
                                     {form.StandardToolBar, 25},
                                     {form.RichEdit1, 500 - 7 - 20 - 21 - 25 - 19},
                                     {form.StatusBar, 19}};
    int y = app::TFormEditor::kFrameSide;
    for (const Part& part : stack) {
        SCOPED_TRACE(part.widget->objectName().toStdString());
        const QRect r(part.widget->mapTo(&form, QPoint(0, 0)), part.widget->size());
        EXPECT_EQ(r, QRect(app::TFormEditor::kFrameSide, y, inner, part.height));
        y += part.height;
    }
    EXPECT_EQ(form.MenuBar1->height(), 20);
    EXPECT_EQ(form.MenuBar1->Menu(), form.MainMenu1);

    // The title bar: exit at the left, the four buttons at the right, the inactive
    // overlay hidden over the title image.
    app::TTitlePanel& title = *form.Panel1;
    EXPECT_EQ(title.PanelExit->geometry(), QRect(0, 0, 19, 20));
    EXPECT_EQ(title.PanelOnTop->geometry(), QRect(inner - 72, 0, 18, 20));
    EXPECT_EQ(title.PanelShade->geometry(), QRect(inner - 18, 0, 18, 20));
    EXPECT_EQ(title.Image2->geometry(), QRect(19, 0, inner - 72 - 19, 20));
    EXPECT_EQ(title.Image2->pixmap().size(), QSize(1600, 20));
    EXPECT_EQ(title.Image_dactive->geometry(), QRect(37, 5, 67, 11));
    EXPECT_TRUE(title.Image_dactive->isHidden());
    form.AppOnDeactivate();
    EXPECT_FALSE(title.Image_dactive->isHidden());
    form.AppOnActivate();
    EXPECT_TRUE(title.Image_dactive->isHidden());

    EXPECT_EQ(panelTexts(form), QStringList({"", "LINE 1", "Untitled.txt"}));
    EXPECT_EQ(form.StatusPanels[0]->width(), 27);
    EXPECT_EQ(form.StatusPanels[1]->width(), 58);
    EXPECT_EQ(form.StatusPanels[2]->width(), 300);
    EXPECT_EQ(form.CurFile, QStringLiteral("Untitled.txt"));

    // The main editor's property set after the first show.
    const editor::TVelEdit& edit = *form.RichEdit1;
    EXPECT_TRUE(edit.WordWrap());
    EXPECT_EQ(edit.Column(), 80);
    EXPECT_EQ(edit.TabCount(), 6);
    EXPECT_TRUE(edit.ShowLineNumber());
    EXPECT_TRUE(edit.ShowTAB());
    EXPECT_EQ(edit.Font().Height, 13);
    EXPECT_EQ(edit.SelColor(), editor::clBlue);
    EXPECT_EQ(edit.InyoColor(), edit.Font().Color);
    closeApp(windows);
}

TEST_F(MainWindow, StatusPanelsFollowChangesAndKeysButNotClicks) {
    app::ApplicationWindows windows = startApp(dir_.file("lumarik.ini"));
    app::TFormEditor& form = *windows.FormEditor;
    editor::TVelEdit& edit = *form.RichEdit1;
    edit.SetText("one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\nseven\r\neight");

    edit.CaretLine = 4;
    QTest::keyPress(&edit, Qt::Key_Shift);
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("LINE 5"));
    edit.CaretLine = 5;
    QTest::keyRelease(&edit, Qt::Key_Shift);
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("LINE 6"));
    // A click moves the caret and tells every window so, but not the line panel; the
    // next key does.
    struct Recorder : platform::MessageTarget {
        platform::MessageResult handleMessage(platform::MessageId msg, platform::WParam,
                                              platform::LParam lParam) override {
            if (msg == platform::registerWindowMessage("WM_TVELEDIT_MOVECARET")) {
                received.push_back(lParam);
            }
            return 0;
        }
        std::vector<platform::LParam> received;
    } recorder;
    const platform::TopLevelMessageRegistration registration(recorder);
    QTest::mouseClick(&edit, Qt::LeftButton, {},
                      edit.ClientOrigin() +
                          QPoint(edit.TextLeft + 1, edit.TopMargin() + 2 * edit.LinePitch + 1));
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.CaretLine, 2);
    EXPECT_EQ(recorder.received, std::vector<platform::LParam>{2 << 16});
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("LINE 6"));
    QTest::keyClick(&edit, Qt::Key_Down);
    EXPECT_EQ(form.StatusPanels[1]->text(), QStringLiteral("LINE 4"));

    ASSERT_TRUE(edit.OnChange);
    edit.OnChange(edit);
    EXPECT_EQ(form.StatusPanels[0]->text(), QStringLiteral("変更"));
    closeApp(windows);
}

TEST_F(MainWindow, LinePanelFitsTheLastLineAndShowsTheNewDocumentsCaretLine) {
    std::string text;
    for (int i = 0; i < 123456; ++i) {
        text += "\r\n";
    }
    writeBytes(dir_.file("long.txt"), text);
    app::ApplicationWindows windows = startApp(dir_.file("lumarik.ini"));
    app::TFormEditor& form = *windows.FormEditor;
    editor::TVelEdit& edit = *form.RichEdit1;
    QLabel& panel = *form.StatusPanels[1];
    edit.SetText("one\r\ntwo\r\nthree");
    QTest::keyClick(&edit, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(panel.text(), QStringLiteral("LINE 3"));

    // Open shows the opened text's caret line, in a panel its last line fits in.
    form.OpenFile(QString::fromStdString(dir_.file("long.txt").string()));
    EXPECT_EQ(panel.text(), QStringLiteral("LINE 1"));
    QTest::keyClick(&edit, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(panel.text(), QStringLiteral("LINE 123457"));
    EXPECT_GE(panel.contentsRect().width(), panel.sizeHint().width() - 2 * panel.frameWidth());
    EXPECT_GT(panel.width(), 58);

    // New: line 1 again, in the panel's own width.
    form.New1Click();
    EXPECT_EQ(panel.text(), QStringLiteral("LINE 1"));
    EXPECT_EQ(panel.width(), 58);
    closeApp(windows);
}

TEST_F(MainWindow, OpensTheCommandLineFileByItsAbsolutePath) {
    writeBytes(dir_.file("Untitled.txt"), "first line\r\nsecond");
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir_.path().string())));
    app::ApplicationWindows windows = startApp(dir_.file("lumarik.ini"), "Untitled.txt");
    QDir::setCurrent(previous);
    app::TFormEditor& form = *windows.FormEditor;

    const QString absolute = QString::fromStdString(dir_.file("Untitled.txt").string());
    EXPECT_EQ(form.CurFile, absolute);
    EXPECT_EQ(form.Caption, absolute);
    EXPECT_EQ(form.StatusPanels[2]->text(), absolute);
    EXPECT_EQ(form.StatusPanels[0]->text(), QString());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Untitled.txt"));
    EXPECT_EQ(form.RichEdit1->Text(), "first line\r\nsecond");
    closeApp(windows);

    // A name that is no file is passed over without a word.
    app::ApplicationWindows missing = startApp(dir_.file("lumarik.ini"), "/no/such/file.txt");
    EXPECT_EQ(missing.FormEditor->CurFile, QStringLiteral("Untitled.txt"));
    EXPECT_TRUE(recorder_.shown.empty());
    closeApp(missing);
}

TEST_F(MainWindow, FirstShowRunsOnceEvenAfterMinimiseAndRestore) {
    writeBytes(dir_.file("doc.txt"), "from disk");
    app::ApplicationWindows windows =
        startApp(dir_.file("lumarik.ini"), QString::fromStdString(dir_.file("doc.txt").string()));
    app::TFormEditor& form = *windows.FormEditor;
    form.RichEdit1->SetText("edited");
    form.StatusPanels[0]->setText(QStringLiteral("変更"));
    form.setGeometry(100, 100, 400, 300);
    writeBytes(dir_.file("lumarik.ini"), iniText({"[window]", "width=600", "height=550"}));

    form.showMinimized();
    QTest::qWait(20);
    form.showNormal();
    QTest::qWait(20);
    form.hide();
    form.show();
    QTest::qWait(20);

    EXPECT_EQ(form.RichEdit1->Text(), "edited");
    EXPECT_EQ(form.StatusPanels[0]->text(), QStringLiteral("変更"));
    EXPECT_EQ(form.size(), QSize(400, 300));
    closeApp(windows);
}

TEST_F(MainWindow, AboutBoxShowsBesideTheMainWindowEachTimeAndAClickClosesIt) {
    app::ApplicationWindows windows = startApp(dir_.file("none.ini"));
    app::TFormEditor& form = *windows.FormEditor;
    app::TForm1& about = *windows.Form1;
    EXPECT_TRUE(about.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(about.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(about.size(), QSize(177, 82));
    EXPECT_EQ(about.Label_version->text(), QStringLiteral("Ver5.7"));
    EXPECT_EQ(about.Label_version->pos(), QPoint(120, 56));
    EXPECT_EQ(about.Label_version->height(), 12);
    EXPECT_GE(about.Label_version->width(),
              about.Label_version->fontMetrics().horizontalAdvance(QStringLiteral("Ver5.7")));
    EXPECT_EQ(about.Image1->cursor().shape(), Qt::PointingHandCursor);

    form.MenuItem7Click();
    form.MenuItem7Click();
    ASSERT_TRUE(about.isVisible());
    EXPECT_EQ(about.pos(), form.pos() + QPoint(100, 100));
    QTest::mouseClick(about.Label_version, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());

    // The next showing follows the main window to where it went.
    form.move(form.pos() + QPoint(37, 11));
    form.MenuItem7Click();
    EXPECT_EQ(about.pos(), form.pos() + QPoint(100, 100));
    QTest::mouseClick(about.Image1, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(about.isVisible());
    closeApp(windows);
}

TEST(CommandLine, TakesTheFirstOtherArgumentAsTheFileAndNeverRefusesOne) {
    struct Case {
        QStringList arguments;
        QString file;
        QString settings;
        QString screenshot;
    };
    const Case cases[] = {
        {{}, "", "", ""},
        {{"memo.txt", "second.txt"}, "memo.txt", "", ""},
        {{"-memo.txt"}, "-memo.txt", "", ""},
        {{"--unknown", "memo.txt"}, "--unknown", "", ""},
        {{"-h"}, "-h", "", ""},
        {{"--", "--settings"}, "--settings", "", ""},
        {{"--settings", "a.ini", "--", "-memo.txt", "b.txt"}, "-memo.txt", "a.ini", ""},
        {{"memo.txt", "--screenshot", "shot.png", "--settings=a.ini"},
         "memo.txt",
         "a.ini",
         "shot.png"},
        {{"--screenshot=shot.png", "--", "x.txt"}, "x.txt", "", "shot.png"},
        {{"memo.txt", "--", "other.txt"}, "memo.txt", "", ""},
        {{"--settings"}, "", "", ""},
        {{"--settingsfile", "memo.txt"}, "--settingsfile", "", ""},
        {{"", "memo.txt"}, "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const app::CommandLine line = app::parseCommandLine(c.arguments);
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.settingsPath, c.settings);
        EXPECT_EQ(line.screenshotPath, c.screenshot);
    }
}
