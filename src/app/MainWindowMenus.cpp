// The menus and the tool bar of the main window, built from tables.
#include "app/MainWindow.h"

#include "app/ToolGlyphs.h"
#include "components/MenuBar.h"
#include "platform/MessageReporter.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QToolBar>

#include <algorithm>
#include <exception>
#include <vector>

namespace lumarik::app {
namespace {

using Handler = void (TFormEditor::*)();

constexpr int kNoImage = -1;

struct ItemDef {
    const char* caption; // "-" for a separator
    const char* shortcut;
    int image;
    Handler handler;
};

struct MenuDef {
    const char* caption;
    int image;
    std::vector<ItemDef> items;
};

const ItemDef kSeparator{"-", "", kNoImage, nullptr};

// English main menu. The language switch item is added separately: it is checkable.
const std::vector<MenuDef> kEnglishMenu = {
    {"&FILE",
     kNoImage,
     {{"&NEW", "", GlyphNew, &TFormEditor::New1Click},
      {"&OPEN", "Ctrl+O", GlyphOpen, &TFormEditor::Open1Click},
      {"&SAVE", "Ctrl+S", GlyphSave, &TFormEditor::Save1Click},
      {"SAVE &AS", "", kNoImage, &TFormEditor::SaveAs1Click},
      kSeparator,
      {"&PRINT", "Ctrl+P", GlyphPrint, &TFormEditor::PRINT1Click},
      {"P&RINTER SETUP", "", kNoImage, &TFormEditor::PRINTERSET1Click},
      kSeparator,
      {"E&XIT", "", kNoImage, &TFormEditor::Exit1Click}}},
    {"&EDIT",
     kNoImage,
     {{"&UNDO", "Ctrl+Z", GlyphUndo, &TFormEditor::Undo2Click},
      kSeparator,
      {"CU&T", "Ctrl+X", GlyphCut, &TFormEditor::Cut1Click},
      {"&COPY", "Ctrl+C", GlyphCopy, &TFormEditor::CopyClick},
      {"&PASTE", "Ctrl+V", GlyphPaste, &TFormEditor::Paste1Click},
      kSeparator,
      {"SELECT &ALL", "Ctrl+A", kNoImage, &TFormEditor::SELECTALL1Click},
      kSeparator,
      {"MAIL/&BROWSE", "Ctrl+B", GlyphMailBrowse, &TFormEditor::internetClick}}},
    {"&SEARCH",
     kNoImage,
     {{"&FIND DIALOG", "Ctrl+F", GlyphFind, &TFormEditor::Find2Click},
      {"&REPLACE DIALOG", "Ctrl+R", GlyphReplace, &TFormEditor::Replace1Click},
      kSeparator,
      {"FIND &NEXT", "F3", kNoImage, &TFormEditor::FindNext1Click}}},
    {"&OPTION",
     kNoImage,
     {{"OPTION", "", GlyphOption, &TFormEditor::ALLOPTION1Click},
      kSeparator,
      {"日本語表示(&N)", "", kNoImage, &TFormEditor::INENGLISHClick}}},
    {"&HELP",
     kNoImage,
     {{"HOME&PAGE", "", GlyphHomePage, &TFormEditor::HomePageClick},
      {"&VERSION", "", GlyphVersion, &TFormEditor::MenuItem7Click}}},
};

const std::vector<MenuDef> kJapaneseMenu = {
    {"ファイル(&F)",
     GlyphPrint,
     {{"新規作成(&N)", "", GlyphNew, &TFormEditor::New1Click},
      {"開く(&O)", "Ctrl+O", GlyphOpen, &TFormEditor::Open1Click},
      {"上書き保存(&S)", "Ctrl+S", GlyphSave, &TFormEditor::Save1Click},
      {"名前を付けて保存(&A)", "", kNoImage, &TFormEditor::SaveAs1Click},
      kSeparator,
      {"印刷(&P)", "Ctrl+P", GlyphPrint, &TFormEditor::PRINT1Click},
      {"プリンタ設定(&R)", "", kNoImage, &TFormEditor::PRINTERSET1Click},
      kSeparator,
      {"終了(&X)", "", kNoImage, &TFormEditor::Exit1Click}}},
    {"編集(&E)",
     kNoImage,
     {{"元に戻す(&U)", "Ctrl+Z", GlyphUndo, &TFormEditor::Undo2Click},
      kSeparator,
      {"切り取り(&T)", "Ctrl+X", GlyphCut, &TFormEditor::Cut1Click},
      {"コピー(&C)", "Ctrl+C", GlyphCopy, &TFormEditor::CopyClick},
      {"貼り付け(&P)", "Ctrl+V", GlyphPaste, &TFormEditor::Paste1Click},
      kSeparator,
      {"全て選択(&A)", "Ctrl+A", kNoImage, &TFormEditor::SELECTALL1Click},
      kSeparator,
      {"メイル・ブラウズ(&B)", "Ctrl+B", GlyphMailBrowse, &TFormEditor::internetClick}}},
    {"検索(&S)",
     kNoImage,
     {{"検索語の設定(&F)", "Ctrl+F", GlyphFind, &TFormEditor::Find2Click},
      {"置換語の設定(&R)", "Ctrl+R", GlyphReplace, &TFormEditor::Replace1Click},
      kSeparator,
      // The English twin's command: a click finds the next hit, as F3 does.
      {"次を検索(&N)", "F3", kNoImage, &TFormEditor::FindNext1Click}}},
    {"オプション(&O)",
     kNoImage,
     {{"オプション", "", GlyphOption, &TFormEditor::ALLOPTION1Click},
      kSeparator,
      {"IN &ENGLISH", "", kNoImage, &TFormEditor::INENGLISHClick}}},
    {"ヘルプ(&H)",
     kNoImage,
     {{"ホームページ(&P)", "", GlyphHomePage, &TFormEditor::HomePageClick},
      {"バージョン情報(&V)", "", GlyphVersion, &TFormEditor::MenuItem7Click}}},
};

const std::vector<ItemDef> kEnglishPopup = {
    {"U&NDO", "Ctrl+Z", GlyphUndo, &TFormEditor::Undo2Click},
    kSeparator,
    {"C&UT", "Ctrl+X", GlyphCut, &TFormEditor::Cut1Click},
    {"&COPY", "Ctrl+C", GlyphCopy, &TFormEditor::CopyClick},
    {"&PASTE", "Ctrl+V", GlyphPaste, &TFormEditor::Paste1Click},
    kSeparator,
    {"MAIL/&BROWSE", "Ctrl+B", GlyphMailBrowse, &TFormEditor::internetClick},
};

const std::vector<ItemDef> kJapanesePopup = {
    {"元に戻す", "Ctrl+Z", GlyphUndo, &TFormEditor::Undo2Click},
    kSeparator,
    {"切り取り", "Ctrl+X", GlyphCut, &TFormEditor::Cut1Click},
    {"コピー", "Ctrl+C", GlyphCopy, &TFormEditor::CopyClick},
    {"貼り付け", "Ctrl+V", GlyphPaste, &TFormEditor::Paste1Click},
    kSeparator,
    {"メイル・ブラウズ(&B)", "Ctrl+B", GlyphMailBrowse, &TFormEditor::internetClick},
};

struct ToolDef {
    const char* name; // nullptr for a separator
    const char* hint;
    int image;
    Handler handler;
};

const std::vector<ToolDef> kToolButtons = {
    {"ToolButtonNew", "New", GlyphNew, &TFormEditor::New1Click},
    {"ToolButtonOpen", "Open", GlyphOpen, &TFormEditor::Open1Click},
    {"ToolButtonSave", "Save", GlyphSave, &TFormEditor::Save1Click},
    {nullptr, nullptr, kNoImage, nullptr},
    {"ToolButtonPrint", "Print", GlyphPrint, &TFormEditor::PRINT1Click},
    {nullptr, nullptr, kNoImage, nullptr},
    {"ToolButton1", "Cut", GlyphCut, &TFormEditor::Cut1Click},
    {"ToolButton2", "Copy", GlyphCopy, &TFormEditor::CopyClick},
    {"ToolButton3", "Paste", GlyphPaste, &TFormEditor::Paste1Click},
    {"ToolButton6", "Undo", GlyphUndo, &TFormEditor::Undo2Click},
    {nullptr, nullptr, kNoImage, nullptr},
    {"ToolButton7", "Mail&Browse", GlyphMailBrowse, &TFormEditor::internetClick},
};

constexpr int kToolSeparatorWidth = 8;

// An 8-pixel gap with an etched line between groups of tool buttons.
class ToolSeparator : public QWidget {
public:
    explicit ToolSeparator(QWidget* parent) : QWidget(parent) {
        setFixedWidth(kToolSeparatorWidth);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter p(this);
        const int x = width() / 2 - 1;
        p.setPen(palette().color(QPalette::Mid));
        p.drawLine(x, 3, x, height() - 4);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(x + 1, 3, x + 1, height() - 4);
    }
};

void connectHandler(TFormEditor* window, QAction* action, Handler handler) {
    QObject::connect(action, &QAction::triggered, window,
                     [window, handler]() { (window->*handler)(); });
}

// Adds the items to menu. Only the menu that owns the shortcuts registers them (with
// the window, so they work whichever menu is shown); the others show them as text.
void addItems(TFormEditor* window, QMenu* menu, const std::vector<ItemDef>& items,
              bool ownsShortcuts) {
    for (const ItemDef& item : items) {
        const QString caption = QString::fromUtf8(item.caption);
        if (caption == QLatin1String("-")) {
            menu->addSeparator();
            continue;
        }
        const QString shortcut = QString::fromUtf8(item.shortcut);
        QAction* action = menu->addAction(caption);
        action->setProperty("imageIndex", item.image);
        if (item.image != kNoImage) {
            action->setIcon(toolIcon(item.image));
        }
        if (!shortcut.isEmpty()) {
            if (ownsShortcuts) {
                action->setShortcut(QKeySequence(shortcut));
                action->setShortcutContext(Qt::WindowShortcut);
                window->addAction(action);
            } else {
                action->setText(caption + QLatin1Char('\t') + shortcut);
            }
        }
        connectHandler(window, action, item.handler);
    }
}

QMenu* buildMainMenu(TFormEditor* window, const std::vector<MenuDef>& menus, bool ownsShortcuts) {
    auto* mainMenu = new QMenu(window);
    for (const MenuDef& def : menus) {
        QMenu* sub = mainMenu->addMenu(QString::fromUtf8(def.caption));
        // Kept with the entry only: the bar shows captions, and an icon would replace it.
        sub->menuAction()->setProperty("imageIndex", def.image);
        addItems(window, sub, def.items, ownsShortcuts);
    }
    return mainMenu;
}

// The edit commands whose keys the editor's own key handling runs while it has the
// focus: the menu shows their shortcuts, but the key must run the command only once.
bool handledByEditor(Handler handler) {
    return handler == &TFormEditor::Undo2Click || handler == &TFormEditor::Cut1Click ||
           handler == &TFormEditor::CopyClick || handler == &TFormEditor::Paste1Click ||
           handler == &TFormEditor::SELECTALL1Click;
}

} // namespace

void TFormEditor::BuildMenus() {
    MainMenu1 = buildMainMenu(this, kEnglishMenu, true);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu2 = buildMainMenu(this, kJapaneseMenu, false);
    MainMenu2->setObjectName(QStringLiteral("MainMenu2"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    addItems(this, PopupMenu1, kEnglishPopup, false);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    addItems(this, PopupMenu2, kJapanesePopup, false);

    // The switch is the last item of the English "&OPTION" menu; checked means English.
    QMenu* optionMenu = MainMenu1->actions().at(3)->menu();
    INENGLISH = optionMenu->actions().constLast();
    INENGLISH->setObjectName(QStringLiteral("INENGLISH"));
    INENGLISH->setCheckable(true);
    INENGLISH->setChecked(true);
    // The action has already inverted its check when it reports the click.
    QObject::disconnect(INENGLISH, &QAction::triggered, this, nullptr);
    connect(INENGLISH, &QAction::triggered, this, [this]() { ApplyLanguage(); });

    for (const MenuDef& menu : kEnglishMenu) {
        for (const ItemDef& item : menu.items) {
            if (handledByEditor(item.handler)) {
                editorShortcuts_.emplace_back(QString::fromUtf8(item.shortcut));
            }
        }
    }
}

bool TFormEditor::IsEditorShortcut(const QKeyEvent& event) const {
    const QKeySequence pressed(event.keyCombination());
    return std::find(editorShortcuts_.begin(), editorShortcuts_.end(), pressed) !=
           editorShortcuts_.end();
}

void TFormEditor::BuildToolBar() {
    for (const ToolDef& def : kToolButtons) {
        if (def.name == nullptr) {
            StandardToolBar->addWidget(new ToolSeparator(StandardToolBar));
            continue;
        }
        const QString hint = QString::fromUtf8(def.hint);
        auto* action = new QAction(toolIcon(def.image), hint, StandardToolBar);
        action->setObjectName(QString::fromUtf8(def.name));
        action->setProperty("imageIndex", def.image);
        // Set explicitly: the text would lose its "&".
        action->setToolTip(hint);
        StandardToolBar->addAction(action);
        connectHandler(this, action, def.handler);
    }
}

} // namespace lumarik::app
