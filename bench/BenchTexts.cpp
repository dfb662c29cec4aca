#include "BenchTexts.h"

#include <cstdint>
#include <cstdlib>

#include "CorpusGenerator.h"

namespace lumarik::bench {

namespace {

uint64_t corpusBytes() {
    const char* mb = std::getenv("LUMARIK_BENCH_MB");
    const long value = mb != nullptr ? std::strtol(mb, nullptr, 10) : 100;
    return static_cast<uint64_t>(value > 0 ? value : 100) * kMiB;
}

} // namespace

const std::string& MixedText() {
    static const std::string text = [] {
        CorpusOptions options;
        options.sizeBytes = corpusBytes();
        return GenerateCorpus(options);
    }();
    return text;
}

const std::string& SingleLineText() {
    static const std::string text = [] {
        CorpusOptions options;
        options.sizeBytes = kHugeLineBytes;
        options.layout = CorpusLayout::SingleLine;
        return GenerateCorpus(options);
    }();
    return text;
}

const std::string& SmallText() {
    static const std::string text = MixedText().substr(0, 64 * 1024);
    return text;
}

} // namespace lumarik::bench
