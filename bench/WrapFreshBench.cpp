// Word wrap on a big text as a user meets it, each step in a freshly started copy of
// this program (nothing warmed, the allocator set up as the program sets it up):
//
//   wrapped-open  open with word wrap on (column 80), the first key that adds a
//                 display row (Enter in the middle of the text), then 1,000 typed
//                 characters after it (the row grows and wraps);
//   switch        open with word wrap off, then switch word wrap on.
//
// Each figure is a wall time, the CPU time of all threads, and the peak resident set
// of the step (VmHWM after resetting it through /proc/self/clear_refs). A key's
// figure is the editor's own work with its repaint into the control's picture; the
// copy to the screen is left out, as in lumarik_bench_edits.
//
//   build/bench/lumarik_bench_wrap_fresh [--runs N] [FILE]
//
// FILE defaults to crlf_<LUMARIK_BENCH_MB>mb.txt (100) in $LUMARIK_BENCH_CORPUS_DIR,
// else <tmp>/lumarik_bench_corpus, written when missing. Linux only.
#include <QApplication>
#include <QCoreApplication>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "BenchStats.h"
#include "BenchTexts.h"
#include "FreshProcess.h"
#include "editor/VelEdit.h"
#include "editor/VelEditSub.h"
#include "platform/FontDesc.h"
#include "platform/OneHeap.h"

namespace {

namespace fs = std::filesystem;
using namespace lumarik;

constexpr std::string_view kStepFlag = "--step";
constexpr int kKeysAfterFirst = 1000;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// Wall and CPU time, peak and growth of the resident set over one step of a child.
class StepMeter {
public:
    StepMeter() {
        bench::ResetPeakMemory();
        rssBefore_ = bench::StatusKiB("VmRSS:");
        cpu_ = cpuSeconds();
        start_ = std::chrono::steady_clock::now();
    }

    // Prints `name.wall_ms`, `name.cpu_ms`, `name.peak_mb` and `name.growth_mb`.
    void report(const std::string& name) const {
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        const double cpu = cpuSeconds() - cpu_;
        const int64_t peak = bench::StatusKiB("VmHWM:");
        const int64_t rss = bench::StatusKiB("VmRSS:");
        std::printf("%s.wall_ms %.3f\n%s.cpu_ms %.3f\n%s.peak_mb %.1f\n%s.growth_mb %.2f\n",
                    name.c_str(), wall * 1e3, name.c_str(), cpu * 1e3, name.c_str(),
                    static_cast<double>(peak) / 1024.0, name.c_str(),
                    static_cast<double>(rss - rssBefore_) / 1024.0);
    }

private:
    int64_t rssBefore_ = 0;
    double cpu_ = 0.0;
    std::chrono::steady_clock::time_point start_;
};

// The main window's editor settings that matter here: column 80 in a window.
void setUp(editor::TVelEdit& edit, bool wrap) {
    edit.resize(800, 600);
    edit.SetColumn(80);
    edit.SetWordWrap(wrap);
    edit.show();
    edit.setFocus();
    QCoreApplication::processEvents();
}

bool open(editor::TVelEdit& edit, const fs::path& file) {
    const StepMeter meter;
    if (!edit.LoadFromFile(file)) {
        return false;
    }
    QCoreApplication::processEvents();
    meter.report("open");
    return true;
}

int runWrappedOpen(const fs::path& file) {
    editor::TVelEdit edit;
    setUp(edit, true);
    if (!open(edit, file)) {
        return 1;
    }
    // A logical line of one row in the middle, which Enter splits in two.
    const editor::TVelStrings& lines = edit.Lines();
    int line = lines.Count() / 2;
    while (!editor::HasTerminator(lines.Get(line - 1)) || !editor::HasTerminator(lines.Get(line))) {
        ++line;
    }
    edit.MoveCaretTo(20, line, 0);
    QCoreApplication::processEvents();
    const int rows = lines.Count();
    {
        const StepMeter meter;
        edit.NewLine();
        meter.report("first_row_key");
        QCoreApplication::processEvents();
        meter.report("first_row_key_painted");
    }
    if (lines.Count() <= rows) {
        return 1;
    }
    // Each key's own work, and with the repaint it posted: wall time, and the CPU time
    // of this thread, which other processes on the machine do not inflate.
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> paintedWall;
    for (int i = 0; i < kKeysAfterFirst; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadCpuSeconds();
        edit.TypeText("a");
        const auto typed = std::chrono::steady_clock::now();
        cpu.push_back((threadCpuSeconds() - cpuStart) * 1e6);
        QCoreApplication::processEvents();
        const auto end = std::chrono::steady_clock::now();
        wall.push_back(std::chrono::duration<double>(typed - start).count() * 1e6);
        paintedWall.push_back(std::chrono::duration<double>(end - start).count() * 1e6);
    }
    const auto print = [](const char* name, const std::vector<double>& micros) {
        std::printf("%s.median_us %.1f\n%s.worst_us %.1f\n", name, bench::Median(micros), name,
                    *std::max_element(micros.begin(), micros.end()));
    };
    print("next_keys", wall);
    print("next_keys_cpu", cpu);
    print("next_keys_painted", paintedWall);
    return 0;
}

int runSwitch(const fs::path& file) {
    editor::TVelEdit edit;
    setUp(edit, false);
    if (!open(edit, file)) {
        return 1;
    }
    const StepMeter meter;
    edit.SetWordWrap(true);
    QCoreApplication::processEvents();
    meter.report("switch");
    return edit.WordWrap() ? 0 : 1;
}

int runStep(int argc, char** argv, std::string_view step, const fs::path& file) {
    // As the program's main does.
    platform::UseOneHeap();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::installFontSubstitutions();
    if (step == "wrapped-open") {
        return runWrappedOpen(file);
    }
    if (step == "switch") {
        return runSwitch(file);
    }
    return 2;
}

using Figures = std::map<std::string, double>;

// Runs one step in a fresh copy of this program and reads the figures it prints.
std::optional<Figures> runStepFresh(const std::string& step, const fs::path& path) {
    const std::optional<std::string> output =
        bench::RunFreshCopy({std::string(kStepFlag), step, path.string()});
    if (!output) {
        return std::nullopt;
    }
    Figures figures;
    std::istringstream lines(*output);
    std::string name;
    double value = 0.0;
    while (lines >> name >> value) {
        figures[name] = value;
    }
    return figures;
}

// Prints every figure of a step over the runs: median, lowest and highest.
void printSummary(const std::string& step, const std::vector<Figures>& runs) {
    std::map<std::string, std::vector<double>> values;
    for (const Figures& run : runs) {
        for (const auto& [name, value] : run) {
            values[name].push_back(value);
        }
    }
    for (const auto& [name, list] : values) {
        std::printf("%-14s %-22s %10.2f %10.2f %10.2f\n", step.c_str(), name.c_str(),
                    bench::Median(list), *std::min_element(list.begin(), list.end()),
                    *std::max_element(list.begin(), list.end()));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && argv[1] == kStepFlag) {
        return runStep(argc, argv, argv[2], argv[3]);
    }
    int runs = 3;
    std::optional<fs::path> file;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (!arg.starts_with("-") && !file) {
            file = arg;
        } else {
            std::cerr << "usage: lumarik_bench_wrap_fresh [--runs N] [FILE]\n";
            return 2;
        }
    }
    if (!file) {
        file = bench::MixedTextFile();
    }
    std::printf("%s, %d fresh processes per step\n", file->string().c_str(), runs);
    std::printf("%-14s %-22s %10s %10s %10s\n", "step", "figure", "median", "min", "max");
    for (const std::string step : {"wrapped-open", "switch"}) {
        std::vector<Figures> results;
        for (int run = 0; run < runs; ++run) {
            std::optional<Figures> figures = runStepFresh(step, *file);
            if (!figures) {
                std::cerr << step << ": the step failed\n";
                return 1;
            }
            results.push_back(std::move(*figures));
        }
        printSummary(step, results);
    }
    return 0;
}
