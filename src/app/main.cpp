// Lumarik start-up: the main window and its dialogs, then the event loop.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "app/Startup.h"
#include "platform/FontDesc.h"
#include "platform/ProfileFile.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumarik"));
    lumarik::platform::installFontSubstitutions();

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The text file to open."));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the window once it is drawn "
                                                 "to <png>, then close it."),
                                  QStringLiteral("png"));
    parser.addOption(screenshot);
    QCommandLineOption settings(QStringLiteral("settings"),
                                QStringLiteral("Use <ini> as the settings file instead of the "
                                               "one beside the program."),
                                QStringLiteral("ini"));
    parser.addOption(settings);
    parser.process(app);

    lumarik::app::MainWindowOptions options;
    options.settingsPath = parser.isSet(settings) ? parser.value(settings)
                                                  : lumarik::platform::defaultSettingsFilePath();
    options.commandLineFile = parser.positionalArguments().value(0);
    lumarik::app::ApplicationWindows windows = lumarik::app::startApplication(options);
    lumarik::app::TFormEditor* mainWindow = windows.FormEditor.get();

    if (parser.isSet(screenshot)) {
        const QString png = parser.value(screenshot);
        // Let the coalesced first paint and the caret's first blink run, then save.
        QTimer::singleShot(700, mainWindow, [mainWindow, png]() {
            mainWindow->grab().save(png);
            mainWindow->close();
        });
    }
    return QApplication::exec();
}
