#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Deterministic CP932 text for the line store benchmark: the same seed gives the same
// bytes on every machine and standard library.
namespace lumarik::bench {

inline constexpr uint64_t kMiB = 1024 * 1024;
inline constexpr uint64_t kDefaultSeed = 0x4C756D6172696B31; // "Lumarik1"
inline constexpr size_t kMaxShortLineBytes = 200;
inline constexpr size_t kLongLineBytes = 20 * 1024;
inline constexpr size_t kHugeLineBytes = 10 * kMiB;

enum class LineBreakStyle { CRLF, LF, CR };

std::string_view BreakBytes(LineBreakStyle style);

enum class CorpusLayout {
    // Lines of 0-200 bytes, a few lines of kLongLineBytes, optionally one huge line.
    Mixed,
    // A single line filling the file, followed by one line break.
    SingleLine,
};

struct CorpusOptions {
    uint64_t sizeBytes = kMiB; // exact size of the generated text
    LineBreakStyle lineBreak = LineBreakStyle::CRLF;
    CorpusLayout layout = CorpusLayout::Mixed;
    int longLines = 4;
    bool hugeLine = false; // one kHugeLineBytes line in the middle, if it fits
    uint64_t seed = kDefaultSeed;
};

// splitmix64: tiny, fast and fully specified, unlike the standard distributions.
class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}
    uint64_t Next();
    // Uniform enough in [0, n) for test data; n must not be 0.
    uint64_t Below(uint64_t n) { return Next() % n; }
    bool Percent(unsigned p) { return Below(100) < p; }

private:
    uint64_t state_;
};

// Produces lines of whole CP932 characters: a double-byte pair is never cut, so any
// line can be followed by a line break.
class CorpusGenerator {
public:
    explicit CorpusGenerator(uint64_t seed) : random_(seed) {}

    // Appends a line of random kind and of at most maxBytes bytes, without break.
    void AppendShortLine(std::string& out, size_t maxBytes);
    // Appends a prose line of exactly `bytes` bytes, without break.
    void AppendProseLine(std::string& out, size_t bytes);

private:
    void AppendProse(std::string& out, size_t bytes);
    void AppendAsciiText(std::string& out, size_t bytes);
    void AppendHalfWidthKatakana(std::string& out, size_t bytes);
    void AppendTabColumns(std::string& out, size_t bytes);
    // Leaves one prose token (word, run of characters, URL, space...) in token_.
    void NextProseToken();
    void AppendKanji(std::string& out, int count);
    void AppendHiragana(std::string& out, int count);
    void AppendKatakana(std::string& out, int count);
    void AppendUrl(std::string& out);
    void AppendMailAddress(std::string& out);
    void PadAscii(std::string& out, size_t bytes);
    std::string_view Pick(std::span<const std::string_view> words);

    SplitMix64 random_;
    std::string token_;
};

// Generates the whole text and hands it to sink in pieces of about 1 MiB.
void GenerateCorpus(const CorpusOptions& options,
                    const std::function<void(std::string_view)>& sink);
std::string GenerateCorpus(const CorpusOptions& options);

// Writes the text to a temporary file beside path and renames it into place.
// Throws std::runtime_error on failure.
void WriteCorpusFile(const CorpusOptions& options, const std::filesystem::path& path);

struct CorpusFile {
    std::string name;
    CorpusOptions options;
};

// For each size in MiB: crlf_<n>mb.txt, lf_<n>mb.txt and cr_<n>mb.txt; then
// one_10mb_line.txt (a single 10 MiB line ended by CR LF).
std::vector<CorpusFile> StandardCorpus(const std::vector<int>& sizesMiB);

// Writes every file of the set that is missing or has the wrong size; reports each
// file it writes to progress when given. Throws std::runtime_error on failure.
void EnsureCorpus(const std::filesystem::path& dir, const std::vector<CorpusFile>& files,
                  std::ostream* progress);

// Parses "1,10,100"; nothing on a malformed list or a size outside 1..4096.
std::optional<std::vector<int>> ParseSizes(std::string_view text);

} // namespace lumarik::bench
