#include "editor/WrapLayout.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string_view>
#include <utility>

#include "editor/VelEditSub.h"

namespace lumarik::editor {

namespace {

// Cuts again, from row `from` on, the logical lines that contain rows up to
// `lastEdited`, reading the old rows one at a time. Behind lastEdited the old rows are
// the layout of unchanged bytes, so the first new cut that falls on the start of one
// of them ends the work: the rows from there on stay as they are.
class Relayout {
public:
    Relayout(const TVelStrings& store, const WrapParams& params, int lastEdited, TextPos caret)
        : store_(store), params_(params), lastEdited_(lastEdited), caret_(caret) {}

    void run(int from) {
        firstRow_ = from;
        nextRow_ = from;
        while (resumeRow_ < 0 && nextRow_ <= lastEdited_) {
            cutLogicalLine();
        }
        if (resumeRow_ < 0) {
            resumeRow_ = nextRow_;
        }
    }

    std::vector<std::string>& rows() { return rows_; }
    // Old rows firstRow .. resumeRow - 1 are replaced by rows().
    int resumeRow() const { return resumeRow_; }

    // Where the caret lands: on the same byte, or moved with the rows behind.
    TextPos caret() const {
        if (caret_.line < firstRow_) {
            return caret_;
        }
        if (caret_.line >= resumeRow_) {
            const int added = static_cast<int>(rows_.size()) - (resumeRow_ - firstRow_);
            return {caret_.col, caret_.line + added};
        }
        if (caretPlaced_) {
            return newCaret_;
        }
        // It stood at the cut where the old rows take over.
        return {0, firstRow_ + static_cast<int>(rows_.size())};
    }

private:
    struct OldRow {
        size_t offset;
        int row;
    };

    // Appends the next old row to the text being cut.
    void take() {
        const std::string& text = store_.Get(nextRow_);
        if (nextRow_ == caret_.line) {
            caretOffset_ = text_.size() + static_cast<size_t>(std::clamp<long long>(
                                              caret_.col, 0, static_cast<long long>(text.size())));
        }
        oldRows_.push_back({text_.size(), nextRow_});
        text_ += text;
        complete_ = HasTerminator(text) || nextRow_ + 1 >= store_.Count();
        ++nextRow_;
    }

    // The old row that starts at `offset` of the text, -1 when a cut lies there.
    int oldRowAt(size_t offset) {
        while (passed_ < oldRows_.size() && oldRows_[passed_].offset < offset) {
            ++passed_;
        }
        if (passed_ < oldRows_.size() && oldRows_[passed_].offset == offset) {
            return oldRows_[passed_].row;
        }
        return offset == text_.size() && !complete_ ? nextRow_ : -1;
    }

    void cutLogicalLine() {
        text_.clear();
        oldRows_.clear();
        passed_ = 0;
        caretOffset_ = std::string::npos;
        take();
        size_t start = 0;
        while (true) {
            const size_t end = RowEnd(text_, start, params_, complete_);
            if (end == kNeedMoreBytes) {
                take();
                continue;
            }
            const bool last = complete_ && end == text_.size();
            if (caretOffset_ >= start && (caretOffset_ < end || (last && caretOffset_ == end))) {
                newCaret_ = {static_cast<int>(caretOffset_ - start),
                             firstRow_ + static_cast<int>(rows_.size())};
                caretPlaced_ = true;
            }
            rows_.emplace_back(std::string_view(text_).substr(start, end - start));
            start = end;
            if (last) {
                return;
            }
            const int oldRow = oldRowAt(start);
            if (oldRow > lastEdited_) {
                resumeRow_ = oldRow;
                return;
            }
        }
    }

    const TVelStrings& store_;
    const WrapParams& params_;
    int lastEdited_;
    TextPos caret_;

    int firstRow_ = 0;
    int nextRow_ = 0;
    int resumeRow_ = -1;
    std::vector<std::string> rows_;

    std::string text_; // the logical line (or its tail) being cut, as far as read
    bool complete_ = false;
    std::vector<OldRow> oldRows_;
    size_t passed_ = 0;
    size_t caretOffset_ = std::string::npos;
    bool caretPlaced_ = false;
    TextPos newCaret_;
};

} // namespace

void WrapAll(const TVelStrings& store, const WrapParams& params, std::vector<std::string>& rows) {
    for (int row = 0; row < store.Count(); ++row) {
        AppendSplitLine(store.Get(row), params, rows);
    }
}

bool LoadWrapped(TVelStrings& store, const std::filesystem::path& fileName,
                 const WrapParams& params) {
    LineCutter cutter;
    cutter.cut = [&params](std::string_view line, std::vector<std::string>& rows) {
        AppendSplitLine(line, params, rows);
    };
    // Measuring widths goes through the widget's font, which only its thread may use.
    cutter.threadSafe = !(params.autoWrap && params.textWidth);
    return store.LoadCutFromFile(fileName, cutter);
}

JoinedRows JoinRows(const TVelStrings& store, int first) {
    JoinedRows joined;
    int row = first;
    while (true) {
        const std::string& text = store.Get(row);
        joined.text += text;
        if (HasTerminator(text) || row + 1 >= store.Count()) {
            break;
        }
        ++row;
    }
    joined.lastRow = row;
    return joined;
}

RewrapAllResult RewrapAll(TVelStrings& store, LogicalLineIndex& index, bool wrap,
                          const WrapParams& params, TextPos caret, TextPos anchor) {
    const TextPos caretInText = index.RowToLogical(caret);
    const TextPos anchorInText = index.RowToLogical(anchor);
    LineCutter wrapLine;
    wrapLine.cut = [&params](std::string_view line, std::vector<std::string>& rows) {
        AppendSplitLine(line, params, rows);
    };
    LineCutter keepLine;
    keepLine.cut = [](std::string_view line, std::vector<std::string>& rows) {
        rows.emplace_back(line);
    };
    store.RecutLines(wrap ? wrapLine : keepLine, wrap ? keepLine : wrapLine);
    return {index.LogicalToRow(caretInText), index.LogicalToRow(anchorInText)};
}

RewrapLinesResult RewrapLines(TVelStrings& store, const WrapParams& params, int firstLine,
                              int lastLine, TextPos caret) {
    RewrapLinesResult result;
    result.caret = caret;
    const int count = store.Count();
    if (count == 0) {
        return result;
    }
    firstLine = std::clamp(firstLine, 0, count - 1);
    lastLine = std::clamp(lastLine, firstLine, count - 1);

    // The row in front continues into the edited row and may take text from it. Rows
    // further back keep their cuts: a cut reads no further than the next row's end
    // (the next row's end would otherwise be a clean end that fits).
    int from = firstLine;
    if (from > 0 && !HasTerminator(store.Get(from - 1))) {
        --from;
    }
    Relayout relayout(store, params, lastLine, caret);
    relayout.run(from);

    // Replace the old rows in place; insert or delete only the difference. Rows are
    // inserted first: that is the step that can fail, and it then leaves the store as
    // it was.
    std::vector<std::string>& laid = relayout.rows();
    // Mostly the row in front keeps its cut: it is then left alone and not reported.
    const bool frontKept = from < firstLine && !laid.empty() && laid.front() == store.Get(from);
    const auto rows = std::span(laid).subspan(frontKept ? 1 : 0);
    from += frontKept ? 1 : 0;
    const int oldCount = relayout.resumeRow() - from;
    const int newCount = static_cast<int>(rows.size());
    if (newCount > oldCount) {
        store.InsertRange(from + oldCount,
                          std::vector<std::string>(std::make_move_iterator(rows.begin() + oldCount),
                                                   std::make_move_iterator(rows.end())));
    }
    for (int i = 0; i < std::min(oldCount, newCount); ++i) {
        store.Put(from + i, std::move(rows[static_cast<size_t>(i)]));
    }
    if (newCount < oldCount) {
        store.DeleteRange(from + newCount, oldCount - newCount);
    }
    result.startRow = from;
    result.oldLastRow = relayout.resumeRow() - 1;
    result.newLastRow = from + newCount - 1;
    result.rowCountChanged = newCount != oldCount;
    result.caret = relayout.caret();
    return result;
}

} // namespace lumarik::editor
