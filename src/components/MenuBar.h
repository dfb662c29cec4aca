#pragma once

#include <QMenuBar>

class QMenu;

namespace lumarik::components {

// A menu bar inside the window's client area, standing in for the native menu bar. It
// shows one captioned item per top-level entry of a main menu; each drops down that
// entry's sub-menu. A main menu is a QMenu that is never shown itself: its actions are
// the top-level entries, each carrying its sub-menu.
class TMenuBar : public QMenuBar {
public:
    explicit TMenuBar(QWidget* parent = nullptr);

    QMenu* Menu() const { return menu_; }
    // Shows the entries of value, in order. Setting the menu already shown does
    // nothing; nullptr leaves the bar empty.
    void SetMenu(QMenu* value);

private:
    QMenu* menu_ = nullptr;
};

} // namespace lumarik::components
