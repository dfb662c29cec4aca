#pragma once

#include <string>

// The generated texts the editor benchmarks share, made once per run.
namespace lumarik::bench {

// Mixed Japanese and English text of LUMARIK_BENCH_MB MiB (default 100).
const std::string& MixedText();
// One line of 10 MiB.
const std::string& SingleLineText();
// The first 64 KiB of the mixed text.
const std::string& SmallText();

} // namespace lumarik::bench
