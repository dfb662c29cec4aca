// The main window's commands that hand an address to the user's browser or mail
// program: Mail/Browse on the selected text, and the home page.
#include "app/MainWindow.h"

#include "editor/VelEdit.h"
#include "platform/CodePage.h"
#include "platform/Shell.h"

#include <QUrl>

namespace lumarik::app {
namespace {

const QString kHomePage = QStringLiteral("http://www.example.com/");

// The address a selected text stands for. Only a text that is exactly one absolute
// web address (spaces around it aside) opens as one: a text that merely contains
// "http://" could name a local file or program. Else a text with "@" is taken as a
// mail address, encoded whole into the address, so that nothing in it can add mail
// headers. Anything else stands for no address.
QUrl addressOfSelection(const QString& selection) {
    const QString text = selection.trimmed();
    const QUrl url(text, QUrl::StrictMode);
    if (platform::isWebAddress(url)) {
        return url;
    }
    if (text.contains(QLatin1Char('@'))) {
        return QUrl::fromEncoded("mailto:" + QUrl::toPercentEncoding(text, "@"), QUrl::StrictMode);
    }
    return {};
}

} // namespace

void TFormEditor::internetClick() {
    const std::string selected = RichEdit1->GetSelText();
    if (selected.empty()) {
        return;
    }
    const QUrl address = addressOfSelection(
        QString::fromStdU16String(platform::CodePage::ansi().toPlainUnicode(selected)));
    if (!address.isEmpty()) {
        platform::openAddress(address);
    }
}

void TFormEditor::HomePageClick() {
    platform::openAddress(QUrl(kHomePage));
}

} // namespace lumarik::app
