#include "BenchTexts.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "CorpusGenerator.h"

namespace lumarik::bench {

namespace {

int corpusMiB() {
    const char* mb = std::getenv("LUMARIK_BENCH_MB");
    const long value = mb != nullptr ? std::strtol(mb, nullptr, 10) : 100;
    return static_cast<int>(value > 0 && value <= 4096 ? value : 100);
}

uint64_t corpusBytes() {
    return static_cast<uint64_t>(corpusMiB()) * kMiB;
}

std::filesystem::path corpusDir() {
    const char* dir = std::getenv("LUMARIK_BENCH_CORPUS_DIR");
    return dir != nullptr ? std::filesystem::path(dir)
                          : std::filesystem::temp_directory_path() / "lumarik_bench_corpus";
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

const std::filesystem::path& MixedTextFile() {
    static const std::filesystem::path file = [] {
        const std::vector<CorpusFile> files = StandardCorpus({corpusMiB()});
        EnsureCorpus(corpusDir(), {files.front()}, &std::cerr);
        return corpusDir() / files.front().name;
    }();
    return file;
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
