#include "app/MainWindow.h"

#include "app/ReplaceWindow.h"
#include "app/SearchWindow.h"
#include "app/TitlePanel.h"
#include "components/MenuBar.h"
#include "editor/VelEdit.h"
#include "editor/Velstrings.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace lumarik::app {
namespace {

const QString kUntitled = QStringLiteral("Untitled.txt");
const QString kModifiedMark = QStringLiteral("変更");
constexpr std::array<int, 3> kStatusPanelWidths = {27, 58, 300};
constexpr int kLinePanel = 1;

QFont windowFont() {
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPixelSize(12);
    return font;
}

int decimalDigits(int number) {
    int digits = 1;
    for (; number >= 10; number /= 10) {
        ++digits;
    }
    return digits;
}

QString linePanelText(int line) {
    return QStringLiteral("LINE %1").arg(line);
}

// The width the line panel needs to show the widest number of that many digits, as a
// label like it measures it, and never less than its designed width.
int linePanelWidth(const QLabel& panel, int digits) {
    const QFontMetrics metrics(panel.font());
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
        if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest)) {
            widest = QChar(digit);
        }
    }
    QLabel probe(QStringLiteral("LINE ") + QString(digits, widest));
    probe.setFont(panel.font());
    probe.setFrameStyle(panel.frameStyle());
    return std::max(kStatusPanelWidths[kLinePanel], probe.sizeHint().width());
}

} // namespace

TFormEditor::TFormEditor(MainWindowOptions options, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), options_(std::move(options)) {
    setObjectName(QStringLiteral("FormEditor"));
    setFont(windowFont());
    setGeometry(120, 120, 500, 500);
    BuildComposition();
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();
    BuildFrame();
    FormCreate();
}

TFormEditor::~TFormEditor() = default;

void TFormEditor::BuildComposition() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kFrameSide, kFrameSide, kFrameSide, kFrameBottom);
    layout->setSpacing(0);

    Panel1 = new TTitlePanel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    layout->addWidget(Panel1);
    Panel1->PanelExit->onClick = [this]() { butExitClick(); };
    Panel1->PanelShade->onClick = [this]() { butShadeClick(); };
    Panel1->PanelMin->onClick = [this]() { butMinClick(); };
    Panel1->PanelMax->onClick = [this]() { Image2DblClick(); };

    // Everything under the title, so that rolling the window up can hide it at once.
    auto* body = new QWidget(this);
    body_ = body;
    body->setObjectName(QStringLiteral("Body"));
    layout->addWidget(body, 1);
    auto* bodyLayout = new QVBoxLayout(body);
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);

    PanelMenu = new QWidget(body);
    PanelMenu->setObjectName(QStringLiteral("PanelMenu"));
    PanelMenu->setFixedHeight(kMenuPanelHeight);
    auto* menuLayout = new QVBoxLayout(PanelMenu);
    menuLayout->setContentsMargins(0, 0, 0, kMenuPanelHeight - kMenuBarHeight);
    MenuBar1 = new components::TMenuBar(PanelMenu);
    MenuBar1->setObjectName(QStringLiteral("MenuBar1"));
    MenuBar1->setFixedHeight(kMenuBarHeight);
    menuLayout->addWidget(MenuBar1);
    bodyLayout->addWidget(PanelMenu);

    StandardToolBar = new QToolBar(body);
    StandardToolBar->setObjectName(QStringLiteral("StandardToolBar"));
    StandardToolBar->setFixedHeight(kToolBarHeight);
    StandardToolBar->setIconSize(QSize(16, 16));
    StandardToolBar->setMovable(false);
    StandardToolBar->setFloatable(false);
    StandardToolBar->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(StandardToolBar);

    RichEdit1 = new editor::TVelEdit(body);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    editor::ApplyMainEditorPreset(*RichEdit1);
    RichEdit1->OnChange = [this](editor::TVelEdit&) { RichEdit1Change(); };
    BindSearchEvents();
    RichEdit1->installEventFilter(this);
    bodyLayout->addWidget(RichEdit1, 1);

    StatusBar = new QStatusBar(body);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(kStatusBarHeight);
    StatusBar->setSizeGripEnabled(false);
    // The panels may be cut off by a narrow window rather than widen it.
    StatusBar->setMinimumWidth(1);
    bodyLayout->addWidget(StatusBar);
    setFocusProxy(RichEdit1);
}

void TFormEditor::BuildStatusBar() {
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        auto* panel = new QLabel(StatusBar);
        panel->setFixedWidth(kStatusPanelWidths[i]);
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Sunken);
        StatusBar->addWidget(panel);
        StatusPanels[i] = panel;
    }
}

void TFormEditor::FormCreate() {
    StatusPanels[0]->clear();
    New1Click();
    SetTaskBarTitle(kUntitled);
    InstallFileDialogs();
    InstallRecentFiles();
    FShaded = false;
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) {
                    AppOnActivate();
                } else {
                    AppOnDeactivate();
                }
            });
    StatusPanels[kLinePanel]->setText(linePanelText(1));
    Panel1->Image2->setToolTip(kUntitled);
}

void TFormEditor::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Qt shows the window again, spontaneously, when it is restored from minimised;
    // the settings and the command-line file must be taken only once.
    if (formShown_ || event->spontaneous()) {
        return;
    }
    formShown_ = true;
    FormShow();
}

void TFormEditor::FormShow() {
    setAcceptDrops(true);
    OpenCommandLineFile();
    ReadSettings();
    RichEdit1->SetInyoColor(RichEdit1->Font().Color);
    RichEdit1->SetSelColor(editor::clBlue);
    ApplyLanguage();
    StatusPanels[0]->clear();
    // The settings may have wrapped the command-line file into more lines.
    UpdateLinePanel();
}

void TFormEditor::closeEvent(QCloseEvent* event) {
    if (closed_) {
        event->accept();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    closed_ = true;
    FormDestroy();
    event->accept();
    QCoreApplication::quit();
}

bool TFormEditor::FormCloseQuery() {
    return ConfirmSave();
}

void TFormEditor::FormDestroy() {
    WriteSettings();
}

void TFormEditor::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    p.fillRect(rect(), QColor(58, 86, 140));
    p.fillRect(rect().marginsRemoved(layout()->contentsMargins()), palette().window());
    p.setPen(QColor(140, 170, 220));
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(QColor(20, 32, 60));
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());
}

bool TFormEditor::eventFilter(QObject* watched, QEvent* event) {
    // Taken as a key press by the editor instead of running the menu command as well.
    if (watched == RichEdit1 && event->type() == QEvent::ShortcutOverride &&
        IsEditorShortcut(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    // Key down (before the editor moves the caret) and key up (after); the releases
    // that auto-repeat sends between presses are not key ups.
    const bool keyDown = event->type() == QEvent::KeyPress;
    const bool keyUp =
        event->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(event)->isAutoRepeat();
    if (watched == RichEdit1 && keyDown) {
        RichEdit1KeyDown(*static_cast<QKeyEvent*>(event));
        RichEdit1KeyPress(*static_cast<QKeyEvent*>(event));
    }
    if (watched == RichEdit1 && (keyDown || keyUp)) {
        UpdateLinePanel();
    }
    return QWidget::eventFilter(watched, event);
}

void TFormEditor::RichEdit1Change() {
    StatusPanels[0]->setText(kModifiedMark);
}

void TFormEditor::UpdateLinePanel() {
    QLabel& panel = *StatusPanels[kLinePanel];
    panel.setText(linePanelText(RichEdit1->CaretLine + 1));
    // Wide enough for the document's last line, so that the number is never cut off.
    const int lastLine = std::max(RichEdit1->Lines().Count(), RichEdit1->CaretLine + 1);
    const int digits = decimalDigits(lastLine);
    if (digits != linePanelDigits_) {
        linePanelDigits_ = digits;
        panel.setFixedWidth(linePanelWidth(panel, digits));
    }
}

void TFormEditor::ApplyLanguage() {
    const bool english = INENGLISH->isChecked();
    MenuBar1->SetMenu(english ? MainMenu1 : MainMenu2);
    activePopup_ = english ? PopupMenu1 : PopupMenu2;
    RichEdit1->SetPopupMenu(activePopup_);
}

void TFormEditor::SetToolBarShown(bool shown) {
    toolBarShown_ = shown;
    StandardToolBar->setHidden(!shown);
}

void TFormEditor::SetStatusBarShown(bool shown) {
    statusBarShown_ = shown;
    StatusBar->setHidden(!shown);
}

void TFormEditor::AppOnActivate() {
    Panel1->Image_dactive->hide();
}

void TFormEditor::AppOnDeactivate() {
    Panel1->Image_dactive->show();
}

void TFormEditor::Exit1Click() {
    close();
}

void TFormEditor::INENGLISHClick() {
    INENGLISH->setChecked(!INENGLISH->isChecked());
    ApplyLanguage();
}

namespace {

void showModeless(QWidget* window) {
    if (window != nullptr) {
        window->show();
        window->raise();
    }
}

} // namespace

void TFormEditor::Find2Click() {
    showModeless(secondary_.searchWindow);
}

void TFormEditor::Replace1Click() {
    showModeless(secondary_.replaceWindow);
}

void TFormEditor::ALLOPTION1Click() {
    showModeless(secondary_.optionDialog);
}

void TFormEditor::MenuItem7Click() {
    showModeless(secondary_.aboutBox);
}

void TFormEditor::Undo2Click() {
    RichEdit1->Undo();
}

void TFormEditor::Cut1Click() {
    RichEdit1->CutToClipboard();
}

void TFormEditor::CopyClick() {
    RichEdit1->CopyToClipboard();
}

void TFormEditor::Paste1Click() {
    RichEdit1->PasteFromClipboard();
}

void TFormEditor::SELECTALL1Click() {
    RichEdit1->SelectAll();
}

} // namespace lumarik::app
