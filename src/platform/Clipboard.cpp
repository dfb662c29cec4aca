#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>

#include "platform/CodePage.h"

namespace lumarik::platform {

namespace {

// Our own copies keep their exact bytes: a conversion through Unicode would change
// unmappable bytes and the control-character stand-ins.
const QString kCodePageMime = QStringLiteral("application/x-lumarik-cp932");

std::string_view upToNul(std::string_view s) {
    return s.substr(0, std::min(s.find('\0'), s.size()));
}

} // namespace

bool setClipboardText(std::string_view bytes) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    bytes = upToNul(bytes);
    auto data = std::make_unique<QMimeData>();
    data->setData(kCodePageMime, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    const std::u16string unicode = CodePage::ansi().toPlainUnicode(bytes);
    QString text = QString::fromStdU16String(unicode);
    // Other programs here expect LF line breaks.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    data->setText(text);
    clipboard->setMimeData(data.release());
    return true;
}

std::optional<std::string> clipboardText() {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard != nullptr ? clipboard->mimeData() : nullptr;
    if (data == nullptr) {
        return std::nullopt;
    }
    if (data->hasFormat(kCodePageMime)) {
        const QByteArray bytes = data->data(kCodePageMime);
        return std::string(upToNul(std::string_view(bytes.constData(), bytes.size())));
    }
    if (!data->hasText()) {
        return std::nullopt;
    }
    QString text = data->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar(u'\r'), QChar(u'\n'));
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const std::string bytes = CodePage::ansi().fromUnicode(text.toStdU16String());
    return std::string(upToNul(bytes));
}

} // namespace lumarik::platform
