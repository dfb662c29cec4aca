// Writes the benchmark corpus: lumarik_make_corpus OUT_DIR [--sizes 1,10,100]
// Files already present with the right size are kept.

#include <exception>
#include <iostream>
#include <optional>
#include <string_view>
#include <vector>

#include "CorpusGenerator.h"

namespace {

int Usage() {
    std::cerr << "usage: lumarik_make_corpus OUT_DIR [--sizes 1,10,100]\n"
                 "  sizes are in MiB; each size gives crlf_, lf_ and cr_ files,\n"
                 "  and one_10mb_line.txt is always written\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    using namespace lumarik::bench;
    std::optional<std::string_view> outDir;
    std::vector<int> sizes = {1, 10, 100};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--sizes" && i + 1 < argc) {
            const auto parsed = ParseSizes(argv[++i]);
            if (!parsed) {
                return Usage();
            }
            sizes = *parsed;
        } else if (!arg.starts_with("-") && !outDir) {
            outDir = arg;
        } else {
            return Usage();
        }
    }
    if (!outDir) {
        return Usage();
    }
    try {
        EnsureCorpus(*outDir, StandardCorpus(sizes), &std::cout);
    } catch (const std::exception& e) {
        std::cerr << "lumarik_make_corpus: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
