// Times the option dialog's OK on a big generated CP932 text loaded in the main
// window: OK with nothing changed, OK switching word wrap off or on, and OK moving
// the column between 80 and 40. OK applies every setting, so each run re-lays out
// the text.
//
//   build/bench/lumarik_bench_options            # crlf_100mb.txt
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_options
//
// The corpus is shared with the other benchmarks: $LUMARIK_BENCH_CORPUS_DIR, else
// <tmp>/lumarik_bench_corpus; a file of the right size is reused.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QSpinBox>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>

#include "CorpusGenerator.h"
#include "app/MainWindow.h"
#include "app/OptionDialog.h"
#include "editor/VelEdit.h"
#include "platform/FontDesc.h"
#include "platform/MessageReporter.h"

namespace {

namespace fs = std::filesystem;
using namespace lumarik;

int corpusMiB() {
    const char* mb = std::getenv("LUMARIK_BENCH_MB");
    const long value = mb != nullptr ? std::strtol(mb, nullptr, 10) : 100;
    return static_cast<int>(value > 0 && value <= 4096 ? value : 100);
}

const fs::path& corpusFile() {
    static const fs::path file = [] {
        const char* dir = std::getenv("LUMARIK_BENCH_CORPUS_DIR");
        const fs::path folder =
            dir != nullptr ? fs::path(dir) : fs::temp_directory_path() / "lumarik_bench_corpus";
        const std::vector<bench::CorpusFile> files = bench::StandardCorpus({corpusMiB()});
        bench::EnsureCorpus(folder, {files.front()}, &std::cerr);
        return folder / files.front().name;
    }();
    return file;
}

// The main window with the big text open and its option dialog; the settings go to a
// file of this run that is removed at the end.
struct OpenWindow {
    fs::path settings =
        fs::temp_directory_path() /
        ("lumarik_bench_options_" + std::to_string(QCoreApplication::applicationPid()) + ".ini");
    platform::RecordingMessageReporter recorder;
    platform::ScopedReporter scoped{recorder};
    app::TFormEditor form{{QString::fromStdString(settings.string()), {}, {}}};
    app::Tform_option* dialog = nullptr;

    OpenWindow() {
        form.show();
        QCoreApplication::processEvents();
        dialog = new app::Tform_option(&form);
        form.OpenFile(QString::fromStdString(corpusFile().string()));
    }
    ~OpenWindow() {
        form.StatusPanels[0]->clear();
        form.close();
        std::error_code ec;
        fs::remove(settings, ec);
    }
};

void timeOk(benchmark::State& state, const std::function<void(app::Tform_option&)>& change) {
    OpenWindow window;
    for (auto _ : state) {
        state.PauseTiming();
        change(*window.dialog);
        state.ResumeTiming();
        window.dialog->Button_okClick();
    }
    if (!window.recorder.shown.empty()) {
        state.SkipWithError("OK reported a failure");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(corpusFile())));
}

void BM_OkUnchanged(benchmark::State& state) {
    timeOk(state, [](app::Tform_option&) {});
}

void BM_OkSwitchingWordWrap(benchmark::State& state) {
    timeOk(state,
           [](app::Tform_option& d) { d.check_wrap->setChecked(!d.check_wrap->isChecked()); });
}

void BM_OkMovingTheColumn(benchmark::State& state) {
    timeOk(state,
           [](app::Tform_option& d) { d.column->setValue(d.column->value() == 80 ? 40 : 80); });
}

BENCHMARK(BM_OkUnchanged)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_OkSwitchingWordWrap)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_OkMovingTheColumn)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
