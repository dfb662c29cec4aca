#pragma once

#include "app/Startup.h"
#include "support/TempDir.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

class QAction;
class QMenu;

// Failure messages show a QString as its text, and a QStringList as a list of texts.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QStringList& texts, std::ostream* out);

namespace lumarik::test {

// The program's windows, started as main() starts them, with the settings file given;
// the file, print, font and colour dialogs answer as if cancelled.
app::ApplicationWindows startApp(const std::filesystem::path& settings,
                                 const QString& commandLineFile = {});
app::ApplicationWindows startApp(const app::MainWindowOptions& options);

// Closes the main window through its close path (which writes the settings).
void closeApp(app::ApplicationWindows& windows);

// Shows the option dialog through the main window's command and lets it draw.
app::Tform_option& openOptionDialog(app::ApplicationWindows& windows);

// A menu item as the user sees it: caption, shortcut ("" for none) and image index
// (-1 for none). A separator reads "-".
struct MenuRow {
    std::string caption;
    std::string shortcut;
    int image = -1;

    bool operator==(const MenuRow&) const = default;
};
std::ostream& operator<<(std::ostream& out, const MenuRow& row);

std::vector<MenuRow> menuRows(const QMenu& menu);
// The captions of the entries of a main menu or of a menu bar.
std::vector<std::string> entryCaptions(const QList<QAction*>& entries);

// The settings file as text, lines ending in CR LF.
std::string iniText(const std::vector<std::string>& lines);

// Catches every address the program hands to the desktop under the given schemes,
// instead of a browser or mail program, while it exists.
class OpenedUrls : public QObject {
    Q_OBJECT

public:
    explicit OpenedUrls(const QStringList& schemes = {"http", "https", "mailto", "file", "ftp"});
    ~OpenedUrls() override;
    OpenedUrls(const OpenedUrls&) = delete;
    OpenedUrls& operator=(const OpenedUrls&) = delete;

    std::vector<QUrl> urls;

public slots:
    void open(const QUrl& url) { urls.push_back(url); }

private:
    QStringList schemes_;
};

} // namespace lumarik::test
