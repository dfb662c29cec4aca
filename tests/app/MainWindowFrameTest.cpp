#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/SizingBorder.h"
#include "app/TitlePanel.h"
#include "components/TopWnd.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"
#include "platform/SoundPlayer.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

using namespace lumarik;
using namespace lumarik::test;

namespace {

using app::TFormEditor;

// Every sound the frame may play, present in the sound folder unless a test removes it.
const std::vector<std::string> kSoundFiles = {
    "exit.wav",     "min.wav",      "max.wav",       "undosize.wav", "shadein.wav",
    "shadeout.wav", "AlwayTop.wav", "AlwayTop2.wav", "return.wav",   "touch.wav",
};

// A work area that does not start at the screen's corner, as with a panel at the top
// and at the left.
const QRect kWorkArea(100, 40, 640, 700);

class MainWindowFrame : public ::testing::Test {
protected:
    MainWindowFrame() : scoped_(recorder_), scopedSounds_(sounds_) {
        std::filesystem::create_directories(dir_.file("sound"));
        for (const std::string& name : kSoundFiles) {
            writeBytes(dir_.file("sound") / name, "RIFF");
        }
    }

    void start(const std::vector<std::string>& ini = {}) {
        if (!ini.empty()) {
            writeBytes(iniPath(), iniText(ini));
        }
        app::MainWindowOptions options;
        options.settingsPath = QString::fromStdString(iniPath().string());
        options.soundFolder = QString::fromStdString(dir_.file("sound").string());
        windows_ = startApp(options);
        form().WorkArea = [this]() { return workArea_; };
        sounds_.played.clear();
    }

    ~MainWindowFrame() override {
        if (windows_.FormEditor) {
            closeApp(windows_);
        }
    }

    TFormEditor& form() { return *windows_.FormEditor; }
    std::filesystem::path iniPath() const { return dir_.file("lumarik.ini"); }

    int stored(const char* key, int fallback = -1) const {
        return platform::ProfileReader(QString::fromStdString(iniPath().string()))
            .readInt(u"window", QString::fromLatin1(key), fallback);
    }

    // The file names played since the last call.
    std::vector<std::string> played() {
        std::vector<std::string> names;
        for (const QString& path : sounds_.played) {
            names.push_back(QFileInfo(path).fileName().toStdString());
            EXPECT_EQ(QFileInfo(path).absolutePath().toStdString(),
                      std::filesystem::absolute(dir_.file("sound")).string());
        }
        sounds_.played.clear();
        return names;
    }

    bool sizeFixed() { return form().minimumSize() == form().maximumSize(); }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
    platform::RecordingSoundPlayer sounds_;
    platform::ScopedSoundPlayer scopedSounds_;
    QRect workArea_ = kWorkArea;
    app::ApplicationWindows windows_;
};

using Names = std::vector<std::string>;

// A mouse event at a place on the screen, sent to target wherever it is now.
void sendMouseAt(QWidget& target, QEvent::Type type, QPoint global, Qt::MouseButtons buttons,
                 Qt::MouseButton button) {
    QMouseEvent event(type, QPointF(target.mapFromGlobal(global)), QPointF(global), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}

void sendMouse(QWidget& target, QEvent::Type type, QPoint local, Qt::MouseButtons buttons,
               Qt::MouseButton button = Qt::LeftButton) {
    sendMouseAt(target, type, target.mapToGlobal(local), buttons, button);
}

// A left-button drag on target from local `from` by each step of the pointer in turn,
// then the release.
void drag(QWidget& target, QPoint from, const std::vector<QPoint>& steps) {
    QPoint at = target.mapToGlobal(from);
    sendMouseAt(target, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    for (const QPoint step : steps) {
        at += step;
        sendMouseAt(target, QEvent::MouseMove, at, Qt::LeftButton, Qt::NoButton);
    }
    sendMouseAt(target, QEvent::MouseButtonRelease, at, Qt::NoButton, Qt::LeftButton);
}

} // namespace

TEST_F(MainWindowFrame, MaximiseFillsAWorkAreaAwayFromTheCornerAndComesBack) {
    start({"[window]", "left=150", "top=130", "width=420", "height=360"});
    form().Image2DblClick();
    EXPECT_EQ(form().geometry(), kWorkArea);
    EXPECT_TRUE(form().FMaximized);
    EXPECT_TRUE(form().FLockToWorkArea);
    EXPECT_TRUE(sizeFixed());
    EXPECT_EQ(form().Panel1->PanelMax->toolTip(), QStringLiteral("UndoSize"));
    EXPECT_EQ(played(), Names{"max.wav"});
    EXPECT_EQ(QRect(stored("maxleft"), stored("maxtop"), stored("maxwidth"), stored("maxheight")),
              QRect(150, 130, 420, 360));

    // The maximise button is the same toggle as the double click.
    form().Panel1->PanelMax->onClick();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, 360));
    EXPECT_FALSE(form().FMaximized || form().FLockToWorkArea || form().FShaded);
    EXPECT_FALSE(sizeFixed());
    EXPECT_EQ(form().Panel1->PanelMax->toolTip(), QStringLiteral("Max"));
    EXPECT_EQ(played(), Names{"undosize.wav"});

    // A window the user sized to the work area counts as maximised.
    form().setGeometry(kWorkArea);
    form().Image2DblClick();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, 360));
    EXPECT_EQ(played(), Names{"undosize.wav"});
}

TEST_F(MainWindowFrame, WithoutAWorkAreaTheMaximiseToggleChangesNothing) {
    start();
    form().butShadeClick();
    workArea_ = QRect();
    const std::string before = readBytes(iniPath());
    played();
    form().Image2DblClick();
    EXPECT_EQ(form().height(), TFormEditor::kShadedHeight);
    EXPECT_TRUE(form().FShaded);
    EXPECT_FALSE(form().FMaximized);
    EXPECT_EQ(readBytes(iniPath()), before);
    EXPECT_TRUE(played().empty());
}

TEST_F(MainWindowFrame, ShadeRollsUpToTheTitleAndBackKeepingWidthAndPlace) {
    start({"[window]", "left=150", "top=130", "width=420", "height=400"});
    form().butShadeClick();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, TFormEditor::kShadedHeight));
    EXPECT_TRUE(form().FShaded);
    EXPECT_TRUE(sizeFixed());
    EXPECT_FALSE(form().RichEdit1->isVisible());
    EXPECT_TRUE(form().Panel1->isVisible());
    EXPECT_EQ(stored("nowheight"), 400);
    EXPECT_TRUE(form().Panel1->TitleHintShown());
    EXPECT_EQ(form().Panel1->Image2->toolTip(), form().CurFile);
    EXPECT_EQ(played(), Names{"shadein.wav"});

    form().butShadeClick();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, 400));
    EXPECT_FALSE(form().FShaded);
    EXPECT_FALSE(sizeFixed());
    EXPECT_TRUE(form().RichEdit1->isVisible());
    EXPECT_FALSE(form().Panel1->TitleHintShown());
    EXPECT_EQ(played(), Names{"shadeout.wav"});

    // Closed while rolled up, the window keeps the height it had before.
    form().butShadeClick();
    closeApp(windows_);
    EXPECT_EQ(stored("height"), 400);
    EXPECT_EQ(stored("width"), 420);
    start();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, 400));
    EXPECT_FALSE(form().FShaded);
}

TEST_F(MainWindowFrame, ShadingWhileMaximisedKeepsItsOwnHeightAndLeavesTheWorkAreaFree) {
    start({"[window]", "left=150", "top=130", "width=420", "height=360"});
    form().Image2DblClick();
    played();
    form().butShadeClick();
    EXPECT_EQ(form().geometry(), QRect(kWorkArea.topLeft(), QSize(kWorkArea.width(), 27)));
    EXPECT_TRUE(form().FShaded && form().FMaximized);
    EXPECT_FALSE(form().FLockToWorkArea);
    EXPECT_EQ(stored("nowmaxheight"), kWorkArea.height());
    EXPECT_EQ(stored("nowheight"), -1);
    // The title keeps its hint hidden while maximised; the sound comes from the sound
    // folder, never as a system beep.
    EXPECT_FALSE(form().Panel1->TitleHintShown());
    EXPECT_EQ(played(), Names{"shadein.wav"});

    form().butShadeClick();
    EXPECT_EQ(form().geometry(), kWorkArea);
    EXPECT_FALSE(form().FShaded);
    EXPECT_FALSE(form().FLockToWorkArea);
    EXPECT_FALSE(sizeFixed());
    EXPECT_EQ(played(), Names{"shadeout.wav"});

    // Rolled up while maximised, the window still counts as maximised.
    form().butShadeClick();
    form().Image2DblClick();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, 360));
    EXPECT_FALSE(form().FMaximized || form().FShaded);
}

TEST_F(MainWindowFrame, MaximisingARolledUpWindowUnrollsItAndLeavingRollsItUpAgain) {
    start({"[window]", "left=150", "top=130", "width=420", "height=360"});
    form().butShadeClick();
    form().Image2DblClick();
    EXPECT_EQ(form().geometry(), kWorkArea);
    EXPECT_FALSE(form().FShaded);
    EXPECT_TRUE(form().RichEdit1->isVisible());
    EXPECT_EQ(stored("maxheight"), TFormEditor::kShadedHeight);

    form().Image2DblClick();
    EXPECT_EQ(form().geometry(), QRect(150, 130, 420, TFormEditor::kShadedHeight));
    EXPECT_TRUE(form().FShaded);
    EXPECT_TRUE(sizeFixed());
    EXPECT_TRUE(form().Panel1->TitleHintShown());
}

TEST_F(MainWindowFrame, StoredBoundsThatCannotBeUsedGiveAUsableWindow) {
    struct Case {
        std::vector<std::string> ini;
        QRect expected;
    };
    // The offscreen screen is 800 by 800; the work area lies inside it.
    const std::vector<Case> cases = {
        {{"[window]", "maxleft=-99999", "maxtop=40", "maxwidth=0", "maxheight=-5"},
         QRect(200, 200, 600, 500)},
        {{"[window]", "maxleft=10", "maxtop=20", "maxwidth=2147483647", "maxheight=3"},
         QRect(10, 20, 800, TFormEditor::kMinHeight)},
        {{"[window]", "maxleft=2147483647", "maxtop=-2147483648", "maxwidth=300", "maxheight=300"},
         QRect(200, 200, 300, 300)},
        {{"[window]", "maxleft=x", "maxwidth=0x190"}, QRect(200, 200, 400, 500)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(iniText(c.ini));
        start(c.ini);
        form().setGeometry(kWorkArea);
        form().Image2DblClick();
        EXPECT_EQ(form().geometry(), c.expected);
        closeApp(windows_);
        std::filesystem::remove(iniPath());
    }

    const std::vector<std::pair<std::string, int>> heights = {
        {"nowheight=0", 500},
        {"nowheight=-7", 500},
        {"nowheight=12", TFormEditor::kMinHeight},
        {"nowheight=27", TFormEditor::kMinHeight},
        {"nowheight=99999999", 800}};
    for (const auto& [line, height] : heights) {
        SCOPED_TRACE(line);
        start();
        form().butShadeClick();
        writeBytes(iniPath(), iniText({"[window]", line}));
        form().butShadeClick();
        EXPECT_EQ(form().height(), height);
        EXPECT_FALSE(form().FShaded);
        closeApp(windows_);
    }
}

TEST_F(MainWindowFrame, AFailedWriteOfTheBoundsToComeBackToStopsTheCommand) {
    start();
    const QRect before = form().geometry();
    std::filesystem::remove(iniPath());
    std::filesystem::create_directory(iniPath());
    form().Image2DblClick();
    form().butShadeClick();
    EXPECT_EQ(form().geometry(), before);
    EXPECT_FALSE(form().FMaximized || form().FShaded);
    ASSERT_EQ(recorder_.shown.size(), 2u);
    EXPECT_TRUE(recorder_.shown[0].text.endsWith(QStringLiteral(" に書き込めません")));
    EXPECT_TRUE(played().empty());
    std::filesystem::remove(iniPath());
}

TEST_F(MainWindowFrame, MinimiseAndRestorePlayTheirSoundAndExitKeepsTheLastBounds) {
    start();
    form().setGeometry(130, 140, 450, 380);
    form().butMinClick();
    QTest::qWait(10);
    EXPECT_TRUE(form().isMinimized());
    EXPECT_EQ(played(), Names{"min.wav"});
    form().showNormal();
    QTest::qWait(10);
    EXPECT_FALSE(form().isMinimized());
    EXPECT_EQ(played(), Names{"min.wav"});

    // Closed while minimised, the window keeps the bounds it last showed.
    form().showMinimized();
    QTest::qWait(10);
    EXPECT_TRUE(played().empty());
    closeApp(windows_);
    EXPECT_EQ(QRect(stored("left"), stored("top"), stored("width"), stored("height")),
              QRect(130, 140, 450, 380));
}

TEST_F(MainWindowFrame, ExitButtonPlaysItsSoundAndStillAsksToSave) {
    start();
    form().RichEdit1->SetText("typed");
    form().StatusPanels[0]->setText(QStringLiteral("変更"));
    recorder_.answers.push_back(platform::MessageButton::Cancel);
    form().butExitClick();
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(played(), Names{"exit.wav"});
    form().StatusPanels[0]->clear();
}

TEST_F(MainWindowFrame, AlwaysOnTopPinsTheNativeWindowWithoutHidingIt) {
    start();
    const QRect before = form().geometry();
    form().Panel1->PanelOnTop->onClick();
    ASSERT_NE(form().windowHandle(), nullptr);
    EXPECT_TRUE(form().AlwaysOnTop1->AlwaysOnTop());
    EXPECT_TRUE(form().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().geometry(), before);
    EXPECT_TRUE(form().Panel1->Pinned());
    EXPECT_EQ(played(), Names{"AlwayTop.wav"});

    form().Panel1->PanelOnTop->onClick();
    EXPECT_FALSE(form().AlwaysOnTop1->AlwaysOnTop());
    EXPECT_FALSE(form().windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form().windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().geometry(), before);
    EXPECT_FALSE(form().Panel1->Pinned());
    EXPECT_EQ(played(), Names{"AlwayTop2.wav"});
}

TEST_F(MainWindowFrame, KeySoundsFollowTheSoundBoxAndTheKey) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        Names expected;
    };
    const std::vector<Case> cases = {
        {Qt::Key_Return, Qt::NoModifier, "\r", {"return.wav"}},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", {"return.wav"}},
        {Qt::Key_Return, Qt::ShiftModifier, "\r", {"return.wav"}},
        {Qt::Key_A, Qt::NoModifier, "a", {"touch.wav"}},
        {Qt::Key_Left, Qt::NoModifier, "", {"touch.wav"}},
        {Qt::Key_Control, Qt::ControlModifier, "", {"touch.wav"}},
        // Shifted characters sound once, on the character.
        {Qt::Key_A, Qt::ShiftModifier, "A", {"touch.wav"}},
        {Qt::Key_Left, Qt::ShiftModifier, "", {}},
        // The press of Shift itself counts as shifted.
        {Qt::Key_Shift, Qt::NoModifier, "", {}},
    };
    start();
    bool soundBox = true;
    form().SoundOn = [&soundBox]() { return soundBox; };
    editor::TVelEdit& edit = *form().RichEdit1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString() + " key " + std::to_string(c.key));
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, c.text);
        QApplication::sendEvent(&edit, &press);
        EXPECT_EQ(played(), c.expected);
    }

    soundBox = false;
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_B);
    EXPECT_TRUE(played().empty());

    soundBox = true;
    std::filesystem::remove(dir_.file("sound") / "touch.wav");
    QTest::keyClick(&edit, Qt::Key_B);
    QTest::keyClick(&edit, Qt::Key_B, Qt::ShiftModifier);
    EXPECT_TRUE(played().empty());
}

TEST_F(MainWindowFrame, TitleDragMovesPastTheDragDistanceAndDoubleClickStillMaximises) {
    start({"[window]", "left=150", "top=130", "width=420", "height=360"});
    QLabel& title = *form().Panel1->Image2;
    const int small = QApplication::startDragDistance() / 2;
    drag(title, QPoint(60, 10), {QPoint(small, 0)});
    EXPECT_EQ(form().pos(), QPoint(150, 130));

    drag(title, QPoint(60, 10), {QPoint(small, 0), QPoint(30, 20), QPoint(10, 5)});
    EXPECT_EQ(form().pos(), QPoint(150 + small + 40, 130 + 25));

    // The inactive overlay drags the same way.
    form().AppOnDeactivate();
    drag(*form().Panel1->Image_dactive, QPoint(5, 5), {QPoint(-20, 0), QPoint(-20, 0)});
    EXPECT_EQ(form().pos(), QPoint(150 + small, 130 + 25));
    form().AppOnActivate();

    sendMouse(title, QEvent::MouseButtonPress, QPoint(60, 10), Qt::LeftButton);
    sendMouse(title, QEvent::MouseButtonRelease, QPoint(60, 10), Qt::NoButton);
    sendMouse(title, QEvent::MouseButtonDblClick, QPoint(60, 10), Qt::LeftButton);
    sendMouse(title, QEvent::MouseButtonRelease, QPoint(60, 10), Qt::NoButton);
    QTest::qWait(1);
    EXPECT_EQ(form().geometry(), kWorkArea);

    // While maximised the title does not move the window.
    drag(title, QPoint(60, 10), {QPoint(30, 20), QPoint(30, 20)});
    EXPECT_EQ(form().geometry(), kWorkArea);
}

TEST_F(MainWindowFrame, TitleButtonsLookPressedWhileHeldAndActOnlyOnARelease) {
    start();
    app::TTitlePanel& title = *form().Panel1;
    for (app::TitleButtonPanel* button :
         {title.PanelExit, title.PanelShade, title.PanelMax, title.PanelMin, title.PanelOnTop}) {
        SCOPED_TRACE(button->objectName().toStdString());
        sendMouse(*button, QEvent::MouseButtonPress, QPoint(9, 10), Qt::LeftButton);
        EXPECT_TRUE(button->upperImage()->isHidden());
        EXPECT_FALSE(button->pressedImage()->isHidden());
        EXPECT_NE(button->pressedImage()->pixmap().toImage(),
                  button->upperImage()->pixmap().toImage());
        // Released away from the button: raised again, and nothing happens.
        sendMouse(*button, QEvent::MouseButtonRelease, QPoint(60, 60), Qt::NoButton);
        EXPECT_FALSE(button->upperImage()->isHidden());
    }
    EXPECT_TRUE(form().isVisible());
    EXPECT_FALSE(form().FShaded || form().FMaximized || form().AlwaysOnTop1->AlwaysOnTop());
    EXPECT_TRUE(played().empty());

    // The pinned image replaces the always-on-top image while pinned.
    const QImage unpinned = title.PanelOnTop->upperImage()->pixmap().toImage();
    sendMouse(*title.PanelOnTop, QEvent::MouseButtonPress, QPoint(9, 10), Qt::LeftButton);
    sendMouse(*title.PanelOnTop, QEvent::MouseButtonRelease, QPoint(9, 10), Qt::NoButton);
    EXPECT_TRUE(form().AlwaysOnTop1->AlwaysOnTop());
    EXPECT_NE(title.PanelOnTop->upperImage()->pixmap().toImage(), unpinned);
    EXPECT_FALSE(title.PanelOnTop->upperImage()->isHidden());

    // In the narrowest window the inactive overlay still leaves every button free.
    form().resize(TFormEditor::kMinWidth, 300);
    form().AppOnDeactivate();
    for (app::TitleButtonPanel* button :
         {title.PanelExit, title.PanelShade, title.PanelMax, title.PanelMin, title.PanelOnTop}) {
        const QWidget* hit = title.childAt(button->geometry().center());
        EXPECT_TRUE(hit == button || button->isAncestorOf(hit))
            << button->objectName().toStdString();
    }
}

TEST_F(MainWindowFrame, SizingBorderResizesFromEveryEdgeAndCornerButNotAFixedSize) {
    start({"[window]", "left=150", "top=130", "width=420", "height=360"});
    const QRect start(150, 130, 420, 360);
    const QPoint delta(-20, 30);
    struct Case {
        Qt::Edges edges;
        Qt::CursorShape cursor;
        QRect expected;
    };
    const std::vector<Case> cases = {
        {Qt::LeftEdge, Qt::SizeHorCursor, QRect(130, 130, 440, 360)},
        {Qt::TopEdge, Qt::SizeVerCursor, QRect(150, 160, 420, 330)},
        {Qt::RightEdge, Qt::SizeHorCursor, QRect(150, 130, 400, 360)},
        {Qt::BottomEdge, Qt::SizeVerCursor, QRect(150, 130, 420, 390)},
        {Qt::TopEdge | Qt::LeftEdge, Qt::SizeFDiagCursor, QRect(130, 160, 440, 330)},
        {Qt::TopEdge | Qt::RightEdge, Qt::SizeBDiagCursor, QRect(150, 160, 400, 330)},
        {Qt::BottomEdge | Qt::RightEdge, Qt::SizeFDiagCursor, QRect(150, 130, 400, 390)},
        {Qt::BottomEdge | Qt::LeftEdge, Qt::SizeBDiagCursor, QRect(130, 130, 440, 390)},
    };
    const QList<QWidget*> grips =
        form().findChildren<QWidget*>(QStringLiteral("SizeGrip"), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(static_cast<size_t>(grips.size()), cases.size());
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        QWidget& grip = *grips[static_cast<qsizetype>(i)];
        EXPECT_EQ(grip.cursor().shape(), cases[i].cursor);
        EXPECT_TRUE(grip.isVisible());
        // Each grip lies on the frame at its edge or corner.
        const QRect onWindow(grip.mapTo(&form(), QPoint(0, 0)), grip.size());
        const QRect frame = form().rect();
        EXPECT_EQ(onWindow.left() == 0, cases[i].edges.testFlag(Qt::LeftEdge));
        EXPECT_EQ(onWindow.right() == frame.right(), cases[i].edges.testFlag(Qt::RightEdge));
        EXPECT_EQ(onWindow.top() == 0, cases[i].edges.testFlag(Qt::TopEdge));
        EXPECT_EQ(onWindow.bottom() == frame.bottom(), cases[i].edges.testFlag(Qt::BottomEdge));
        form().setGeometry(start);
        drag(grip, QPoint(1, 1), {delta});
        EXPECT_EQ(form().geometry(), cases[i].expected);
    }

    form().setGeometry(start);
    form().butShadeClick();
    for (const QWidget* grip : grips) {
        EXPECT_FALSE(grip->isVisible());
    }
    form().butShadeClick();
    form().Image2DblClick();
    for (const QWidget* grip : grips) {
        EXPECT_FALSE(grip->isVisible());
    }
    form().Image2DblClick();
    for (const QWidget* grip : grips) {
        EXPECT_TRUE(grip->isVisible());
    }
}
