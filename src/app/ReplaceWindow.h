#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lumarik::app {

class TFormEditor;

// The replace window, shown modelessly beside the main window: the text to find, its
// replacement, and a button that replaces in the main editor, asking at each match,
// and closes the window.
class Tform_replace : public QWidget {
public:
    explicit Tform_replace(TFormEditor* owner);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QPushButton* Button_replace = nullptr;

private:
    void Button_replaceClick();

    TFormEditor& main_;
};

} // namespace lumarik::app
