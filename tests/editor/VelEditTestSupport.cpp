#include "editor/VelEditTestSupport.h"

#include "editor/VelEditSub.h"
#include "platform/GlyphPainter.h"

#include <QCoreApplication>
#include <QTest>

#include <sstream>

namespace lumarik::test {

QColor qColor(editor::TColor color) {
    return {static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
            static_cast<int>((color >> 16) & 0xFF)};
}

BlockEditor::BlockEditor(QSize size, int cellWidth, int cellHeight) {
    edit.Canvas().setGlyphPainterFactory(platform::blockGlyphPainters(cellWidth, cellHeight));
    edit.SetVertScrollBar(false);
    edit.SetHorzScrollBar(false);
    edit.SetUlineColor(kUnderlineColor);
    edit.SetLineSpaceUnit(editor::TLineSizeUnit::uPixel);
    edit.SetLineSpace(kRowGap);
    edit.resize(size);
    edit.show();
    // Metrics now come from the block painter.
    edit.RefreshLayout();
    QCoreApplication::processEvents();
}

void BlockEditor::showText(std::string_view text) {
    edit.SetText(text);
    edit.RedrawAll();
}

RealFontEditor::RealFontEditor() {
    ApplyMainEditorPreset(edit);
    edit.SetVertScrollBar(false);
    edit.SetHorzScrollBar(false);
    edit.resize(700, 200);
    edit.show();
    edit.RefreshLayout();
}

QPoint pointAt(const editor::TVelEdit& edit, int line, int col) {
    return edit.ClientOrigin() +
           QPoint(edit.TextLeft - edit.HorzOffset + edit.ColumnX(line, col),
                  edit.TopMargin() + (line - edit.TopLine) * edit.LinePitch + edit.LinePitch / 2);
}

void pressAt(editor::TVelEdit& edit, QPoint at, Qt::KeyboardModifiers modifiers) {
    QTest::mousePress(&edit, Qt::LeftButton, modifiers, at);
}

void moveTo(editor::TVelEdit& edit, QPoint at) {
    QTest::mouseMove(&edit, at);
}

void releaseAt(editor::TVelEdit& edit, QPoint at, Qt::KeyboardModifiers modifiers) {
    QTest::mouseRelease(&edit, Qt::LeftButton, modifiers, at);
}

void dragFromTo(editor::TVelEdit& edit, QPoint from, QPoint to,
                Qt::KeyboardModifiers releaseModifiers) {
    pressAt(edit, from);
    moveTo(edit, to);
    releaseAt(edit, to, releaseModifiers);
}

std::string numberedLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) {
        text += std::to_string(i) + (i + 1 < n ? "\r\n" : "");
    }
    return text;
}

void giveFocus(QWidget& widget) {
    widget.activateWindow();
    widget.setFocus();
    QCoreApplication::processEvents();
}

Pos caretOf(const editor::TVelEdit& edit) {
    return {edit.CaretLine, edit.CaretCol};
}

std::vector<std::string> rowsOf(const editor::TVelEdit& edit) {
    std::vector<std::string> rows;
    for (int i = 0; i < edit.Lines().Count(); ++i) {
        rows.push_back(edit.Lines().Get(i));
    }
    return rows;
}

editor::TextPos displayOf(const editor::TVelStrings& rows, size_t offset) {
    int line = 0;
    while (line < rows.Count() - 1 && offset >= rows.Get(line).size()) {
        offset -= rows.Get(line).size();
        ++line;
    }
    return {static_cast<int>(offset), line};
}

std::vector<size_t> charStarts(const std::string& text) {
    std::vector<size_t> starts;
    size_t i = 0;
    while (i < text.size()) {
        starts.push_back(i);
        i +=
            text.compare(i, 2, "\r\n") == 0
                ? 2
                : static_cast<size_t>(editor::CharLengthAt(text, static_cast<long long>(i), false));
    }
    starts.push_back(text.size());
    return starts;
}

size_t offsetOf(const editor::TVelStrings& rows, int col, int line) {
    size_t offset = 0;
    for (int i = 0; i < line; ++i) {
        offset += rows.Get(i).size();
    }
    return offset + static_cast<size_t>(col);
}

std::vector<std::string> freshLayout(const editor::TVelEdit& edit, const std::string& text) {
    BlockEditor fresh;
    fresh.edit.SetColumn(edit.Column());
    fresh.edit.SetWordWrap(edit.WordWrap());
    fresh.showText(text);
    return rowsOf(fresh.edit);
}

int BlockEditor::rowTop(int line) const {
    return (line - edit.TopLine) * edit.LinePitch + edit.TopMargin();
}

QRect BlockEditor::cells(int line, int first, int count) const {
    return {edit.TextLeft - edit.HorzOffset + first * edit.AvgCharWidth, rowTop(line),
            count * edit.AvgCharWidth, edit.FontHeight};
}

PixelSet pixelsOf(const QImage& image, const QRect& rect, QColor color) {
    PixelSet pixels;
    const QRect area = rect & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color) {
                pixels.emplace(x, y);
            }
        }
    }
    return pixels;
}

int countPixels(const QImage& image, const QRect& rect, QColor color) {
    return static_cast<int>(pixelsOf(image, rect, color).size());
}

bool allPixels(const QImage& image, const QRect& rect, QColor color) {
    return !rect.isEmpty() && image.rect().contains(rect) &&
           countPixels(image, rect, color) == rect.width() * rect.height();
}

std::vector<int> rowsWith(const QImage& image, const QRect& rect, QColor color) {
    std::vector<int> rows;
    const QRect area = rect & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color) {
                rows.push_back(y);
                break;
            }
        }
    }
    return rows;
}

QRect inkBounds(const QImage& image, const QRect& rect, QColor paper) {
    QRect bounds;
    const QRect area = rect & image.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) != paper) {
                bounds |= QRect(x, y, 1, 1);
            }
        }
    }
    return bounds;
}

std::optional<QPoint> firstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return QPoint(0, 0);
    }
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return QPoint(x, y);
            }
        }
    }
    return std::nullopt;
}

std::string describeDifference(const QImage& a, const QImage& b) {
    const std::optional<QPoint> at = firstDifference(a, b);
    if (!at) {
        return {};
    }
    std::ostringstream out;
    if (a.size() != b.size()) {
        out << "sizes differ";
        return out.str();
    }
    out << "first difference at (" << at->x() << ", " << at->y()
        << "): " << a.pixelColor(*at).name().toStdString() << " vs "
        << b.pixelColor(*at).name().toStdString();
    return out.str();
}

} // namespace lumarik::test
