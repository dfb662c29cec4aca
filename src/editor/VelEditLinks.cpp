// TVelEdit: drawing links underlined in the link colour over the rows already drawn.
#include "editor/VelEdit.h"

#include <algorithm>

#include "editor/QuoteLine.h"

namespace lumarik::editor {

MarkupRules TVelEdit::CurrentMarkupRules() const {
    MarkupRules rules;
    rules.colorPrint = FColorPrintF;
    rules.singleByte = FSingleByteMode;
    rules.tabCount = FTabCount;
    rules.quoteChars = FInyostr;
    return rules;
}

bool TVelEdit::IsQuoteLine(std::string_view row) const {
    return IsQuoteRow(row, CurrentMarkupRules());
}

void TVelEdit::DrawLinks(int first, int last, const QRect* clip) {
    if (!FColorPrintF) {
        return;
    }
    canvas_->setBackgroundColor(ToQColor(FColor));
    first = std::max(first, TopLine);
    last = std::min({last, Strings->Count() - 1, TopLine + VisibleLines});
    const MarkupRules rules = CurrentMarkupRules();
    const int right = clip ? clip->left() + clip->width() : TextLeft + TextAreaWidth;
    const int left = TextLeft;
    const int origin = TextLeft - HorzOffset;
    for (int line = first; line <= last; ++line) {
        const std::vector<LinkRange>& links = LinkCarries.RowLinks(*Strings, line, rules);
        const std::string_view row = StripTerminator(Strings->Get(line));
        // Links come in order. Those ending in front of a measured point left of the
        // view are skipped by their byte offsets; the few between it and the view are
        // clipped away when drawn. A long row scrolled far to the right costs what is
        // visible.
        const RowCheckpoint start = RowWidths.SliceStart(line, Strings->Get(line), left - origin,
                                                         row.size(), {FTabCount, FSingleByteMode});
        const auto visible =
            std::partition_point(links.begin(), links.end(),
                                 [&](const LinkRange& link) { return link.end <= start.byte; });
        for (auto link = visible; link != links.end(); ++link) {
            const int x = origin + ColumnX(line, static_cast<int>(link->begin));
            if (x >= right) {
                break;
            }
            const std::string slice =
                ExpandTabsFrom(row.substr(link->begin, link->end - link->begin), FTabCount,
                               link->expandedBegin, FSingleByteMode);
            DrawLinkRange(slice, x, canvas_->textWidth(slice), clip, line);
        }
    }
}

void TVelEdit::DrawLinkRange(std::string_view slice, int start, int width, const QRect* clip,
                             int line) {
    const int y = (line - TopLine) * LinePitch + FTopMargin;
    int x1 = std::max(TextLeft, start);
    int x2 = start + width;
    if (clip) {
        if (clip->top() != y) {
            return;
        }
        x1 = std::max(clip->left(), x1);
        x2 = std::min(clip->left() + clip->width(), x2);
    }
    if (x2 <= x1) {
        return;
    }
    QFont font = canvas_->font();
    font.setUnderline(true);
    canvas_->setFont(font);
    canvas_->setTextColor(ToQColor(FURLColor));
    canvas_->setOpaque(true);
    canvas_->textOut(start, y, QRect(x1, y, x2 - x1, LinePitch), slice);
    font.setUnderline(false);
    canvas_->setFont(font);
}

} // namespace lumarik::editor
