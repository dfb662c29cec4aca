#include "platform/CodePage.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace lumarik::platform {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr char16_t kUnassignedPair = 0x3013;
constexpr uint16_t kNotLookedUp = 0xFFFF;
constexpr uint16_t kUnmappable = 0xFFFE;

enum class Decoded { Ok, Incomplete, Invalid };

#ifdef _WIN32

constexpr UINT kCodePage = 932;

Decoded decodeSequence(const unsigned char* bytes, size_t length, char16_t& out) {
    if (length == 1 && IsDBCSLeadByteEx(kCodePage, bytes[0])) {
        return Decoded::Incomplete;
    }
    wchar_t wide[2];
    int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS,
                                reinterpret_cast<const char*>(bytes), int(length), wide, 2);
    if (n != 1) {
        return Decoded::Invalid;
    }
    out = char16_t(wide[0]);
    return Decoded::Ok;
}

#else

// One converter per direction; the code page is fixed for the life of the process.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        // iconv_open answers (iconv_t)-1 on failure.
        if (reinterpret_cast<intptr_t>(cd_) == -1) {
            throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
        }
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all of in; returns the bytes written or -1 with errno set.
    long convert(const char* in, size_t inLength, char* out, size_t outSize) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        char* outPtr = out;
        size_t outLeft = outSize;
        if (iconv(cd_, &inPtr, &inLength, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            return -1;
        }
        return long(outSize - outLeft);
    }

private:
    iconv_t cd_;
};

// "CP932" is the Windows variant (0x5C is the backslash, NEC and IBM extensions
// included); plain "SHIFT_JIS" differs from what Japanese Windows files hold.
constexpr const char* kCodePageName = "CP932";

Decoded decodeSequence(const unsigned char* bytes, size_t length, char16_t& out) {
    static Converter toUtf16("UTF-16LE", kCodePageName);
    char buffer[8];
    long n = toUtf16.convert(reinterpret_cast<const char*>(bytes), length, buffer, sizeof buffer);
    if (n < 0) {
        return errno == EINVAL ? Decoded::Incomplete : Decoded::Invalid;
    }
    if (n != 2) {
        return Decoded::Invalid;
    }
    out = char16_t(static_cast<unsigned char>(buffer[0]) |
                   (static_cast<unsigned char>(buffer[1]) << 8));
    return Decoded::Ok;
}

#endif

char16_t controlPicture(unsigned char byte) {
    return byte == 0x7F ? char16_t(0x2421) : char16_t(0x2400 + byte);
}

} // namespace

const CodePage& CodePage::ansi() {
    static const CodePage instance;
    return instance;
}

CodePage::CodePage() : doubleBytes_(new char16_t[0x10000]()), encoded_(new uint16_t[0x10000]) {
    for (int b = 0; b < 256; ++b) {
        auto byte = static_cast<unsigned char>(b);
        char16_t ch = 0;
        Decoded result = decodeSequence(&byte, 1, ch);
        leadBytes_[b] = result == Decoded::Incomplete;
        if (b < 0x20 || b == 0x7F) {
            singleBytes_[b] = controlPicture(byte);
        } else if (result == Decoded::Ok) {
            singleBytes_[b] = ch;
        } else {
            singleBytes_[b] = kReplacement;
        }
    }
    for (int lead = 0; lead < 256; ++lead) {
        if (!leadBytes_[lead]) {
            continue;
        }
        for (int trail = 0; trail < 256; ++trail) {
            const unsigned char pair[2] = {static_cast<unsigned char>(lead),
                                           static_cast<unsigned char>(trail)};
            char16_t ch = 0;
            doubleBytes_[lead * 256 + trail] =
                decodeSequence(pair, 2, ch) == Decoded::Ok ? ch : kUnassignedPair;
        }
    }
    for (int i = 0; i < 0x10000; ++i) {
        encoded_[i] = kNotLookedUp;
    }
}

CodePage::~CodePage() = default;

char16_t CodePage::doubleByteChar(unsigned char lead, unsigned char trail) const {
    return leadBytes_[lead] ? doubleBytes_[lead * 256 + trail] : singleBytes_[lead];
}

std::u16string CodePage::toUnicode(std::string_view bytes, bool singleByte) const {
    std::u16string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        if (singleByte || !leadBytes_[byte]) {
            text.push_back(singleBytes_[byte]);
        } else if (i + 1 < bytes.size()) {
            text.push_back(doubleBytes_[byte * 256 + static_cast<unsigned char>(bytes[i + 1])]);
            ++i;
        } else {
            text.push_back(kReplacement);
        }
    }
    return text;
}

std::u16string CodePage::toPlainUnicode(std::string_view bytes) const {
    std::u16string text = toUnicode(bytes);
    // The control pictures (U+2400 + byte, U+2421 for DEL) never come from the code
    // page itself, so each stands for exactly one control byte.
    for (char16_t& unit : text) {
        if (unit >= 0x2400 && unit < 0x2420) {
            unit = char16_t(unit - 0x2400);
        } else if (unit == 0x2421) {
            unit = 0x7F;
        }
    }
    return text;
}

uint16_t CodePage::encode(char32_t ch) const {
    if (ch < 0x80) {
        return uint16_t(ch);
    }
    if (ch > 0xFFFF) {
        return kUnmappable;
    }
    uint16_t& cached = encoded_[ch];
    if (cached != kNotLookedUp) {
        return cached;
    }
    cached = kUnmappable;
#ifdef _WIN32
    wchar_t wide = wchar_t(ch);
    char out[4];
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, out, sizeof out, nullptr,
                                &lossy);
    if (!lossy && (n == 1 || n == 2)) {
        cached = n == 1 ? uint16_t(static_cast<unsigned char>(out[0]))
                        : uint16_t(static_cast<unsigned char>(out[0]) * 256 +
                                   static_cast<unsigned char>(out[1]));
    }
#else
    static Converter fromUtf16(kCodePageName, "UTF-16LE");
    const char in[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
    char out[8];
    long n = fromUtf16.convert(in, 2, out, sizeof out);
    if (n == 1) {
        cached = static_cast<unsigned char>(out[0]);
    } else if (n == 2) {
        cached =
            uint16_t(static_cast<unsigned char>(out[0]) * 256 + static_cast<unsigned char>(out[1]));
    }
#endif
    return cached;
}

std::string CodePage::fromUnicode(std::u16string_view text) const {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t ch = text[i];
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
            bytes.push_back('?');
            continue;
        }
        uint16_t code = encode(ch);
        if (code == kUnmappable) {
            bytes.push_back('?');
        } else if (code < 0x100) {
            bytes.push_back(static_cast<char>(code));
        } else {
            bytes.push_back(static_cast<char>(code >> 8));
            bytes.push_back(static_cast<char>(code & 0xFF));
        }
    }
    return bytes;
}

bool CodePage::canEncode(char32_t ch) const {
    if (ch < 0x80) {
        return true;
    }
    const uint16_t code = encode(ch);
    if (code == kUnmappable) {
        return false;
    }
    // A best fit (say a yen sign to a backslash) reads back as another character.
    const char16_t back = code < 0x100 ? singleBytes_[code] : doubleBytes_[code];
    return back == ch;
}

std::string CodePage::lowerCase(std::string_view bytes, bool singleByte) const {
    std::string lower(bytes);
    for (size_t i = 0; i < lower.size(); ++i) {
        auto byte = static_cast<unsigned char>(lower[i]);
        if (!singleByte && leadBytes_[byte]) {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            lower[i] = static_cast<char>(byte + ('a' - 'A'));
        }
    }
    return lower;
}

} // namespace lumarik::platform
