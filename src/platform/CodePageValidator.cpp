#include "platform/CodePageValidator.h"

#include "platform/CodePage.h"

namespace lumarik::platform {

namespace {

// Removes the characters the code page cannot encode; pos follows the characters in
// front of it. A surrogate pair is one character beyond the code page.
void dropUnencodable(QString& text, int* pos) {
    const CodePage& codePage = CodePage::ansi();
    QString kept;
    kept.reserve(text.size());
    int keptBeforePos = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1].unicode());
        const qsizetype units = pair ? 2 : 1;
        if (!pair && !QChar::isSurrogate(unit) && codePage.canEncode(unit)) {
            kept.append(text[i]);
            if (pos != nullptr && i < *pos) {
                ++keptBeforePos;
            }
        }
        i += units - 1;
    }
    if (pos != nullptr) {
        *pos = keptBeforePos;
    }
    text = kept;
}

} // namespace

QValidator::State CodePageValidator::validate(QString& input, int& pos) const {
    dropUnencodable(input, &pos);
    return Acceptable;
}

void CodePageValidator::fixup(QString& input) const {
    dropUnencodable(input, nullptr);
}

std::string codePageBytes(const QString& text) {
    return CodePage::ansi().fromUnicode(text.toStdU16String());
}

} // namespace lumarik::platform
