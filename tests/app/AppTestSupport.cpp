#include "app/AppTestSupport.h"

#include "app/OptionDialog.h"

#include <QAction>
#include <QDesktopServices>
#include <QMenu>
#include <QTest>

#include <ostream>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* out) {
    *out << '{';
    for (qsizetype i = 0; i < texts.size(); ++i) {
        *out << (i == 0 ? "" : ", ");
        PrintTo(texts[i], out);
    }
    *out << '}';
}

namespace lumarik::test {

app::ApplicationWindows startApp(const std::filesystem::path& settings,
                                 const QString& commandLineFile) {
    app::MainWindowOptions options;
    options.settingsPath = QString::fromStdString(settings.string());
    options.commandLineFile = commandLineFile;
    return startApp(options);
}

app::ApplicationWindows startApp(const app::MainWindowOptions& options) {
    app::ApplicationWindows windows = app::startApplication(options);
    // A modal file dialog would hang the run: both answer as if cancelled.
    windows.FormEditor->OpenDialog1 = [](const QString&) { return QString(); };
    windows.FormEditor->SaveDialog1 = [](const QString&) { return QString(); };
    windows.FormEditor->PrintDialog1 = [](QPrinter&, bool) { return false; };
    windows.FormEditor->PrinterSetupDialog1 = [](QPrinter&) {};
    windows.form_option->FontDialog1 = [](const editor::TEditFont&) { return std::nullopt; };
    windows.form_option->ColorDialog1 = [](editor::TColor) { return std::nullopt; };
    QTest::qWait(1);
    return windows;
}

OpenedUrls::OpenedUrls(const QStringList& schemes) : schemes_(schemes) {
    for (const QString& scheme : schemes_) {
        QDesktopServices::setUrlHandler(scheme, this, "open");
    }
}

OpenedUrls::~OpenedUrls() {
    for (const QString& scheme : schemes_) {
        QDesktopServices::unsetUrlHandler(scheme);
    }
}

void closeApp(app::ApplicationWindows& windows) {
    windows.FormEditor->close();
}

app::Tform_option& openOptionDialog(app::ApplicationWindows& windows) {
    windows.FormEditor->ALLOPTION1Click();
    QTest::qWait(1);
    return *windows.form_option;
}

std::ostream& operator<<(std::ostream& out, const MenuRow& row) {
    return out << '{' << row.caption << ", " << row.shortcut << ", " << row.image << '}';
}

std::vector<MenuRow> menuRows(const QMenu& menu) {
    std::vector<MenuRow> rows;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            rows.push_back({"-", "", -1});
            continue;
        }
        // A menu that does not own its shortcuts shows them after a tab.
        const QString text = action->text();
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        QString shortcut = action->shortcut().toString();
        if (shortcut.isEmpty() && tab >= 0) {
            shortcut = text.mid(tab + 1);
        }
        rows.push_back({text.left(tab).toStdString(), shortcut.toStdString(),
                        action->property("imageIndex").toInt()});
    }
    return rows;
}

std::vector<std::string> entryCaptions(const QList<QAction*>& entries) {
    std::vector<std::string> captions;
    for (const QAction* entry : entries) {
        captions.push_back(entry->text().toStdString());
    }
    return captions;
}

std::string iniText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

} // namespace lumarik::test
