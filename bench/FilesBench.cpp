// Times opening and saving a big generated CP932 file through the main window's
// commands (OpenFile, Save1Click) beside the line store's own LoadFromFile and
// SaveToFile of the same file, in one run. The window's editor wraps at column 80 as
// the program's does; the store's load of the same rows cut at column 80, and the open
// with word wrap off, show the window's own share.
//
//   build/bench/lumarik_bench_files            # crlf_100mb.txt
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_files
//
// The corpus is shared with lumarik_bench_linestore: $LUMARIK_BENCH_CORPUS_DIR, else
// <tmp>/lumarik_bench_corpus; a file of the right size is reused.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "BenchTexts.h"
#include "app/MainWindow.h"
#include "editor/VelEdit.h"
#include "editor/Velstrings.h"
#include "editor/WrapLayout.h"
#include "platform/FontDesc.h"
#include "platform/MessageReporter.h"

namespace {

namespace fs = std::filesystem;
using namespace lumarik;

const fs::path& corpusFile() {
    return bench::MixedTextFile();
}

// A folder of this run for the files the saves write; removed at the end.
struct WorkFolder {
    fs::path path = fs::temp_directory_path() /
                    ("lumarik_bench_files_" + std::to_string(QCoreApplication::applicationPid()));
    WorkFolder() { fs::create_directories(path); }
    ~WorkFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const fs::path& workFolder() {
    static const WorkFolder folder;
    return folder.path;
}

QString qpath(const fs::path& path) {
    return QString::fromStdString(path.string());
}

// The main window as the program shows it, with its settings in the work folder and
// message boxes recorded instead of shown.
struct ShownWindow {
    platform::RecordingMessageReporter recorder;
    platform::ScopedReporter scoped{recorder};
    app::TFormEditor form{{qpath(workFolder() / "lumarik.ini"), {}, {}}};

    explicit ShownWindow(bool wordWrap) {
        form.show();
        form.RichEdit1->SetWordWrap(wordWrap);
        QCoreApplication::processEvents();
    }
    ~ShownWindow() {
        form.StatusPanels[0]->clear();
        form.close();
    }
};

// Times `load` filling a fresh store; the store is freed outside the timing.
void timeStoreLoad(benchmark::State& state, const std::function<bool(editor::TVelStrings&)>& load) {
    for (auto _ : state) {
        auto store = std::make_unique<editor::TVelStrings>();
        if (!load(*store)) {
            state.SkipWithError("load failed");
            return;
        }
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(corpusFile())));
}

void BM_StoreLoadFromFile(benchmark::State& state) {
    timeStoreLoad(state,
                  [](editor::TVelStrings& store) { return store.LoadFromFile(corpusFile()); });
}

// The store's own load of the rows the window shows: cut at column 80 as they are read.
void BM_StoreLoadWrapped(benchmark::State& state) {
    editor::WrapParams params;
    params.column = 80;
    timeStoreLoad(state, [&params](editor::TVelStrings& store) {
        return editor::LoadWrapped(store, corpusFile(), params);
    });
}

void windowOpen(benchmark::State& state, bool wordWrap) {
    ShownWindow shown(wordWrap);
    const QString file = qpath(corpusFile());
    for (auto _ : state) {
        shown.form.OpenFile(file);
        state.PauseTiming();
        const bool opened = shown.form.CurFile == file;
        // Frees the text outside the timing, as the store's load above does.
        shown.form.RichEdit1->ClearAll();
        state.ResumeTiming();
        if (!opened) {
            state.SkipWithError("open failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(corpusFile())));
}

void BM_WindowOpenFile(benchmark::State& state) {
    windowOpen(state, true);
}

void BM_WindowOpenFileUnwrapped(benchmark::State& state) {
    windowOpen(state, false);
}

void BM_StoreSaveToFile(benchmark::State& state) {
    editor::TVelStrings store;
    if (!store.LoadFromFile(corpusFile())) {
        state.SkipWithError("load failed");
        return;
    }
    const fs::path target = workFolder() / "store.txt";
    for (auto _ : state) {
        if (!store.SaveToFile(target)) {
            state.SkipWithError("save failed");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(target)));
}

void BM_WindowSave1Click(benchmark::State& state) {
    const fs::path target = workFolder() / "window.txt";
    fs::copy_file(corpusFile(), target, fs::copy_options::overwrite_existing);
    ShownWindow shown(true);
    shown.form.OpenFile(qpath(target));
    for (auto _ : state) {
        shown.form.Save1Click();
    }
    if (!shown.recorder.shown.empty()) {
        state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(target)));
}

BENCHMARK(BM_StoreLoadFromFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StoreLoadWrapped)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WindowOpenFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WindowOpenFileUnwrapped)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StoreSaveToFile)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WindowSave1Click)->Unit(benchmark::kMillisecond)->MinTime(2);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
#if defined(__GLIBC__)
    // Every benchmark meets the same warm heap, whatever ran before it.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, -1);
#endif
    QApplication app(argc, argv);
    platform::installFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
