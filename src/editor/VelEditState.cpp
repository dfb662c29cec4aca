// TVelEdit: construction, properties and the operations that replace the whole text.
#include "editor/VelEdit.h"

#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "editor/EditControlMessages.h"
#include "platform/Cursors.h"
#include "platform/SystemMetrics.h"

namespace lumarik::editor {

namespace {
const std::string kEndOfText(2, '\0');
}

TVelEdit::TVelEdit(QWidget* parent)
    : QWidget(parent), Strings(std::make_unique<TVelStrings>()), LineIndex(*Strings),
      canvas_(std::make_unique<platform::Canvas>(
          [this](const QRect& rect) { update(rect.translated(ClientOrigin())); })) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    resize(185, 89);

    FFont.Name = "FixedSys";
    FFont.SetSize(14);

    Strings->Add(kEndOfText);

    VertBar = new QScrollBar(Qt::Vertical, this);
    HorzBar = new QScrollBar(Qt::Horizontal, this);
    VertBar->setFocusPolicy(Qt::NoFocus);
    HorzBar->setFocusPolicy(Qt::NoFocus);
    VertBar->setVisible(FVertScrollBar);
    HorzBar->setVisible(FHorzScrollBar);

    // Runs from construction on; the focus switches it off and on again.
    Timer = new QTimer(this);
    Timer->setTimerType(Qt::CoarseTimer);
    Timer->setInterval(40);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTick(); });
    Timer->start();
    // Pointer moves reach the control with no button held, too.
    setMouseTracking(true);
    platform::setCursorSlot(1, platform::loadCursorResource("DragCur1"));
    platform::setCursorSlot(2, platform::loadCursorResource("DragCur2"));

    MsgChange = platform::registerWindowMessage(messages::kChangeMessageName);
    MsgMoveCaret = platform::registerWindowMessage(messages::kMoveCaretMessageName);
    MsgGetCaretPos = platform::registerWindowMessage(messages::kGetCaretPosMessageName);
    MsgSetCaretPos = platform::registerWindowMessage(messages::kSetCaretPosMessageName);

    ResetEditState();
    // Measured now so that no layout value divides by a zero metric before the
    // window is shown.
    BuildFont();
    UpdateMetrics();
    UpdateGutter();
}

TVelEdit::~TVelEdit() = default;

void TVelEdit::ResetEditState() {
    Composing = false;
    SkipNextMouseDown = false;
    InsMode = true;
    Dragging = false;

    CaretCol = CaretLine = 0;
    SelAnchorLine = SelAnchorCol = SelEndCol = SelEndLine = 0;
    CaretX = 0;
    TopLine = HorzOffset = 0;
    SelDrawnEndLine = SelDrawnEndCol = 0;
    NotifiedLine = NotifiedCol = NotifiedX = 0;
    LineScrollRun = 0;
    DesiredX = DesiredXCol = 0;
    CaretFollows = true;
    SelActive = AllSelected = false;
    MouseSelecting = false;
    Undoing = false;

    ClearUndo();
    UndoLost = false;
    Modified = false;
    if (OnChangeModify) {
        OnChangeModify(*this, false);
    }
    if (OnChangeRedoMode) {
        RedoMode = false;
        OnChangeRedoMode(*this, false);
    }
}

void TVelEdit::LinesChanged(int fromLine) {
    LinkCarries.InvalidateFrom(fromLine);
    RowWidths.RowsChanged(fromLine);
}

void TVelEdit::RowEdited(int line, int col) {
    LinkCarries.RowEdited(line, static_cast<size_t>(std::max(col, 0)));
    // The rows behind kept their bytes and places.
    RowWidths.RowEdited(line, static_cast<size_t>(std::max(col, 0)));
}

void TVelEdit::RowsSplitOrJoined(int line, int col, int moved) {
    LinkCarries.RowEdited(line, static_cast<size_t>(std::max(col, 0)));
    RowWidths.RowsMoved(line, moved);
    RowWidths.RowEdited(line, static_cast<size_t>(std::max(col, 0)));
}

bool TVelEdit::LoadFromFile(const std::filesystem::path& fileName) {
    // The store loads into a fresh list and swaps it in only when the whole file was
    // read, so a failure leaves text, caret and history as they were. With word wrap
    // on, the lines are cut into display lines as they are read.
    const bool wrap = FWordWrap;
    const bool loaded = wrap ? LoadWrapped(*Strings, fileName, CurrentWrapParams())
                             : Strings->LoadFromFile(fileName);
    if (!loaded) {
        return false;
    }
    LinesChanged(0);
    ResetEditState();
    SetImeWindow(TextLeft, FTopMargin);
    VertBar->setValue(0);
    HorzBar->setValue(0);
    // Wrapped, the caret is placed as RewrapAll places it.
    if (wrap && SetCaret(-1, CaretLine, 0, true, false)) {
        return true;
    }
    UpdateVertScrollBar();
    RedrawAll();
    UpdateCaretPos();
    return true;
}

bool TVelEdit::SaveToFile(const std::filesystem::path& fileName) const {
    return Strings->SaveToFile(fileName);
}

void TVelEdit::ClearAll() {
    Strings->Clear();
    Strings->Add(kEndOfText);
    LinesChanged(0);
    ResetEditState();
    SetImeWindow(TextLeft, FTopMargin);
    VertBar->setValue(0);
    HorzBar->setValue(0);
    UpdateVertScrollBar();
    RedrawAll();
    UpdateCaretPos();
}

void TVelEdit::ResetContent() {
    SelActive = AllSelected = false;
    // The control starts over as a new window would: the font is built and measured
    // again, so a font or line-number change made since shows from here on.
    BuildFont();
    UpdateMetrics();
    UpdateGutter();
    UpdateViewSize(ClientWidth(), ClientHeight());
    ClearAll();
    RecreateCaret();
}

void TVelEdit::SetText(std::string_view text) {
    const bool wrap = FWordWrap;
    Strings->SetTextStr(text);
    // The last row always carries the end-of-text mark; a text that ends with a line
    // end (also a lone CR or a NUL with the byte after it) gets it as a row of its own,
    // as loading the text from a file gives it.
    const int last = Strings->Count() - 1;
    if (last < 0 || HasTerminator(Strings->Get(last))) {
        Strings->Add(kEndOfText);
    } else {
        Strings->Put(last, Strings->Get(last) + kEndOfText);
    }
    FWordWrap = false;
    LinesChanged(0);
    ResetEditState();
    if (wrap) {
        RewrapAll(true, true);
    } else {
        UpdateVertScrollBar();
        RedrawAll();
        UpdateCaretPos();
    }
}

std::string TVelEdit::Text() const {
    return Strings->GetTextStr();
}

void TVelEdit::SetTopMargin(int v) {
    FTopMargin = std::clamp(v, 0, 30);
}

void TVelEdit::SetLeftMargin(int v) {
    FLeftMargin = std::clamp(v, 0, 30);
}

void TVelEdit::SetCurSetMode(bool v) {
    EndMargin = v ? 10 : WidthFifth;
    FCurSetMode = v;
}

void TVelEdit::SetTabCount(int v) {
    FTabCount = std::clamp(v, 1, 8);
}

void TVelEdit::SetLineNoColumn(int v) {
    FLineNoColumn = std::clamp(v, 1, 5);
}

void TVelEdit::SetLineSpace(int v) {
    FLineSpace = std::clamp(v, 0, 100);
    if (FLineSpaceUnit == TLineSizeUnit::uPercent) {
        // Halves round to the even neighbour, as the classic rounding does.
        LinePitch = FontHeight + static_cast<int>(std::nearbyint(FLineSpace * FontHeight / 100.0));
    } else {
        LinePitch = FontHeight + FLineSpace;
    }
    LinePitch = std::max(LinePitch, 1);
    if (FontHeight != 0) {
        VisibleLines = TextAreaHeight / LinePitch;
        PageFifth = (VisibleLines + 4) / 5;
    }
}

void TVelEdit::SetLineSpaceUnit(TLineSizeUnit v) {
    FLineSpaceUnit = v;
    SetLineSpace(FLineSpace);
}

void TVelEdit::SetBorderStyle(TBorderStyle v) {
    if (v != FBorderStyle) {
        FBorderStyle = v;
        ClientAreaChanged();
        RecreateCaret();
        update();
    }
}

void TVelEdit::SetColor(TColor v) {
    FColor = v & 0xFFFFFF;
    RedrawAll();
}

void TVelEdit::SetHorzScrollBar(bool v) {
    if (v != FHorzScrollBar) {
        FHorzScrollBar = v;
        HorzBar->setVisible(v);
        // A bar shown or hidden changes the client area as a resize does.
        ClientAreaChanged();
        UpdateHorzScrollBar();
    }
    HorzBarHeight = v ? SysHorzBarHeight : 0;
}

void TVelEdit::SetVertScrollBar(bool v) {
    if (v != FVertScrollBar) {
        FVertScrollBar = v;
        VertBar->setVisible(v);
        // A bar shown or hidden changes the client area as a resize does.
        ClientAreaChanged();
        UpdateVertScrollBar();
    }
    VertBarWidth = v ? SysVertBarWidth : 0;
}

void TVelEdit::SetWordWrap(bool v) {
    if (v != FWordWrap) {
        RewrapAll(v, true);
    }
}

void TVelEdit::SetColumn(int v) {
    if (v == FColumn) {
        return;
    }
    FColumn = std::max(kMinWrapColumn, v);
    if (FWordWrap) {
        RewrapAll(false, false);
        RewrapAll(true, true);
    }
}

QColor TVelEdit::ToQColor(TColor c) const {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

// The stored values of the two editors. Applied before the window exists, as a
// window's stored data is, so the scroll-bar sizes stay 0 there.
void ApplyMainEditorPreset(TVelEdit& edit) {
    TEditFont font;
    font.Name = "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF";
    font.Height = 13;
    edit.SetFont(font);
    edit.SetShowTAB(true);
    edit.SetLineSpace(0);
    edit.SetBorderStyle(TBorderStyle::bsSingle);
    edit.SetHorzScrollBar(true);
    edit.SetVertScrollBar(true);
    edit.SetColumn(80);
    edit.SetUlineColor(clNavy);
    edit.SetVersion("TVelEdit Ver1.05");
    edit.SetShowLineNumber(true);
    edit.RefreshLayout();
}

void ApplyPreviewEditorPreset(TVelEdit& edit) {
    TEditFont font;
    font.Name = "FixedSys";
    font.Height = -19;
    edit.SetFont(font);
    edit.SetLineSpace(0);
    edit.SetReadOnly(true);
    edit.SetHorzScrollBar(false);
    edit.SetVertScrollBar(false);
    edit.SetVersion("TVelEdit Ver1.05");
    edit.RefreshLayout();
}

} // namespace lumarik::editor
