// Times searching and replacing through the program's own windows on a big generated
// CP932 text (CR LF, wrapped at column 80 as the main window shows it), each run in
// a fresh process as a user meets it:
//
//   find     the search window's Search button, for a word whose only occurrence
//            lies near the end of the text, until the hit is shown
//   replace  the replace window's Replace button, 「日本」 by 「にほん」, the first
//            question answered "All", until the count is reported and the view drawn,
//            on the text with 「東京」 and 「大阪」 made 「日本」 too (more hits)
//
//   build/bench/lumarik_bench_search                 # both, 5 runs each, 100 MiB
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_search find 3
//
// Each line gives wall time, CPU time of all threads, the peak resident set of the
// process and its growth during the command, of one run; then the medians and the
// worst wall time. The corpus is shared with the other benchmarks:
// $LUMARIK_BENCH_CORPUS_DIR, else <tmp>/lumarik_bench_corpus.
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "BenchTexts.h"
#include "CorpusGenerator.h"
#include "FreshProcess.h"
#include "app/ReplaceWindow.h"
#include "app/SearchWindow.h"
#include "app/Startup.h"
#include "editor/VelEdit.h"
#include "platform/FontDesc.h"
#include "platform/MessageReporter.h"

namespace {

namespace fs = std::filesystem;
using namespace lumarik;
using Clock = std::chrono::steady_clock;

// A word the generator never writes: an ASCII tag the word lists do not hold around
// 「終端」.
const std::string kOnlyOnce = "QZXJ\x8F\x49\x92\x5BQZXJ";

// A copy of the corpus changed by `change`, kept beside it as `prefix` + its name and
// made again when it is missing, older than the corpus or not `extraBytes` longer.
fs::path derivedFile(const std::string& prefix, uint64_t extraBytes,
                     const std::function<void(std::string&)>& change) {
    const fs::path source = bench::MixedTextFile();
    const fs::path target = source.parent_path() / (prefix + source.filename().string());
    if (fs::exists(target) && fs::file_size(target) == fs::file_size(source) + extraBytes &&
        fs::last_write_time(target) >= fs::last_write_time(source)) {
        return target;
    }
    std::ifstream in(source, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    change(text);
    std::ofstream(target, std::ios::binary).write(text.data(), std::streamsize(text.size()));
    return target;
}

// The corpus with kOnlyOnce put in at the start of a line about 4 KiB before its end.
fs::path fileWithOneHit() {
    return derivedFile("one_hit_", kOnlyOnce.size(), [](std::string& text) {
        const size_t lineStart =
            text.find("\r\n", text.size() - std::min<size_t>(text.size(), 4096));
        text.insert(lineStart == std::string::npos ? text.size() : lineStart + 2, kOnlyOnce);
    });
}

// The corpus with 「東京」 and 「大阪」 turned into 「日本」 (all three are four bytes), so
// that 「日本」 is found about three times as often: some 240 000 times in 100 MiB.
fs::path fileWithManyHits() {
    return derivedFile("many_hits_", 0, [](std::string& text) {
        const std::string_view nihon = "\x93\xFA\x96\x7B";
        for (size_t at = 0; at + 4 <= text.size();) {
            const std::string_view word(text.data() + at, 4);
            if (word == "\x93\x8C\x8B\x9E" || word == "\x91\xE5\x8D\xE3") {
                text.replace(at, 4, nihon);
                at += 4;
                continue;
            }
            // Whole characters only: a double-byte character is stepped over at once.
            const auto lead = static_cast<unsigned char>(text[at]);
            at += (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
        }
    });
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double kibToMiB(int64_t kib) {
    return static_cast<double>(kib) / 1024.0;
}

// One run in this process: opens the file in the program's windows, then times the
// command. Prints on stdout: wall s, cpu s, peak RSS MiB of the process, the growth of
// its resident set during the command in MiB, and what the command gave.
int runOnce(const std::string& what, int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    platform::installFontSubstitutions();
    const fs::path file = what == "find" ? fileWithOneHit() : fileWithManyHits();
    platform::RecordingMessageReporter recorder;
    const platform::ScopedReporter scoped(recorder);
    const fs::path settings =
        fs::temp_directory_path() / ("lumarik_bench_search_" + std::to_string(getpid()) + ".ini");
    app::MainWindowOptions options;
    options.settingsPath = QString::fromStdString(settings.string());
    app::ApplicationWindows windows = app::startApplication(options);
    app::TFormEditor& form = *windows.FormEditor;
    form.OpenFile(QString::fromStdString(file.string()));
    QCoreApplication::processEvents();
    editor::TVelEdit& edit = *form.RichEdit1;

    // The window is open and its texts typed before the timing starts.
    if (what == "find") {
        form.Find2Click();
        windows.form_search->Edit1->setText(QString::fromUtf8("QZXJ終端QZXJ"));
    } else {
        recorder.answers = {platform::MessageButton::All};
        form.Replace1Click();
        windows.form_replace->Edit1->setText(QString::fromUtf8("日本"));
        windows.form_replace->Edit2->setText(QString::fromUtf8("にほん"));
    }
    QCoreApplication::processEvents();
    const int64_t peakBefore = bench::StatusKiB("VmHWM:");
    bench::ResetPeakMemory();
    const int64_t residentBefore = bench::StatusKiB("VmRSS:");
    const double cpuBefore = cpuSeconds();
    const auto start = Clock::now();
    std::string result;
    if (what == "find") {
        windows.form_search->Button_search->click();
        QCoreApplication::processEvents();
        result = "hit line " + std::to_string(edit.HitLine) + " of " +
                 std::to_string(edit.Lines().Count()) + ", count " + std::to_string(edit.HitCount);
    } else {
        windows.form_replace->Button_replace->click();
        QCoreApplication::processEvents();
        result = (recorder.shown.empty() ? std::string("no report")
                                         : recorder.shown.back().text.toStdString()) +
                 ", undo records " + std::to_string(edit.UndoRecords.Size());
    }
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = cpuSeconds() - cpuBefore;
    const int64_t peak = bench::StatusKiB("VmHWM:");
    std::printf("%.3f %.3f %.0f %.0f %s\n", wall, cpu, kibToMiB(std::max(peak, peakBefore)),
                kibToMiB(peak - residentBefore), result.c_str());
    std::fflush(stdout);
    std::error_code ignored;
    fs::remove(settings, ignored);
    // Freeing the text is no part of what is measured.
    std::_Exit(0);
}

// Runs `what` in `runs` fresh processes and prints each run, the median and the worst.
void runFresh(const std::string& what, int runs) {
    std::vector<double> walls;
    std::vector<double> cpus;
    std::vector<double> peaks;
    std::printf("%s, %d MiB CR LF, word wrap at 80: wall s, cpu s, peak RSS MiB, "
                "RSS growth MiB\n",
                what.c_str(),
                static_cast<int>(fs::file_size(bench::MixedTextFile()) / bench::kMiB));
    for (int i = 0; i < runs; ++i) {
        const std::optional<std::string> line = bench::RunFreshCopy({"--once", what});
        double wall = 0;
        double cpu = 0;
        double peak = 0;
        if (!line || std::sscanf(line->c_str(), "%lf %lf %lf", &wall, &cpu, &peak) != 3) {
            std::printf("  run %d failed\n", i + 1);
            continue;
        }
        walls.push_back(wall);
        cpus.push_back(cpu);
        peaks.push_back(peak);
        std::printf("  run %d: %s", i + 1, line->c_str());
    }
    if (!walls.empty()) {
        std::printf("  median wall %.3f s, cpu %.3f s, peak RSS %.0f MiB; worst wall %.3f s\n",
                    bench::Median(walls), bench::Median(cpus), bench::Median(peaks),
                    *std::max_element(walls.begin(), walls.end()));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--once") {
        return runOnce(argv[2], argc, argv);
    }
    // Writes the corpus files once, before any run is timed.
    fileWithOneHit();
    fileWithManyHits();
    const std::string what = argc >= 2 ? argv[1] : "both";
    const int runs = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5;
    for (const std::string mode : {"find", "replace"}) {
        if (what == "both" || what == mode) {
            runFresh(mode, runs);
        }
    }
    return 0;
}
