// What a user waits for when opening the generated 100 MiB text in a program that was
// just started: each run is a fresh process, its allocator set up as the program's
// main sets it up, which shows the main window with its default settings (word wrap
// on at column 80) and then
//
//   open    opens the file in the shown window (as Open, a drop or a recent file do)
//           and paints it: wall time, CPU time of all threads, page faults, and the
//           peak resident set of the process and its growth during the open;
//   start   starts with the file named on the command line, from the process's
//           creation to the first paint of the text: the same figures, whole process.
//
// The file is read from the page cache (the runs before have read it). Each figure is
// given as the median and the worst of the runs.
//
//   build/bench/lumarik_bench_first_open               # crlf_100mb.txt, 5 runs each
//   build/bench/lumarik_bench_first_open --runs=9
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_first_open
//
// The corpus is shared with lumarik_bench_linestore: $LUMARIK_BENCH_CORPUS_DIR, else
// <tmp>/lumarik_bench_corpus; a file of the right size is reused.
#include <QApplication>
#include <QCoreApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "BenchStats.h"
#include "BenchTexts.h"
#include "FreshProcess.h"
#include "app/Startup.h"
#include "platform/FontDesc.h"
#include "platform/MessageReporter.h"
#include "platform/OneHeap.h"

namespace {

namespace fs = std::filesystem;
using namespace lumarik;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kRunFlag = "--lumarik-first-open-run";
constexpr std::string_view kOpen = "open";
constexpr std::string_view kStart = "start";

// What one run measured.
struct Figures {
    double wallMs = 0;
    double cpuMs = 0;
    double peakMiB = 0;
    double growthMiB = 0;
    double faults = 0;
};

// CPU time of all threads of the process so far, and its page faults.
struct Usage {
    double cpuMs = 0;
    double faults = 0;
};

Usage usageNow() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) / 1e3;
    };
    return {ms(usage.ru_utime) + ms(usage.ru_stime),
            static_cast<double>(usage.ru_minflt + usage.ru_majflt)};
}

double kibToMiB(int64_t kib) {
    return static_cast<double>(kib) / 1024.0;
}

// Runs posted events until the window has painted what the open changed.
void paintNow() {
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// One run in this fresh process; prints its figures on one line.
int runOnce(std::string_view mode, const fs::path& file, long long spawnedNs, int argc,
            char** argv) {
    const Clock::time_point spawned{Clock::duration(spawnedNs)};
    // As the program's main does.
    platform::UseOneHeap();
    QApplication application(argc, argv);
    platform::installFontSubstitutions();
    platform::RecordingMessageReporter recorder;
    platform::ScopedReporter scoped(recorder);

    app::MainWindowOptions options;
    // Never written: the run ends without closing the window.
    options.settingsPath = QString::fromStdString(
        (fs::temp_directory_path() / ("lumarik_first_open_" + std::to_string(getpid()) + ".ini"))
            .string());
    const QString path = QString::fromStdString(file.string());
    Figures figures;
    if (mode == kStart) {
        options.commandLineFile = path;
        app::ApplicationWindows windows = app::startApplication(options);
        paintNow();
        const Usage usage = usageNow();
        figures.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - spawned).count();
        figures.cpuMs = usage.cpuMs;
        figures.faults = usage.faults;
        figures.peakMiB = kibToMiB(bench::StatusKiB("VmHWM:"));
        figures.growthMiB = figures.peakMiB;
        if (windows.FormEditor->CurFile != path) {
            return 1;
        }
    } else {
        app::ApplicationWindows windows = app::startApplication(options);
        paintNow();
        bench::ResetPeakMemory();
        const int64_t before = bench::StatusKiB("VmRSS:");
        const Usage start = usageNow();
        const Clock::time_point begin = Clock::now();
        windows.FormEditor->OpenFile(path);
        paintNow();
        const Usage end = usageNow();
        figures.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
        figures.cpuMs = end.cpuMs - start.cpuMs;
        figures.faults = end.faults - start.faults;
        const int64_t peak = bench::StatusKiB("VmHWM:");
        figures.peakMiB = kibToMiB(peak);
        figures.growthMiB = kibToMiB(peak - before);
        if (windows.FormEditor->CurFile != path) {
            return 1;
        }
    }
    std::printf("%.3f %.3f %.3f %.3f %.0f\n", figures.wallMs, figures.cpuMs, figures.peakMiB,
                figures.growthMiB, figures.faults);
    std::fflush(stdout);
    // Freeing a 100 MiB text is no part of what is measured.
    std::_Exit(0);
}

std::optional<Figures> runFresh(std::string_view mode, const fs::path& file) {
    const long long now =
        std::chrono::duration_cast<Clock::duration>(Clock::now().time_since_epoch()).count();
    const std::optional<std::string> output = bench::RunFreshCopy(
        {std::string(kRunFlag), std::string(mode), file.string(), std::to_string(now)});
    if (!output) {
        return std::nullopt;
    }
    Figures figures;
    std::istringstream fields(*output);
    if (!(fields >> figures.wallMs >> figures.cpuMs >> figures.peakMiB >> figures.growthMiB >>
          figures.faults)) {
        return std::nullopt;
    }
    return figures;
}

double worst(const std::vector<double>& values) {
    return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
}

void report(std::string_view label, const std::vector<Figures>& runs) {
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> peak;
    std::vector<double> growth;
    std::vector<double> faults;
    for (const Figures& run : runs) {
        wall.push_back(run.wallMs);
        cpu.push_back(run.cpuMs);
        peak.push_back(run.peakMiB);
        growth.push_back(run.growthMiB);
        faults.push_back(run.faults);
    }
    std::printf("%-6s %8.0f %8.0f | %8.0f %8.0f | %8.0f %8.0f | %8.0f %8.0f | %9.0f %9.0f\n",
                std::string(label).c_str(), bench::Median(wall), worst(wall), bench::Median(cpu),
                worst(cpu), bench::Median(peak), worst(peak), bench::Median(growth), worst(growth),
                bench::Median(faults), worst(faults));
}

int runsFromArguments(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.starts_with("--runs=")) {
            const long runs = std::strtol(argv[i] + 7, nullptr, 10);
            return runs > 0 && runs <= 1000 ? static_cast<int>(runs) : 5;
        }
    }
    return 5;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 5 && argv[1] == kRunFlag) {
        return runOnce(argv[2], argv[3], std::strtoll(argv[4], nullptr, 10), argc, argv);
    }
    const fs::path& file = bench::MixedTextFile();
    const int runs = runsFromArguments(argc, argv);

    std::printf("%s (%.0f MiB), %d fresh processes each, word wrap on at column 80\n",
                file.filename().string().c_str(),
                static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0), runs);
    std::printf("%-6s %17s | %17s | %17s | %17s | %19s\n", "", "wall ms", "CPU ms, all threads",
                "peak RSS MiB", "RSS growth MiB", "page faults");
    std::printf("%-6s %8s %8s | %8s %8s | %8s %8s | %8s %8s | %9s %9s\n", "", "median", "worst",
                "median", "worst", "median", "worst", "median", "worst", "median", "worst");
    for (const std::string_view mode : {kOpen, kStart}) {
        std::vector<Figures> results;
        for (int run = 0; run < runs; ++run) {
            const std::optional<Figures> figures = runFresh(mode, file);
            if (!figures) {
                std::fprintf(stderr, "a %s run failed\n", std::string(mode).c_str());
                return 1;
            }
            results.push_back(*figures);
        }
        report(mode, results);
    }
    return 0;
}
