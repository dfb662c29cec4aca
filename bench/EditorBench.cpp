// Times word wrap, position conversion and repainting on big generated texts, each
// beside a read-and-split baseline of the same text in the same run; and caret,
// point-to-column, selection, pointer-drag and repaint steps at the end of a 10 MiB row
// beside the same steps at the end of a short row.
//
//   build/bench/lumarik_bench_editor            # 100 MiB text, 10 MiB single line
//   LUMARIK_BENCH_MB=10 build/bench/lumarik_bench_editor
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMouseEvent>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchStats.h"
#include "BenchTexts.h"
#include "editor/LogicalLineIndex.h"
#include "editor/RowPositions.h"
#include "editor/ScrollCodes.h"
#include "editor/VelEdit.h"
#include "editor/VelEditSub.h"
#include "editor/Velstrings.h"
#include "editor/WrapLayout.h"
#include "platform/FontDesc.h"

namespace {

using namespace lumarik;

editor::WrapParams columnParams() {
    editor::WrapParams params;
    params.column = 80;
    params.tabCount = 6;
    return params;
}

// The baseline: split the text into one string per line, as a plain loader would.
void splitBaseline(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            end = end == std::string::npos ? text.size() : end + 1;
            lines.emplace_back(text, start, end - start);
            start = end;
        }
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void wrapAll(benchmark::State& state, const std::string& text) {
    editor::TVelStrings store;
    store.SetTextStr(text);
    editor::LogicalLineIndex index(store);
    for (auto _ : state) {
        editor::RewrapAll(store, index, true, columnParams(), {}, {});
        state.PauseTiming();
        editor::RewrapAll(store, index, false, columnParams(), {}, {});
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

void BM_SplitBaseline(benchmark::State& state) {
    splitBaseline(state, bench::MixedText());
}
void BM_WrapAllColumn80(benchmark::State& state) {
    wrapAll(state, bench::MixedText());
}
void BM_WrapSingleLineColumn80(benchmark::State& state) {
    wrapAll(state, bench::SingleLineText());
}

// One conversion each way at a spread of positions of the wrapped text.
void BM_PositionConversion(benchmark::State& state) {
    editor::TVelStrings store;
    store.SetTextStr(bench::MixedText());
    editor::LogicalLineIndex index(store);
    editor::RewrapAll(store, index, true, columnParams(), {}, {});
    const int rows = store.Count();
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919 * 131) % rows;
        const editor::TextPos logical = index.RowToLogical({0, row});
        benchmark::DoNotOptimize(index.LogicalToRow(logical));
    }
    state.counters["rows"] = rows;
}

// A full repaint of a window showing the start of a 10 MiB row, word wrap off: only
// the visible slice of the row may cost anything.
void BM_RepaintLongRowUnwrapped(benchmark::State& state) {
    editor::TVelEdit edit;
    edit.resize(800, 600);
    edit.SetWordWrap(false);
    edit.show();
    edit.SetText(bench::SingleLineText());
    for (auto _ : state) {
        edit.RedrawAll();
    }
}

// The same repaint on a small text, for comparison.
void BM_RepaintSmallText(benchmark::State& state) {
    editor::TVelEdit edit;
    edit.resize(800, 600);
    edit.SetWordWrap(false);
    edit.show();
    edit.SetText(bench::MixedText().substr(0, 4096));
    for (auto _ : state) {
        edit.RedrawAll();
    }
}

// An editor showing a text, laid out and painted once, for the interactive steps below.
struct ShownEditor {
    editor::TVelEdit edit;
    ShownEditor(const std::string& text, bool wrap) {
        edit.resize(800, 600);
        edit.SetWordWrap(wrap);
        edit.show();
        edit.SetText(text);
        QCoreApplication::processEvents();
    }
};

// A display line near the middle of the text with room for the moves below.
int middleLine(const editor::TVelEdit& edit) {
    const editor::TVelStrings& lines = edit.Lines();
    for (int line = lines.Count() / 2; line < lines.Count(); ++line) {
        if (lines.Get(line).size() >= 48) {
            return line;
        }
    }
    return 0;
}

// A caret move between two places in the middle of the text.
void caretMoves(benchmark::State& state, const std::string& text, bool wrap) {
    ShownEditor shown(text, wrap);
    const int line = middleLine(shown.edit);
    int step = 0;
    for (auto _ : state) {
        shown.edit.MoveCaretTo(40 + (step++ % 2) * 8, line, 0);
    }
}

// A selection end moving back and forth by a few characters.
void selectionMoves(benchmark::State& state, const std::string& text, bool wrap) {
    ShownEditor shown(text, wrap);
    const int line = middleLine(shown.edit);
    shown.edit.MoveCaretTo(0, line, 0);
    QCoreApplication::processEvents();
    shown.edit.SetSelection(10, line, line, 20);
    int step = 0;
    for (auto _ : state) {
        shown.edit.MoveSelectionEnd(20 + (step++ % 2) * 6, line);
    }
}

// One line scrolled down or up, with the repaint it posts.
void scrollSteps(benchmark::State& state, const std::string& text, bool wrap) {
    ShownEditor shown(text, wrap);
    shown.edit.MoveCaretTo(0, shown.edit.Lines().Count() / 2, 0);
    int step = 0;
    for (auto _ : state) {
        shown.edit.VertScroll(step++ % 2 == 0 ? editor::scroll::LineDown : editor::scroll::LineUp,
                              0);
        QCoreApplication::processEvents();
    }
}

// The longest display line and the last column a caret can take on it.
editor::TextPos longestRowEnd(const editor::TVelEdit& edit) {
    const editor::TVelStrings& lines = edit.Lines();
    int longest = 0;
    for (int line = 1; line < lines.Count(); ++line) {
        if (lines.Get(line).size() > lines.Get(longest).size()) {
            longest = line;
        }
    }
    return {editor::CaretColumnLimit(lines.Get(longest)), longest};
}

// The column `count` characters before pos on its display line.
int charactersBefore(const editor::TVelEdit& edit, editor::TextPos pos, int count) {
    const std::string& row = edit.Lines().Get(pos.line);
    long long col = pos.col;
    for (int i = 0; i < count; ++i) {
        col = editor::CharStartBefore(row, col, edit.SingleByteMode());
    }
    return static_cast<int>(col);
}

// Word wrap off from here on: the caret placed at the end of the longest row and 8
// characters before it, in turn.
void caretAtRowEnd(benchmark::State& state, const std::string& text) {
    ShownEditor shown(text, false);
    const editor::TextPos end = longestRowEnd(shown.edit);
    const int cols[] = {end.col, charactersBefore(shown.edit, end, 8)};
    int step = 0;
    for (auto _ : state) {
        shown.edit.MoveCaretTo(cols[step++ % 2], end.line, 0);
    }
    state.counters["row_bytes"] = end.col;
}

// The column under a point a few characters before the end of the longest row.
void columnNearRowEnd(benchmark::State& state, const std::string& text) {
    ShownEditor shown(text, false);
    const editor::TextPos end = longestRowEnd(shown.edit);
    const std::string& row = shown.edit.Lines().Get(end.line);
    const int xs[] = {shown.edit.ColumnX(end.line, charactersBefore(shown.edit, end, 4)) + 3,
                      shown.edit.ColumnX(end.line, charactersBefore(shown.edit, end, 9)) + 1};
    int step = 0;
    for (auto _ : state) {
        int columnX = 0;
        benchmark::DoNotOptimize(shown.edit.ColumnFromX(row, xs[step++ % 2], columnX));
    }
}

// A selection end moving back and forth by a few characters at the end of the longest row.
void selectionAtRowEnd(benchmark::State& state, const std::string& text) {
    ShownEditor shown(text, false);
    const editor::TextPos end = longestRowEnd(shown.edit);
    const int anchor = charactersBefore(shown.edit, end, 30);
    const int cols[] = {charactersBefore(shown.edit, end, 10),
                        charactersBefore(shown.edit, end, 4)};
    shown.edit.MoveCaretTo(anchor, end.line, 0);
    QCoreApplication::processEvents();
    shown.edit.SetSelection(anchor, end.line, end.line, cols[0]);
    int step = 0;
    for (auto _ : state) {
        shown.edit.MoveSelectionEnd(cols[++step % 2], end.line);
    }
}

// A full repaint with the view scrolled to the end of the longest row.
void repaintAtRowEnd(benchmark::State& state, const std::string& text) {
    ShownEditor shown(text, false);
    const editor::TextPos end = longestRowEnd(shown.edit);
    shown.edit.MoveCaretTo(end.col, end.line, 0);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        shown.edit.RedrawAll();
    }
    state.counters["HorzOffset"] = shown.edit.HorzOffset;
}

// The left button pressed at `anchor` on the caret's row, in view, and the pointer
// moved back and forth between two columns, as dragging out a selection does: hit
// test, caret and repaint of the selection's end. Reports the median and the slowest
// single move beside the mean.
void pointerDrag(benchmark::State& state, editor::TVelEdit& edit, int anchor,
                 const int (&cols)[2]) {
    QCoreApplication::processEvents();
    const int line = edit.CaretLine;
    const auto send = [&](QEvent::Type type, int col, Qt::MouseButton button,
                          Qt::MouseButtons held) {
        const QPointF at(edit.TextLeft - edit.HorzOffset + edit.ColumnX(line, col),
                         edit.TopMargin() + (line - edit.TopLine) * edit.LinePitch + 2);
        QMouseEvent event(type, at, edit.mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&edit, &event);
    };
    send(QEvent::MouseButtonPress, anchor, Qt::LeftButton, Qt::LeftButton);
    std::vector<double> micros;
    int step = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        send(QEvent::MouseMove, cols[++step % 2], Qt::NoButton, Qt::LeftButton);
        micros.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    if (!edit.SelActive || edit.SelEndCol != cols[step % 2] || edit.SelAnchorCol != anchor) {
        state.SkipWithError("the pointer missed the columns");
    }
    send(QEvent::MouseButtonRelease, cols[step % 2], Qt::LeftButton, Qt::NoButton);
    state.counters["median_us"] = bench::Median(micros);
    state.counters["worst_us"] = *std::max_element(micros.begin(), micros.end());
}

void pointerDragMiddle(benchmark::State& state, const std::string& text) {
    ShownEditor shown(text, true);
    const int line = middleLine(shown.edit);
    shown.edit.MoveCaretTo(10, line, 0);
    const int cols[] = {20, 26};
    pointerDrag(state, shown.edit, 10, cols);
}

// The view scrolled to the end of the longest row, and the selection dragged out a few
// characters before it.
void pointerDragAtRowEnd(benchmark::State& state, const std::string& text) {
    ShownEditor shown(text, false);
    const editor::TextPos end = longestRowEnd(shown.edit);
    shown.edit.MoveCaretTo(end.col, end.line, 0);
    const int cols[] = {charactersBefore(shown.edit, end, 10),
                        charactersBefore(shown.edit, end, 4)};
    pointerDrag(state, shown.edit, charactersBefore(shown.edit, end, 30), cols);
    state.counters["row_bytes"] = end.col;
}

void BM_CaretMove_Small(benchmark::State& state) {
    caretMoves(state, bench::SmallText(), true);
}
void BM_CaretMove_BigWrapped(benchmark::State& state) {
    caretMoves(state, bench::MixedText(), true);
}
void BM_CaretMove_LongRow(benchmark::State& state) {
    caretMoves(state, bench::SingleLineText(), false);
}
void BM_SelectionMove_Small(benchmark::State& state) {
    selectionMoves(state, bench::SmallText(), true);
}
void BM_SelectionMove_BigWrapped(benchmark::State& state) {
    selectionMoves(state, bench::MixedText(), true);
}
void BM_SelectionMove_LongRow(benchmark::State& state) {
    selectionMoves(state, bench::SingleLineText(), false);
}
void BM_ScrollStep_Small(benchmark::State& state) {
    scrollSteps(state, bench::SmallText(), true);
}
void BM_ScrollStep_BigWrapped(benchmark::State& state) {
    scrollSteps(state, bench::MixedText(), true);
}

void BM_CaretAtRowEnd_Small(benchmark::State& state) {
    caretAtRowEnd(state, bench::SmallText());
}
void BM_CaretAtRowEnd_LongRow(benchmark::State& state) {
    caretAtRowEnd(state, bench::SingleLineText());
}
void BM_ColumnFromX_Small(benchmark::State& state) {
    columnNearRowEnd(state, bench::SmallText());
}
void BM_ColumnFromX_LongRow(benchmark::State& state) {
    columnNearRowEnd(state, bench::SingleLineText());
}
void BM_SelectionAtRowEnd_Small(benchmark::State& state) {
    selectionAtRowEnd(state, bench::SmallText());
}
void BM_SelectionAtRowEnd_LongRow(benchmark::State& state) {
    selectionAtRowEnd(state, bench::SingleLineText());
}
void BM_PointerDrag_Small(benchmark::State& state) {
    pointerDragMiddle(state, bench::SmallText());
}
void BM_PointerDrag_BigWrapped(benchmark::State& state) {
    pointerDragMiddle(state, bench::MixedText());
}
void BM_PointerDragAtRowEnd_Small(benchmark::State& state) {
    pointerDragAtRowEnd(state, bench::SmallText());
}
void BM_PointerDragAtRowEnd_LongRow(benchmark::State& state) {
    pointerDragAtRowEnd(state, bench::SingleLineText());
}
void BM_RepaintAtRowEnd_Small(benchmark::State& state) {
    repaintAtRowEnd(state, bench::SmallText());
}
void BM_RepaintAtRowEnd_LongRow(benchmark::State& state) {
    repaintAtRowEnd(state, bench::SingleLineText());
}

BENCHMARK(BM_SplitBaseline)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WrapAllColumn80)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_WrapSingleLineColumn80)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PositionConversion)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintLongRowUnwrapped)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintSmallText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CaretMove_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaretMove_BigWrapped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaretMove_LongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectionMove_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectionMove_BigWrapped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectionMove_LongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollStep_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScrollStep_BigWrapped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaretAtRowEnd_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CaretAtRowEnd_LongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColumnFromX_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ColumnFromX_LongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectionAtRowEnd_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SelectionAtRowEnd_LongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerDrag_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerDrag_BigWrapped)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerDragAtRowEnd_Small)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PointerDragAtRowEnd_LongRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RepaintAtRowEnd_Small)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintAtRowEnd_LongRow)->Unit(benchmark::kMillisecond);

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
