#pragma once

#include <QRect>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "editor/CompositionLayout.h"
#include "editor/LinkCarryCache.h"
#include "editor/LogicalLineIndex.h"
#include "editor/MarkupRules.h"
#include "editor/MatchWindow.h"
#include "editor/RowWidthCache.h"
#include "editor/UndoList.h"
#include "editor/VelEditTypes.h"
#include "editor/Velstrings.h"
#include "editor/WheelNotches.h"
#include "editor/WrapLayout.h"
#include "platform/Canvas.h"
#include "platform/FontDesc.h"
#include "platform/WindowMessages.h"

class QInputMethodEvent;
class QMenu;
class QPainter;
class QScrollBar;
class QTimer;

namespace lumarik::editor {

// The editor control: a text of code-page bytes kept in a line store whose entries
// are the display lines, drawn pixel by pixel into the control's own canvas. Its
// implementation is split by concern: state and properties (VelEditState.cpp), layout
// and metrics (VelEditLayout.cpp), painting (VelEditPaint.cpp), links and quotes
// (VelEditLinks.cpp), caret placement (VelEditCaret.cpp), the selection's state
// (VelEditSelection.cpp), scrolling (VelEditScroll.cpp), Qt events
// (VelEditEvents.cpp), the selected look (VelEditSelectionPaint.cpp), window
// messages, focus and input method (VelEditMessages.cpp) and the input method's
// composition (VelEditComposition.cpp).
class TVelEdit : public QWidget, public platform::MessageTarget {
public:
    using NotifyEvent = std::function<void(TVelEdit&)>;
    using BoolEvent = std::function<void(TVelEdit&, bool)>;
    // c1, c2: first and last visible column; x1, x2: left and right edge of the text area.
    using TUserDrawEvent = std::function<void(TVelEdit&, int c1, int c2, int x1, int x2)>;
    // x1, x2 as above; L1, L2: first and last visible display line.
    using TUserClientDrawEvent = std::function<void(TVelEdit&, int x1, int x2, int L1, int L2)>;
    // A key-down or key-up: the key (a Qt key code) may be set to 0 to suppress it.
    using TKeyEvent = std::function<void(TVelEdit&, int& key, Qt::KeyboardModifiers shift)>;
    // A typed character as a code-page byte; set it to 0 to insert nothing.
    using TKeyPressEvent = std::function<void(TVelEdit&, char& key)>;

    explicit TVelEdit(QWidget* parent = nullptr);
    ~TVelEdit() override;

    // ---- Whole-text operations ----
    // Loads a file (any line-break style). On failure answers false and leaves text,
    // caret and history as they were.
    bool LoadFromFile(const std::filesystem::path& fileName);
    bool SaveToFile(const std::filesystem::path& fileName) const;
    void ClearAll();
    void ResetContent();
    void ResetEditState();
    void RefreshLayout();
    void Rewrap();
    void RewrapOrRedraw();
    // Replaces the text with bytes as the split rule cuts them, then resets (used for
    // previews and tests).
    void SetText(std::string_view text);
    // The text as it would be saved.
    std::string Text() const;

    const TVelStrings& Lines() const { return *Strings; }

    // ---- Layout ----
    void RewrapAll(bool wrap, bool redraw);
    // rowsBeforeEdit: the row count before the edit that changed rows firstLine ..
    // lastLine, so the repaint knows how far the rows behind them moved.
    void RewrapLines(int x, int firstLine, bool redraw, int rowsBeforeEdit, int lastLine);
    // The last row of the logical line holding `row`, looking no further than the
    // last row in view.
    int LastVisibleRowOfLine(int row) const;
    void LogicalToRow(int& col, int& line) const;
    void RowToLogical(int& col, int& line) const;
    void BuildFont();
    void UpdateMetrics();
    void UpdateGutter();
    void UpdateViewSize(int width, int height);
    void SetImeWindow(int x, int y);

    // ---- Painting ----
    void Paint();
    void RedrawAll();
    void RedrawLines(int mode, int a, int b);
    // Repaints after an edit that gave rows first .. lastChanged new bytes (row first
    // from x on) and moved the rows behind them by `moved` rows (the change of the row
    // count). Moved rows keep their pixels, shifted along; only what changed or came
    // into view is drawn.
    void RedrawEditedRows(int first, int x, int lastChanged, int moved);
    // Whether an edit of `row` may have changed the links shown on the row above it.
    bool LinksOfRowAboveMayChange(int row);
    // Where an edit at the caret begins to change the picture, taken before an edit
    // made without repainting: its row, the x from which that row changes, the row
    // count, and the bytes of the row in front when word wrap may cut that anew (it is
    // repainted only when they changed).
    struct EditStart {
        int row = 0;
        int x = 0;
        int rows = 0;
        std::optional<std::string> rowAbove;
    };
    EditStart EditStartAtCaret() const;
    // Where to start repainting a row edited from x on. Links are recognised over the
    // whole row: an edit can end or break a link that began in front of x.
    int EditedRowX(int x) const { return FColorPrintF ? 0 : x; }
    // Repaints after such an edit, which changed rows up to the end of the caret's
    // logical line.
    void RedrawAfterEdit(const EditStart& start);
    void DrawLineRange(int first, int last);
    void DrawLine(int x, int rowOffset, std::string_view text);
    // Draws a row's end mark at x, cut at the row's clip: a row scrolled off to the left
    // never paints its mark over the gutter.
    void DrawLineEndMark(int x, int y, std::string_view tail, const QRect& clip);
    void DrawMarks(const QRect& clip, int xOrigin, const std::vector<int>& tabStopsX, bool selected,
                   std::string_view text, int y);
    void ClearBelowText(int first, int last);
    void DrawGutter(int first, int last);
    void DrawCaretUnderline(int line, bool draw);
    void MoveCaretUnderline(int oldLine, int newLine);
    void ResetCanvas();
    void DrawLinks(int first, int last, const QRect* clip);
    // Draws one link, the tab-expanded slice of its row that starts at x `start` and
    // is `width` wide, underlined in URLColor.
    void DrawLinkRange(std::string_view slice, int start, int width, const QRect* clip, int line);
    // True when the row (as stored) is drawn in InyoColor: its first character is one
    // of Inyostr.
    bool IsQuoteLine(std::string_view row) const;

    // ---- Selection painting ----
    // Columns [from, to) of display line `line` (whose bytes are `text`), in the
    // selected look when `selected` or AllSelected.
    void DrawLineSegment(int line, int from, std::string_view text, bool selected, int to);
    // Every visible line, split where the selection starts and ends.
    void DrawViewWithSelection();
    // Moves the selection's end and repaints only the visible text between its old and
    // new place.
    void MoveSelectionEnd(int col, int line);
    void ClearSelection();
    // After a caret move: extends the selection (Shift, mouse selection) or clears it.
    void ExtendOrClearSelection();

    // ---- Core edits (VelEditEdits.cpp) ----
    // Removes the selected text; the caret ends at the start of the removed range.
    // Records undo kind 1 unless an undo is being replayed.
    void DeleteSelection(bool redraw);
    // Inserts text (which may hold CR LF breaks) at the caret; the caret ends after it.
    void InsertAtCaret(std::string_view text, bool redraw);
    // The complete replace command: deletes a selection, records, inserts, notifies.
    void ReplaceSelText(std::string_view text);
    // Raises OnChange, then posts WM_TVELEDIT_CHANGE to every top-level window.
    void NotifyChange(platform::WParam wParam = 0);

    // ---- Undo (VelEditUndo.cpp) ----
    // Records an edit about to happen at (col, line), a display position; col -1 is
    // the start of the selection. Answers whether the record was kept.
    bool RecordUndo(int kind, std::string_view text, int col, int line);
    void Undo();
    void ClearUndo();
    bool CanUndo() const { return !UndoRecords.Empty(); }
    // Sum of the lengths of the recorded texts.
    int64_t UndoBytes() const { return UndoRecords.Bytes(); }

    // ---- Typed input and editing keys (VelEditTyping.cpp) ----
    // Types code-page bytes at the caret, inserting or overwriting (InsMode).
    void TypeText(std::string_view s);
    void NewLine();
    void InsertTab();
    void DeleteChar();
    void DeleteCharLeft();
    void DeleteWordRight();
    void DeleteWordLeft();

    // ---- Keyboard commands and caret movement (VelEditKeys.cpp, VelEditCaretMoves.cpp) ----
    // The key-down dispatch for a Qt key code and its modifiers.
    void KeyDown(int key, Qt::KeyboardModifiers shift);
    // With CaretScrollFix, brings a caret scrolled out of view back into view.
    void CaretReshow(bool setDesired);
    void CaretRight(bool byWord);
    void CaretLeft(bool byWord);
    void NextLineStart();
    void CaretUpDown(int d);
    // Page Up (d = -1) and Page Down (d = +1).
    void PageMove(int d);
    void LineStart();
    void LineEnd();
    void TextStart();
    void TextEnd();
    void CancelHighlight();
    void ImeReconvert();

    // ---- Clipboard (VelEditClipboard.cpp) ----
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    // Answers false (after showing the error) when the clipboard refused the text.
    bool SetClipboardText(std::string_view s);

    // ---- Search and replace (VelEditSearch.cpp) ----
    // The host's matching rule, asked once per search window: Str holds the bytes still
    // to search, findchr the search text, index the display line. Set x to the 1-based
    // position of the first match in Str, 0 for none; len comes in as the length of
    // findchr and may be set to the match's length.
    using TFindEvent = std::function<void(TVelEdit&, std::string_view Str, std::string_view findchr,
                                          int index, int& x, int& len)>;
    // A hit in find mode at column x of display line y; Count hits so far in this pass.
    using TFindHitEvent =
        std::function<void(TVelEdit&, std::string_view findchr, int x, int y, int len, int Count)>;
    using TFindNoHitEvent = std::function<void(TVelEdit&, std::string_view findchr)>;
    // Before a replacement; Count replacements so far. ChangeF false skips this match,
    // kakuninF false stops the questions, AbortF ends the run.
    using TFindChangeEvent =
        std::function<void(TVelEdit&, std::string_view findchr, std::string_view Changechr, int x,
                           int y, int len, int Count, bool& ChangeF, bool& kakuninF, bool& AbortF)>;
    using TFindChangeEndEvent = std::function<void(TVelEdit&, std::string_view findchr,
                                                   std::string_view ChangeStr, int Count)>;

    // Starts a search context for a new search text.
    void SetFindText(std::string_view text);
    // One forward step from the top of the text.
    void FindFirst();
    // One step forward or backward from the caret, or from the last hit.
    void FindNext();
    void FindPrev();
    // Replaces the matches of findText in the whole text, or in the whole display lines
    // of a selection unless wholeText; with confirm each one is put to OnFindChange.
    void ReplaceAll(std::string_view findText, std::string_view changeText, bool confirm,
                    bool wholeText);
    // Paints the last hit on `color`, its text in the inverse colour.
    void ShowHitHighlight(TColor color);
    // Replaces the text from (startCol, startLine) to (endCol, endLine), display
    // positions; a start column or line below 0 keeps the anchor's. An end line below 0
    // inserts only; an end column below 0 takes the rest of the end line with its line
    // break; an end column past its line goes on over the following lines. Records
    // undo and announces the change; repaints at once when redrawNow.
    void ReplaceRange(std::string_view text, int startCol, int startLine, int endCol, int endLine,
                      bool redrawNow);
    // The caret moved: the next search starts at the caret and a hit highlight goes.
    void SearchCaretMoved();

    TFindEvent OnFind;
    TFindHitEvent OnFindHit;
    TFindNoHitEvent OnFindNoHit;
    TFindChangeEvent OnFindChange;
    TFindChangeEndEvent OnFindChangeEnd;

    // The search context: the texts, the display line being searched, the column a
    // match must start before (its length), the columns already passed, and the hits
    // (find) or replacements (replace) of this pass.
    std::string FindText, ChangeText;
    int SearchLine = 0, SearchLimit = 0, SearchConsumed = 0;
    bool SearchStarted = false, WrapPending = false;
    bool ConfirmEach = false, AbortRequested = false;
    int HitCount = 0;

    // ---- Window messages ----
    // The window procedure: the standard edit-control messages and the registered ones.
    platform::MessageResult handleMessage(platform::MessageId msg, platform::WParam wParam,
                                          platform::LParam lParam) override;
    // The ids of the registered messages, looked up at construction.
    platform::MessageId MsgChange = 0, MsgMoveCaret = 0, MsgGetCaretPos = 0, MsgSetCaretPos = 0;

    // ---- Caret placement and selection ----
    // Places the caret at a valid position near (col, line); col -1 keeps the caret
    // and only brings it into view. Mode 0 scrolls as little as possible, mode 2 shows
    // the line a fifth of a page below the top. Answers true when the view scrolled
    // (everything was repainted then).
    bool SetCaret(int col, int line, int mode, bool setDesired, bool collapse);
    // Clears any selection and places the caret, remembering its column.
    bool MoveCaretTo(int col, int line, int mode);
    // Changes TopLine and HorzOffset so that x (from the visible text origin) on a
    // display line is in view; the caller repaints. Answers whether either changed.
    bool EnsureVisible(int x, int line, int mode, int edge);
    // Moves the caret n display lines up or down, keeping its pixel x (DesiredX).
    void MoveCaretLines(int n);
    // The column nearest to x (text pixels from the line start) in a display line, and
    // that column's x in columnX.
    int ColumnFromX(std::string_view text, int x, int& columnX) const;
    void SelectAll();
    bool HasSelection() const { return SelActive || AllSelected; }
    // The selected range, start before end; the caret twice without a selection.
    bool GetSelBounds(int& startCol, int& startLine, int& endLine, int& endCol) const;
    std::string GetSelText() const;
    int64_t GetSelLength() const;
    // Selects from the anchor to the caret; positions from outside are made valid first.
    void SetSelection(int anchorCol, int anchorLine, int caretLine, int caretCol);
    // Paints (or with remove, repaints plainly) a temporary highlight of `length` bytes
    // from (col, line) in the given colours; caret and selection stay as they are.
    void DrawHighlight(int col, int line, bool remove, TColor back, TColor text, int length);

    // ---- Scrolling ----
    // The vertical scroll message (codes in ScrollCodes.h): answers the display lines
    // actually scrolled, negative upwards.
    int VertScroll(int code, int pos);
    // The horizontal scroll message: answers 0.
    int HorzScroll(int code, int pos);
    // The wheel message, delta in whole notches of 120: two line scrolls per notch.
    int MouseWheel(int delta);

    // ---- Mouse, selection by mouse and the text drag (VelEditMouse.cpp, VelEditDrag.cpp) ----
    using TMouseEvent = std::function<void(TVelEdit&, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(TVelEdit&, Qt::KeyboardModifiers shift, int x, int y)>;
    // source: the control the dragged text comes from. Drops are accepted from this
    // control only, whatever accept is set to.
    using TDragOverEvent = std::function<void(TVelEdit&, QObject* source, int x, int y,
                                              TDragState state, bool& accept)>;
    using TDragDropEvent = std::function<void(TVelEdit&, QObject* source, int x, int y)>;
    // target: the control the text was dropped on; null when the drag ended elsewhere.
    using TEndDragEvent = std::function<void(TVelEdit&, QObject* target, int x, int y)>;
    // With DragMode manual: the owner may call BeginDrag, or set CanDrag to false to
    // clear the selection.
    using TManualStartDragEvent =
        std::function<void(TVelEdit&, const std::string& SelectStr, bool& CanDrag)>;
    using TAseikeiEvent = std::function<void(TVelEdit&, bool DeleteF)>;

    // Moves the caret to the character under a client point, remembering the old caret
    // as the selection's drawn end; scrolls sideways by thirds of the text area until
    // the caret is in view. A point left of the text (beyond a few pixels) is column 0
    // with the view scrolled fully left.
    void CaretFromPoint(int x, int y);
    // Starts dragging the selected text; it ends at the next release of the left button.
    void BeginDrag();
    // One auto-scroll step, run by the control's 40 ms timer.
    void TimerTick();
    // The menu the right button shows, not owned; null for none.
    QMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(QMenu* menu) { FPopupMenu = menu; }

    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    NotifyEvent OnClick;
    NotifyEvent OnDblclick;
    NotifyEvent OnStartDrag;
    TDragOverEvent OnDragOver;
    TDragDropEvent OnDragDrop;
    TEndDragEvent OnEndDrag;
    TManualStartDragEvent OnManualStartDrag;
    NotifyEvent OnEnter;
    NotifyEvent OnExit;
    // Published for hosts that assign it; the control never raises it.
    TAseikeiEvent OnAseikei;

    // 0 none, -1 up, 1 down, -2 left, 2 right: where the timer scrolls while the
    // pointer is held outside the text area.
    int16_t AutoScrollDirection = 0;
    // The pointer as the last move seen while selecting or dragging.
    QPoint LastPointerPoint;
    // The selection's drawn end when the drag started.
    TextPos DragOrigin;

    // ---- Caret and scroll bars ----
    void UpdateCaretPos();
    bool UpdateVertScrollBar();
    void UpdateHorzScrollBar();
    // Text width of the first col bytes of a display line after tab expansion.
    int ColumnX(int line, int col) const;
    int ExpandedWidth(std::string_view bytes) const;

    // Where the client area (the canvas) begins in the widget: inside the sunken edge
    // of BorderStyle bsSingle. Everything the canvas, the caret and the input method
    // place is in client coordinates.
    QPoint ClientOrigin() const;
    QPoint ClientPoint(const QMouseEvent& event) const;

    // ---- Properties ----
    bool CaretScrollFix() const { return FCaretScrollFix; }
    void SetCaretScrollFix(bool v) { FCaretScrollFix = v; }
    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int v);
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int v);
    int ScrollStep() const { return FScrollStep; }
    void SetScrollStep(int v) { FScrollStep = static_cast<uint8_t>(v); }
    bool CurSetMode() const { return FCurSetMode; }
    void SetCurSetMode(bool v);
    TColor SelColor() const { return FSelColor; }
    void SetSelColor(TColor v) { FSelColor = v & 0xFFFFFF; }
    TColor CREOFcolor() const { return FCREOFcolor; }
    void SetCREOFcolor(TColor v) { FCREOFcolor = v & 0xFFFFFF; }
    int TabCount() const { return FTabCount; }
    void SetTabCount(int v);
    bool ShowEOF() const { return FShowEOF; }
    void SetShowEOF(bool v) { FShowEOF = v; }
    bool ShowCR() const { return FShowCR; }
    void SetShowCR(bool v) { FShowCR = v; }
    bool ShowDblSpace() const { return FShowDblSpace; }
    void SetShowDblSpace(bool v) { FShowDblSpace = v; }
    bool ShowTAB() const { return FShowTAB; }
    void SetShowTAB(bool v) { FShowTAB = v; }
    int UndoBuf() const { return FUndoBuf; }
    void SetUndoBuf(int v) { FUndoBuf = v; }
    int LineSpace() const { return FLineSpace; }
    void SetLineSpace(int v);
    TLineSizeUnit LineSpaceUnit() const { return FLineSpaceUnit; }
    void SetLineSpaceUnit(TLineSizeUnit v);
    bool ShowUnderLine() const { return FShowUnderLine; }
    void SetShowUnderLine(bool v) { FShowUnderLine = v; }
    bool AutoIndent() const { return FAutoIndent; }
    void SetAutoIndent(bool v) { FAutoIndent = v; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    const TEditFont& Font() const { return FFont; }
    void SetFont(const TEditFont& v) { FFont = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool HorzScrollBar() const { return FHorzScrollBar; }
    void SetHorzScrollBar(bool v);
    bool VertScrollBar() const { return FVertScrollBar; }
    void SetVertScrollBar(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool AutoWrap() const { return FAutoWrap; }
    void SetAutoWrap(bool v) { FAutoWrap = v; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool v) { FWantTabs = v; }
    int Column() const { return FColumn; }
    void SetColumn(int v);
    const std::string& Inyostr() const { return FInyostr; }
    void SetInyostr(std::string v) { FInyostr = std::move(v); }
    bool ColorPrintF() const { return FColorPrintF; }
    void SetColorPrintF(bool v) { FColorPrintF = v; }
    TColor URLColor() const { return FURLColor; }
    void SetURLColor(TColor v) { FURLColor = v & 0xFFFFFF; }
    TColor InyoColor() const { return FInyoColor; }
    void SetInyoColor(TColor v) { FInyoColor = v & 0xFFFFFF; }
    TColor UlineColor() const { return FUlineColor; }
    void SetUlineColor(TColor v) { FUlineColor = v & 0xFFFFFF; }
    const std::string& Version() const { return FVersion; }
    void SetVersion(std::string v) { FVersion = std::move(v); }
    bool ShowLineNumber() const { return FShowLineNumber; }
    void SetShowLineNumber(bool v) { FShowLineNumber = v; }
    int LineNoColumn() const { return FLineNoColumn; }
    void SetLineNoColumn(int v);
    bool SingleByteMode() const { return FSingleByteMode; }
    void SetSingleByteMode(bool v) { FSingleByteMode = v; }
    TDragMode DragMode() const { return FDragMode; }
    void SetDragMode(TDragMode v) { FDragMode = v; }
    int DragCursor() const { return FDragCursor; }
    void SetDragCursor(int v) { FDragCursor = v; }

    // ---- Events ----
    NotifyEvent OnChange;
    NotifyEvent OnSelectionChange;
    BoolEvent OnChangeInsMode;
    BoolEvent OnChangeRedoMode;
    BoolEvent OnChangeModify;
    TUserDrawEvent OnUserDraw;
    TUserClientDrawEvent OnUserClientDraw;
    NotifyEvent OnPaint;
    NotifyEvent OnIMEChanging;
    NotifyEvent OnIMEChanged;
    NotifyEvent OnIMEReConvert;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUP;
    TKeyPressEvent OnKeyPress;

    // ---- Shared state of the editor's parts (hosts and tests read it) ----
    int CaretLine = 0, CaretCol = 0;
    int CaretX = 0, CaretY = 0;
    int DesiredCol = 0, DesiredX = 0, DesiredXCol = 0;
    int NotifiedCol = 0, NotifiedLine = 0, NotifiedX = 0;
    int SelAnchorLine = 0, SelAnchorCol = 0;
    int SelEndLine = 0, SelEndCol = 0;
    int SelDrawnEndLine = 0, SelDrawnEndCol = 0;
    bool SelActive = false, AllSelected = false;
    int UnderlinedLine = 0;
    bool InsMode = true;
    bool Modified = false;
    bool Undoing = false, UndoLost = false, RedoMode = false;
    UndoList UndoRecords;
    bool InKeyDown = false;
    bool NewSearch = true;
    int HitCol = 0, HitLine = 0, HitLen = 0;
    bool Composing = false;
    bool SkipNextMouseDown = false;
    bool MouseSelecting = false;
    bool Dragging = false;
    bool CaretFollows = true;
    bool InScroll = false;
    int TopLine = 0, HorzOffset = 0;
    int VisibleLines = 0, VisibleColumns = 0, PageFifth = 0, WidthFifth = 0;
    int EndMargin = 10, MaxTopLine = 0, WidestLine = 0, VertScale = 1, HorzScale = 1;
    int16_t LineScrollRun = 0;
    // Caret lines the last vertical scroll asked for, whether or not the view could
    // move: a page key moves the caret by it when the view is already at an end.
    int ScrollCaretDelta = 0;
    int TextAreaWidth = 0, TextAreaHeight = 0;
    QRect TextAreaRect, TextRowsRect;
    int TextLeft = 10, MinTextLeft = 10, GutterWidth = 0, DigitWidth = 0;
    int VertBarWidth = 0, HorzBarHeight = 0;
    int SysVertBarWidth = 0, SysHorzBarHeight = 0;
    int AvgCharWidth = 1, FontHeight = 0;
    int LinePitch = 1;
    int DblSpaceWidth = 0, DblSpaceHeight = 0, SpaceWidth = 0;
    // Stored as int: an 8-bit field would wrap for fonts of 320 pixels and more.
    int CRMarkTop = 0, CRMarkBottom = 0;
    int MaxColumns = 0;
    platform::FontDesc FontDescription;

    // The drawing surface; tests read its pixels and may swap its glyph painter.
    platform::Canvas& Canvas() { return *canvas_; }
    const platform::Canvas& Canvas() const { return *canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool event(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The parameters the word wrap needs, from the current properties and metrics.
    WrapParams CurrentWrapParams() const;
    MarkupRules CurrentMarkupRules() const;
    // Replaces the system caret with one of the current font height, when focused.
    void RecreateCaret();
    // Focus gain and loss: the system caret and the timer.
    void GainFocus();
    void LoseFocus();
    // With WantTabs, takes Tab and Shift+Tab as the control's own keys before they
    // can move the focus; answers whether the event was taken.
    bool TakeTabKey(QEvent* event);
    void StartComposition();
    void EndComposition();
    // The input method's composition (VelEditComposition.cpp): its text, clauses and
    // cursor as the event gives them.
    void ReadPreedit(const QInputMethodEvent& event);
    struct PreeditPicture;
    // The composition laid out from the composition point, inside the client area.
    PreeditPicture LayOutPreedit() const;
    // A row of the composition with its frame.
    QRect PreeditRowBox(const PreeditPicture& picture, int row) const;
    // The composition's cursor, as tall as a row of the composition.
    QRect PreeditCursorRect(const PreeditPicture& picture) const;
    // Draws the composition over the picture, never into it, in client coordinates.
    void PaintPreedit(QPainter& painter) const;
    // Everything the composition covers, in widget coordinates (empty without one).
    QRect PreeditRect() const;
    // The line-end arrow of a row whose text ends at x, in the given colour.
    void DrawLineEndArrow(int x, int y, TColor color);
    // Columns [from, to) of a display line, each piece in the look the current
    // selection gives it.
    void DrawLineWithSelection(int line, int from, int to);
    // The visible text between two positions (in either order), each piece in the
    // look the current selection gives it.
    void RedrawTextBetween(TextPos a, TextPos b);
    // y of the caret-line underline under display line `line`.
    int UnderlineY(int line) const;
    // Where the gutter rule ends (excluded): the bottom of the last visible row's glyphs.
    int GutterRuleBottom() const;
    // Runs the creation steps once the window exists (metrics, gutter, caret place).
    void EnsureCreated();
    // Plays the scroll bars' actions as scroll messages.
    void ConnectScrollBars();
    // The selected range in text order, clamped to the store; the caret twice without
    // a selection.
    std::pair<TextPos, TextPos> SelectedRange() const;
    // Anchor, end and drawn end := the caret.
    void CollapseSelectionToCaret();
    // Removes the bytes between two positions (in text order) from the store; answers
    // whether rows were removed.
    bool RemoveRange(TextPos from, TextPos to);
    // Removes exactly the bytes between two positions (in text order), records
    // nothing, and leaves the caret where they were; DeleteSelection after it has
    // taken the selected range and recorded it.
    void DeleteText(TextPos from, TextPos to, bool redraw);
    // Deletes the character at the caret (a terminator joins the next row) and
    // records it with the given kind; answers whether anything was deleted.
    bool DeleteAtCaret(UndoKind kind);
    // Records the insertion of text at the caret. One that replaces a selection deleted
    // just before is one step with that deletion, also where the caret had to step in
    // front of a lead byte the deletion paired with the bytes behind it.
    void RecordInsertion(std::string_view text, bool replacesSelection);
    // Takes back the newest undo record (and the one it pairs with).
    void ReplayNewest();
    // A logical position of an undo record as a display position.
    TextPos DisplayPosition(int col, int line) const;
    // The input method's commit string as code-page bytes for TypeText.
    void CommitInput(const QString& text);
    // The row's text measured with the canvas, one character at a time.
    TextWidthFn CharWidth() const;
    // Places the scroll bars and sizes the canvas to the client area.
    void LayoutChildren();
    // Lays out, re-wraps and repaints for a new size of the client area.
    void ClientAreaChanged();
    int ClientWidth() const;
    int ClientHeight() const;
    // The sunken edge and the corner between two shown scroll bars, which lie outside
    // the canvas.
    void PaintFrame(QPainter& painter) const;
    void InvalidateAll();
    void ShowError(const char* code) const;
    // Marks the link cache stale from a display line on (after any change of rows).
    void LinesChanged(int fromLine);
    // The bytes of display line `line` changed from column `col` on, and no row was
    // added or removed: what was measured in front of col stays valid.
    void RowEdited(int line, int col);
    // Display line `line` changed from column `col` on, and the rows behind it moved by
    // `moved` rows (rows were inserted after it, or rows after it were removed).
    void RowsSplitOrJoined(int line, int col, int moved);
    QColor ToQColor(TColor c) const;

    // Mouse and the text drag (VelEditMouse.cpp, VelEditDrag.cpp).
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at, QPoint global);
    // The move processing: extends a mouse selection or moves a drag's drop point, or
    // sets the auto-scroll direction when the point is outside the text area.
    void PointerMoved(int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint at);
    // A left press at the gutter selects the row under it, its line break included.
    void SelectGutterRow();
    // Whether a position lies in a selection that is not empty, its ends included.
    bool InsideSelection(TextPos pos) const;
    // The end of a mouse selection or drag that the focus loss cut short.
    void ReleasePointer();
    void DragMovedTo(QPoint at);
    // Ctrl switches the drag to copying while it is held; Esc cancels the drag.
    void DragKey(const QKeyEvent& event, bool press);
    void EndDrag(QPoint at, Qt::KeyboardModifiers shift);
    // Ends a drag that drops nothing: the selection and the caret return.
    void CancelDrag(QPoint at);
    void DropSelectedText(bool copy);
    void FinishDrag();
    void ShowDragCursor();

    // ---- Search engine (VelEditSearch.cpp) ----
    // A match the host reported and the window accepted: offsets in the window.
    struct SearchHit {
        std::size_t start = 0;
        std::size_t length = 0;
    };
    // One step; answers false when a replace run ends (no match left, or aborted).
    bool SearchForward(bool replaceMode);
    // hitLen: the length of the hit the context stands behind, 0 after a caret move.
    void SearchBackward(int hitLen);
    // The window of SearchLine from column `origin` on.
    void BuildSearchWindow(int origin);
    // Asks the host from SearchConsumed to the end of the rest; true with an accepted hit.
    bool AskMatcher(SearchHit& hit);
    // Whether the display line after SearchLine still belongs to the search range.
    bool NextLineInRange() const;
    // Moves on to the next display line, past what a hit across the line end took.
    void AdvanceSearchLine();
    void SearchWholeText();
    void RemoveHitHighlight();
    // Puts the caret on a hit and makes it the last hit.
    void PlaceCaretOnHit(int col, int length);
    // Replaces the hit at column col of SearchLine and resumes right behind the text put in.
    void ReplaceHit(int col, int length);
    // Redraws once after replacements made without repainting.
    void ShowQuietReplacements();

    MatchWindow searchWindow_;
    // The end of the rest of the search window (window offset).
    std::size_t searchRestEnd_ = 0;
    // Bytes of the search range from the start of SearchLine: the range survives
    // replacements that re-wrap its lines.
    int64_t searchRangeLeft_ = 0;
    // A replace run is going on. While it asks no questions, hits are not scrolled to
    // and the change message is posted once at its end; quietHitLine_ is the line of
    // the last hit so placed, -1 for none.
    bool replacing_ = false;
    int quietHitLine_ = -1;
    bool changePostOwed_ = false;

    // Properties.
    bool FCaretScrollFix = false;
    int FTopMargin = 4;
    int FLeftMargin = 10;
    uint8_t FScrollStep = 2;
    bool FCurSetMode = true;
    TColor FSelColor = clBlack;
    TColor FCREOFcolor = clTeal;
    int FTabCount = 6;
    bool FShowEOF = true, FShowCR = true, FShowDblSpace = true, FShowTAB = false;
    int FUndoBuf = 1015808;
    int FLineSpace = 10;
    TLineSizeUnit FLineSpaceUnit = TLineSizeUnit::uPercent;
    bool FShowUnderLine = false;
    bool FAutoIndent = false;
    TBorderStyle FBorderStyle = TBorderStyle::bsNone;
    TColor FColor = clWhite;
    TEditFont FFont;
    bool FReadOnly = false;
    bool FHorzScrollBar = false, FVertScrollBar = true;
    bool FWordWrap = true, FAutoWrap = false, FWantTabs = true;
    int FColumn = 72;
    std::string FInyostr = ">";
    bool FColorPrintF = true;
    TColor FURLColor = clBlue, FInyoColor = clGray, FUlineColor = clBlack;
    std::string FVersion = "TVelEdit Ver1.21";
    bool FShowLineNumber = false;
    int FLineNoColumn = 5;
    bool FSingleByteMode = false;
    TDragMode FDragMode = TDragMode::dmAutomatic;
    int FDragCursor = 1;
    QMenu* FPopupMenu = nullptr;
    // Mouse and drag state.
    bool savedScrollFix_ = false;
    int savedDragCursor_ = 1;
    bool clickPending_ = false;
    bool dragOverControl_ = false;
    QPoint pointerAt_;

    std::unique_ptr<TVelStrings> Strings;
    mutable LogicalLineIndex LineIndex;
    mutable LinkCarryCache LinkCarries;
    // Pixel positions in long rows; cleared whenever the font's metrics are measured.
    mutable RowWidthCache RowWidths{[this](std::string_view s) { return canvas_->textWidth(s); }};
    std::unique_ptr<platform::Canvas> canvas_;
    QScrollBar* VertBar = nullptr;
    QScrollBar* HorzBar = nullptr;
    QTimer* Timer = nullptr;
    QPoint imePoint_;
    QString preedit_;
    std::vector<CompositionClause> preeditClauses_;
    int preeditCursor_ = 0;
    bool preeditCursorShown_ = true;
    bool created_ = false;
    bool paintPending_ = false;
    // A re-wrap for the latest size is queued (AutoWrap follows resizing once per turn).
    bool rewrapPending_ = false;
    WheelNotches wheelNotches_;
    const std::string TabSpaces = "        ";
};

// The stored property sets of the two editors the application shows.
void ApplyMainEditorPreset(TVelEdit& edit);
void ApplyPreviewEditorPreset(TVelEdit& edit);

} // namespace lumarik::editor
