#include <gtest/gtest.h>

#include "app/AppTestSupport.h"
#include "app/FileDialogs.h"
#include "app/TitlePanel.h"
#include "components/TextDialogs.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <QWindow>

#include <deque>
#include <filesystem>

using namespace lumarik;
using namespace lumarik::test;
namespace fs = std::filesystem;

namespace {

using platform::MessageButton;

QString qpath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// A folder no file can be created in, even by the superuser.
QString unwritableFolder(const TempDir& dir) {
    const fs::path folder = dir.file("locked");
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    return platform::isWritableFolder(qpath(folder)) ? QStringLiteral("/proc") : qpath(folder);
}

class MainWindowFiles : public ::testing::Test {
protected:
    MainWindowFiles() : scoped_(recorder_), windows_(startApp(dir_.file("lumarik.ini"))) {
        form().OpenDialog1 = [this](const QString& folder) {
            openFolders_ << folder;
            return next(openAnswers_);
        };
        form().SaveDialog1 = [this](const QString& folder) {
            saveFolders_ << folder;
            return next(saveAnswers_);
        };
        form().AddRecentFile = [this](const QString& fileName) { recent_ << fileName; };
    }
    ~MainWindowFiles() override {
        form().StatusPanels[0]->clear();
        closeApp(windows_);
    }

    app::TFormEditor& form() { return *windows_.FormEditor; }
    editor::TVelEdit& edit() { return *form().RichEdit1; }
    QString mark() { return form().StatusPanels[0]->text(); }

    // New text, as the editor reports a change.
    void type(std::string_view text) {
        edit().SetText(text);
        edit().OnChange(edit());
    }

    QString openDir() const {
        return platform::ProfileReader(qpath(dir_.file("lumarik.ini")))
            .readString(u"dialog", u"opendir", QStringLiteral("(missing)"));
    }

    static QString next(std::deque<QString>& answers) {
        if (answers.empty()) {
            return {};
        }
        QString answer = answers.front();
        answers.pop_front();
        return answer;
    }

    TempDir dir_;
    platform::RecordingMessageReporter recorder_;
    platform::ScopedReporter scoped_;
    app::ApplicationWindows windows_;
    std::deque<QString> openAnswers_;
    std::deque<QString> saveAnswers_;
    QStringList openFolders_;
    QStringList saveFolders_;
    QStringList recent_;
};

TEST_F(MainWindowFiles, NewAndOpenAskBeforeDroppingChangesAndCancelKeepsTheText) {
    // Nothing changed: no question.
    form().New1Click();
    EXPECT_TRUE(recorder_.shown.empty());

    type("draft");
    recorder_.answers = {MessageButton::Cancel};
    form().New1Click();
    ASSERT_EQ(recorder_.shown.size(), 1u);
    const platform::MessageBoxRequest& question = recorder_.shown[0];
    EXPECT_EQ(question.text, QStringLiteral("Untitled.txtを保存しますか?"));
    EXPECT_EQ(question.title, QStringLiteral("確認"));
    EXPECT_EQ(question.icon, platform::MessageIcon::Question);
    EXPECT_EQ(question.choices, (std::vector<platform::MessageChoice>{
                                    {MessageButton::Yes, QStringLiteral("はい(&Y)")},
                                    {MessageButton::No, QStringLiteral("いいえ(&N)")},
                                    {MessageButton::Cancel, QStringLiteral("キャンセル")}}));
    EXPECT_EQ(edit().Text(), "draft");
    EXPECT_EQ(mark(), QStringLiteral("変更"));

    // The question comes before the dialog; Cancel shows no dialog.
    recorder_.answers = {MessageButton::Cancel};
    form().Open1Click();
    EXPECT_TRUE(openFolders_.isEmpty());
    EXPECT_EQ(edit().Text(), "draft");

    // No: the chosen file replaces the text, and everything names it.
    const QString file = qpath(dir_.write("a.txt", "from disk\r\n"));
    openAnswers_ = {file};
    recorder_.answers = {MessageButton::No};
    form().Open1Click();
    EXPECT_EQ(openFolders_.size(), 1);
    EXPECT_EQ(edit().Text(), "from disk\r\n");
    EXPECT_EQ(form().CurFile, file);
    EXPECT_EQ(form().Caption, file);
    EXPECT_EQ(mark(), QString());
    EXPECT_EQ(form().StatusPanels[2]->text(), file);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("a.txt"));
    EXPECT_EQ(platform::applicationTitle(), QStringLiteral("a.txt"));
    EXPECT_EQ(form().Panel1->Image2->toolTip(), file);
    EXPECT_EQ(recent_, QStringList{file});

    // New names the untitled document but leaves the task-bar title and the hint.
    type("changed");
    recorder_.answers = {MessageButton::No};
    form().New1Click();
    EXPECT_EQ(recorder_.shown.back().text, file + QStringLiteral("を保存しますか?"));
    EXPECT_EQ(edit().Text(), "");
    EXPECT_EQ(form().CurFile, QStringLiteral("Untitled.txt"));
    EXPECT_EQ(form().StatusPanels[2]->text(), QStringLiteral("Untitled.txt"));
    EXPECT_EQ(mark(), QString());
    EXPECT_EQ(form().windowTitle(), QStringLiteral("a.txt"));
    EXPECT_EQ(form().Panel1->Image2->toolTip(), file);
    EXPECT_EQ(readBytes(dir_.file("a.txt")), "from disk\r\n");
}

TEST_F(MainWindowFiles, YesOnAnUntitledDocumentSavesAsFirstAndGoesOnOnlyWhenSaved) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(qpath(dir_.path())));
    type("keep me");

    // Yes, then Save As cancelled: nothing is written and Open stops.
    recorder_.answers = {MessageButton::Yes};
    form().Open1Click();
    EXPECT_EQ(saveFolders_.size(), 1);
    EXPECT_TRUE(openFolders_.isEmpty());
    EXPECT_EQ(mark(), QStringLiteral("変更"));

    // Save on the untitled document with Save As cancelled writes nothing either.
    form().Save1Click();
    EXPECT_FALSE(fs::exists(dir_.file("Untitled.txt")));
    EXPECT_EQ(mark(), QStringLiteral("変更"));
    QDir::setCurrent(previous);

    // Yes, then a name: the text is saved under it, then the open dialog runs.
    const QString saved = qpath(dir_.file("kept.txt"));
    saveAnswers_ = {saved};
    recorder_.answers = {MessageButton::Yes};
    form().Open1Click();
    EXPECT_EQ(readBytes(dir_.file("kept.txt")), "keep me");
    EXPECT_EQ(form().CurFile, saved);
    EXPECT_EQ(mark(), QString());
    EXPECT_EQ(openFolders_.size(), 1);
}

TEST_F(MainWindowFiles, RemembersTheFolderOfTheLastFileWithATrailingSeparator) {
    // Nothing remembered yet: the open dialog starts in the home folder.
    form().Open1Click();
    EXPECT_EQ(openFolders_.value(0), QDir::homePath());
    EXPECT_EQ(openDir(), QStringLiteral("(missing)"));

    fs::create_directory(dir_.file("sub"));
    const QString file = qpath(dir_.write("sub/b.txt", "b"));
    const QString folder = qpath(dir_.file("sub")) + QLatin1Char('/');
    openAnswers_ = {file};
    form().Open1Click();
    EXPECT_EQ(openDir(), folder);
    form().Open1Click();
    EXPECT_EQ(openFolders_.value(2), folder);

    // A remembered folder that has gone falls back to the default: home for Open, the
    // documents folder (or home where there is none) for Save As.
    fs::remove_all(dir_.file("sub"));
    form().Open1Click();
    EXPECT_EQ(openFolders_.value(3), QDir::homePath());
    form().SaveAs1Click();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(saveFolders_.value(0), QFileInfo(documents).isDir() ? documents : QDir::homePath());

    // A Save As cancelled before any name was chosen in it keeps the remembered folder.
    // Afterwards it stores the folder of the last name chosen in it, even when
    // cancelled, and starts there next time.
    EXPECT_EQ(openDir(), folder);
    saveAnswers_ = {qpath(dir_.file("c.txt"))};
    form().SaveAs1Click();
    form().SaveAs1Click();
    EXPECT_EQ(openDir(), qpath(dir_.path()) + QLatin1Char('/'));
    EXPECT_EQ(saveFolders_.value(2), qpath(dir_.path()) + QLatin1Char('/'));
}

TEST_F(MainWindowFiles, SaveAsOverAnExistingFileAsksAndCancelWritesNothing) {
    const QString target = qpath(dir_.write("old.txt", "old bytes"));
    type("new text");
    saveAnswers_ = {target};
    recorder_.answers = {MessageButton::Cancel};
    form().SaveAs1Click();
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text, target + QStringLiteral("に上書きしますか?"));
    EXPECT_EQ(recorder_.shown[0].title, QStringLiteral("確認"));
    EXPECT_EQ(recorder_.shown[0].choices,
              (std::vector<platform::MessageChoice>{
                  {MessageButton::Yes, QStringLiteral("はい(&Y)")},
                  {MessageButton::Cancel, QStringLiteral("キャンセル")}}));
    EXPECT_EQ(readBytes(dir_.file("old.txt")), "old bytes");
    EXPECT_EQ(form().CurFile, QStringLiteral("Untitled.txt"));
    EXPECT_EQ(mark(), QStringLiteral("変更"));

    // Yes: written; the window names the file, but the recent lists and the title
    // image's hint stay as they were.
    saveAnswers_ = {target};
    recorder_.answers = {MessageButton::Yes};
    form().SaveAs1Click();
    EXPECT_EQ(readBytes(dir_.file("old.txt")), "new text");
    EXPECT_EQ(form().CurFile, target);
    EXPECT_EQ(form().StatusPanels[2]->text(), target);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("old.txt"));
    EXPECT_EQ(mark(), QString());
    EXPECT_TRUE(recent_.isEmpty());
    EXPECT_EQ(form().Panel1->Image2->toolTip(), QStringLiteral("Untitled.txt"));

    // A later Save writes to the same file without asking.
    type("newer");
    form().Save1Click();
    EXPECT_EQ(readBytes(dir_.file("old.txt")), "newer");
    EXPECT_EQ(recorder_.shown.size(), 2u);
}

TEST_F(MainWindowFiles, FailedLoadSaysSoAndChangesNothing) {
    const QString file = qpath(dir_.write("doc.txt", "document"));
    form().OpenFile(file);
    type("edited");
    recent_.clear();
    recorder_.shown.clear();

    const QString missing = qpath(dir_.file("gone.txt"));
    recorder_.answers = {MessageButton::No};
    form().FileNameKeep1Select(missing);
    openAnswers_ = {qpath(dir_.path())};
    recorder_.answers = {MessageButton::No};
    form().Open1Click();
    form().OpenFile(missing);
    // Too large to hold: refused before the text is touched (a sparse file, no disk).
    const fs::path huge = dir_.write("huge.txt", "");
    fs::resize_file(huge, std::uintmax_t{2} << 30);
    form().OpenFile(qpath(huge));

    QStringList errors;
    for (const platform::MessageBoxRequest& box : recorder_.shown) {
        if (box.icon == platform::MessageIcon::Error) {
            errors << box.text;
            EXPECT_EQ(box.title, QStringLiteral("doc.txt"));
        }
    }
    EXPECT_EQ(errors, QStringList({missing + QStringLiteral(" を開けませんでした。"),
                                   qpath(dir_.path()) + QStringLiteral(" を開けませんでした。"),
                                   missing + QStringLiteral(" を開けませんでした。"),
                                   qpath(huge) + QStringLiteral(" を開けませんでした。")}));
    EXPECT_EQ(edit().Text(), "edited");
    EXPECT_EQ(form().CurFile, file);
    EXPECT_EQ(form().StatusPanels[2]->text(), file);
    EXPECT_EQ(mark(), QStringLiteral("変更"));
    EXPECT_EQ(form().windowTitle(), QStringLiteral("doc.txt"));
    EXPECT_EQ(form().Panel1->Image2->toolTip(), file);
    EXPECT_TRUE(recent_.isEmpty());
}

TEST_F(MainWindowFiles, FailedSaveSaysSoKeepsTheMarkAndTheOldFile) {
    const fs::path locked = dir_.write("locked.txt", "on disk\r\n");
    fs::permissions(locked, fs::perms::owner_read);
    form().OpenFile(qpath(locked));
    type("unsaved");

    form().Save1Click();
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text, qpath(locked) + QStringLiteral(" に保存できませんでした。"));
    EXPECT_EQ(recorder_.shown[0].icon, platform::MessageIcon::Error);
    EXPECT_EQ(readBytes(locked), "on disk\r\n");
    EXPECT_EQ(mark(), QStringLiteral("変更"));

    // Yes to the save question with a failing save: New does not go on.
    recorder_.answers = {MessageButton::Yes};
    form().New1Click();
    EXPECT_EQ(edit().Text(), "unsaved");
    EXPECT_EQ(form().CurFile, qpath(locked));

    // Save As into a folder that takes no file: the window keeps its old name.
    const QString target = unwritableFolder(dir_) + QStringLiteral("/new.txt");
    saveAnswers_ = {target};
    recorder_.shown.clear();
    form().SaveAs1Click();
    ASSERT_FALSE(recorder_.shown.empty());
    EXPECT_EQ(recorder_.shown.back().text, target + QStringLiteral(" に保存できませんでした。"));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(form().CurFile, qpath(locked));
    EXPECT_EQ(form().StatusPanels[2]->text(), qpath(locked));
    EXPECT_EQ(form().windowTitle(), QStringLiteral("locked.txt"));
    EXPECT_EQ(mark(), QStringLiteral("変更"));

    // Closing asks too; Cancel keeps the window and the text.
    recorder_.answers = {MessageButton::Cancel};
    EXPECT_FALSE(form().close());
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(edit().Text(), "unsaved");
}

TEST_F(MainWindowFiles, ClosingWithChangesSavesOnYesAndDropsThemOnNo) {
    const fs::path file = dir_.write("doc.txt", "on disk");
    form().OpenFile(qpath(file));
    type("saved at close");
    recorder_.answers = {MessageButton::Yes};
    EXPECT_TRUE(form().close());
    EXPECT_FALSE(form().isVisible());
    ASSERT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(recorder_.shown[0].text, qpath(file) + QStringLiteral("を保存しますか?"));
    EXPECT_EQ(readBytes(file), "saved at close");

    // No: the window closes and the file keeps what it held.
    app::ApplicationWindows second = startApp(dir_.file("second.ini"));
    second.FormEditor->OpenFile(qpath(file));
    second.FormEditor->RichEdit1->SetText("never saved");
    second.FormEditor->RichEdit1->OnChange(*second.FormEditor->RichEdit1);
    recorder_.answers = {MessageButton::No};
    EXPECT_TRUE(second.FormEditor->close());
    EXPECT_FALSE(second.FormEditor->isVisible());
    EXPECT_EQ(recorder_.shown.size(), 2u);
    EXPECT_EQ(readBytes(file), "saved at close");
}

// Drags the URLs over the editor and drops them there, as the desktop does; answers
// whether the window took the drag.
bool dropOnEditor(app::TFormEditor& form, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QWindow* window = form.windowHandle();
    const QPoint at = form.RichEdit1->mapTo(&form, form.RichEdit1->rect().center());
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(window, &leave);
        return false;
    }
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    QCoreApplication::processEvents();
    return drop.isAccepted();
}

TEST_F(MainWindowFiles, DropOpensTheFirstLocalFileOnly) {
    const QString first = qpath(dir_.write("first.txt", "first"));
    const QString second = qpath(dir_.write("second.txt", "second"));

    EXPECT_TRUE(dropOnEditor(form(), {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
    EXPECT_EQ(edit().Text(), "first");
    EXPECT_EQ(form().CurFile, first);
    EXPECT_EQ(form().windowTitle(), QStringLiteral("first.txt"));
    EXPECT_EQ(recent_, QStringList{first});

    // A folder, a web address or a folder before a file: the drop is refused.
    EXPECT_FALSE(dropOnEditor(form(), {QUrl::fromLocalFile(qpath(dir_.path()))}));
    EXPECT_FALSE(dropOnEditor(form(), {QUrl(QStringLiteral("https://example.com/a.txt"))}));
    EXPECT_FALSE(dropOnEditor(
        form(), {QUrl::fromLocalFile(qpath(dir_.path())), QUrl::fromLocalFile(second)}));
    EXPECT_EQ(form().CurFile, first);

    // Cancel to the save question leaves the document as it was.
    type("edited");
    recorder_.answers = {MessageButton::Cancel};
    EXPECT_TRUE(dropOnEditor(form(), {QUrl::fromLocalFile(second)}));
    EXPECT_EQ(recorder_.shown.size(), 1u);
    EXPECT_EQ(edit().Text(), "edited");
    EXPECT_EQ(form().CurFile, first);
    EXPECT_EQ(mark(), QStringLiteral("変更"));
}

// CR LF files come back byte for byte; LF files come back with CR LF.
TEST_F(MainWindowFiles, RealShiftJisFilesRoundTripThroughOpenAndSave) {
    const fs::path corpus = LUMARIK_CORPUS_DIR;
    if (!fs::is_directory(corpus)) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    struct Case {
        const char* name;
        bool crlf;
    };
    for (const Case& c :
         {Case{"aozora__909_ruby_518.txt", true}, Case{"aozora__1317_ruby_22263.txt", true},
          Case{"ffftp__FFFTP-1.98.txt", true}, Case{"chardet___ude_4.txt", false},
          Case{"vim__menu_japanese_japan.932.vim", false}}) {
        SCOPED_TRACE(c.name);
        const std::string original = readBytes(corpus / c.name);
        const fs::path copy = dir_.write(c.name, original);
        form().OpenFile(qpath(copy));
        ASSERT_EQ(form().CurFile, qpath(copy));
        form().Save1Click();
        std::string expected;
        for (const char byte : original) {
            if (byte == '\n' && !c.crlf) {
                expected += '\r';
            }
            expected += byte;
        }
        EXPECT_TRUE(readBytes(copy) == expected);
    }
    EXPECT_TRUE(recorder_.shown.empty());
}

TEST_F(MainWindowFiles, EditKeysRunOnceWhileTheEditorHasTheFocus) {
    form().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form()));
    edit().setFocus();
    QAction* undo = form().MainMenu1->actions().at(1)->menu()->actions().at(0);
    ASSERT_EQ(undo->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    QSignalSpy undoAction(undo, &QAction::triggered);

    // Each typed character is its own undo step: a second undo would empty the text.
    QTest::keyClicks(&edit(), QStringLiteral("ab"));
    ASSERT_EQ(edit().Text(), "ab");
    QTest::keyClick(&edit(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit().Text(), "a");
    EXPECT_EQ(undoAction.count(), 0);

    // Window shortcuts that are not editing keys still work from the editor.
    recorder_.answers = {MessageButton::No};
    QTest::keyClick(&edit(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(openFolders_.size(), 1);

    // The menu commands reach the editor.
    const QList<QAction*> items = form().MainMenu1->actions().at(1)->menu()->actions();
    items.at(6)->trigger(); // SELECT ALL
    EXPECT_TRUE(edit().HasSelection());
    items.at(3)->trigger(); // COPY
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a"));
    items.at(2)->trigger(); // CUT
    EXPECT_EQ(edit().Text(), "");
    undo->trigger();
    EXPECT_EQ(edit().Text(), "a");
    items.at(4)->trigger(); // PASTE
    EXPECT_EQ(edit().Text(), "aa");
}

// The recent files a main menu's file menu lists after its own items.
QStringList recentItems(const QMenu& mainMenu) {
    QStringList captions;
    const QList<QAction*> items = mainMenu.actions().at(0)->menu()->actions();
    for (qsizetype i = 9; i < items.size(); ++i) {
        captions << (items[i]->isSeparator() ? QStringLiteral("-") : items[i]->text());
    }
    return captions;
}

QAction* recentItem(const QMenu& mainMenu, int slot) {
    return mainMenu.actions().at(0)->menu()->actions().at(9 + slot);
}

TEST(RecentFiles, BothFileMenusListOpenedFilesAcrossRunsAndReopenAsOpenDoes) {
    TempDir dir;
    platform::RecordingMessageReporter recorder;
    const platform::ScopedReporter scoped(recorder);
    const fs::path ini = dir.file("lumarik.ini");
    QStringList files;
    for (const char* name : {"one.txt", "two.txt", "R&D.txt", "four.txt", "five.txt"}) {
        files << qpath(dir.write(name, std::string("text of ") + name));
    }
    {
        app::ApplicationWindows windows = startApp(ini);
        app::TFormEditor& form = *windows.FormEditor;
        EXPECT_EQ(recentItems(*form.MainMenu1), QStringList());
        for (const QString& file : files) {
            form.OpenFile(file);
        }
        const QStringList shown = {"-", "five.txt", "four.txt", "R&&D.txt", "two.txt"};
        EXPECT_EQ(recentItems(*form.MainMenu1), shown);
        EXPECT_EQ(recentItems(*form.MainMenu2), shown);
        closeApp(windows);
    }
    const platform::ProfileReader stored(qpath(ini));
    EXPECT_EQ(stored.readString(u"KeepFileNames", u"FileName1", {}), files[4]);
    EXPECT_EQ(stored.readString(u"KeepFileNames", u"FileName4", {}), files[1]);

    app::ApplicationWindows windows = startApp(ini);
    app::TFormEditor& form = *windows.FormEditor;
    EXPECT_EQ(recentItems(*form.MainMenu2),
              QStringList({"-", "five.txt", "four.txt", "R&&D.txt", "two.txt"}));

    // Picked with unsaved changes: the save question first, then the file as Open shows it.
    form.RichEdit1->SetText("draft");
    form.RichEdit1->OnChange(*form.RichEdit1);
    recorder.answers = {MessageButton::No};
    recentItem(*form.MainMenu2, 3)->trigger();
    ASSERT_EQ(recorder.shown.size(), 1u);
    EXPECT_EQ(recorder.shown[0].text, QStringLiteral("Untitled.txtを保存しますか?"));
    EXPECT_EQ(form.RichEdit1->Text(), "text of R&D.txt");
    EXPECT_EQ(form.CurFile, files[2]);
    EXPECT_EQ(form.StatusPanels[2]->text(), files[2]);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("R&D.txt"));
    EXPECT_EQ(form.StatusPanels[0]->text(), QString());
    const QStringList moved = {"-", "R&&D.txt", "five.txt", "four.txt", "two.txt"};
    EXPECT_EQ(recentItems(*form.MainMenu1), moved);
    EXPECT_EQ(recentItems(*form.MainMenu2), moved);

    // Gone since: said so, and nothing changes, the list included.
    fs::remove(dir.file("four.txt"));
    recentItem(*form.MainMenu1, 3)->trigger();
    ASSERT_EQ(recorder.shown.size(), 2u);
    EXPECT_EQ(recorder.shown[1].text, files[3] + QStringLiteral(" を開けませんでした。"));
    EXPECT_EQ(form.CurFile, files[2]);
    EXPECT_EQ(form.RichEdit1->Text(), "text of R&D.txt");
    EXPECT_EQ(recentItems(*form.MainMenu1), moved);
    closeApp(windows);
}

TEST(FileDialogs, AreWidgetBasedAndOnlyOurOverwriteQuestionIsAsked) {
    const auto open = app::createOpenDialog(nullptr, QDir::homePath());
    EXPECT_TRUE(open->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
    EXPECT_TRUE(open->Preview());
    EXPECT_EQ(open->Filter(), app::kTextFileFilter);

    const auto save = app::createSaveDialog(nullptr, QDir::homePath());
    EXPECT_TRUE(save->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(save->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save->defaultSuffix(), QStringLiteral("txt"));
    // Text files picked again bring the default extension back.
    auto* types = save->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(types->itemText(1), QStringLiteral("全てのファイル(*.*)"));
    save->setDefaultSuffix({});
    types->setCurrentIndex(0);
    emit types->textActivated(types->itemText(0));
    EXPECT_EQ(save->defaultSuffix(), QStringLiteral("txt"));
}

} // namespace
