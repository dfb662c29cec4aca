#pragma once

#include <QKeySequence>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QPrinter;
class QStatusBar;
class QToolBar;

namespace lumarik::editor {
class TVelEdit;
}
namespace lumarik::components {
class TFileNameKeep;
class TMenuBar;
class TTopMostWindow;
} // namespace lumarik::components

namespace lumarik::app {

class SizingBorder;
class TTitlePanel;
class Tform_search;
class Tform_replace;

// What the main window needs from the outside: where its settings live and the file
// named on the command line (empty: none).
struct MainWindowOptions {
    QString settingsPath;
    QString commandLineFile;
    // Where the optional sound files lie; empty: the folder "sound" beside the program.
    QString soundFolder;
};

// The windows the main window shows on command; they are created after it.
struct SecondaryWindows {
    QWidget* aboutBox = nullptr;
    QWidget* optionDialog = nullptr;
    Tform_search* searchWindow = nullptr;
    Tform_replace* replaceWindow = nullptr;
};

// The main window: a borderless window holding, top to bottom, the drawn title bar,
// the menu bar, the tool bar, the document editor and the status bar. Construction
// (MainWindow.cpp), the menu and tool-bar tables (MainWindowMenus.cpp) and the
// settings read on the first show and written on close (MainWindowSettings.cpp) are
// kept apart, and so are the file commands (MainWindowFiles.cpp), printing
// (MainWindowPrint.cpp), the web and mail addresses (MainWindowShell.cpp) and the
// drawn frame with its sounds: moving, sizing, shading, maximising, minimising,
// keeping on top (MainWindowFrame.cpp).
class TFormEditor : public QWidget {
public:
    static constexpr int kTitleHeight = 20;
    static constexpr int kMenuPanelHeight = 21;
    static constexpr int kMenuBarHeight = 20;
    static constexpr int kToolBarHeight = 25;
    static constexpr int kStatusBarHeight = 19;
    // The frame drawn around the window: 3 pixels at the left, top and right, 4 at
    // the bottom, so that a window rolled up to its title is 27 high.
    static constexpr int kFrameSide = 3;
    static constexpr int kFrameBottom = 4;
    static constexpr int kShadedHeight = kTitleHeight + kFrameSide + kFrameBottom;
    // The smallest window the settings may ask for.
    static constexpr int kMinWidth = 160;
    static constexpr int kMinHeight = 120;

    explicit TFormEditor(MainWindowOptions options, QWidget* parent = nullptr);
    ~TFormEditor() override;

    void SetSecondaryWindows(const SecondaryWindows& windows) { secondary_ = windows; }

    // ---- Components ----
    TTitlePanel* Panel1 = nullptr;
    QWidget* PanelMenu = nullptr;
    components::TMenuBar* MenuBar1 = nullptr;
    QToolBar* StandardToolBar = nullptr;
    editor::TVelEdit* RichEdit1 = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<QLabel*, 3> StatusPanels{};
    // Main menus: containers whose actions are the top-level entries.
    QMenu* MainMenu1 = nullptr;
    QMenu* MainMenu2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    // Checked: the English menus are in use.
    QAction* INENGLISH = nullptr;
    components::TTopMostWindow* AlwaysOnTop1 = nullptr;

    // ---- State ----
    QString CurFile;
    // The full path of the current file; the window has no caption bar to show it.
    QString Caption;
    bool FShaded = false;
    bool FLockToWorkArea = false;
    bool FMaximized = false;

    // A file dialog: given the folder to start in, answers the chosen path, or an empty
    // string when the user cancelled. The real dialogs unless replaced (tests do).
    using FileChooser = std::function<QString(const QString& initialFolder)>;
    FileChooser OpenDialog1;
    FileChooser SaveDialog1;
    // The recent-files lists under the English and the Japanese file menus, both
    // reporting to FileNameKeep1Select. Closing writes them with the settings.
    components::TFileNameKeep* FileNameKeep1 = nullptr;
    components::TFileNameKeep* FileNameKeep2 = nullptr;
    // Adds a file to both recent-files lists, FileNameKeep1 first; unset until those
    // lists exist.
    std::function<void(const QString& fileName)> AddRecentFile;
    // The print dialog, offering the selection only when canPrintSelection: answers
    // false when the user cancelled. The page and printer setup. Both work on the
    // shared printer; the real dialogs unless replaced (tests do).
    std::function<bool(QPrinter& printer, bool canPrintSelection)> PrintDialog1;
    std::function<void(QPrinter& printer)> PrinterSetupDialog1;
    // The work area of the window's screen, the rectangle maximising fills; a null
    // rectangle when there is none. The screen's unless replaced (tests do).
    std::function<QRect()> WorkArea;
    // The option dialog's sound box, read at each key: key sounds play while it answers
    // true. Unset, they do not.
    std::function<bool()> SoundOn;
    // The printer that printing and the printer setup share: what the user sets in
    // either lasts while the program runs.
    QPrinter& Printer();

    const QString& SettingsPath() const { return options_.settingsPath; }
    QMenu* ActivePopupMenu() const { return activePopup_; }
    bool ToolBarShown() const { return toolBarShown_; }
    bool StatusBarShown() const { return statusBarShown_; }
    void SetToolBarShown(bool shown);
    void SetStatusBarShown(bool shown);

    // ---- Handlers ----
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void PRINT1Click();
    void PRINTERSET1Click();
    void Exit1Click();
    void Undo2Click();
    void Cut1Click();
    void CopyClick();
    void Paste1Click();
    void SELECTALL1Click();
    void internetClick();
    void Find2Click();
    void Replace1Click();
    void FindNext1Click();
    void ALLOPTION1Click();
    void INENGLISHClick();
    void HomePageClick();
    void MenuItem7Click();
    void butExitClick();
    void butShadeClick();
    void butMinClick();
    void Image2DblClick();
    void imageTopClick();
    void ImageTop2Click();
    void AppOnActivate();
    void AppOnDeactivate();

    // True when the caller may go on: the document is unchanged, was saved, or the
    // user chose not to save it.
    bool ConfirmSave();
    // True when no file of that name exists or the user agreed to replace it.
    bool ConfirmOverWrite(const QString& fileName);
    // Opens a file given by path (command line, drop); on failure tells the user and
    // changes nothing.
    void OpenFile(const QString& fileName);
    // A pick from the recent-files lists.
    void FileNameKeep1Select(const QString& SelectFileName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormDestroy();
    void RichEdit1Change();
    void UpdateLinePanel();
    void SetCurFile(const QString& fileName);
    // The task-bar text: the file part of the name, also the title of message boxes.
    void SetTaskBarTitle(const QString& fileName);
    void OpenCommandLineFile();
    void InstallFileDialogs();
    void InstallRecentFiles();
    // Loads a file and shows it as the document; answers false (after telling the
    // user) when it could not be read, and then nothing changed.
    bool LoadDocument(const QString& fileName);
    // Save and Save As; each answers whether the text reached the file.
    bool SaveDocument();
    bool SaveDocumentAs();
    // Writes the text to the file; tells the user when it could not.
    bool WriteDocument(const QString& fileName);
    // The folder a file dialog starts in: the remembered one when it exists, else
    // the given default, else the platform's.
    QString DialogFolder(const QString& fallback) const;
    // Remembers the folder of a file, with a trailing separator.
    void WriteOpenDir(const QString& fileName);
    // A file dropped from the desktop (the first of the drop, a local file), taken
    // once the drop has finished.
    void WMDropFiles(const QString& fileName);
    // Ctrl+Z, X, C, V and A: the editor handles them itself while it has the focus.
    bool IsEditorShortcut(const QKeyEvent& event) const;
    void ReadSettings();
    void WriteSettings();
    void ApplyLanguage();

    // ---- Search (MainWindowSearch.cpp) ----
    // Binds the editor's search events to the handlers below.
    void BindSearchEvents();
    // The matching rule: the first occurrence of findchr in Str, byte for byte, on a
    // character boundary.
    void RichEdit1Find(editor::TVelEdit& Sender, std::string_view Str, std::string_view findchr,
                       int index, int& x, int& len);
    void RichEdit1FindHit(editor::TVelEdit& Sender, std::string_view findchr, int x, int y, int len,
                          int Count);
    void RichEdit1FindNoHit(editor::TVelEdit& Sender, std::string_view findchr);
    void RichEdit1FindChange(editor::TVelEdit& Sender, std::string_view findchr,
                             std::string_view Changechr, int x, int y, int len, int Count,
                             bool& ChangeF, bool& kakuninF, bool& AbortF);
    void RichEdit1FindChangeEnd(editor::TVelEdit& Sender, std::string_view findchr,
                                std::string_view ChangeStr, int Count);

    void BuildComposition();
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void BuildFrame();

    // Puts the window at bounds with the size limits and the visible parts that the
    // shaded and maximised states ask for; run after every change of those states.
    // A shaded or maximised window keeps the size those states fix.
    void ApplySizeConstraints(const QRect& bounds);
    // Plays a file of the sound folder when it exists.
    void PlaySound(const QString& name) const;
    void RichEdit1KeyDown(const QKeyEvent& event);
    void RichEdit1KeyPress(const QKeyEvent& event);
    // The window's bounds as the window system has them (a minimised window: its last
    // ones before), also where the toolkit's record of the place has gone stale.
    QRect CurrentBounds();
    // Bounds read from the settings made usable on the screens there are: fallback
    // for what cannot be used.
    QRect UsableBounds(int left, int top, int width, int height, const QRect& fallback) const;

    MainWindowOptions options_;
    SecondaryWindows secondary_;
    QMenu* activePopup_ = nullptr;
    bool toolBarShown_ = true;
    bool statusBarShown_ = true;
    bool formShown_ = false;
    bool closed_ = false;
    // The shortcuts of the edit commands the editor runs itself.
    std::vector<QKeySequence> editorShortcuts_;
    // The last name chosen in the save dialog since start-up.
    QString saveDialogFileName_;
    std::shared_ptr<QPrinter> printer_;
    // The number of digits the line panel's width was set for.
    int linePanelDigits_ = 1;
    QWidget* body_ = nullptr;
    SizingBorder* sizingBorder_ = nullptr;
    QRect normalBounds_;
};

} // namespace lumarik::app
