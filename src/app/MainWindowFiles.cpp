// The main window's file commands: New, Open, Save, Save As, files opened from the
// command line, dropped from the desktop or picked from the recent-files lists, and the
// two questions that guard them.
#include "app/MainWindow.h"

#include "app/FileDialogs.h"
#include "app/TitlePanel.h"
#include "components/FileNameKeeper.h"
#include "components/TextDialogs.h"
#include "editor/VelEdit.h"
#include "platform/MessageReporter.h"
#include "platform/ProfileFile.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include <filesystem>

namespace lumarik::app {
namespace {

using platform::MessageBoxRequest;
using platform::MessageButton;
using platform::MessageChoice;
using platform::MessageIcon;

const QString kUntitled = QStringLiteral("Untitled.txt");
const QString kDialogSection = QStringLiteral("dialog");
const QString kOpenDirKey = QStringLiteral("opendir");

// The folders the dialogs start in when none is remembered.
QString defaultOpenFolder() {
#ifdef _WIN32
    return QStringLiteral("C:\\");
#else
    return QDir::homePath();
#endif
}

QString defaultSaveFolder() {
#ifdef _WIN32
    return QStringLiteral("C:\\My Documents");
#else
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#endif
}

std::filesystem::path toPath(const QString& fileName) {
    return {QFile::encodeName(fileName).toStdString()};
}

bool isExistingFolder(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isAbsolute() && info.isDir();
}

// A full path in the platform's spelling, so that a file that happens to be called
// "Untitled.txt" is never taken for a new document.
QString fullPath(const QString& fileName) {
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

QString folderOf(const QString& fileName) {
    QString folder = QFileInfo(fileName).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    return QDir::toNativeSeparators(folder);
}

void showError(const QString& text) {
    platform::currentReporter().show({text, platform::applicationTitle(), MessageIcon::Error});
}

MessageButton ask(const QString& text, std::vector<MessageChoice> choices) {
    MessageBoxRequest request{text, QStringLiteral("確認"), MessageIcon::Question,
                              std::move(choices)};
    return platform::currentReporter().show(request);
}

const MessageChoice kYes{MessageButton::Yes, QStringLiteral("はい(&Y)")};
const MessageChoice kNo{MessageButton::No, QStringLiteral("いいえ(&N)")};
const MessageChoice kCancel{MessageButton::Cancel, QStringLiteral("キャンセル")};

// The first dropped file, when it is a local file; "" otherwise.
QString droppedFile(const QMimeData& data) {
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) {
        return {};
    }
    const QString fileName = urls.first().toLocalFile();
    return QFileInfo(fileName).isFile() ? fileName : QString();
}

} // namespace

void TFormEditor::InstallFileDialogs() {
    OpenDialog1 = [this](const QString& folder) {
        const auto dialog = createOpenDialog(this, folder);
        return dialog->Execute() ? dialog->FileName() : QString();
    };
    SaveDialog1 = [this](const QString& folder) {
        const auto dialog = createSaveDialog(this, folder);
        return runFileDialog(*dialog);
    };
}

void TFormEditor::InstallRecentFiles() {
    const auto install = [this](QMenu* fileMenu) {
        auto* keep = new components::TFileNameKeep(options_.settingsPath, this);
        keep->OnSelect = [this](const QString& fileName) { FileNameKeep1Select(fileName); };
        keep->SetParentMenu(fileMenu);
        return keep;
    };
    FileNameKeep1 = install(MainMenu1->actions().at(0)->menu());
    FileNameKeep2 = install(MainMenu2->actions().at(0)->menu());
    AddRecentFile = [this](const QString& fileName) {
        FileNameKeep1->Add(fileName);
        FileNameKeep2->Add(fileName);
    };
}

void TFormEditor::SetCurFile(const QString& fileName) {
    CurFile = fileName;
    Caption = fileName;
}

void TFormEditor::SetTaskBarTitle(const QString& fileName) {
    const QString title = QFileInfo(fileName).fileName();
    setWindowTitle(title);
    platform::setApplicationTitle(title);
}

bool TFormEditor::ConfirmSave() {
    if (StatusPanels[0]->text().isEmpty()) {
        return true;
    }
    switch (ask(CurFile + QStringLiteral("を保存しますか?"), {kYes, kNo, kCancel})) {
    case MessageButton::Yes:
        return SaveDocument();
    case MessageButton::No:
        return true;
    default:
        return false;
    }
}

bool TFormEditor::ConfirmOverWrite(const QString& fileName) {
    if (!QFileInfo::exists(fileName)) {
        return true;
    }
    return ask(fileName + QStringLiteral("に上書きしますか?"), {kYes, kCancel}) ==
           MessageButton::Yes;
}

void TFormEditor::New1Click() {
    if (!ConfirmSave()) {
        return;
    }
    RichEdit1->ClearAll();
    SetCurFile(kUntitled);
    StatusPanels[0]->clear();
    StatusPanels[2]->setText(kUntitled);
    UpdateLinePanel();
}

void TFormEditor::Open1Click() {
    const QString folder = DialogFolder(defaultOpenFolder());
    if (!ConfirmSave()) {
        return;
    }
    const QString fileName = OpenDialog1(folder);
    if (fileName.isEmpty()) {
        return;
    }
    LoadDocument(fileName);
    WriteOpenDir(fileName);
}

void TFormEditor::Save1Click() {
    SaveDocument();
}

void TFormEditor::SaveAs1Click() {
    SaveDocumentAs();
}

void TFormEditor::OpenFile(const QString& fileName) {
    LoadDocument(fileName);
}

void TFormEditor::FileNameKeep1Select(const QString& SelectFileName) {
    if (ConfirmSave()) {
        LoadDocument(SelectFileName);
    }
}

void TFormEditor::OpenCommandLineFile() {
    // A name that is no file is passed over without a word.
    if (QFileInfo(options_.commandLineFile).isFile()) {
        OpenFile(options_.commandLineFile);
    }
}

bool TFormEditor::LoadDocument(const QString& fileName) {
    const QString path = fullPath(fileName);
    // The editor swaps the new text in only once the whole file was read.
    if (!RichEdit1->LoadFromFile(toPath(path))) {
        showError(path + QStringLiteral(" を開けませんでした。"));
        return false;
    }
    RichEdit1->Modified = false;
    SetCurFile(path);
    StatusPanels[0]->clear();
    StatusPanels[2]->setText(path);
    if (AddRecentFile) {
        AddRecentFile(path);
    }
    Panel1->Image2->setToolTip(path);
    SetTaskBarTitle(path);
    UpdateLinePanel();
    return true;
}

bool TFormEditor::SaveDocument() {
    // An untitled document has no file to go to: only Save As can name one.
    if (CurFile == kUntitled) {
        return SaveDocumentAs();
    }
    if (!WriteDocument(CurFile)) {
        return false;
    }
    StatusPanels[0]->clear();
    return true;
}

bool TFormEditor::SaveDocumentAs() {
    const QString chosen = SaveDialog1(DialogFolder(defaultSaveFolder()));
    bool saved = false;
    if (!chosen.isEmpty()) {
        const QString path = fullPath(chosen);
        saveDialogFileName_ = path;
        // The window names the new file only once the text is in it.
        saved = ConfirmOverWrite(path) && WriteDocument(path);
        if (saved) {
            SetCurFile(path);
            StatusPanels[0]->clear();
            StatusPanels[2]->setText(path);
            SetTaskBarTitle(path);
        }
    }
    // Before any name was chosen there is no folder to remember: the one remembered
    // from Open stays.
    if (!saveDialogFileName_.isEmpty()) {
        WriteOpenDir(saveDialogFileName_);
    }
    return saved;
}

bool TFormEditor::WriteDocument(const QString& fileName) {
    if (RichEdit1->SaveToFile(toPath(fileName))) {
        return true;
    }
    showError(fileName + QStringLiteral(" に保存できませんでした。"));
    return false;
}

QString TFormEditor::DialogFolder(const QString& fallback) const {
    const platform::ProfileReader ini(options_.settingsPath);
    const QString folder = ini.readString(kDialogSection, kOpenDirKey, fallback);
    if (isExistingFolder(folder)) {
        return folder;
    }
    return isExistingFolder(fallback) ? fallback : QDir::homePath();
}

void TFormEditor::WriteOpenDir(const QString& fileName) {
    platform::ProfileWriteBatch ini(options_.settingsPath);
    ini.writeString(kDialogSection, kOpenDirKey, folderOf(fileName));
    platform::reportUnwritable(ini.commit());
}

void TFormEditor::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(*event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TFormEditor::dropEvent(QDropEvent* event) {
    const QString fileName = droppedFile(*event->mimeData());
    if (fileName.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The save question must not hold up the program the file was dragged from.
    QMetaObject::invokeMethod(
        this, [this, fileName]() { WMDropFiles(fileName); }, Qt::QueuedConnection);
}

void TFormEditor::WMDropFiles(const QString& fileName) {
    if (ConfirmSave()) {
        OpenFile(fileName);
    }
}

} // namespace lumarik::app
