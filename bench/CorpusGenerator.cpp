#include "CorpusGenerator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace lumarik::bench {

namespace {

constexpr size_t kChunkBytes = kMiB;

// Common words in CP932. Several have 0x5C as trail byte (表, ソ, 予, 能, 十, 申, 構,
// 暴, 貼, ―) and many have trail bytes in the lead-byte range.
constexpr auto kJapaneseWords = std::to_array<std::string_view>({
    "\x95\x5C\x8E\xA6",                                 // 表示
    "\x83\x5C\x83\x74\x83\x67",                         // ソフト
    "\x97\x5C\x92\xE8",                                 // 予定
    "\x94\x5C\x97\xCD",                                 // 能力
    "\x8F\x5C\x95\xAA",                                 // 十分
    "\x90\x5C\x90\xBF",                                 // 申請
    "\x8D\x5C\x90\xAC",                                 // 構成
    "\x93\xFA\x96\x7B\x8C\xEA",                         // 日本語
    "\x95\xB6\x8E\x9A",                                 // 文字
    "\x95\xCF\x8A\xB7",                                 // 変換
    "\x90\xDD\x92\xE8",                                 // 設定
    "\x83\x74\x83\x40\x83\x43\x83\x8B",                 // ファイル
    "\x95\xDB\x91\xB6",                                 // 保存
    "\x93\xC7\x82\xDD\x8D\x9E\x82\xDD",                 // 読み込み
    "\x95\xD2\x8F\x57",                                 // 編集
    "\x8C\x9F\x8D\xF5",                                 // 検索
    "\x92\x75\x8A\xB7",                                 // 置換
    "\x89\xFC\x8D\x73",                                 // 改行
    "\x8B\x40\x94\x5C",                                 // 機能
    "\x98\x41\x97\x8D",                                 // 連絡
    "\x89\xEF\x8B\x63",                                 // 会議
    "\x8E\x91\x97\xBF",                                 // 資料
    "\x8A\x6D\x94\x46",                                 // 確認
    "\x82\xA8\x8A\xE8\x82\xA2\x82\xB5\x82\xDC\x82\xB7", // お願いします
    "\x82\xA0\x82\xE8\x82\xAA\x82\xC6\x82\xA4\x82\xB2\x82\xB4\x82\xA2\x82\xDC\x82"
    "\xB7",                                             // ありがとうございます
    "\x82\xE6\x82\xEB\x82\xB5\x82\xAD",                 // よろしく
    "\x82\xC5\x82\xB7",                                 // です
    "\x82\xDC\x82\xB7",                                 // ます
    "\x82\xB5\x82\xBD",                                 // した
    "\x82\xDC\x82\xB9\x82\xF1",                         // ません
    "\x82\xB1\x82\xC6",                                 // こと
    "\x82\xE0\x82\xCC",                                 // もの
    "\x82\xBD\x82\xDF",                                 // ため
    "\x82\xC9\x82\xC2\x82\xA2\x82\xC4",                 // について
    "\x82\xC9\x82\xE6\x82\xE9",                         // による
    "\x93\x8C\x8B\x9E",                                 // 東京
    "\x91\xE5\x8D\xE3",                                 // 大阪
    "\x8A\x4A\x94\xAD",                                 // 開発
    "\x89\x5E\x97\x70",                                 // 運用
    "\x83\x54\x81\x5B\x83\x6F\x81\x5B",                 // サーバー
    "\x83\x81\x81\x5B\x83\x8B",                         // メール
    "\x83\x5F\x83\x45\x83\x93\x83\x8D\x81\x5B\x83\x68", // ダウンロード
    "\x83\x66\x81\x5B\x83\x5E",                         // データ
    "\x95\x5C",                                         // 表
    "\x96\x5C\x91\x96",                                 // 暴走
    "\x93\x5C\x82\xE8\x95\x74\x82\xAF",                 // 貼り付け
    "\x91\x8B",                                         // 窓
    "\x8A\xBF\x8E\x9A",                                 // 漢字
    "\x82\xD0\x82\xE7\x82\xAA\x82\xC8",                 // ひらがな
    "\x83\x4A\x83\x5E\x83\x4A\x83\x69",                 // カタカナ
    "\x81\x5C",                                         // ―
    "\x81\x75",                                         // 「
    "\x81\x76",                                         // 」
    "\x81\x69",                                         // （
    "\x81\x6A",                                         // ）
    "\x81\x45",                                         // ・
    "\x81\x5B",                                         // ー
    "\x87\x40",                                         // ①
    "\x87\x8A",                                         // ㈱
    "\xEE\xE0",                                         // 髙
    "\xED\x95",                                         // 﨑
    "\x81\x60",                                         // ～
});

constexpr auto kPunctuation = std::to_array<std::string_view>({
    "\x81\x41", // 、
    "\x81\x42", // 。
});

constexpr std::string_view kFullWidthSpace = "\x81\x40";

constexpr auto kAsciiWords = std::to_array<std::string_view>({
    "the",   "file",  "editor", "line",      "text",     "buffer", "save",   "load",
    "open",  "close", "error",  "version",   "Windows",  "Linux",  "README", "config",
    "value", "index", "data",   "test",      "OK",       "NG",     "TODO",   "FIXME",
    "v5.7",  "2024",  "0x5C",   "Shift_JIS", "C:\\Temp", "a.txt",  "(1)",    "#include",
});

// The first entries are plain words, usable in addresses.
constexpr size_t kPlainAsciiWords = 20;

constexpr auto kHosts = std::to_array<std::string_view>({
    "www.example.co.jp",
    "example.com",
    "mail.example.ne.jp",
    "lumarik.example.org",
    "ftp.example.jp",
});

constexpr auto kQuotePrefixes = std::to_array<std::string_view>({">", "> ", ">> ", "> > "});

// Lead bytes whose every trail byte 0x40-0x7E, 0x80-0xFC is an assigned kanji
// (JIS X 0208 rows 17-46 and 49-82).
constexpr auto kKanjiLeads = std::to_array<unsigned char>({
    0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x99,
    0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9,
});

void AppendPair(std::string& out, unsigned lead, unsigned trail) {
    out += static_cast<char>(lead);
    out += static_cast<char>(trail);
}

// Appends up to `bytes` bytes of an ASCII prefix and answers how many bytes are left.
size_t AppendPrefix(std::string& out, std::string_view prefix, size_t bytes) {
    const size_t n = std::min(prefix.size(), bytes);
    out.append(prefix.substr(0, n));
    return bytes - n;
}

} // namespace

std::string_view BreakBytes(LineBreakStyle style) {
    switch (style) {
    case LineBreakStyle::CRLF:
        return "\r\n";
    case LineBreakStyle::LF:
        return "\n";
    case LineBreakStyle::CR:
        return "\r";
    }
    return "\r\n";
}

uint64_t SplitMix64::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
    return z ^ (z >> 31);
}

std::string_view CorpusGenerator::Pick(std::span<const std::string_view> words) {
    return words[random_.Below(words.size())];
}

void CorpusGenerator::AppendKanji(std::string& out, int count) {
    for (int i = 0; i < count; ++i) {
        const unsigned lead = kKanjiLeads[random_.Below(kKanjiLeads.size())];
        // 188 trail bytes: 0x40-0x7E, then 0x80-0xFC.
        unsigned trail = 0x40 + random_.Below(188);
        if (trail >= 0x7F) {
            ++trail;
        }
        AppendPair(out, lead, trail);
    }
}

void CorpusGenerator::AppendHiragana(std::string& out, int count) {
    for (int i = 0; i < count; ++i) {
        AppendPair(out, 0x82, 0x9F + random_.Below(0xF1 - 0x9F + 1));
    }
}

void CorpusGenerator::AppendKatakana(std::string& out, int count) {
    for (int i = 0; i < count; ++i) {
        // 0x8340-0x837E and 0x8380-0x8396.
        unsigned trail = 0x40 + random_.Below(0x96 - 0x40);
        if (trail >= 0x7F) {
            ++trail;
        }
        AppendPair(out, 0x83, trail);
    }
}

void CorpusGenerator::AppendUrl(std::string& out) {
    out += random_.Percent(50) ? "http://" : "https://";
    out += Pick(kHosts);
    const int segments = static_cast<int>(random_.Below(4));
    for (int i = 0; i < segments; ++i) {
        out += '/';
        out += Pick(std::span(kAsciiWords).first(kPlainAsciiWords));
    }
    if (random_.Percent(30)) {
        out += "/index.html?id=";
        out += std::to_string(random_.Below(100000));
    }
}

void CorpusGenerator::AppendMailAddress(std::string& out) {
    if (random_.Percent(20)) {
        out += "mailto:";
    }
    out += Pick(std::span(kAsciiWords).first(kPlainAsciiWords));
    if (random_.Percent(50)) {
        out += '.';
        out += Pick(std::span(kAsciiWords).first(kPlainAsciiWords));
    }
    out += '@';
    out += Pick(kHosts);
}

void CorpusGenerator::NextProseToken() {
    token_.clear();
    const uint64_t roll = random_.Below(100);
    if (roll < 34) {
        token_ += Pick(kJapaneseWords);
    } else if (roll < 48) {
        AppendHiragana(token_, 1 + static_cast<int>(random_.Below(4)));
    } else if (roll < 62) {
        AppendKanji(token_, 1 + static_cast<int>(random_.Below(3)));
    } else if (roll < 70) {
        AppendKatakana(token_, 2 + static_cast<int>(random_.Below(4)));
    } else if (roll < 78) {
        token_ += ' ';
        token_ += Pick(kAsciiWords);
        token_ += ' ';
    } else if (roll < 82) {
        token_ += kFullWidthSpace;
    } else if (roll < 90) {
        token_ += Pick(kPunctuation);
    } else if (roll < 92) {
        token_ += '\t';
    } else if (roll < 94) {
        token_ += ' ';
        AppendUrl(token_);
        token_ += ' ';
    } else if (roll < 96) {
        token_ += ' ';
        AppendMailAddress(token_);
        token_ += ' ';
    } else if (roll < 98) {
        AppendHalfWidthKatakana(token_, 2 + random_.Below(5));
    } else {
        token_ += std::to_string(random_.Below(10000));
    }
}

void CorpusGenerator::PadAscii(std::string& out, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        out += static_cast<char>('a' + random_.Below(26));
    }
}

void CorpusGenerator::AppendProse(std::string& out, size_t bytes) {
    const size_t end = out.size() + bytes;
    while (out.size() < end) {
        NextProseToken();
        const size_t room = end - out.size();
        if (token_.size() > room) {
            PadAscii(out, room);
            break;
        }
        out += token_;
    }
}

void CorpusGenerator::AppendAsciiText(std::string& out, size_t bytes) {
    const size_t end = out.size() + bytes;
    while (out.size() < end) {
        const std::string_view word = Pick(kAsciiWords);
        const size_t room = end - out.size();
        if (word.size() + 1 > room) {
            PadAscii(out, room);
            break;
        }
        out += word;
        out += ' ';
    }
}

void CorpusGenerator::AppendHalfWidthKatakana(std::string& out, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i) {
        out += static_cast<char>(0xA1 + random_.Below(0xDF - 0xA1 + 1));
    }
}

void CorpusGenerator::AppendTabColumns(std::string& out, size_t bytes) {
    const size_t end = out.size() + bytes;
    while (out.size() < end) {
        NextProseToken();
        token_ += '\t';
        const size_t room = end - out.size();
        if (token_.size() > room) {
            PadAscii(out, room);
            break;
        }
        out += token_;
    }
}

void CorpusGenerator::AppendProseLine(std::string& out, size_t bytes) {
    AppendProse(out, bytes);
}

void CorpusGenerator::AppendShortLine(std::string& out, size_t maxBytes) {
    // The shorter of two draws: short lines are more common than long ones.
    const size_t bytes = std::min(random_.Below(maxBytes + 1), random_.Below(maxBytes + 1));
    const uint64_t kind = random_.Below(100);
    if (kind < 6) {
        return; // empty line
    }
    if (kind < 56) {
        AppendProse(out, bytes);
    } else if (kind < 64) {
        AppendAsciiText(out, bytes);
    } else if (kind < 74) {
        AppendProse(out, AppendPrefix(out, Pick(kQuotePrefixes), bytes));
    } else if (kind < 82) {
        AppendProse(out, AppendPrefix(out, random_.Percent(70) ? "\t" : "\t\t", bytes));
    } else if (kind < 88) {
        AppendTabColumns(out, bytes);
    } else if (kind < 95) {
        token_.clear();
        if (random_.Percent(60)) {
            AppendUrl(token_);
        } else {
            AppendMailAddress(token_);
        }
        AppendProse(out, AppendPrefix(out, token_, bytes));
    } else {
        AppendHalfWidthKatakana(out, bytes);
    }
}

void GenerateCorpus(const CorpusOptions& options,
                    const std::function<void(std::string_view)>& sink) {
    const std::string_view lineBreak = BreakBytes(options.lineBreak);
    const uint64_t size = options.sizeBytes;
    CorpusGenerator generator(options.seed);
    std::string buffer;

    if (options.layout == CorpusLayout::SingleLine) {
        if (size >= lineBreak.size()) {
            generator.AppendProseLine(buffer, size - lineBreak.size());
            buffer += lineBreak;
        } else {
            buffer.append(size, 'a');
        }
        sink(buffer);
        return;
    }

    struct LongLine {
        uint64_t at;
        size_t bytes;
    };
    std::vector<LongLine> longLines;
    for (int k = 1; k <= options.longLines; ++k) {
        longLines.push_back({size * k / (options.longLines + 1), kLongLineBytes});
    }
    if (options.hugeLine) {
        longLines.push_back({size / 2, kHugeLineBytes});
    }
    std::stable_sort(longLines.begin(), longLines.end(),
                     [](const LongLine& a, const LongLine& b) { return a.at < b.at; });

    // The last bytes become two short lines sized to end the text exactly.
    const uint64_t tailBytes = 2 * (kMaxShortLineBytes + lineBreak.size());
    buffer.reserve(kChunkBytes + kLongLineBytes);
    uint64_t written = 0;
    size_t nextLong = 0;
    while (size - written > tailBytes) {
        const size_t before = buffer.size();
        if (nextLong < longLines.size() && written >= longLines[nextLong].at) {
            const size_t bytes = longLines[nextLong++].bytes;
            if (bytes + lineBreak.size() + tailBytes >= size - written) {
                continue; // does not fit in a small corpus
            }
            generator.AppendProseLine(buffer, bytes);
        } else {
            generator.AppendShortLine(buffer, kMaxShortLineBytes);
        }
        buffer += lineBreak;
        written += buffer.size() - before;
        if (buffer.size() >= kChunkBytes) {
            sink(buffer);
            buffer.clear();
        }
    }

    const uint64_t rest = size - written;
    const size_t breakBytes = lineBreak.size();
    if (rest >= 2 * breakBytes) {
        const size_t first = (rest - 2 * breakBytes) / 2;
        generator.AppendProseLine(buffer, first);
        buffer += lineBreak;
        generator.AppendProseLine(buffer, rest - 2 * breakBytes - first);
        buffer += lineBreak;
    } else if (rest >= breakBytes) {
        generator.AppendProseLine(buffer, rest - breakBytes);
        buffer += lineBreak;
    } else {
        generator.AppendProseLine(buffer, rest);
    }
    sink(buffer);
}

std::string GenerateCorpus(const CorpusOptions& options) {
    std::string text;
    text.reserve(options.sizeBytes);
    GenerateCorpus(options, [&text](std::string_view piece) { text += piece; });
    return text;
}

void WriteCorpusFile(const CorpusOptions& options, const std::filesystem::path& path) {
    std::filesystem::path temporary = path;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw std::runtime_error("cannot create " + temporary.string());
        }
        GenerateCorpus(options, [&out](std::string_view piece) {
            out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
        });
        out.close();
        if (!out) {
            throw std::runtime_error("cannot write " + temporary.string());
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        throw std::runtime_error("cannot rename " + temporary.string() + ": " + error.message());
    }
}

std::vector<CorpusFile> StandardCorpus(const std::vector<int>& sizesMiB) {
    constexpr std::array<std::pair<LineBreakStyle, std::string_view>, 3> kStyles = {{
        {LineBreakStyle::CRLF, "crlf_"},
        {LineBreakStyle::LF, "lf_"},
        {LineBreakStyle::CR, "cr_"},
    }};
    std::vector<CorpusFile> files;
    for (const int size : sizesMiB) {
        for (const auto& [style, prefix] : kStyles) {
            CorpusOptions options;
            options.sizeBytes = static_cast<uint64_t>(size) * kMiB;
            options.lineBreak = style;
            files.push_back({std::string(prefix) + std::to_string(size) + "mb.txt", options});
        }
    }
    CorpusOptions oneLine;
    oneLine.sizeBytes = kHugeLineBytes + BreakBytes(LineBreakStyle::CRLF).size();
    oneLine.lineBreak = LineBreakStyle::CRLF;
    oneLine.layout = CorpusLayout::SingleLine;
    files.push_back({"one_10mb_line.txt", oneLine});
    return files;
}

void EnsureCorpus(const std::filesystem::path& dir, const std::vector<CorpusFile>& files,
                  std::ostream* progress) {
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        throw std::runtime_error("cannot create " + dir.string() + ": " + error.message());
    }
    for (const CorpusFile& file : files) {
        const std::filesystem::path path = dir / file.name;
        const uintmax_t size = std::filesystem::file_size(path, error);
        if (!error && size == file.options.sizeBytes) {
            continue;
        }
        if (progress != nullptr) {
            *progress << "writing " << path.string() << '\n' << std::flush;
        }
        WriteCorpusFile(file.options, path);
    }
}

std::optional<std::vector<int>> ParseSizes(std::string_view text) {
    std::vector<int> sizes;
    while (true) {
        const size_t comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        int value = 0;
        const auto [end, status] = std::from_chars(item.data(), item.data() + item.size(), value);
        if (status != std::errc() || end != item.data() + item.size() || value < 1 ||
            value > 4096) {
            return std::nullopt;
        }
        sizes.push_back(value);
        if (comma == std::string_view::npos) {
            return sizes;
        }
        text.remove_prefix(comma + 1);
    }
}

} // namespace lumarik::bench
