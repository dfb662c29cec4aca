// TVelEdit: the Qt events that play the window's creation, size and paint messages.
#include "editor/VelEdit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include "platform/Caret.h"
#include "platform/MessageReporter.h"
#include "platform/SystemMetrics.h"

namespace lumarik::editor {

namespace {
// A full repaint requested by an invalidation; delivered after pending input, as the
// paint message is.
const QEvent::Type kPaintRequest = static_cast<QEvent::Type>(QEvent::registerEventType());
// A re-wrap to the text area's latest width, delivered before the repaint.
const QEvent::Type kRewrapRequest = static_cast<QEvent::Type>(QEvent::registerEventType());
} // namespace

void TVelEdit::EnsureCreated() {
    if (created_) {
        return;
    }
    created_ = true;
    SysVertBarWidth = SysHorzBarHeight = platform::scrollBarExtent(this);
    ConnectScrollBars();
    LayoutChildren();
    // The font given before the window existed takes effect now.
    BuildFont();
    UpdateMetrics();
    SetImeWindow(TextLeft, FTopMargin);
    UpdateGutter();
    UpdateViewSize(ClientWidth(), ClientHeight());
}

void TVelEdit::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    EnsureCreated();
    InvalidateAll();
}

void TVelEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ClientAreaChanged();
}

void TVelEdit::ClientAreaChanged() {
    LayoutChildren();
    UpdateViewSize(ClientWidth(), ClientHeight());
    // Interactive resizing sends many sizes, and each re-wrap costs the whole text: it
    // runs once, for the latest size, when the event loop next turns.
    if (FWordWrap && FAutoWrap && !rewrapPending_) {
        rewrapPending_ = true;
        QCoreApplication::postEvent(this, new QEvent(kRewrapRequest));
    }
    UpdateVertScrollBar();
    UpdateHorzScrollBar();
    InvalidateAll();
}

void TVelEdit::InvalidateAll() {
    if (paintPending_) {
        return;
    }
    paintPending_ = true;
    QCoreApplication::postEvent(this, new QEvent(kPaintRequest), Qt::LowEventPriority);
}

bool TVelEdit::event(QEvent* event) {
    if (event->type() == kRewrapRequest) {
        rewrapPending_ = false;
        if (FWordWrap && FAutoWrap) {
            RewrapAll(false, false);
            RewrapAll(true, false);
            UpdateVertScrollBar();
            UpdateHorzScrollBar();
            InvalidateAll();
        }
        return true;
    }
    if (event->type() == kPaintRequest) {
        paintPending_ = false;
        Paint();
        return true;
    }
    if (TakeTabKey(event)) {
        return true;
    }
    return QWidget::event(event);
}

void TVelEdit::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QImage& image = canvas_->image();
    const QPoint origin = ClientOrigin();
    const QRect picture(origin, canvas_->size());
    for (const QRect& rect : event->region()) {
        const QRect shown = rect & picture;
        if (!shown.isEmpty()) {
            painter.drawImage(shown, image, shown.translated(-origin));
        }
    }
    PaintFrame(painter);
    if (preedit_.isEmpty()) {
        platform::Caret::application().paint(painter, this);
    } else {
        // While composing, the composition shows its own cursor. It is laid out in the
        // client area's coordinates.
        painter.translate(origin);
        PaintPreedit(painter);
    }
}

void TVelEdit::ShowError(const char* code) const {
    platform::showErrorCode(QString::fromLatin1(code));
}

} // namespace lumarik::editor
