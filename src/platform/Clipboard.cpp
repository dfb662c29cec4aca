#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <memory>
#include <utility>

#include "platform/CodePage.h"

namespace lumarik::platform {

namespace {

// Our own copies keep their exact bytes: a conversion through Unicode would change
// unmappable bytes and the control-character stand-ins.
const QString kCodePageMime = QStringLiteral("application/x-lumarik-cp932");

std::string_view upToNul(std::string_view s) {
    return s.substr(0, std::min(s.find('\0'), s.size()));
}

bool writeSystemClipboard(std::unique_ptr<QMimeData> data) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) {
        return false;
    }
    const QMimeData* handed = data.get();
    clipboard->setMimeData(data.release());
    // A clipboard that could not take the data (another program kept the ownership)
    // neither holds it nor reports us as its owner.
    return clipboard->mimeData() == handed || clipboard->ownsClipboard();
}

ClipboardWriter& currentWriter() {
    static ClipboardWriter writer = writeSystemClipboard;
    return writer;
}

} // namespace

bool setClipboardText(std::string_view bytes) {
    bytes = upToNul(bytes);
    auto data = std::make_unique<QMimeData>();
    data->setData(kCodePageMime, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    const std::u16string unicode = CodePage::ansi().toPlainUnicode(bytes);
    QString text = QString::fromStdU16String(unicode);
    // Other programs here expect LF line breaks.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    data->setText(text);
    return currentWriter()(std::move(data));
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

ScopedClipboardWriter::ScopedClipboardWriter(ClipboardWriter writer)
    : previous_(std::exchange(currentWriter(), std::move(writer))) {}

ScopedClipboardWriter::~ScopedClipboardWriter() {
    currentWriter() = std::move(previous_);
}

} // namespace lumarik::platform
