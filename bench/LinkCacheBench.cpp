// Times the links of a 10 MiB row after a keystroke at its end: the key typed is
// reported to the link cache as an edit of that row, then the row's links are asked
// for, as the repaint does. Beside it, the same with the row's links forgotten, which
// scans the whole row again.
//
//   build/bench/lumarik_bench_link_cache
//
// Each benchmark reports the median time of one RowLinks call (links_us) and the
// number of links on the row.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "BenchStats.h"
#include "BenchTexts.h"
#include "editor/LinkCarryCache.h"
#include "editor/MarkupRules.h"
#include "editor/Velstrings.h"

namespace {

using namespace lumarik;
using Clock = std::chrono::steady_clock;

constexpr size_t kRowBytes = 10u << 20;

// One row of about 10 MiB built from `unit`, ending its line.
std::string rowOf(std::string_view unit) {
    std::string row;
    row.reserve(kRowBytes + unit.size() + 2);
    while (row.size() < kRowBytes) {
        row += unit;
    }
    return row + "\r\n";
}

// Japanese text with tabs and ASCII words, with or without a web and a mail address in
// every unit of about 200 bytes.
std::string rowText(int kind) {
    const std::string prose = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x81\x42"
                              "abc def\t\x83\x65\x83\x4c\x83\x58\x83\x67 ";
    switch (kind) {
    case 0:
        return rowOf(prose + prose + prose + prose + prose);
    case 1:
        return rowOf(prose + "see http://example.jp/a/b?c=1 " + prose + "mail:x@y.jp " + prose +
                     prose);
    default:
        return bench::SingleLineText();
    }
}

const char* kindName(int kind) {
    return kind == 0 ? "no_links" : kind == 1 ? "dense_links" : "corpus";
}

// A double-byte character typed in front of the line break and deleted again, each
// followed by the links of the row; `forget` tells the cache about each edit.
template <typename Forget> void typeAndAskLinks(benchmark::State& state, Forget forget) {
    const int kind = static_cast<int>(state.range(0));
    editor::TVelStrings store;
    store.Add(rowText(kind));
    store.Add(std::string(2, '\0'));
    editor::LinkCarryCache cache;
    const editor::MarkupRules rules;
    const size_t links = cache.RowLinks(store, 0, rules).size();
    const int col = static_cast<int>(store.Get(0).size()) - 2;
    std::vector<double> times;
    auto askLinks = [&] {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(cache.RowLinks(store, 0, rules).size());
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    };
    for (auto _ : state) {
        store.InsertBytes(0, col, "\x82\xA0");
        forget(cache, col);
        askLinks();
        store.EraseBytes(0, col, 2);
        forget(cache, col);
        askLinks();
    }
    state.SetLabel(kindName(kind));
    state.counters["links"] = static_cast<double>(links);
    state.counters["links_us"] = bench::Median(times);
}

void BM_LinksAfterTypingAtRowEnd(benchmark::State& state) {
    typeAndAskLinks(state, [](editor::LinkCarryCache& cache, int col) {
        cache.RowEdited(0, static_cast<size_t>(col));
    });
}

void BM_LinksAfterTypingAtRowEnd_FullRescan(benchmark::State& state) {
    typeAndAskLinks(state, [](editor::LinkCarryCache& cache, int) { cache.InvalidateFrom(0); });
}

BENCHMARK(BM_LinksAfterTypingAtRowEnd)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LinksAfterTypingAtRowEnd_FullRescan)
    ->DenseRange(0, 2)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
