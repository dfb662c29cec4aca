#pragma once

#include <filesystem>
#include <string>

// The generated texts the editor benchmarks share, made once per run.
namespace lumarik::bench {

// Mixed Japanese and English text of LUMARIK_BENCH_MB MiB (default 100).
const std::string& MixedText();
// The same text as a CR LF file of the shared corpus folder ($LUMARIK_BENCH_CORPUS_DIR,
// else <tmp>/lumarik_bench_corpus), written when missing or of the wrong size.
const std::filesystem::path& MixedTextFile();
// One line of 10 MiB.
const std::string& SingleLineText();
// The first 64 KiB of the mixed text.
const std::string& SmallText();

} // namespace lumarik::bench
