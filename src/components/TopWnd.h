#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace lumarik::components {

// Switches the window that owns it between the layer of windows kept above all others
// and the normal layer, without moving, resizing or hiding it.
class TTopMostWindow : public QObject {
public:
    // The owner's top-level window is the one switched; nothing changes until the
    // state is set.
    explicit TTopMostWindow(QWidget* owner);

    bool AlwaysOnTop() const { return alwaysOnTop_; }
    // A change runs OnBeforeChange, applies the new state, then runs OnAfterChange;
    // setting the current state does nothing.
    void SetAlwaysOnTop(bool value);

    std::function<void(TTopMostWindow& sender)> OnBeforeChange;
    std::function<void(TTopMostWindow& sender)> OnAfterChange;

protected:
    // Puts the owner's window in the layer of the current state. The native window is
    // looked up each time, since the toolkit may have made a new one since the last.
    virtual void ApplyTopMost();

    QWidget* Owner() const { return owner_; }

private:
    QWidget* owner_;
    bool alwaysOnTop_ = false;
};

} // namespace lumarik::components
