#include "app/Startup.h"

#include "app/AboutBox.h"
#include "app/OptionDialog.h"
#include "app/ReplaceWindow.h"
#include "app/SearchWindow.h"
#include "platform/MessageReporter.h"

namespace lumarik::app {

ApplicationWindows startApplication(const MainWindowOptions& options,
                                    const std::function<void(QWidget&)>& created) {
    const auto report = [&created](QWidget& window) {
        if (created) {
            created(window);
        }
    };
    platform::setApplicationTitle(QStringLiteral("Untitled.txt"));

    ApplicationWindows windows;
    windows.FormEditor = std::make_unique<TFormEditor>(options);
    TFormEditor& main = *windows.FormEditor;
    main.show();
    main.setFocus();
    report(main);
    windows.Form1 = new TForm1(&main);
    report(*windows.Form1);
    windows.form_option = new Tform_option(&main);
    report(*windows.form_option);
    windows.form_search = new Tform_search(&main);
    report(*windows.form_search);
    windows.form_replace = new Tform_replace(&main);
    report(*windows.form_replace);
    main.SetSecondaryWindows(
        {windows.Form1, windows.form_option, windows.form_search, windows.form_replace});
    return windows;
}

} // namespace lumarik::app
