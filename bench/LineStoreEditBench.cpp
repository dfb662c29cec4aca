// Times the line store's per-keystroke edits on a big generated text, each beside a
// plain std::vector<std::string> doing the same: a row inserted and deleted again in
// the middle (Enter, then joining the lines), a walk over every row, and typing at the
// end of a 10 MiB row.
//
//   build/bench/lumarik_bench_linestore_edits            # 100 MiB text
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_linestore_edits
//
// The edit benchmarks report the median time of one insert and of one delete
// (insert_us, delete_us) beside Google Benchmark's mean per insert-and-delete pair.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "BenchStats.h"
#include "BenchTexts.h"
#include "editor/Velstrings.h"

namespace {

using namespace lumarik;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kNewRow = "\x82\xA0\x82\xA2\r\n";
// Rows around the middle that the edits visit in turn, so that they meet many chunks.
constexpr int kSpread = 100000;

// The text cut into rows as the store keeps them.
std::vector<std::string> rowsOf(const editor::TVelStrings& store) {
    std::vector<std::string> rows;
    rows.reserve(static_cast<std::size_t>(store.Count()));
    for (int i = 0; i < store.Count(); ++i) {
        rows.push_back(store.Get(i));
    }
    return rows;
}

double microseconds(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}

// Times each insert and each delete on its own; `insert(row)` and `erase(row)` edit the
// container under test.
template <typename Insert, typename Erase>
void insertAndDelete(benchmark::State& state, int rows, Insert insert, Erase erase) {
    std::vector<double> inserts;
    std::vector<double> deletes;
    int step = 0;
    for (auto _ : state) {
        const int row = rows / 2 + (step++ * 7919) % kSpread;
        const auto start = Clock::now();
        insert(row);
        const auto inserted = Clock::now();
        erase(row);
        const auto deleted = Clock::now();
        inserts.push_back(microseconds(inserted - start));
        deletes.push_back(microseconds(deleted - inserted));
    }
    state.counters["rows"] = rows;
    state.counters["insert_us"] = bench::Median(inserts);
    state.counters["delete_us"] = bench::Median(deletes);
}

void BM_InsertDeleteMiddleRow(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::MixedText());
    insertAndDelete(
        state, store.Count(), [&](int row) { store.Insert(row, std::string(kNewRow)); },
        [&](int row) {
            store.Delete(row);
            // An edit is followed by reading the rows it touched.
            benchmark::DoNotOptimize(store.Get(row).size());
        });
}

void BM_InsertDeleteMiddleRow_Vector(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::MixedText());
    std::vector<std::string> rows = rowsOf(store);
    store.Clear();
    insertAndDelete(
        state, static_cast<int>(rows.size()),
        [&](int row) { rows.insert(rows.begin() + row, std::string(kNewRow)); },
        [&](int row) {
            rows.erase(rows.begin() + row);
            benchmark::DoNotOptimize(rows[static_cast<std::size_t>(row)].size());
        });
}

void BM_WalkAllRows(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::MixedText());
    for (auto _ : state) {
        int64_t bytes = 0;
        for (int i = 0; i < store.Count(); ++i) {
            bytes += static_cast<int64_t>(store.Get(i).size());
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows"] = store.Count();
}

void BM_WalkAllRows_Vector(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::MixedText());
    const std::vector<std::string> rows = rowsOf(store);
    store.Clear();
    for (auto _ : state) {
        int64_t bytes = 0;
        for (const std::string& row : rows) {
            bytes += static_cast<int64_t>(row.size());
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}

// A double-byte character typed in front of the line break of a 10 MiB row, then
// deleted again.
void BM_TypeAtEndOfLongRow(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::SingleLineText());
    const int col = static_cast<int>(store.Get(0).size()) - 2;
    for (auto _ : state) {
        store.InsertBytes(0, col, "\x82\xA0");
        store.EraseBytes(0, col, 2);
    }
    state.counters["row_bytes"] = static_cast<double>(store.Get(0).size());
}

// The same keystroke done by copying the row and putting it back.
void BM_TypeAtEndOfLongRow_CopyAndPut(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::SingleLineText());
    const auto col = store.Get(0).size() - 2;
    for (auto _ : state) {
        std::string row = store.Get(0);
        row.insert(col, "\x82\xA0");
        store.Put(0, std::move(row));
        row = store.Get(0);
        row.erase(col, 2);
        store.Put(0, std::move(row));
    }
    state.counters["row_bytes"] = static_cast<double>(store.Get(0).size());
}

BENCHMARK(BM_InsertDeleteMiddleRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InsertDeleteMiddleRow_Vector)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WalkAllRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WalkAllRows_Vector)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TypeAtEndOfLongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeAtEndOfLongRow_CopyAndPut)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
