#pragma once

#include "app/WindowMover.h"
#include "editor/VelEditTypes.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

namespace lumarik::editor {
class TVelEdit;
}

namespace lumarik::app {

class TFormEditor;
class TImageButton;

// The option dialog: a frameless, drawn window holding every setting of the main
// editor and a small read-only preview editor that follows the font, colour, mark,
// underline, line-number and line-spacing choices at once. OK applies everything to
// the main window, stores the keys only it writes, and hides the dialog; there is no
// Cancel, and closing the window only hides it. It is created once, after the main
// window has read its settings, and keeps its state between showings.
class Tform_option : public QWidget {
public:
    explicit Tform_option(TFormEditor* owner);

    // ---- Components ----
    QLabel* Image_back = nullptr;
    editor::TVelEdit* richEdit1 = nullptr;
    TImageButton* Image_font = nullptr;
    TImageButton* Image_under = nullptr;
    TImageButton* Image_back_color = nullptr;
    TImageButton* Image_url = nullptr;
    TImageButton* image_mark_color = nullptr;
    TImageButton* Image_OK = nullptr;
    // Read by the main window's key handlers: key sounds play while it is checked.
    QCheckBox* check_sound = nullptr;
    QCheckBox* check_tool = nullptr;
    QCheckBox* check_uline = nullptr;
    QCheckBox* check_number = nullptr;
    QCheckBox* check_status = nullptr;
    QCheckBox* check_wrap = nullptr;
    QCheckBox* check_awrap = nullptr;
    QCheckBox* check_mark = nullptr;
    QComboBox* Combo_tabwidth = nullptr;
    QSpinBox* column = nullptr;
    QSpinBox* line_space = nullptr;

    // The font dialog (with a colour) and the colour dialog: given the current value,
    // they answer the chosen one, or nothing when the user cancelled. The real dialogs
    // unless replaced (tests do).
    using FontChooser = std::function<std::optional<editor::TEditFont>(const editor::TEditFont&)>;
    using ColorChooser = std::function<std::optional<editor::TColor>(editor::TColor)>;
    FontChooser FontDialog1;
    ColorChooser ColorDialog1;

    // The text the preview shows: plain letters with a double-byte space, a web
    // address, a mail address and a quoted line, as code-page bytes.
    static std::string SampleText();

    // ---- Handlers ----
    void Button_fontClick();
    void Button_colorClick();
    void Button_urlClick();
    void Button_ulinecolorClick();
    void image_mark_colorClick();
    void Button_okClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void BuildControls();
    void ConnectHandlers();
    void FormCreate();
    void check_ulineClick();
    void check_markClick();
    void check_numberClick();
    void check_wrapClick();
    void check_awrapClick();
    void line_spaceChange();
    void Image_backMouseDown(QMouseEvent& event);
    // Empties the preview as a new window and gives it its sample text again.
    void ResetPreview();
    // The tab width typed or picked, when it is a whole number the editor takes.
    std::optional<int> TabWidth() const;
    // Writes the keys OK stores; tells the user once when the file refused them.
    void WriteOptionSettings();

    TFormEditor* owner_;
    WindowMover mover_;
};

} // namespace lumarik::app
