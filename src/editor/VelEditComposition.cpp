// The input method's composition: read from its events and drawn over the picture at
// the composition point, never into it, so the text stays as it is until the commit.

#include "editor/VelEdit.h"

#include "editor/CompositionLayout.h"
#include "platform/CodePage.h"
#include "platform/GlyphPainter.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPainter>
#include <QTextCharFormat>

#include <algorithm>
#include <string>

namespace lumarik::editor {

namespace {

// Around the characters of each row of the composition: one pixel of paper on the
// left, two on the right (room for the cursor at the end), none above; below the
// characters one pixel of paper, the underline (two pixels under the clause being
// converted), then the frame.
constexpr int kPadLeft = 1;
constexpr int kPadRight = 2;
constexpr int kUnderlineGap = 1;
constexpr int kBelowText = kUnderlineGap + 2;
constexpr int kFrame = 1;
constexpr int kCursorWidth = 2;

// Each character of the composition as it will be typed: the code page's display
// character, a "?" for a character the code page lacks, by UTF-16 unit; the second
// unit of a surrogate pair shows nothing and has no width.
struct PreeditCells {
    std::u16string chars;
    std::vector<int> advances;
};

PreeditCells CellsOf(const QString& text, const platform::GlyphPainter& glyphs) {
    const platform::CodePage& codePage = platform::CodePage::ansi();
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text.utf16()),
                                    static_cast<size_t>(text.size()));
    PreeditCells cells;
    for (size_t i = 0; i < units.size();) {
        const bool pair = QChar::isHighSurrogate(units[i]) && i + 1 < units.size() &&
                          QChar::isLowSurrogate(units[i + 1]);
        const size_t count = pair ? 2 : 1;
        const std::string bytes = codePage.fromUnicode(units.substr(i, count));
        const bool doubleByte = bytes.size() == 2;
        const auto byte = [&bytes](size_t at) { return static_cast<unsigned char>(bytes[at]); };
        const char16_t shown = doubleByte      ? codePage.doubleByteChar(byte(0), byte(1))
                               : bytes.empty() ? u'?'
                                               : codePage.singleByteChar(byte(0));
        cells.chars.push_back(shown);
        cells.advances.push_back(glyphs.advance(shown, doubleByte));
        if (pair) {
            cells.chars.push_back(0);
            cells.advances.push_back(0);
        }
        i += count;
    }
    return cells;
}

} // namespace

// The composition laid out for drawing.
struct TVelEdit::PreeditPicture {
    PreeditCells cells;
    CompositionLayout layout;

    // Left and right edge, within row `row`, of units [from, to).
    std::pair<int, int> Span(int row, int from, int to) const {
        const CompositionRow& r = layout.rows[static_cast<size_t>(row)];
        from = std::max(from, r.first);
        to = std::min(to, r.end);
        if (from >= to) {
            return {0, 0};
        }
        const auto last = static_cast<size_t>(to - 1);
        return {layout.lefts[static_cast<size_t>(from)], layout.lefts[last] + cells.advances[last]};
    }
    // The right edge of a row's characters (its left edge when it has none).
    int RowRight(int row) const {
        const CompositionRow& r = layout.rows[static_cast<size_t>(row)];
        return r.first < r.end ? Span(row, r.first, r.end).second
                               : layout.lefts[static_cast<size_t>(r.first)];
    }
};

QVariant TVelEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return !FReadOnly;
    case Qt::ImCursorRectangle:
        if (!preedit_.isEmpty()) {
            return PreeditCursorRect(LayOutPreedit()).translated(ClientOrigin());
        }
        return QRect(imePoint_ + ClientOrigin(), QSize(2, FontHeight));
    case Qt::ImFont:
        return canvas_->font();
    default:
        return QWidget::inputMethodQuery(query);
    }
}

void TVelEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QRect oldRect = PreeditRect();
    const bool wasComposing = !preedit_.isEmpty();
    const bool composing = !event->preeditString().isEmpty();
    // The result comes first, then the composition goes on after it or ends.
    CommitInput(event->commitString());
    if (!wasComposing && composing) {
        StartComposition();
    }
    ReadPreedit(*event);
    update(oldRect | PreeditRect());
    if (wasComposing && !composing) {
        EndComposition();
    }
    if (hasFocus()) {
        // The candidate window follows the composition's cursor.
        QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    }
    event->accept();
}

void TVelEdit::ReadPreedit(const QInputMethodEvent& event) {
    preedit_ = event.preeditString();
    const int length = static_cast<int>(preedit_.size());
    preeditCursor_ = length;
    preeditCursorShown_ = true;
    std::vector<CompositionFormat> formats;
    for (const QInputMethodEvent::Attribute& attribute : event.attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) {
            preeditCursor_ = std::clamp(attribute.start, 0, length);
            preeditCursorShown_ = attribute.length != 0;
        } else if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            const bool underlined =
                format.underlineStyle() != QTextCharFormat::NoUnderline || format.fontUnderline();
            const bool selected = format.background().style() != Qt::NoBrush;
            formats.push_back({attribute.start, attribute.length, underlined, selected});
        }
    }
    preeditClauses_ = SplitIntoClauses(length, formats);
}

TVelEdit::PreeditPicture TVelEdit::LayOutPreedit() const {
    PreeditPicture picture{CellsOf(preedit_, canvas_->glyphPainter()), {}};
    CompositionArea area;
    area.startX = imePoint_.x();
    area.startTop = imePoint_.y();
    area.left = std::max(TextLeft, kPadLeft + kFrame);
    area.right = ClientWidth() - kPadRight - kFrame;
    area.top = kFrame;
    area.bottom = ClientHeight() - FontHeight - kBelowText - kFrame;
    area.rowStep = FontHeight + kBelowText + kFrame;
    picture.layout = LayOutComposition(picture.cells.advances, area, preeditCursor_);
    return picture;
}

QRect TVelEdit::PreeditRect() const {
    if (preedit_.isEmpty()) {
        return {};
    }
    const PreeditPicture picture = LayOutPreedit();
    QRect bounds;
    for (int row = 0; row < static_cast<int>(picture.layout.rows.size()); ++row) {
        bounds |= PreeditRowBox(picture, row);
    }
    return bounds.translated(ClientOrigin());
}

QRect TVelEdit::PreeditRowBox(const PreeditPicture& picture, int row) const {
    const CompositionRow& r = picture.layout.rows[static_cast<size_t>(row)];
    const int left = r.first < r.end ? picture.layout.lefts[static_cast<size_t>(r.first)]
                                     : picture.layout.lefts.back();
    return {QPoint(left - kPadLeft - kFrame, r.top - kFrame),
            QPoint(picture.RowRight(row) + kPadRight + kFrame - 1,
                   r.top + FontHeight + kBelowText + kFrame - 1)};
}

QRect TVelEdit::PreeditCursorRect(const PreeditPicture& picture) const {
    const auto at = static_cast<size_t>(preeditCursor_);
    const int row = picture.layout.rowOf[at];
    // Tall enough to hold the underline, so the candidate window opens below it.
    return {picture.layout.lefts[at], picture.layout.rows[static_cast<size_t>(row)].top,
            kCursorWidth, FontHeight + kBelowText + kFrame};
}

void TVelEdit::PaintPreedit(QPainter& painter) const {
    if (preedit_.isEmpty()) {
        return;
    }
    const PreeditPicture picture = LayOutPreedit();
    const std::vector<CompositionRow>& rows = picture.layout.rows;
    const QColor paper = ToQColor(FColor);
    const QColor ink = ToQColor(FFont.Color);
    const auto rowCount = static_cast<int>(rows.size());

    // Opaque boxes in the editor's colours with one frame around all rows, so the
    // characters they cover cannot be read as part of the composition.
    for (int row = 0; row < rowCount; ++row) {
        painter.fillRect(PreeditRowBox(picture, row), paper);
    }
    for (int row = 0; row < rowCount; ++row) {
        const QRect box = PreeditRowBox(picture, row);
        painter.fillRect(box.left(), box.top(), box.width(), kFrame, ink);
        painter.fillRect(box.left(), box.bottom(), box.width(), kFrame, ink);
        painter.fillRect(box.left(), box.top(), kFrame, box.height(), ink);
        painter.fillRect(box.right(), box.top(), kFrame, box.height(), ink);
    }
    for (int row = 1; row < rowCount; ++row) {
        // Where two rows meet, the line between them is inside the outline.
        const QRect above = PreeditRowBox(picture, row - 1);
        const QRect below = PreeditRowBox(picture, row);
        const int left = std::max(above.left(), below.left()) + kFrame;
        const int right = std::min(above.right(), below.right()) - kFrame;
        if (left <= right) {
            painter.fillRect(left, below.top(), right - left + 1, kFrame, paper);
        }
    }

    const platform::GlyphPainter& glyphs = canvas_->glyphPainter();
    std::u16string chars;
    std::vector<int> lefts;
    for (const CompositionClause& clause : preeditClauses_) {
        for (int row = picture.layout.rowOf[static_cast<size_t>(clause.start)];
             row < rowCount && rows[static_cast<size_t>(row)].first < clause.end; ++row) {
            const auto [x1, x2] = picture.Span(row, clause.start, clause.end);
            if (x1 >= x2) {
                continue;
            }
            const int top = rows[static_cast<size_t>(row)].top;
            if (clause.selected) {
                // The clause being converted looks like selected text.
                painter.fillRect(x1, top, x2 - x1, FontHeight, ToQColor(FSelColor));
            }
            chars.clear();
            lefts.clear();
            const CompositionRow& r = rows[static_cast<size_t>(row)];
            for (int i = std::max(clause.start, r.first); i < std::min(clause.end, r.end); ++i) {
                if (picture.cells.advances[static_cast<size_t>(i)] > 0) {
                    chars.push_back(picture.cells.chars[static_cast<size_t>(i)]);
                    lefts.push_back(picture.layout.lefts[static_cast<size_t>(i)]);
                }
            }
            lefts.push_back(x2);
            painter.setPen(clause.selected ? ToQColor(InvertColor(FFont.Color)) : ink);
            glyphs.draw(painter, top, chars, lefts);
            if (clause.underlined) {
                // One pixel short at both ends, so that neighbouring clauses part.
                painter.fillRect(x1 + 1, top + FontHeight + kUnderlineGap, std::max(x2 - x1 - 2, 1),
                                 clause.selected ? 2 : 1, ink);
            }
        }
    }

    if (preeditCursorShown_) {
        painter.save();
        // White in difference mode inverts whatever is below, as the caret does.
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(PreeditCursorRect(picture).adjusted(0, 0, 0, -kBelowText - kFrame),
                         Qt::white);
        painter.restore();
    }
}

} // namespace lumarik::editor
