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
    for (int line = first; line <= last; ++line) {
        const std::vector<LinkRange> links = LinkCarries.RowLinks(*Strings, line, rules);
        if (links.empty()) {
            continue;
        }
        const std::string expanded = ExpandTabs(StripTerminator(Strings->Get(line)), FTabCount);
        for (const LinkRange& link : links) {
            DrawLinkRange(expanded, link.expandedBegin, link.expandedEnd, clip, line);
        }
    }
}

void TVelEdit::DrawLinkRange(std::string_view expanded, size_t begin, size_t end, const QRect* clip,
                             int line) {
    const int y = (line - TopLine) * LinePitch + FTopMargin;
    const int origin = TextLeft - HorzOffset;
    // Widths add up per character, so the link's slice drawn at its own x gives the
    // same pixels as the whole row clipped to it.
    const int start = origin + canvas_->textWidth(expanded.substr(0, begin));
    const std::string_view slice = expanded.substr(begin, end - begin);
    int x1 = std::max(TextLeft, start);
    int x2 = start + canvas_->textWidth(slice);
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
