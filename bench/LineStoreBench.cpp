// Times TVelStrings::LoadFromFile and SaveToFile against plain baselines, side by side
// in one run, on the generated CP932 corpus; then prints each as a ratio to its baseline
// together with the peak memory of a load per MiB of file.
//
// Flags (besides Google Benchmark's own):
//   --sizes=1,10,100   corpus sizes in MiB (env LUMARIK_BENCH_SIZES; default 1,10)
//   --corpus_dir=DIR   where the corpus lives; files of the right size are reused
//                      (env LUMARIK_BENCH_CORPUS_DIR; default <tmp>/lumarik_bench_corpus)

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "CorpusGenerator.h"
#include "FreshProcess.h"
#include "editor/Velstrings.h"

namespace {

namespace fs = std::filesystem;
using lumarik::bench::BreakBytes;
using lumarik::bench::CorpusFile;
using lumarik::bench::kMiB;
using lumarik::bench::LineBreakStyle;
using lumarik::bench::ResetPeakMemory;
using lumarik::bench::RunFreshCopy;
using lumarik::bench::StatusKiB;
using lumarik::editor::TVelStrings;

constexpr std::string_view kPeakProbeFlag = "--lumarik-peak-probe";
constexpr std::string_view kProbeStore = "store";
constexpr std::string_view kProbeBaseline = "baseline";
constexpr int kDefaultRepetitions = 3;
constexpr const char* kMinStatistic = "min";

enum class Operation { ReadAndSplit, LoadFromFile, WriteBaseline, SyncedWriteBaseline, SaveToFile };

std::string BenchmarkName(const std::string& file, Operation operation) {
    switch (operation) {
    case Operation::ReadAndSplit:
        return "load/baseline/" + file;
    case Operation::LoadFromFile:
        return "load/LoadFromFile/" + file;
    case Operation::WriteBaseline:
        return "save/baseline/" + file;
    case Operation::SyncedWriteBaseline:
        return "save/baseline_synced/" + file;
    case Operation::SaveToFile:
        return "save/SaveToFile/" + file;
    }
    return file;
}

// The last byte of a line break: lines are split right after it.
char SplitByte(LineBreakStyle style) {
    return BreakBytes(style).back();
}

std::string ReadWholeFile(const fs::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw std::runtime_error("cannot open " + path.string());
    }
    std::string data(fs::file_size(path), '\0');
    const size_t got = std::fread(data.data(), 1, data.size(), file);
    std::fclose(file);
    if (got != data.size()) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return data;
}

// The load baseline: one read of the whole file, then one string per line, each
// keeping its break bytes as the store's lines keep their terminators.
std::vector<std::string> ReadAndSplit(const fs::path& path, char splitByte) {
    const std::string data = ReadWholeFile(path);
    const std::string_view text = data;
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t hit = text.find(splitByte, start);
        const size_t end = hit == std::string_view::npos ? text.size() : hit + 1;
        lines.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

// What SaveToFile should write for a file: the same text with every break as CR LF.
std::string WithCrLfBreaks(std::string_view text, LineBreakStyle style) {
    if (style == LineBreakStyle::CRLF) {
        return std::string(text);
    }
    const char breakByte = SplitByte(style);
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == breakByte) {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

void WriteWholeFile(const fs::path& path, std::string_view data) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        throw std::runtime_error("cannot create " + path.string());
    }
    const size_t put = std::fwrite(data.data(), 1, data.size(), file);
    if (std::fclose(file) != 0 || put != data.size()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

// The same bytes written as a crash-safe save must write them: to a new file, flushed
// to the disk, then renamed over the old one. SaveToFile does this too, so this
// baseline tells the cost of durability from the cost of the store.
void WriteWholeFileSynced(const fs::path& path, std::string_view data) {
    fs::path temporary = path;
    temporary += ".new";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        throw std::runtime_error("cannot create " + temporary.string());
    }
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t put = write(fd, data.data() + done, data.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0) {
            close(fd);
            throw std::runtime_error("cannot write " + temporary.string());
        }
        done += static_cast<size_t>(put);
    }
    const bool synced = fsync(fd) == 0;
    if (close(fd) != 0 || !synced) {
        throw std::runtime_error("cannot flush " + temporary.string());
    }
    fs::rename(temporary, path);
}

// Timed runs exclude freeing the loaded text (both for the store and the baseline):
// the figure of interest is the load itself.
void BenchReadAndSplit(benchmark::State& state, const fs::path& path, char splitByte) {
    size_t lines = 0;
    for (auto _ : state) {
        auto result = std::make_unique<std::vector<std::string>>(ReadAndSplit(path, splitByte));
        lines = result->size();
        benchmark::DoNotOptimize(result->data());
        state.PauseTiming();
        result.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
    state.counters["lines"] = static_cast<double>(lines);
}

void BenchLoadFromFile(benchmark::State& state, const fs::path& path) {
    int lines = 0;
    for (auto _ : state) {
        auto store = std::make_unique<TVelStrings>();
        if (!store->LoadFromFile(path)) {
            state.SkipWithError(("LoadFromFile failed: " + store->LastError()).c_str());
            break;
        }
        lines = store->Count();
        benchmark::DoNotOptimize(lines);
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
    state.counters["lines"] = lines;
}

// A loaded store and the bytes its SaveToFile writes, shared by the three save
// benchmarks of one file so the file is loaded once.
struct SaveFixture {
    fs::path source;
    std::unique_ptr<TVelStrings> store;
    std::string savedBytes;
    bool roundTripExact = false;
};

SaveFixture& FixtureFor(const CorpusFile& file, const fs::path& source, const fs::path& target) {
    static SaveFixture fixture;
    if (fixture.source == source && fixture.store) {
        return fixture;
    }
    fixture = SaveFixture{};
    fixture.store = std::make_unique<TVelStrings>();
    if (!fixture.store->LoadFromFile(source)) {
        throw std::runtime_error("LoadFromFile failed: " + fixture.store->LastError());
    }
    if (!fixture.store->SaveToFile(target)) {
        throw std::runtime_error("SaveToFile failed: " + fixture.store->LastError());
    }
    fixture.savedBytes = ReadWholeFile(target);
    fixture.roundTripExact =
        fixture.savedBytes == WithCrLfBreaks(ReadWholeFile(source), file.options.lineBreak);
    fixture.source = source;
    return fixture;
}

void BenchSave(benchmark::State& state, const CorpusFile& file, const fs::path& source,
               const fs::path& target, Operation operation) {
    try {
        const SaveFixture& fixture = FixtureFor(file, source, target);
        for (auto _ : state) {
            if (operation == Operation::WriteBaseline) {
                WriteWholeFile(target, fixture.savedBytes);
            } else if (operation == Operation::SyncedWriteBaseline) {
                WriteWholeFileSynced(target, fixture.savedBytes);
            } else if (!fixture.store->SaveToFile(target)) {
                state.SkipWithError(("SaveToFile failed: " + fixture.store->LastError()).c_str());
                break;
            }
        }
        state.SetBytesProcessed(state.iterations() *
                                static_cast<int64_t>(fixture.savedBytes.size()));
        state.counters["lines"] = fixture.store->Count();
        if (operation == Operation::SaveToFile) {
            state.SetLabel(fixture.roundTripExact ? "round trip exact"
                                                  : "ROUND TRIP DIFFERS FROM INPUT");
        }
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
    }
}

// Keeps the best time per iteration of every benchmark for the ratio table. In compact
// mode (our default repetitions) the console shows only the best repetition and the
// coefficient of variation, which tells how noisy the machine was.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool compact)
        : ConsoleReporter(isatty(STDOUT_FILENO) != 0 ? OO_Defaults : OO_Tabular),
          compact_(compact) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        if (!compact_) {
            ConsoleReporter::ReportRuns(runs);
        } else {
            std::vector<Run> shown;
            std::copy_if(runs.begin(), runs.end(), std::back_inserter(shown), [](const Run& run) {
                return run.error_occurred || run.aggregate_name == kMinStatistic ||
                       run.aggregate_name == "cv";
            });
            if (!shown.empty()) {
                ConsoleReporter::ReportRuns(shown);
            }
        }
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations <= 0) {
                continue;
            }
            const auto iterations = static_cast<double>(run.iterations);
            Keep(realSeconds_, run.run_name.function_name, run.real_accumulated_time / iterations);
            Keep(cpuSeconds_, run.run_name.function_name, run.cpu_accumulated_time / iterations);
        }
    }

    std::optional<double> Seconds(const std::string& name) const {
        return Find(realSeconds_, name);
    }
    // CPU time of the benchmark's thread: steadier than wall time when other processes
    // compete for the cores, but blind to time spent waiting for the disk.
    std::optional<double> CpuSeconds(const std::string& name) const {
        return Find(cpuSeconds_, name);
    }

private:
    using Times = std::map<std::string, double>;

    static void Keep(Times& times, const std::string& name, double seconds) {
        const auto [it, added] = times.try_emplace(name, seconds);
        if (!added) {
            it->second = std::min(it->second, seconds);
        }
    }

    static std::optional<double> Find(const Times& times, const std::string& name) {
        const auto it = times.find(name);
        return it == times.end() ? std::nullopt : std::optional<double>(it->second);
    }

    bool compact_;
    Times realSeconds_;
    Times cpuSeconds_;
};

// Peak memory of a load. Each load runs in a freshly exec'd copy of this program: a
// forked child would inherit the parent's heap, whose freed pages can absorb the
// load's allocations and hide them. The child resets its high-water mark
// (/proc/self/clear_refs "5", so start-up does not count), notes VmRSS, loads, and
// reports VmHWM; the growth is VmHWM - VmRSS.
struct PeakMemory {
    int64_t beforeKiB = 0;
    int64_t peakKiB = 0;
    int64_t GrowthKiB() const { return peakKiB - beforeKiB; }
};

int RunPeakProbe(std::string_view what, char splitByte, const fs::path& path) {
    ResetPeakMemory();
    PeakMemory memory;
    memory.beforeKiB = StatusKiB("VmRSS:");
    if (what == kProbeStore) {
        TVelStrings store;
        if (!store.LoadFromFile(path)) {
            return 1;
        }
        memory.peakKiB = StatusKiB("VmHWM:");
    } else {
        const std::vector<std::string> lines = ReadAndSplit(path, splitByte);
        benchmark::DoNotOptimize(lines.data());
        memory.peakKiB = StatusKiB("VmHWM:");
    }
    std::printf("%lld %lld\n", static_cast<long long>(memory.beforeKiB),
                static_cast<long long>(memory.peakKiB));
    return memory.beforeKiB < 0 || memory.peakKiB < 0 ? 1 : 0;
}

std::optional<PeakMemory> ProbePeak(std::string_view what, char splitByte, const fs::path& path) {
    const std::optional<std::string> output =
        RunFreshCopy({std::string(kPeakProbeFlag), std::string(what),
                      std::to_string(static_cast<unsigned char>(splitByte)), path.string()});
    if (!output) {
        return std::nullopt;
    }
    PeakMemory memory;
    std::istringstream fields(*output);
    if (!(fields >> memory.beforeKiB >> memory.peakKiB)) {
        return std::nullopt;
    }
    return memory;
}

struct Settings {
    fs::path corpusDir;
    std::vector<int> sizes = {1, 10};
};

// Takes our flags out of argv (after Google Benchmark took its own) so that anything
// left is reported as unrecognised.
std::optional<Settings> ParseSettings(int& argc, char** argv) {
    Settings settings;
    const char* envDir = std::getenv("LUMARIK_BENCH_CORPUS_DIR");
    settings.corpusDir = envDir != nullptr && *envDir != '\0'
                             ? fs::path(envDir)
                             : fs::temp_directory_path() / "lumarik_bench_corpus";
    std::optional<std::string_view> sizes;
    if (const char* envSizes = std::getenv("LUMARIK_BENCH_SIZES"); envSizes != nullptr) {
        sizes = envSizes;
    }
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--sizes=")) {
            sizes = arg.substr(std::strlen("--sizes="));
        } else if (arg.starts_with("--corpus_dir=")) {
            settings.corpusDir = arg.substr(std::strlen("--corpus_dir="));
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    if (sizes) {
        const auto parsed = lumarik::bench::ParseSizes(*sizes);
        if (!parsed) {
            std::cerr << "bad size list: " << *sizes << " (expected e.g. 1,10,100)\n";
            return std::nullopt;
        }
        settings.sizes = *parsed;
    }
    return settings;
}

double Smallest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// Registers the five benchmarks of one file next to each other, so that each store
// operation runs right after its baseline. Without the user's own repetition count,
// each runs kDefaultRepetitions times and the best repetition counts.
void RegisterFileBenchmarks(const CorpusFile& file, const fs::path& corpusDir,
                            const fs::path& outDir, bool defaultRepetitions) {
    const fs::path source = corpusDir / file.name;
    const fs::path target = outDir / file.name;
    const char splitByte = SplitByte(file.options.lineBreak);
    const auto configure = [defaultRepetitions](benchmark::internal::Benchmark* bench) {
        bench->Unit(benchmark::kMillisecond)->UseRealTime();
        if (defaultRepetitions) {
            bench->Repetitions(kDefaultRepetitions)->ComputeStatistics(kMinStatistic, Smallest);
        }
    };
    configure(
        benchmark::RegisterBenchmark(BenchmarkName(file.name, Operation::ReadAndSplit).c_str(),
                                     [source, splitByte](benchmark::State& state) {
                                         BenchReadAndSplit(state, source, splitByte);
                                     }));
    configure(benchmark::RegisterBenchmark(
        BenchmarkName(file.name, Operation::LoadFromFile).c_str(),
        [source](benchmark::State& state) { BenchLoadFromFile(state, source); }));
    for (const Operation operation :
         {Operation::WriteBaseline, Operation::SyncedWriteBaseline, Operation::SaveToFile}) {
        configure(benchmark::RegisterBenchmark(
            BenchmarkName(file.name, operation).c_str(),
            [file, source, target, operation](benchmark::State& state) {
                BenchSave(state, file, source, target, operation);
            }));
    }
}

std::string Milliseconds(std::optional<double> seconds) {
    if (!seconds) {
        return "-";
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.1f", *seconds * 1000.0);
    return text.data();
}

std::string Ratio(std::optional<double> value, std::optional<double> baseline) {
    if (!value || !baseline || *baseline <= 0.0) {
        return "-";
    }
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%.2fx", *value / *baseline);
    return text.data();
}

std::string PerMiB(const std::optional<PeakMemory>& memory, uintmax_t fileBytes) {
    if (!memory || fileBytes == 0) {
        return "-";
    }
    std::array<char, 48> text{};
    const double growthMiB = static_cast<double>(memory->GrowthKiB()) / 1024.0;
    std::snprintf(text.data(), text.size(), "%.2f (%.0f)",
                  growthMiB / (static_cast<double>(fileBytes) / kMiB), growthMiB);
    return text.data();
}

void PrintSummary(const RatioReporter& reporter, const std::vector<CorpusFile>& files,
                  const fs::path& corpusDir) {
    std::printf("\nLine store against the baselines: best wall time per iteration in ms; ratio ="
                " store / baseline\n(cpu: the same for CPU time); memory = peak RSS growth of one"
                " load in MiB per MiB\nof file (total MiB)\n\n");
    const char* const row = "%-18s %8s %8s %6s %6s | %8s %8s %8s %6s %6s | %12s %12s\n";
    std::printf(row, "file", "split", "Load", "ratio", "cpu", "write", "synced", "Save", "/write",
                "/sync", "Load memory", "split memory");
    for (const CorpusFile& file : files) {
        const auto time = [&](Operation operation) {
            return reporter.Seconds(BenchmarkName(file.name, operation));
        };
        const auto split = time(Operation::ReadAndSplit);
        const auto load = time(Operation::LoadFromFile);
        const auto write = time(Operation::WriteBaseline);
        const auto synced = time(Operation::SyncedWriteBaseline);
        const auto save = time(Operation::SaveToFile);
        if (!split && !load && !write && !synced && !save) {
            continue; // filtered out
        }
        const fs::path path = corpusDir / file.name;
        const char splitByte = SplitByte(file.options.lineBreak);
        const uintmax_t bytes = fs::file_size(path);
        const auto storePeak = load ? ProbePeak(kProbeStore, splitByte, path) : std::nullopt;
        const auto splitPeak = split ? ProbePeak(kProbeBaseline, splitByte, path) : std::nullopt;
        const auto cpuRatio =
            Ratio(reporter.CpuSeconds(BenchmarkName(file.name, Operation::LoadFromFile)),
                  reporter.CpuSeconds(BenchmarkName(file.name, Operation::ReadAndSplit)));
        std::printf(row, file.name.c_str(), Milliseconds(split).c_str(), Milliseconds(load).c_str(),
                    Ratio(load, split).c_str(), cpuRatio.c_str(), Milliseconds(write).c_str(),
                    Milliseconds(synced).c_str(), Milliseconds(save).c_str(),
                    Ratio(save, write).c_str(), Ratio(save, synced).c_str(),
                    PerMiB(storePeak, bytes).c_str(), PerMiB(splitPeak, bytes).c_str());
        std::fflush(stdout);
    }
}

// A folder for the saved files, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir()
        : path_(fs::temp_directory_path() / ("lumarik_bench_out_" + std::to_string(getpid()))) {
        fs::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

int RunBenchmarks(int argc, char** argv) {
    const bool defaultRepetitions = std::none_of(argv + 1, argv + argc, [](const char* arg) {
        return std::string_view(arg).starts_with("--benchmark_repetitions");
    });
    benchmark::Initialize(&argc, argv);
    const std::optional<Settings> settings = ParseSettings(argc, argv);
    if (!settings || benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    const std::vector<CorpusFile> files = lumarik::bench::StandardCorpus(settings->sizes);
    lumarik::bench::EnsureCorpus(settings->corpusDir, files, &std::cerr);
    std::cerr << "corpus: " << settings->corpusDir.string() << '\n';

    // The same allocator behaviour for every benchmark, whatever ran before it: glibc
    // otherwise moves its mmap threshold as big blocks are freed, so whether a buffer
    // costs fresh zeroed pages would depend on the order of the benchmarks. Memory is
    // measured apart, in fresh processes with the default allocator.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);

    const ScratchDir outDir;
    for (const CorpusFile& file : files) {
        RegisterFileBenchmarks(file, settings->corpusDir, outDir.path(), defaultRepetitions);
    }
    RatioReporter reporter(defaultRepetitions);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter, files, settings->corpusDir);
    benchmark::Shutdown();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 5 && argv[1] == kPeakProbeFlag) {
            return RunPeakProbe(argv[2], static_cast<char>(std::atoi(argv[3])), argv[4]);
        }
        return RunBenchmarks(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "lumarik_bench_linestore: " << e.what() << '\n';
        return 1;
    }
}
