#pragma once

#include <QWidget>

#include <string>

class QLineEdit;
class QPushButton;

namespace lumarik::app {

class TFormEditor;

// The search window, shown modelessly beside the main window: a search text and three
// buttons that search the main editor from the top, forward and backward. The main
// window's find-next command reads its search text too.
class Tform_search : public QWidget {
public:
    explicit Tform_search(TFormEditor* owner);

    QLineEdit* Edit1 = nullptr;
    QPushButton* Button_search = nullptr;
    QPushButton* Button_down = nullptr;
    QPushButton* Button_up = nullptr;

    // The search text as code-page bytes.
    std::string SearchText() const;

private:
    void Edit1Change();
    void Button_searchClick();
    void Button_downClick();
    void Button_upClick();
    // The main editor takes the focus, as after a search from its own window.
    void FocusMainEditor();

    TFormEditor& main_;
};

} // namespace lumarik::app
