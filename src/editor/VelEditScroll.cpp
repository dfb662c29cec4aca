// TVelEdit: the scroll state, the scroll and wheel messages, the two scroll bars, the
// client area they and the border leave, and the frame around it.
#include "editor/VelEdit.h"

#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <qdrawutil.h>

#include <algorithm>

#include "editor/CaretHideGuard.h"
#include "editor/ScrollCodes.h"
#include "platform/SystemMetrics.h"

namespace lumarik::editor {

namespace {
int ceilDiv(int a, int b) {
    return b <= 0 ? a : (a + b - 1) / b;
}
} // namespace

QPoint TVelEdit::ClientOrigin() const {
    // The sunken edge is two pixels wide.
    const int edge = FBorderStyle == TBorderStyle::bsSingle ? 2 : 0;
    return {edge, edge};
}

int TVelEdit::ClientWidth() const {
    return std::max(0, width() - 2 * ClientOrigin().x() -
                           (VertBar->isVisibleTo(this) ? VertBar->width() : 0));
}

int TVelEdit::ClientHeight() const {
    return std::max(0, height() - 2 * ClientOrigin().y() -
                           (HorzBar->isVisibleTo(this) ? HorzBar->height() : 0));
}

void TVelEdit::PaintFrame(QPainter& painter) const {
    if (VertBar->isVisibleTo(this) && HorzBar->isVisibleTo(this)) {
        painter.fillRect(QRect(VertBar->x(), HorzBar->y(), VertBar->width(), HorzBar->height()),
                         palette().color(QPalette::Window));
    }
    if (FBorderStyle == TBorderStyle::bsSingle) {
        // Sunken: shadow above and left, highlight below and right, in two rings.
        qDrawWinPanel(&painter, rect(), palette(), true);
    }
}

void TVelEdit::LayoutChildren() {
    const int extent = platform::scrollBarExtent(this);
    const int edge = ClientOrigin().x();
    const bool vert = FVertScrollBar;
    const bool horz = FHorzScrollBar;
    VertBar->setGeometry(width() - edge - extent, edge, extent,
                         height() - 2 * edge - (horz ? extent : 0));
    HorzBar->setGeometry(edge, height() - edge - extent, width() - 2 * edge - (vert ? extent : 0),
                         extent);
    const QSize client(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    if (canvas_->size() != client) {
        canvas_->resize(client);
    }
}

bool TVelEdit::UpdateVertScrollBar() {
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
        if (TextLeft != oldTextLeft) {
            // The client area is what the scroll bars leave: one definition of the text
            // area for every change of its left edge.
            UpdateViewSize(ClientWidth(), ClientHeight());
        }
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
    return TextLeft != oldTextLeft;
}

void TVelEdit::UpdateHorzScrollBar() {
    const int last = std::min(Strings->Count() - 1, TopLine + VisibleLines - 1);
    WidestLine = 0;
    for (int i = TopLine; i <= last; ++i) {
        WidestLine = std::max(
            WidestLine, RowWidths.TextWidth(i, Strings->Get(i), {FTabCount, FSingleByteMode}));
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
}

int TVelEdit::VertScroll(int code, int pos) {
    const int page = TextAreaHeight / std::max(1, LinePitch);
    long long request = 0;
    switch (code) {
    case scroll::LineUp:
        request = LineScrollRun <= -5 ? -FScrollStep : -1;
        break;
    case scroll::LineDown:
        request = LineScrollRun >= 5 ? FScrollStep : 1;
        break;
    case scroll::PageUp:
        request = std::min(-1, -page);
        break;
    case scroll::PageDown:
        request = std::max(1, page);
        break;
    case scroll::ThumbTrack:
        request = static_cast<long long>(pos) * VertScale - TopLine;
        break;
    case scroll::Top:
        request = -TopLine;
        break;
    case scroll::Bottom:
        request = MaxTopLine - TopLine;
        break;
    default:
        break;
    }
    // The caret follows by the whole request; the view moves only within its range.
    int follow =
        static_cast<int>(std::clamp<long long>(request, -Strings->Count(), Strings->Count()));
    int amount = 0;
    if (request < 0) {
        amount = static_cast<int>(std::max<long long>(request, -TopLine));
    } else if (request > 0) {
        amount =
            static_cast<int>(std::clamp<long long>(request, 0, std::max(0, MaxTopLine - TopLine)));
        if (CaretLine + PageFifth - TopLine > VisibleLines) {
            follow = 0;
        }
    }
    ScrollCaretDelta = follow;

    InScroll = true;
    if (amount != 0) {
        DrawCaretUnderline(CaretLine, false);
        TopLine += amount;
        const CaretHideGuard hidden(this);
        InvalidateAll();
        if (CaretFollows) {
            // A key's scroll always takes the caret along, even with CaretScrollFix. A
            // caret that stays on its line is placed anew too: the selection follows
            // the same rule whether or not the caret moved.
            if (FCaretScrollFix && !InKeyDown) {
                UpdateCaretPos();
            } else {
                MoveCaretLines(follow);
            }
        }
        if (FVertScrollBar) {
            const QSignalBlocker block(VertBar);
            VertBar->setValue(ceilDiv(TopLine, VertScale));
        }
    }
    InScroll = false;
    CaretFollows = true;
    return amount;
}

int TVelEdit::HorzScroll(int code, int pos) {
    long long request = 0;
    switch (code) {
    case scroll::LineLeft:
        request = -WidthFifth;
        break;
    case scroll::LineRight:
        request = WidthFifth;
        break;
    case scroll::PageLeft:
        request = std::min(-1, -(TextAreaWidth / 3));
        break;
    case scroll::PageRight:
        request = std::max(1, TextAreaWidth / 3);
        break;
    case scroll::ThumbTrack:
        request = static_cast<long long>(pos) * HorzScale - HorzOffset;
        break;
    default:
        break;
    }
    long long amount = 0;
    if (request < 0) {
        amount = std::max<long long>(request, -HorzOffset);
    } else if (request > 0 && TextAreaWidth < WidestLine + WidthFifth) {
        // May be negative: a view beyond the widest visible line comes back to it.
        amount = std::max<long long>(
            std::min<long long>(request, WidestLine - HorzOffset - WidthFifth), -HorzOffset);
    }
    if (amount == 0) {
        return 0;
    }
    const CaretHideGuard hidden(this);
    HorzOffset += static_cast<int>(amount);
    CaretX -= static_cast<int>(amount);
    // Repainting the text area shows the same as moving its pixels would.
    RedrawAll();
    UpdateCaretPos();
    return 0;
}

int TVelEdit::MouseWheel(int delta) {
    const int notches = std::abs(delta / WheelNotches::kNotch);
    const int code = delta > 0 ? scroll::LineUp : scroll::LineDown;
    for (int i = 0; i < 2 * notches; ++i) {
        // Past the end of the range every further scroll is nothing.
        if (VertScroll(code, 0) == 0) {
            break;
        }
    }
    return 0;
}

void TVelEdit::wheelEvent(QWheelEvent* event) {
    const int delta = wheelNotches_.add(event->angleDelta().y());
    if (delta != 0) {
        MouseWheel(delta);
    }
    event->accept();
}

void TVelEdit::ConnectScrollBars() {
    const auto play = [this](QScrollBar* bar, int action) {
        const bool vertical = bar == VertBar;
        int code = scroll::EndScroll;
        switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            code = scroll::LineUp;
            break;
        case QAbstractSlider::SliderSingleStepAdd:
            code = scroll::LineDown;
            break;
        case QAbstractSlider::SliderPageStepSub:
            code = scroll::PageUp;
            break;
        case QAbstractSlider::SliderPageStepAdd:
            code = scroll::PageDown;
            break;
        case QAbstractSlider::SliderMove:
            code = scroll::ThumbTrack;
            break;
        case QAbstractSlider::SliderToMinimum:
            code = scroll::Top;
            break;
        case QAbstractSlider::SliderToMaximum:
            code = scroll::Bottom;
            break;
        default:
            break;
        }
        if (vertical) {
            VertScroll(code, bar->sliderPosition());
            bar->setSliderPosition(ceilDiv(TopLine, VertScale));
        } else {
            HorzScroll(code, bar->sliderPosition());
            bar->setSliderPosition(ceilDiv(HorzOffset, HorzScale));
        }
    };
    connect(VertBar, &QAbstractSlider::actionTriggered, this,
            [this, play](int action) { play(VertBar, action); });
    connect(HorzBar, &QAbstractSlider::actionTriggered, this,
            [this, play](int action) { play(HorzBar, action); });
}

} // namespace lumarik::editor
