#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/ImageButton.h"
#include "app/OptionArtwork.h"
#include "app/OptionDialog.h"
#include "editor/VelEdit.h"
#include "editor/VelEditTestSupport.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <QToolBar>

#include <optional>
#include <vector>

using namespace lumarik;
using namespace lumarik::test;
using app::Tform_option;
using editor::TColor;
using editor::TEditFont;
using editor::TVelEdit;

namespace {

class OptionDialog : public ::testing::Test {
protected:
    OptionDialog() : scoped_(recorder_) {}

    std::filesystem::path ini() const { return dir_.file("lumarik.ini"); }
    int readKey(const char* section, const char* key) const {
        return platform::ProfileReader(QString::fromStdString(ini().string()))
            .readInt(QString::fromLatin1(section), QString::fromLatin1(key), kMissing);
    }

    static constexpr int kMissing = -12345;
    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
};

Tform_option::ColorChooser answer(TColor color) {
    return [color](TColor) { return std::optional<TColor>(color); };
}

QImage previewImage(const Tform_option& dialog) {
    return dialog.richEdit1->Canvas().image().copy();
}

int inkOf(const QImage& image, TColor color) {
    return countPixels(image, image.rect(), qColor(color));
}

struct IniKey {
    const char* section;
    const char* key;
    int value;
};

// One control of the dialog: what the user does with it, what the preview shows at
// once, what OK leaves in the main window, and the keys the settings file keeps.
struct ControlRow {
    const char* name;
    std::function<void(Tform_option&)> change;
    // The preview after the change; empty for controls the preview does not show.
    std::function<bool(const TVelEdit&)> preview;
    // A colour the preview's picture newly shows.
    std::optional<TColor> previewInk;
    // The main window after OK, and after a restart.
    std::function<bool(const app::ApplicationWindows&)> applied;
    std::vector<IniKey> keys;
    // The change works before OK (the sound box).
    bool atOnce = false;
};

const TVelEdit& mainEditor(const app::ApplicationWindows& windows) {
    return *windows.FormEditor->RichEdit1;
}

std::vector<ControlRow> controlRows() {
    return {
        {"font",
         [](Tform_option& d) {
             d.FontDialog1 = [](const TEditFont& font) {
                 TEditFont chosen = font;
                 chosen.Height = -24;
                 chosen.Color = 0x0000FF;
                 chosen.Bold = true;
                 return std::optional<TEditFont>(chosen);
             };
             d.Button_fontClick();
         },
         [](const TVelEdit& e) { return e.Font().Height == -24 && e.Font().Bold; },
         0x0000FF,
         [](const auto& w) {
             return mainEditor(w).Font().Height == -24 && mainEditor(w).Font().Color == 0x0000FF;
         },
         {{"Font", "size", 18}, {"Font", "color", 255}}},
        {"background colour",
         [](Tform_option& d) {
             d.ColorDialog1 = answer(0x00FFFF);
             d.Button_colorClick();
         },
         [](const TVelEdit& e) { return e.Color() == 0x00FFFF; },
         0x00FFFF,
         [](const auto& w) { return mainEditor(w).Color() == 0x00FFFF; },
         {{"back", "color", 0x00FFFF}}},
        {"link colour",
         [](Tform_option& d) {
             d.ColorDialog1 = answer(0x008000);
             d.Button_urlClick();
         },
         [](const TVelEdit& e) { return e.URLColor() == 0x008000; },
         0x008000,
         [](const auto& w) { return mainEditor(w).URLColor() == 0x008000; },
         {{"URL", "color", 0x008000}}},
        {"underline colour",
         [](Tform_option& d) {
             d.check_uline->setChecked(true);
             d.ColorDialog1 = answer(0x0000FF);
             d.Button_ulinecolorClick();
         },
         [](const TVelEdit& e) { return e.UlineColor() == 0x0000FF; },
         0x0000FF,
         [](const auto& w) { return mainEditor(w).UlineColor() == 0x0000FF; },
         {{"editor", "ulinecolor", 0x0000FF}}},
        {"mark colour",
         [](Tform_option& d) {
             d.ColorDialog1 = answer(0x800080);
             d.image_mark_colorClick();
         },
         [](const TVelEdit& e) {
             return e.CREOFcolor() == 0x800080 && e.Text() == Tform_option::SampleText();
         },
         0x800080,
         [](const auto& w) { return mainEditor(w).CREOFcolor() == 0x800080; },
         {{"editor", "mark_color", 0x800080}}},
        {"caret-row underline",
         [](Tform_option& d) { d.check_uline->setChecked(true); },
         [](const TVelEdit& e) { return e.ShowUnderLine(); },
         editor::clNavy,
         [](const auto& w) { return mainEditor(w).ShowUnderLine(); },
         {{"editor", "uline", 1}}},
        {"marks off",
         [](Tform_option& d) { d.check_mark->setChecked(false); },
         [](const TVelEdit& e) { return !e.ShowCR() && !e.ShowEOF() && !e.ShowDblSpace(); },
         std::nullopt,
         [](const auto& w) {
             const TVelEdit& e = mainEditor(w);
             return !e.ShowCR() && !e.ShowEOF() && !e.ShowDblSpace() && !e.ShowTAB();
         },
         {{"editor", "mark", 0}}},
        {"line numbers off",
         [](Tform_option& d) { d.check_number->setChecked(false); },
         [](const TVelEdit& e) {
             return !e.ShowLineNumber() && e.GutterWidth == 0 &&
                    e.Text() == Tform_option::SampleText();
         },
         std::nullopt,
         [](const auto& w) { return !mainEditor(w).ShowLineNumber(); },
         {{"editor", "number", 0}}},
        {"line spacing",
         [](Tform_option& d) { d.line_space->setValue(50); },
         [](const TVelEdit& e) { return e.LineSpace() == 50 && e.LinePitch > e.FontHeight; },
         std::nullopt,
         [](const auto& w) { return mainEditor(w).LineSpace() == 50; },
         {{"editor", "linespace", 50}}},
        {"word wrap off",
         [](Tform_option& d) { d.check_wrap->setChecked(false); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return !mainEditor(w).WordWrap(); },
         {{"Editor", "wordwrap", 0}}},
        {"automatic wrap on",
         [](Tform_option& d) { d.check_awrap->setChecked(true); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return mainEditor(w).AutoWrap() && mainEditor(w).WordWrap(); },
         {{"editor", "autowrap", 1}, {"editor", "wordwrap", 1}}},
        {"tool bar off",
         [](Tform_option& d) { d.check_tool->setChecked(false); },
         nullptr,
         std::nullopt,
         [](const auto& w) {
             return !w.FormEditor->ToolBarShown() && w.FormEditor->StandardToolBar->isHidden();
         },
         {{"toolbar", "visible", 0}}},
        {"status bar off",
         [](Tform_option& d) { d.check_status->setChecked(false); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return !w.FormEditor->StatusBarShown(); },
         {{"status", "visible", 0}}},
        {"key sounds on",
         [](Tform_option& d) { d.check_sound->setChecked(true); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return w.FormEditor->SoundOn && w.FormEditor->SoundOn(); },
         {{"sound", "onoff", 1}},
         true},
        {"tab width typed",
         [](Tform_option& d) { d.Combo_tabwidth->setEditText(QStringLiteral(" 4 ")); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return mainEditor(w).TabCount() == 4; },
         {{"editor", "tabcount", 4}}},
        {"tab width picked",
         [](Tform_option& d) { d.Combo_tabwidth->setCurrentIndex(7); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return mainEditor(w).TabCount() == 8; },
         {{"editor", "tabcount", 8}}},
        {"column",
         [](Tform_option& d) { d.column->setValue(40); },
         nullptr,
         std::nullopt,
         [](const auto& w) { return mainEditor(w).Column() == 40; },
         {{"editor", "column", 40}}},
    };
}

} // namespace

TEST_F(OptionDialog, EachControlShowsInThePreviewAtOnceReachesTheEditorOnOkAndIsKept) {
    for (const ControlRow& row : controlRows()) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(ini());
        app::ApplicationWindows windows = startApp(ini());
        Tform_option& dialog = openOptionDialog(windows);
        ASSERT_FALSE(row.applied(windows));

        const QImage before = previewImage(dialog);
        row.change(dialog);
        QTest::qWait(1);
        const QImage after = previewImage(dialog);
        if (row.preview) {
            EXPECT_TRUE(row.preview(*dialog.richEdit1));
            EXPECT_NE(describeDifference(before, after), "");
        } else {
            EXPECT_EQ(describeDifference(before, after), "");
        }
        if (row.previewInk) {
            EXPECT_GT(inkOf(after, *row.previewInk), inkOf(before, *row.previewInk));
        }
        EXPECT_EQ(row.applied(windows), row.atOnce);

        dialog.Image_OK->click();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(row.applied(windows));
        // Settings are no change of the document.
        EXPECT_EQ(windows.FormEditor->StatusPanels[0]->text(), QString());
        closeApp(windows);
        for (const IniKey& key : row.keys) {
            EXPECT_EQ(readKey(key.section, key.key), key.value) << key.section << ' ' << key.key;
        }

        app::ApplicationWindows again = startApp(ini());
        EXPECT_TRUE(row.applied(again));
        closeApp(again);
        EXPECT_TRUE(recorder_.shown.empty());
    }
}

TEST_F(OptionDialog, OkWritesItsFourKeysAtOnceInOneGo) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    dialog.Button_okClick();
    // A first run: OK leaves word wrap on and stores it so.
    EXPECT_TRUE(windows.FormEditor->RichEdit1->WordWrap());
    EXPECT_EQ(readBytes(ini()), iniText({"[sound]", "onoff=0", "[toolbar]", "visible=1", "[status]",
                                         "visible=1", "[Editor]", "wordwrap=1"}));
    closeApp(windows);
}

TEST_F(OptionDialog, SoundBoxWorksAtOnceButIsStoredOnlyByOk) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    const std::function<bool()>& soundOn = windows.FormEditor->SoundOn;
    ASSERT_TRUE(soundOn);
    EXPECT_FALSE(soundOn());
    dialog.check_sound->setChecked(true);
    EXPECT_TRUE(soundOn());
    dialog.close();
    closeApp(windows);
    EXPECT_EQ(readKey("sound", "onoff"), kMissing);
}

TEST_F(OptionDialog, StartsFromTheMainWindowAsTheSettingsLeftIt) {
    writeBytes(ini(), iniText({"[Font]",          "name=FixedSys",  "size=12",    "color=255",
                               "[back]",          "color=65535",    "[URL]",      "color=32768",
                               "[status]",        "visible=0",      "[toolbar]",  "visible=1",
                               "[sound]",         "onoff=1",        "[editor]",   "wordwrap=0",
                               "autowrap=1",      "tabcount=3",     "column=120", "linespace=20",
                               "uline=1",         "ulinecolor=128", "number=0",   "mark=0",
                               "mark_color=65280"}));
    app::ApplicationWindows windows = startApp(ini());
    const Tform_option& dialog = *windows.form_option;
    const TVelEdit& preview = *dialog.richEdit1;

    EXPECT_EQ(dialog.pos(), windows.FormEditor->pos() + QPoint(22, 22));
    EXPECT_TRUE(dialog.check_sound->isChecked());
    EXPECT_TRUE(dialog.check_tool->isChecked());
    EXPECT_FALSE(dialog.check_status->isChecked());
    EXPECT_TRUE(dialog.check_uline->isChecked());
    EXPECT_FALSE(dialog.check_number->isChecked());
    EXPECT_FALSE(dialog.check_mark->isChecked());
    // Automatic wrap without word wrap means nothing: both boxes end unchecked.
    EXPECT_FALSE(dialog.check_wrap->isChecked());
    EXPECT_FALSE(dialog.check_awrap->isChecked());
    EXPECT_EQ(dialog.Combo_tabwidth->currentText(), QStringLiteral("3"));
    EXPECT_EQ(dialog.column->value(), 120);
    EXPECT_EQ(dialog.line_space->value(), 20);

    EXPECT_EQ(preview.Font().Name, "FixedSys");
    EXPECT_EQ(preview.Font().Height, -16);
    EXPECT_EQ(preview.Font().Color, 255u);
    EXPECT_EQ(preview.Color(), 65535u);
    EXPECT_EQ(preview.URLColor(), 32768u);
    EXPECT_EQ(preview.UlineColor(), 128u);
    EXPECT_EQ(preview.CREOFcolor(), 65280u);
    EXPECT_EQ(preview.LineSpace(), 20);
    EXPECT_TRUE(preview.ShowUnderLine());
    EXPECT_FALSE(preview.ShowLineNumber());
    EXPECT_FALSE(preview.ShowCR() || preview.ShowEOF() || preview.ShowDblSpace());
    // The preview's own settings stay as it was made.
    EXPECT_EQ(preview.TabCount(), 6);
    EXPECT_EQ(preview.Column(), 72);
    EXPECT_TRUE(preview.ReadOnly());
    EXPECT_TRUE(preview.WordWrap());
    EXPECT_EQ(preview.Text(), Tform_option::SampleText());
    closeApp(windows);
}

TEST_F(OptionDialog, WordWrapAndAutomaticWrapBoxesKeepAutomaticWrapAKindOfWordWrap) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = *windows.form_option;
    struct Step {
        QCheckBox* box;
        bool checked;
        bool wrap;
        bool autoWrap;
    };
    for (const Step& step :
         {Step{dialog.check_wrap, false, false, false}, Step{dialog.check_awrap, true, true, true},
          Step{dialog.check_awrap, false, true, false}, Step{dialog.check_awrap, true, true, true},
          Step{dialog.check_wrap, false, false, false}}) {
        step.box->setChecked(step.checked);
        EXPECT_EQ(dialog.check_wrap->isChecked(), step.wrap);
        EXPECT_EQ(dialog.check_awrap->isChecked(), step.autoWrap);
    }
    closeApp(windows);
}

TEST_F(OptionDialog, ABadTabWidthAppliesNothingAndKeepsTheDialogOpen) {
    for (const char* text : {"", "abc", "0", "9", "4.5", "-3", "0x4"}) {
        SCOPED_TRACE(text);
        recorder_.shown.clear();
        std::filesystem::remove(ini());
        app::ApplicationWindows windows = startApp(ini());
        Tform_option& dialog = openOptionDialog(windows);
        const TVelEdit& main = *windows.FormEditor->RichEdit1;
        dialog.ColorDialog1 = answer(0x00FFFF);
        dialog.Button_colorClick();
        dialog.check_wrap->setChecked(false);
        dialog.column->setValue(40);
        dialog.Combo_tabwidth->setEditText(QString::fromLatin1(text));

        dialog.Button_okClick();
        ASSERT_EQ(recorder_.shown.size(), 1u);
        EXPECT_EQ(recorder_.shown[0].text,
                  QStringLiteral("'%1' は整数ではありません").arg(QString::fromLatin1(text)));
        EXPECT_EQ(recorder_.shown[0].icon, platform::MessageIcon::Error);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(main.Color(), editor::clWhite);
        EXPECT_TRUE(main.WordWrap());
        EXPECT_EQ(main.Column(), 80);
        EXPECT_FALSE(std::filesystem::exists(ini()));

        // Mended, the same OK applies everything.
        dialog.Combo_tabwidth->setEditText(QStringLiteral("2"));
        dialog.Button_okClick();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(main.Color(), 0x00FFFFu);
        EXPECT_EQ(main.TabCount(), 2);
        EXPECT_EQ(main.Column(), 40);
        closeApp(windows);
    }
}

TEST_F(OptionDialog, AFailedWriteLeavesTheWorkAppliedAndSaysSoOnce) {
    const std::filesystem::path unwritable = dir_.file("missing") / "lumarik.ini";
    app::ApplicationWindows windows = startApp(unwritable);
    Tform_option& dialog = openOptionDialog(windows);
    dialog.check_number->setChecked(false);
    dialog.column->setValue(50);
    dialog.Button_okClick();
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text,
              QString::fromStdString(unwritable.string()) + QStringLiteral(" に書き込めません"));
    EXPECT_FALSE(dialog.isVisible());
    const TVelEdit& main = *windows.FormEditor->RichEdit1;
    EXPECT_FALSE(main.ShowLineNumber());
    EXPECT_EQ(main.GutterWidth, 0);
    EXPECT_EQ(main.Column(), 50);
    recorder_.shown.clear();
    closeApp(windows);
}

TEST_F(OptionDialog, FontDialogConfirmedCopiesTheFontAndCancelledStillResetsThePreview) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    TVelEdit& preview = *dialog.richEdit1;
    const TEditFont original = preview.Font();
    const int fontHeight = preview.FontHeight;

    TEditFont offered;
    dialog.FontDialog1 = [&offered](const TEditFont& font) {
        offered = font;
        return std::optional<TEditFont>();
    };
    preview.MoveCaretTo(2, 1, 0);
    dialog.Button_fontClick();
    EXPECT_EQ(offered, original);
    EXPECT_EQ(preview.Font(), original);
    EXPECT_EQ(preview.CaretLine, 0);
    EXPECT_EQ(preview.Text(), Tform_option::SampleText());

    TEditFont chosen{"FixedSys", -30, 0x0000FF, true, true, false};
    dialog.FontDialog1 = [&chosen](const TEditFont&) { return std::optional<TEditFont>(chosen); };
    dialog.Button_fontClick();
    EXPECT_EQ(preview.Font(), chosen);
    EXPECT_GT(preview.FontHeight, fontHeight);

    dialog.Button_okClick();
    const TEditFont& main = windows.FormEditor->RichEdit1->Font();
    EXPECT_EQ(main.Name, "FixedSys");
    EXPECT_EQ(main.Height, -30);
    EXPECT_EQ(main.Color, 0x0000FFu);
    EXPECT_TRUE(main.Bold && main.Italic);
    // The main editor keeps its own pitch.
    EXPECT_TRUE(main.FixedPitch);
    EXPECT_EQ(windows.FormEditor->RichEdit1->FontHeight, preview.FontHeight);
    closeApp(windows);
}

TEST_F(OptionDialog, CancelledColourDialogsChangeNothing) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    TVelEdit& preview = *dialog.richEdit1;
    preview.MoveCaretTo(1, 1, 0);
    const QImage before = previewImage(dialog);
    for (const auto& click : std::vector<std::function<void()>>{
             [&] { dialog.Button_colorClick(); }, [&] { dialog.Button_urlClick(); },
             [&] { dialog.Button_ulinecolorClick(); }, [&] { dialog.image_mark_colorClick(); }}) {
        click();
    }
    EXPECT_EQ(preview.CaretLine, 1);
    EXPECT_EQ(describeDifference(before, previewImage(dialog)), "");
    closeApp(windows);
}

TEST_F(OptionDialog, SampleTextShowsEveryKindOfText) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    const TVelEdit& preview = *dialog.richEdit1;
    const QImage image = previewImage(dialog);
    const std::string sample = Tform_option::SampleText();
    EXPECT_NE(sample.find("\x81\x40"), std::string::npos);
    ASSERT_GE(preview.VisibleLines, 4);
    const auto row = [&](int line) {
        return QRect(0, preview.TopMargin() + line * preview.LinePitch, image.width(),
                     preview.LinePitch);
    };
    // Plain text with its marks, a web and a mail link in the link colour, then the
    // quoted line in the quote colour.
    EXPECT_GT(countPixels(image, row(0), qColor(preview.Font().Color)), 0);
    EXPECT_GT(countPixels(image, row(0), qColor(preview.CREOFcolor())), 0);
    EXPECT_GT(countPixels(image, row(1), qColor(preview.URLColor())), 0);
    EXPECT_GT(countPixels(image, row(2), qColor(preview.URLColor())), 0);
    EXPECT_EQ(countPixels(image, row(3), qColor(preview.URLColor())), 0);
    EXPECT_GT(countPixels(image, row(3), qColor(preview.InyoColor())), 0);
    closeApp(windows);
}

TEST_F(OptionDialog, IsAFramelessFixedWindowWithTheControlsInTheirPlaces) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(dialog.size(), QSize(366, 211));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    struct Place {
        QWidget* control;
        QRect rect;
    };
    const std::vector<Place> places = {
        {dialog.richEdit1, {12, 27, 180, 81}},    {dialog.Image_font, {198, 34, 75, 20}},
        {dialog.Image_under, {278, 34, 75, 20}},  {dialog.Image_back_color, {198, 63, 75, 20}},
        {dialog.Image_url, {278, 63, 75, 20}},    {dialog.image_mark_color, {198, 90, 75, 20}},
        {dialog.Image_OK, {296, 174, 50, 20}},    {dialog.check_sound, {16, 120, 17, 17}},
        {dialog.check_tool, {16, 140, 17, 17}},   {dialog.check_uline, {16, 160, 17, 17}},
        {dialog.check_number, {16, 182, 17, 17}}, {dialog.check_status, {120, 120, 17, 17}},
        {dialog.check_wrap, {120, 140, 17, 17}},  {dialog.check_awrap, {120, 160, 17, 17}},
        {dialog.check_mark, {120, 182, 17, 17}},  {dialog.Combo_tabwidth, {312, 108, 41, 21}},
        {dialog.column, {312, 128, 41, 21}},      {dialog.line_space, {312, 150, 41, 21}},
        {dialog.Image_back, {0, 0, 366, 211}},
    };
    for (const Place& place : places) {
        EXPECT_EQ(place.control->geometry(), place.rect)
            << place.control->objectName().toStdString();
    }
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
        EXPECT_TRUE(box->text().isEmpty());
    }
    QStringList items;
    for (int i = 0; i < dialog.Combo_tabwidth->count(); ++i) {
        items << dialog.Combo_tabwidth->itemText(i);
    }
    EXPECT_EQ(items, QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
    EXPECT_TRUE(dialog.Combo_tabwidth->isEditable());
    EXPECT_EQ(dialog.column->minimum(), 10);
    EXPECT_EQ(dialog.column->maximum(), 1000);
    EXPECT_EQ(dialog.line_space->minimum(), 0);
    EXPECT_EQ(dialog.line_space->maximum(), 100);
    closeApp(windows);
}

TEST_F(OptionDialog, NumberBoxesMoveByArrowsOnlyAndTheLineSpacingFollowsInThePreview) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    dialog.column->setFocus();
    QTest::keyClicks(dialog.column, QStringLiteral("5"));
    EXPECT_EQ(dialog.column->value(), 80);
    QTest::keyClick(dialog.column, Qt::Key_Up);
    EXPECT_EQ(dialog.column->value(), 81);
    dialog.line_space->setValue(250);
    EXPECT_EQ(dialog.line_space->value(), 100);
    EXPECT_EQ(dialog.richEdit1->LineSpace(), 100);
    EXPECT_EQ(dialog.richEdit1->LinePitch, 2 * dialog.richEdit1->FontHeight);
    closeApp(windows);
}

TEST_F(OptionDialog, CloseAndEscapeOnlyHideItAndItKeepsItsState) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    dialog.check_uline->setChecked(true);
    dialog.column->setValue(33);
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(windows.FormEditor->RichEdit1->ShowUnderLine());
    openOptionDialog(windows);
    EXPECT_TRUE(dialog.check_uline->isChecked());
    EXPECT_EQ(dialog.column->value(), 33);
    closeApp(windows);
}

TEST_F(OptionDialog, DraggingTheBackgroundMovesTheWindowButDraggingAControlDoesNot) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    const QPoint start = dialog.pos();
    const QPoint grip(250, 200);
    QTest::mousePress(&dialog, Qt::LeftButton, {}, grip);
    QTest::mouseMove(&dialog, grip + QPoint(30, 40));
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, grip);
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 40));

    const QPoint moved = dialog.pos();
    QTest::mousePress(&dialog, Qt::RightButton, {}, grip);
    QTest::mouseMove(&dialog, grip + QPoint(10, 10));
    QTest::mouseRelease(&dialog, Qt::RightButton, {}, grip + QPoint(10, 10));
    QTest::mousePress(dialog.check_sound, Qt::LeftButton);
    QTest::mouseMove(dialog.check_sound, QPoint(40, 40));
    QTest::mouseRelease(dialog.check_sound, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(dialog.pos(), moved);
    closeApp(windows);
}

TEST_F(OptionDialog, AHeldImageButtonShowsThePressedLookOfTheBackground) {
    app::ApplicationWindows windows = startApp(ini());
    Tform_option& dialog = openOptionDialog(windows);
    const QImage pressedLook = app::optionBackground(dialog.font()).toImage();
    int clicks = 0;
    dialog.FontDialog1 = [&clicks](const TEditFont&) {
        ++clicks;
        return std::optional<TEditFont>();
    };
    const QRect place = dialog.Image_font->geometry();
    const auto shown = [&] {
        return dialog.grab(place).toImage().convertToFormat(QImage::Format_RGB32);
    };
    const QImage pressed = pressedLook.copy(place).convertToFormat(QImage::Format_RGB32);
    EXPECT_NE(describeDifference(shown(), pressed), "");

    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QTest::mousePress(dialog.Image_font, button);
        EXPECT_TRUE(dialog.Image_font->isHeld());
        EXPECT_EQ(describeDifference(shown(), pressed), "");
        QTest::mouseRelease(dialog.Image_font, button);
        EXPECT_FALSE(dialog.Image_font->isHeld());
        EXPECT_NE(describeDifference(shown(), pressed), "");
    }
    // Only the left button clicks.
    EXPECT_EQ(clicks, 1);
    closeApp(windows);
}

TEST_F(OptionDialog, UndoAfterWrapAndColumnChangesBringsTheBytesBack) {
    // In a text with lone CRs and NULs, rows end there but lines do not, with word wrap
    // on and off.
    std::string rowEnds;
    for (int line = 0; line < 12; ++line) {
        rowEnds += "0123456789abcdefghij\rX0123456789";
        rowEnds += '\0';
        rowEnds += "Y\x88\x9F\x88\x9Fklmnopqrstuvwxyz0123456789\r\n";
    }
    // A file to open, or nothing for the text with lone CRs and NULs.
    std::vector<std::optional<std::filesystem::path>> files = {std::nullopt};
    const std::filesystem::path corpus = LUMARIK_CORPUS_DIR;
    if (std::filesystem::is_directory(corpus)) {
        files.emplace_back(corpus / "aozora__909_ruby_518.txt");
        files.emplace_back(corpus / "aozora__3466_ruby_7712.txt");
    }
    for (const std::optional<std::filesystem::path>& path : files) {
        SCOPED_TRACE(path ? path->filename().string() : "lone CRs and NULs");
        app::ApplicationWindows windows =
            path ? startApp(ini(), QString::fromStdString(path->string())) : startApp(ini());
        TVelEdit& main = *windows.FormEditor->RichEdit1;
        if (!path) {
            main.SetText(rowEnds);
        }
        const std::string original = main.Text();
        Tform_option& dialog = openOptionDialog(windows);

        main.MoveCaretTo(4, 3, 0);
        main.TypeText("abc");
        main.NewLine();
        dialog.check_wrap->setChecked(false);
        dialog.Button_okClick();
        EXPECT_FALSE(main.WordWrap());
        main.MoveCaretTo(0, 10, 0);
        main.DeleteChar();
        main.TypeText("\x82\xa0");

        openOptionDialog(windows);
        dialog.check_wrap->setChecked(true);
        dialog.column->setValue(40);
        dialog.Button_okClick();
        EXPECT_TRUE(main.WordWrap());
        EXPECT_EQ(main.Column(), 40);
        main.MoveCaretTo(6, 20, 0);
        main.TypeText("xyz");
        ASSERT_NE(main.Text(), original);

        while (main.CanUndo()) {
            main.Undo();
        }
        EXPECT_EQ(main.Text(), original);
        closeApp(windows);
    }
}
