// Lumarik start-up: the main window and its dialogs, then the event loop.
#include <QApplication>
#include <QTimer>

#include "app/CommandLine.h"
#include "app/Startup.h"
#include "platform/FontDesc.h"
#include "platform/OneHeap.h"
#include "platform/ProfileFile.h"

int main(int argc, char* argv[]) {
    lumarik::platform::UseOneHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumarik"));
    lumarik::platform::installFontSubstitutions();

    const lumarik::app::CommandLine commandLine =
        lumarik::app::parseCommandLine(QCoreApplication::arguments().mid(1));
    lumarik::app::MainWindowOptions options;
    options.settingsPath = commandLine.settingsPath.isEmpty()
                               ? lumarik::platform::defaultSettingsFilePath()
                               : commandLine.settingsPath;
    options.commandLineFile = commandLine.file;
    lumarik::app::ApplicationWindows windows = lumarik::app::startApplication(options);
    lumarik::app::TFormEditor* mainWindow = windows.FormEditor.get();

    if (!commandLine.screenshotPath.isEmpty()) {
        const QString png = commandLine.screenshotPath;
        // Let the coalesced first paint and the caret's first blink run, then save.
        QTimer::singleShot(700, mainWindow, [mainWindow, png]() {
            mainWindow->grab().save(png);
            mainWindow->close();
        });
    }
    return QApplication::exec();
}
