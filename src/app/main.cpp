// Lumarik start-up: one editor window showing the file named on the command line.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "editor/VelEdit.h"
#include "platform/FontDesc.h"
#include "platform/MessageReporter.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumarik"));
    lumarik::platform::installFontSubstitutions();

    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The text file to open."));
    QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                  QStringLiteral("Save a picture of the window once it is drawn "
                                                 "to <png>, then quit."),
                                  QStringLiteral("png"));
    parser.addOption(screenshot);
    parser.process(app);

    QString title = QStringLiteral("Untitled.txt");
    lumarik::editor::TVelEdit editor;
    lumarik::editor::ApplyMainEditorPreset(editor);
    editor.resize(800, 560);
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        const std::filesystem::path path(files.first().toStdString());
        if (editor.LoadFromFile(path)) {
            title = files.first();
        } else {
            lumarik::platform::currentReporter().show(
                {files.first() + QStringLiteral(" を開けませんでした。"), QStringLiteral("Lumarik"),
                 lumarik::platform::MessageIcon::Error});
        }
    }
    editor.setWindowTitle(title);
    editor.show();
    editor.setFocus();

    if (parser.isSet(screenshot)) {
        const QString png = parser.value(screenshot);
        // Let the coalesced first paint and the caret's first blink run, then save.
        QTimer::singleShot(700, &app, [&editor, png]() {
            editor.grab().save(png);
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
