// TVelEdit: the system caret's place on screen and the input method's composition point.
#include "editor/VelEdit.h"

#include <QFocusEvent>
#include <QTimer>

#include "platform/Caret.h"

namespace lumarik::editor {

void TVelEdit::UpdateCaretPos() {
    // The caret is placed only while the control has the focus (its timer runs then).
    CaretX = ColumnX(CaretLine, CaretCol) - HorzOffset;
    CaretY = (CaretLine - TopLine) * LinePitch;
    if (!Timer->isActive()) {
        return;
    }
    platform::Caret& caret = platform::Caret::application();
    if (caret.owner() == this) {
        caret.setPos({TextLeft + CaretX, FTopMargin + CaretY});
    }
    SetImeWindow(TextLeft + CaretX, FTopMargin + CaretY);
}

void TVelEdit::RecreateCaret() {
    platform::Caret& caret = platform::Caret::application();
    if (!hasFocus()) {
        return;
    }
    caret.hide();
    caret.destroy();
    caret.create(this, 2, FontHeight);
    caret.setPos({TextLeft + CaretX, FTopMargin + CaretY});
    caret.show();
}

void TVelEdit::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason) {
        return;
    }
    Timer->start();
    RecreateCaret();
    UpdateCaretPos();
}

void TVelEdit::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason) {
        return;
    }
    Timer->stop();
    platform::Caret& caret = platform::Caret::application();
    if (caret.owner() == this) {
        caret.destroy();
    }
}

QVariant TVelEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return !FReadOnly;
    case Qt::ImCursorRectangle:
        return QRect(imePoint_, QSize(2, FontHeight));
    case Qt::ImFont:
        return canvas_->font();
    default:
        return QWidget::inputMethodQuery(query);
    }
}

} // namespace lumarik::editor
