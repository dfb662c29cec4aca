// The drawn frame: moving by the title, the sizing border, shading to the title bar,
// the emulated maximise to the work area, minimising, keeping on top, and the sounds
// that go with them and with the keys.
#include "app/MainWindow.h"

#include "app/SizingBorder.h"
#include "app/TitlePanel.h"
#include "app/WindowBounds.h"
#include "components/TopWnd.h"
#include "platform/NativeWindow.h"
#include "platform/ProfileFile.h"
#include "platform/SoundPlayer.h"

#include <QDir>
#include <QKeyEvent>
#include <QScreen>
#include <QWindowStateChangeEvent>

namespace lumarik::app {
namespace {

using platform::ProfileReader;
using platform::ProfileWriteBatch;

// The bounds that leaving the maximised state falls back on, and the height that
// un-shading does.
const QRect kRestoreFallback(200, 200, 600, 500);
constexpr int kUnshadeFallback = 500;

} // namespace

void TFormEditor::BuildFrame() {
    AlwaysOnTop1 = new components::TTopMostWindow(this);
    sizingBorder_ =
        new SizingBorder(*this, QMargins(kFrameSide, kFrameSide, kFrameSide, kFrameBottom));
    Panel1->canMoveWindow = [this]() { return !FMaximized; };
    Panel1->onDoubleClick = [this]() { Image2DblClick(); };
    Panel1->PanelOnTop->onClick = [this]() {
        if (AlwaysOnTop1->AlwaysOnTop()) {
            ImageTop2Click();
        } else {
            imageTopClick();
        }
    };
    WorkArea = [this]() {
        const QScreen* screen = this->screen();
        return screen != nullptr ? screen->availableGeometry() : QRect();
    };
    ApplySizeConstraints(geometry());
}

namespace {

// What stored window bounds and heights must satisfy to be used.
BoundsRules boundsRules(const QRect& fallback) {
    return {fallback, QSize(TFormEditor::kMinWidth, TFormEditor::kMinHeight),
            TFormEditor::kTitleHeight + TFormEditor::kFrameSide, TFormEditor::kShadedHeight};
}

} // namespace

QRect TFormEditor::UsableBounds(int left, int top, int width, int height,
                                const QRect& fallback) const {
    return usableBounds(left, top, width, height, currentScreenAreas(), boundsRules(fallback));
}

void TFormEditor::ApplySizeConstraints(const QRect& bounds) {
    body_->setVisible(!FShaded);
    Panel1->SetTitleHintShown(FShaded && !FMaximized);
    const QRect workArea = FLockToWorkArea ? WorkArea() : QRect();
    QSize fixed;
    if (!workArea.isNull()) {
        fixed = workArea.size();
    } else if (FShaded) {
        fixed = QSize(bounds.width(), kShadedHeight);
    }
    if (fixed.isValid()) {
        setFixedSize(fixed);
        setGeometry(QRect(bounds.topLeft(), fixed));
    } else {
        setMinimumSize(kMinWidth, kMinHeight);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setGeometry(bounds);
    }
    sizingBorder_->setResizable(!fixed.isValid());
}

void TFormEditor::PlaySound(const QString& name) const {
    const QString folder =
        options_.soundFolder.isEmpty() ? platform::defaultSoundFolder() : options_.soundFolder;
    platform::playSoundFile(QDir(folder).filePath(name));
}

void TFormEditor::butExitClick() {
    PlaySound(QStringLiteral("exit.wav"));
    close();
}

void TFormEditor::butMinClick() {
    showMinimized();
    PlaySound(QStringLiteral("min.wav"));
}

void TFormEditor::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) {
        return;
    }
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (change->oldState().testFlag(Qt::WindowMinimized) && !isMinimized()) {
        PlaySound(QStringLiteral("min.wav"));
    }
}

void TFormEditor::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!isMinimized()) {
        normalBounds_ = geometry();
    }
}

void TFormEditor::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!isMinimized()) {
        normalBounds_ = geometry();
    }
}

QRect TFormEditor::CurrentBounds() {
    const std::optional<QPoint> at = platform::nativeClientPosition(*this);
    if (isMinimized()) {
        const QRect last = normalBounds_.isValid() ? normalBounds_ : geometry();
        return {at.value_or(last.topLeft()), last.size()};
    }
    if (at && *at != geometry().topLeft()) {
        // Asking for the place the window already has sets the toolkit's record right.
        setGeometry(QRect(*at, size()));
    }
    return geometry();
}

// Without a work area, or when the bounds to come back to cannot be kept, nothing
// changes.
void TFormEditor::Image2DblClick() {
    const QRect workArea = WorkArea();
    if (workArea.isNull()) {
        return;
    }
    if (fillsWorkArea(size(), workArea, kShadedHeight)) {
        const ProfileReader ini(options_.settingsPath);
        const QRect bounds = UsableBounds(
            ini.readInt(u"window", u"maxleft", kRestoreFallback.left()),
            ini.readInt(u"window", u"maxtop", kRestoreFallback.top()),
            ini.readInt(u"window", u"maxwidth", kRestoreFallback.width()),
            ini.readInt(u"window", u"maxheight", kRestoreFallback.height()), kRestoreFallback);
        FLockToWorkArea = false;
        FMaximized = false;
        FShaded = bounds.height() == kShadedHeight;
        ApplySizeConstraints(bounds);
        PlaySound(QStringLiteral("undosize.wav"));
        Panel1->PanelMax->setToolTip(QStringLiteral("Max"));
        return;
    }
    const QRect bounds = CurrentBounds();
    ProfileWriteBatch ini(options_.settingsPath);
    ini.writeInt(QStringLiteral("window"), QStringLiteral("maxleft"), bounds.left());
    ini.writeInt(QStringLiteral("window"), QStringLiteral("maxtop"), bounds.top());
    ini.writeInt(QStringLiteral("window"), QStringLiteral("maxwidth"), bounds.width());
    ini.writeInt(QStringLiteral("window"), QStringLiteral("maxheight"), bounds.height());
    const platform::ProfileWriteResult written = ini.commit();
    if (!written) {
        platform::reportUnwritable(written);
        return;
    }
    FShaded = false;
    FMaximized = true;
    FLockToWorkArea = true;
    ApplySizeConstraints(workArea);
    PlaySound(QStringLiteral("max.wav"));
    Panel1->PanelMax->setToolTip(QStringLiteral("UndoSize"));
}

void TFormEditor::butShadeClick() {
    FLockToWorkArea = false;
    const QString heightKey =
        FMaximized ? QStringLiteral("nowmaxheight") : QStringLiteral("nowheight");
    if (height() == kShadedHeight) {
        const ProfileReader ini(options_.settingsPath);
        BoundsRules rules = boundsRules(QRect(0, 0, kMinWidth, kUnshadeFallback));
        rules.shadedHeight = 0;
        const int unshaded = usableHeight(ini.readInt(u"window", heightKey, kUnshadeFallback),
                                          currentScreenAreas(), rules);
        PlaySound(QStringLiteral("shadeout.wav"));
        FShaded = false;
        ApplySizeConstraints(QRect(CurrentBounds().topLeft(), QSize(width(), unshaded)));
        return;
    }
    ProfileWriteBatch ini(options_.settingsPath);
    ini.writeInt(QStringLiteral("window"), heightKey, height());
    const platform::ProfileWriteResult written = ini.commit();
    if (written) {
        PlaySound(QStringLiteral("shadein.wav"));
        FShaded = true;
    }
    ApplySizeConstraints(CurrentBounds());
    platform::reportUnwritable(written);
}

void TFormEditor::imageTopClick() {
    AlwaysOnTop1->SetAlwaysOnTop(true);
    Panel1->SetPinned(true);
    PlaySound(QStringLiteral("AlwayTop.wav"));
}

void TFormEditor::ImageTop2Click() {
    AlwaysOnTop1->SetAlwaysOnTop(false);
    Panel1->SetPinned(false);
    PlaySound(QStringLiteral("AlwayTop2.wav"));
}

void TFormEditor::RichEdit1KeyDown(const QKeyEvent& event) {
    if (!SoundOn || !SoundOn()) {
        return;
    }
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) {
        PlaySound(QStringLiteral("return.wav"));
    } else if (!event.modifiers().testFlag(Qt::ShiftModifier)) {
        PlaySound(QStringLiteral("touch.wav"));
    }
}

void TFormEditor::RichEdit1KeyPress(const QKeyEvent& event) {
    const QString text = event.text();
    const bool character = !text.isEmpty() && text.front().isPrint();
    if (character && event.modifiers().testFlag(Qt::ShiftModifier) && SoundOn && SoundOn()) {
        PlaySound(QStringLiteral("touch.wav"));
    }
}

} // namespace lumarik::app
