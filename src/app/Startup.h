#pragma once

#include "app/MainWindow.h"

#include <functional>
#include <memory>

namespace lumarik::app {

class TForm1;
class Tform_option;
class Tform_search;
class Tform_replace;

// The program's windows. The main window owns the other four.
struct ApplicationWindows {
    std::unique_ptr<TFormEditor> FormEditor;
    TForm1* Form1 = nullptr;
    Tform_option* form_option = nullptr;
    Tform_search* form_search = nullptr;
    Tform_replace* form_replace = nullptr;
};

// Starts the program: sets the application title, then creates the main window (shown
// at once, so that it reads its settings and opens the command-line file) and after it
// the about box, the option dialog, the search window and the replace window, each
// once. created, when set, is told of each window just after it was created.
ApplicationWindows startApplication(const MainWindowOptions& options,
                                    const std::function<void(QWidget&)>& created = {});

} // namespace lumarik::app
