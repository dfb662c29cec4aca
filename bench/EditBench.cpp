// Times the editing keys where documents are big: a typed character, Enter and
// BackSpace in the middle of a big wrapped text and at the end of a 10 MiB single
// line, beside the same keys on a small text; and undoing 10,000 typed characters.
// Each figure is the editor's own work for one key, its repaint into the control's
// picture included and the copy of the picture to the screen excluded; median_us is
// the median key, max_us the worst. The Type, Enter and BackSpace rows put the text
// back between keys; the Typing rows type 2,000 characters that stay, as a user
// types, so the row grows and wraps onto new rows.
//
//   build/bench/lumarik_bench_edits            # 100 MiB text, 10 MiB single line
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_edits
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BenchTexts.h"
#include "editor/VelEdit.h"
#include "platform/FontDesc.h"

namespace {

using namespace lumarik;

// The main window's editor settings that matter here: wrapped at column 80.
struct ShownEditor {
    editor::TVelEdit edit;
    ShownEditor(const std::string& text, bool wrap) {
        edit.resize(800, 600);
        edit.SetColumn(80);
        edit.SetWordWrap(wrap);
        edit.show();
        edit.SetText(text);
        edit.setFocus();
        QCoreApplication::processEvents();
    }
};

enum class Place { Middle, EndOfFirstRow };

// A paragraph typed in one go.
constexpr int kTypedKeys = 2000;

void placeCaret(editor::TVelEdit& edit, Place place) {
    const int rows = edit.Lines().Count();
    if (place == Place::EndOfFirstRow) {
        edit.MoveCaretTo(1 << 30, 0, 0); // in front of the row's line break
    } else {
        edit.MoveCaretTo(20, rows / 2, 0);
    }
    QCoreApplication::processEvents();
}

// Times `key` alone; `undoKey` puts the text back between two timings.
void timeKey(benchmark::State& state, const std::string& text, bool wrap, Place place,
             const std::function<void(editor::TVelEdit&)>& key,
             const std::function<void(editor::TVelEdit&)>& undoKey) {
    ShownEditor shown(text, wrap);
    placeCaret(shown.edit, place);
    std::vector<double> times;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        key(shown.edit);
        const auto end = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(end - start).count();
        state.SetIterationTime(seconds);
        times.push_back(seconds * 1e6);
        undoKey(shown.edit);
        // The posted repaint runs outside the timing, as the blit to the screen does.
        QCoreApplication::processEvents();
    }
    // The median key: a few keys that meet a cold cache or a reallocation do not hide
    // what a key usually costs.
    std::sort(times.begin(), times.end());
    if (!times.empty()) {
        state.counters["median_us"] = times[times.size() / 2];
        state.counters["p90_us"] = times[times.size() * 9 / 10];
        state.counters["max_us"] = times.back();
    }
}

void typeChar(editor::TVelEdit& edit) {
    edit.TypeText("a");
}
void backSpace(editor::TVelEdit& edit) {
    edit.DeleteCharLeft();
}
void enter(editor::TVelEdit& edit) {
    edit.NewLine();
}

void BM_Type(benchmark::State& state, const std::string* text, bool wrap, Place place) {
    timeKey(state, *text, wrap, place, typeChar, backSpace);
}
void BM_BackSpace(benchmark::State& state, const std::string* text, bool wrap, Place place) {
    timeKey(state, *text, wrap, place, backSpace, typeChar);
}
void BM_Enter(benchmark::State& state, const std::string* text, bool wrap, Place place) {
    timeKey(state, *text, wrap, place, enter, backSpace);
}
// Typing as a user types: every key stays, so the row grows and wraps onto new rows.
void BM_Typing(benchmark::State& state, const std::string* text, bool wrap, Place place) {
    timeKey(state, *text, wrap, place, typeChar, [](editor::TVelEdit&) {});
}

// 10,000 typed characters taken back one undo at a time.
void BM_Undo10000Typed(benchmark::State& state) {
    ShownEditor shown(bench::MixedText(), true);
    placeCaret(shown.edit, Place::Middle);
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 10000; ++i) {
            shown.edit.TypeText(i % 80 == 79 ? "\r\n" : "a");
        }
        state.ResumeTiming();
        while (shown.edit.CanUndo()) {
            shown.edit.Undo();
        }
    }
}

void registerKeys() {
    struct Case {
        const char* name;
        const std::string* (*text)();
        bool wrap;
        Place place;
    };
    const Case cases[] = {
        {"Small", [] { return &bench::SmallText(); }, true, Place::Middle},
        {"BigWrappedMiddle", [] { return &bench::MixedText(); }, true, Place::Middle},
        {"LongRowEnd", [] { return &bench::SingleLineText(); }, false, Place::EndOfFirstRow},
    };
    for (const Case& c : cases) {
        const std::string* text = c.text();
        for (const auto& [key, fn] : {std::pair{"Type", &BM_Type}, std::pair{"Enter", &BM_Enter},
                                      std::pair{"BackSpace", &BM_BackSpace}}) {
            benchmark::RegisterBenchmark((std::string("BM_") + key + "/" + c.name).c_str(), fn,
                                         text, c.wrap, c.place)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
        }
    }
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark((std::string("BM_Typing/") + c.name).c_str(), BM_Typing,
                                     c.text(), c.wrap, c.place)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond)
            ->Iterations(kTypedKeys);
    }
    benchmark::RegisterBenchmark("BM_Undo10000Typed", BM_Undo10000Typed)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::installFontSubstitutions();
    registerKeys();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
