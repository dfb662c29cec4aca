#pragma once

#include "editor/VelEdit.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace lumarik::test {

// The colour the canvas paints for an editor colour (0x00BBGGRR).
QColor qColor(editor::TColor color);

// An editor shown off screen, without scroll bars, whose characters are solid blocks:
// a single-byte character is one cell wide, a double-byte character two. Every kind
// of pixel has its own colour, and rows are 4 pixels apart so the gap under each
// row of glyphs is visible.
class BlockEditor {
public:
    static constexpr int kCellWidth = 8;
    static constexpr int kCellHeight = 16;
    static constexpr int kRowGap = 4;
    static constexpr editor::TColor kUnderlineColor = 0x0000FF;

    explicit BlockEditor(QSize size = QSize(400, 200), int cellWidth = kCellWidth,
                         int cellHeight = kCellHeight);

    editor::TVelEdit edit;

    // Replaces the text and draws the whole control.
    void showText(std::string_view text);
    // A copy of the backing image.
    QImage image() const { return edit.Canvas().image().copy(); }
    // Top of the row showing display line `line`.
    int rowTop(int line) const;
    // The glyph cells of display line `line` from byte column `first` for `count`
    // single-byte cells (the block painter's cells, unscrolled, tabs not expanded).
    QRect cells(int line, int first, int count) const;
};

// The main editor's set-up with the real font, shown off screen without scroll bars.
struct RealFontEditor {
    RealFontEditor();
    editor::TVelEdit edit;
};

// The client point of a display position: at the column's left edge, half a row down.
QPoint pointAt(const editor::TVelEdit& edit, int line, int col);

// Left-button presses, moves and releases as the pointer sends them, at client points.
void pressAt(editor::TVelEdit& edit, QPoint at, Qt::KeyboardModifiers modifiers = {});
void moveTo(editor::TVelEdit& edit, QPoint at);
void releaseAt(editor::TVelEdit& edit, QPoint at, Qt::KeyboardModifiers modifiers = {});
// Press, move and release: a drag from one point to another.
void dragFromTo(editor::TVelEdit& edit, QPoint from, QPoint to,
                Qt::KeyboardModifiers releaseModifiers = {});

// Lines "0" to "n-1", broken by CR LF, without a break after the last.
std::string numberedLines(int n);

// Gives the editor (or another widget) the keyboard focus, as a click would.
void giveFocus(QWidget& widget);

using Pos = std::pair<int, int>; // line, column
Pos caretOf(const editor::TVelEdit& edit);
// The editor's display rows, as stored.
std::vector<std::string> rowsOf(const editor::TVelEdit& edit);
// Where each character of a text starts (a CR LF is one), with the text's length last.
std::vector<size_t> charStarts(const std::string& text);
// The rows a fresh editor with the same column and word wrap makes of the text.
std::vector<std::string> freshLayout(const editor::TVelEdit& edit, const std::string& text);

// The display position of a byte offset of the text: the first row that holds it.
editor::TextPos displayOf(const editor::TVelStrings& rows, size_t offset);
// The byte offset in the text of a display position.
size_t offsetOf(const editor::TVelStrings& rows, int col, int line);

using PixelSet = std::set<std::pair<int, int>>;

// The pixels of `color` inside `rect`, as (x, y) pairs.
PixelSet pixelsOf(const QImage& image, const QRect& rect, QColor color);
int countPixels(const QImage& image, const QRect& rect, QColor color);
// True when every pixel of the rectangle has the colour (and the rectangle is not empty).
bool allPixels(const QImage& image, const QRect& rect, QColor color);
// The y of every pixel row of `rect` holding at least one pixel of `color`.
std::vector<int> rowsWith(const QImage& image, const QRect& rect, QColor color);
// The smallest rectangle holding every pixel of `rect` that is not `paper`.
QRect inkBounds(const QImage& image, const QRect& rect, QColor paper);
// Where two images of one size first differ (row by row), or nothing when they are equal.
std::optional<QPoint> firstDifference(const QImage& a, const QImage& b);
// Describes the first difference for a failure message ("" when equal).
std::string describeDifference(const QImage& a, const QImage& b);

} // namespace lumarik::test
