// TVelEdit: the two scroll bars and the client area they leave.
#include "editor/VelEdit.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <algorithm>

#include "platform/SystemMetrics.h"

namespace lumarik::editor {

namespace {
int ceilDiv(int a, int b) {
    return b <= 0 ? a : (a + b - 1) / b;
}
} // namespace

int TVelEdit::ClientWidth() const {
    return std::max(0, width() - (VertBar->isVisibleTo(this) ? VertBar->width() : 0));
}

int TVelEdit::ClientHeight() const {
    return std::max(0, height() - (HorzBar->isVisibleTo(this) ? HorzBar->height() : 0));
}

void TVelEdit::LayoutChildren() {
    const int extent = platform::scrollBarExtent(this);
    const bool vert = FVertScrollBar;
    const bool horz = FHorzScrollBar;
    VertBar->setGeometry(width() - extent, 0, extent, height() - (horz ? extent : 0));
    HorzBar->setGeometry(0, height() - extent, width() - (vert ? extent : 0), extent);
    const QSize client(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    if (canvas_->size() != client) {
        canvas_->resize(client);
    }
}

bool TVelEdit::UpdateVertScrollBar(bool redraw) {
    const int count = Strings->Count();
    MaxTopLine = std::max(0, count + PageFifth - VisibleLines - 1);

    const int oldTextLeft = TextLeft;
    if (FShowLineNumber) {
        const int needed = canvas_->textWidth(std::to_string(count)) + FLeftMargin + 7;
        while (TextLeft < needed) {
            TextLeft += 10;
        }
        while (needed < TextLeft - 1.5 * DigitWidth && MinTextLeft < needed) {
            TextLeft -= 10;
        }
        TextAreaRect =
            QRect(QPoint(TextLeft, FTopMargin), QPoint(ClientWidth() - 1, ClientHeight() - 1));
        TextRowsRect = QRect(QPoint(0, FTopMargin), QPoint(ClientWidth() - 1, ClientHeight() - 1));
        TextAreaWidth = ClientWidth() - TextLeft - VertBarWidth;
        GutterWidth = TextLeft - FLeftMargin;
    }

    if (FVertScrollBar) {
        const QSignalBlocker block(VertBar);
        VertBar->setEnabled(VisibleLines < count + PageFifth);
        VertScale = std::max(1, ceilDiv(MaxTopLine, 32767));
        const int maximum = ceilDiv(MaxTopLine, VertScale);
        VertBar->setRange(0, maximum);
        VertBar->setPageStep(std::max(1, VisibleLines / VertScale));
        VertBar->setValue(ceilDiv(TopLine, VertScale));
        if (maximum == 0) {
            VertBar->setVisible(true);
        }
    }
    if (redraw) {
        VertBar->update();
    }
    return TextLeft != oldTextLeft;
}

void TVelEdit::UpdateHorzScrollBar(bool redraw) {
    const int last = std::min(Strings->Count() - 1, TopLine + VisibleLines - 1);
    WidestLine = 0;
    for (int i = TopLine; i <= last; ++i) {
        WidestLine = std::max(WidestLine, ExpandedWidth(StripTerminator(Strings->Get(i))));
    }
    if (!FHorzScrollBar) {
        return;
    }
    const QSignalBlocker block(HorzBar);
    HorzBar->setEnabled(TextAreaWidth < WidestLine + WidthFifth);
    HorzScale = std::max(1, ceilDiv(WidestLine, 32767));
    HorzBar->setRange(0, std::max(1, ceilDiv(WidestLine, HorzScale) - WidthFifth));
    HorzBar->setPageStep(std::max(1, TextAreaWidth / HorzScale));
    HorzBar->setValue(ceilDiv(HorzOffset, HorzScale));
    if (redraw) {
        HorzBar->update();
    }
}

} // namespace lumarik::editor
