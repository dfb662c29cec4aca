#pragma once

#include <QValidator>

#include <string>

namespace lumarik::platform {

// Keeps a line edit to characters the code page can encode: whatever else is typed,
// pasted or committed by the input method is dropped, so the box shows exactly the
// text its bytes will hold.
class CodePageValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

// Text from such a box as code-page bytes.
std::string codePageBytes(const QString& text);

} // namespace lumarik::platform
