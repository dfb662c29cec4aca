#include <gtest/gtest.h>

#include "editor/RowPositions.h"
#include "editor/VelEditSub.h"
#include "editor/VelEditTestSupport.h"
#include "support/TempDir.h"

#include <QCoreApplication>

#include <algorithm>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace lumarik::editor;
using lumarik::test::BlockEditor;
using lumarik::test::describeDifference;
using lumarik::test::displayOf;
using lumarik::test::freshLayout;
using lumarik::test::moveTo;
using lumarik::test::offsetOf;
using lumarik::test::pointAt;
using lumarik::test::pressAt;
using lumarik::test::releaseAt;
using lumarik::test::rowsOf;
using lumarik::test::TempDir;

namespace {

// "亜" (0x88 0x9F), "ャ" (0x83 0x83: a trail byte with a lead value), "ソ" (0x83 0x5C: a
// trail byte that is a backslash as a single byte), a half-width katakana, a lead byte
// whose trail byte is a TAB, and a lone lead byte that pairs with whatever follows it.
const std::vector<std::string> kPieces = {
    "a",    "b",  " ",        "\t",           "\x88\x9F", "\x83\x83", "\x83\x5C",
    "\xB1", "xy", "\x93\xFA", "http://ab.jp", "\x83\t",   "\x88"};

// A row of the text as the store holds it with word wrap off: its text [start, textEnd)
// and its terminator [textEnd, end), a CR or NUL with the byte after it (none on the
// last row).
struct ModelRow {
    size_t start;
    size_t textEnd;
    size_t end;
};

std::vector<ModelRow> modelRows(const std::string& text) {
    std::vector<ModelRow> rows;
    size_t start = 0;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\0') {
            rows.push_back({start, i, i + 2});
            start = i + 2;
            ++i;
        }
    }
    rows.push_back({start, text.size(), text.size()});
    return rows;
}

const ModelRow& rowAt(const std::vector<ModelRow>& rows, size_t offset) {
    return *std::find_if(rows.begin(), rows.end(),
                         [&](const ModelRow& row) { return offset <= row.textEnd; });
}

// Length of the character at i of a row's text: a lead byte pairs with the next byte
// of the text, never with a terminator byte.
size_t charLength(const std::string& text, const ModelRow& row, size_t i) {
    return static_cast<size_t>(
        CharLengthAt(std::string_view(text).substr(row.start, row.textEnd - row.start),
                     static_cast<long long>(i - row.start), false));
}

// Where the caret may stand: each character start and each row's text end.
std::vector<size_t> caretPlaces(const std::string& text) {
    std::vector<size_t> places;
    for (const ModelRow& row : modelRows(text)) {
        for (size_t i = row.start; i < row.textEnd; i += charLength(text, row, i)) {
            places.push_back(i);
        }
        places.push_back(row.textEnd);
    }
    return places;
}

// The text as a flat byte string with a caret and a selection: what every editing
// command must do, without rows, wrapping or painting.
struct TextModel {
    std::string text;
    size_t caret = 0;
    size_t anchor = 0;
    bool selected = false;

    bool atRowEnd(size_t offset) const { return rowAt(modelRows(text), offset).textEnd == offset; }
    // Places the caret at `offset` after an edit. A lead byte in front of the edit
    // point may pair with the byte behind it now: the caret goes in front of that
    // character.
    void placeCaret(size_t offset) {
        const std::vector<size_t> places = caretPlaces(text);
        caret = *(std::upper_bound(places.begin(), places.end(), offset) - 1);
    }
    void deleteSelection() {
        if (!selected) {
            return;
        }
        const size_t from = std::min(anchor, caret);
        const size_t to = std::max(anchor, caret);
        text.erase(from, to - from);
        placeCaret(from);
        anchor = caret;
        selected = false;
    }
    void insert(const std::string& s) {
        deleteSelection();
        text.insert(caret, s);
        placeCaret(caret + s.size());
    }
    void overwrite(const std::string& s) {
        deleteSelection();
        const std::vector<ModelRow> rows = modelRows(text);
        const ModelRow& row = rowAt(rows, caret);
        if (caret == row.textEnd) {
            insert(s);
            return;
        }
        size_t count = std::min(row.textEnd - caret, s.size());
        std::string pad;
        // Ending on the lead byte of a pair takes the whole pair and pads with a space.
        for (size_t i = row.start; i < caret + s.size() && i < row.textEnd;) {
            const size_t length = charLength(text, row, i);
            if (length == 2 && i == caret + s.size() - 1) {
                count = std::min(row.textEnd - caret, s.size() + 1);
                pad = " ";
            }
            i += length;
        }
        text.replace(caret, count, s + pad);
        placeCaret(caret + s.size());
    }
    void deleteRight() {
        if (selected) {
            deleteSelection();
            return;
        }
        const std::vector<ModelRow> rows = modelRows(text);
        const ModelRow& row = rowAt(rows, caret);
        if (caret < row.textEnd) {
            text.erase(caret, charLength(text, row, caret));
        } else {
            text.erase(caret, row.end - row.textEnd); // a terminator, none at the end
        }
        placeCaret(caret);
    }
    // Replaces each match of `find` that covers whole characters, left to right, going
    // on behind what was put in; answers the text and the match's place before each
    // replacement.
    std::vector<std::pair<std::string, size_t>> replaceAll(const std::string& find,
                                                           const std::string& change) {
        std::vector<std::pair<std::string, size_t>> replaced;
        selected = false;
        size_t from = 0;
        while (true) {
            const std::vector<size_t> starts = caretPlaces(text);
            const auto match = std::find_if(
                std::lower_bound(starts.begin(), starts.end(), from), starts.end(), [&](size_t at) {
                    return text.compare(at, find.size(), find) == 0 &&
                           std::binary_search(starts.begin(), starts.end(), at + find.size());
                });
            if (match == starts.end()) {
                break;
            }
            replaced.emplace_back(text, *match);
            text.replace(*match, find.size(), change);
            caret = from = *match + change.size();
        }
        // A replacement ending in a lead byte pairs with what follows it: the caret
        // goes to the pair's start.
        placeCaret(caret);
        anchor = caret;
        return replaced;
    }
    void deleteLeft() {
        if (selected) {
            deleteSelection();
            return;
        }
        if (caret == 0) {
            return;
        }
        const std::vector<size_t> places = caretPlaces(text);
        const size_t previous = *(std::lower_bound(places.begin(), places.end(), caret) - 1);
        text.erase(previous, caret - previous);
        placeCaret(previous);
    }
};

// Columns of a display row's text in front of col, tabs expanded where they stand as
// characters of their own (a TAB that is a trail byte belongs to its pair).
int columnsBefore(std::string_view row, int col, int tabCount) {
    const std::string_view text = StripTerminator(row);
    int columns = 0;
    for (size_t i = 0; i < static_cast<size_t>(col);) {
        const auto length =
            static_cast<size_t>(CharLengthAt(text, static_cast<long long>(i), false));
        columns += text[i] == '\t' && length == 1 ? tabCount - columns % tabCount
                                                  : static_cast<int>(length);
        i += length;
    }
    return columns;
}

// A text of lines ending in CR LF, a lone CR or a NUL with the byte after it (a lead
// byte among them, whose trail byte then begins the next row), some with a lone lead
// byte in front of their end, the last maybe too.
std::string modelStartText(const std::function<std::string(size_t)>& randomText,
                           const std::function<size_t(size_t)>& pick) {
    const std::vector<std::string> ends = {
        "\r\n", "\r\n", "\rx", std::string("\0y", 2), "\r\x88", std::string("\0\r", 2)};
    std::string text;
    for (int line = 0; line < 5; ++line) {
        const std::string& end = ends[pick(ends.size())];
        text += randomText(pick(14)) + (pick(3) == 0 ? "\x88" : "") + end;
        if (end == "\r\x88") {
            text += "\x9F\t"; // a TAB as the trail byte of the row's first character
        }
    }
    return text + randomText(8) + (pick(2) == 0 ? "\x82" : "");
}

std::vector<std::string> rowsOf(const TVelStrings& rows) {
    std::vector<std::string> all;
    for (int i = 0; i < rows.Count(); ++i) {
        all.push_back(rows.Get(i));
    }
    return all;
}

// Checks what must hold after every command: the text, its layout, the caret and
// where it stands on screen.
void expectConsistent(TVelEdit& edit, const TextModel& model, const std::string& step) {
    const TVelStrings& rows = edit.Lines();
    ASSERT_EQ(edit.Text(), model.text) << step;
    for (int i = 0; i < rows.Count(); ++i) {
        ASSERT_FALSE(rows.Get(i).empty()) << step << ": empty row " << i;
        if (!edit.WordWrap() && i + 1 < rows.Count()) {
            ASSERT_TRUE(HasTerminator(rows.Get(i))) << step << ": row " << i;
        }
    }
    ASSERT_TRUE(rows.Get(rows.Count() - 1).ends_with(std::string("\0\0", 2))) << step;
    const std::string& caretRow = rows.Get(edit.CaretLine);
    ASSERT_NE(ByteTypeAt(StripTerminator(caretRow), edit.CaretCol + 1, false), 2)
        << step << ": caret in a pair";
    ASSERT_LE(edit.CaretCol, CaretColumnLimit(caretRow)) << step;
    ASSERT_EQ(offsetOf(rows, edit.CaretCol, edit.CaretLine), model.caret) << step << ": caret";
    ASSERT_EQ(edit.CaretX + edit.HorzOffset,
              columnsBefore(caretRow, edit.CaretCol, edit.TabCount()) * edit.AvgCharWidth)
        << step << ": caret x";
}

struct EditRun {
    bool wordWrap;
    bool insertMode;
    unsigned seed;
};

class EditModelTest : public ::testing::TestWithParam<EditRun> {};

TEST_P(EditModelTest, CommandsMatchTheModelAndUndoRestoresEveryStep) {
    const EditRun run = GetParam();
    std::mt19937 random(run.seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto randomText = [&](size_t pieces) {
        std::string s;
        for (size_t i = 0; i < pieces; ++i) {
            s += kPieces[pick(kPieces.size())];
        }
        return s;
    };

    BlockEditor ed;
    ed.edit.SetColumn(12);
    ed.edit.SetWordWrap(run.wordWrap);
    ed.edit.SetUndoBuf(1 << 20);
    ed.edit.SetColorPrintF(true);
    ed.edit.SetShowLineNumber(run.seed % 2 == 1);
    // Without line spacing a row's underline lies on the next row: repainting cannot
    // move rows as they are.
    if (run.seed % 3 == 0) {
        ed.edit.SetLineSpace(0);
    }
    ed.edit.RefreshLayout();
    TextModel model;
    model.text = modelStartText(randomText, pick);
    ed.showText(model.text);
    // A matcher blind to double-byte characters: the engine keeps its hits whole.
    ed.edit.OnFind = [](TVelEdit&, std::string_view str, std::string_view findchr, int, int& x,
                        int&) {
        const size_t at = str.find(findchr);
        x = at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
    };
    if (!run.insertMode) {
        ed.edit.InsMode = false;
    }
    const std::string original = model.text;
    // One entry per undo step: the text before it, and where a deleted selection was
    // the newest record then (an insertion there joins that step).
    struct Step {
        std::string text;
        std::optional<size_t> deletedSelectionAt;
    };
    std::vector<Step> history;
    std::optional<size_t> deletedSelectionAt;
    std::string trace; // the commands so far, for a failure message

    for (int step = 0; step < 300; ++step) {
        std::string before = model.text;
        const bool hadSelection = model.selected;
        const size_t selectionStart = std::min(model.anchor, model.caret);
        const size_t caretBefore = model.caret;
        bool inserts = false;
        std::string name;
        const std::vector<size_t> starts = caretPlaces(model.text);
        switch (pick(14)) {
        case 0:
        case 1: {
            const std::string s = randomText(1 + pick(3));
            name = "type";
            for (const char c : s) {
                name += "." + std::to_string(static_cast<unsigned char>(c));
            }
            ed.edit.TypeText(s);
            if (run.insertMode) {
                model.insert(s);
            } else {
                // Overwriting after a deleted selection is an undo step of its own.
                if (model.selected) {
                    model.deleteSelection();
                    if (!model.atRowEnd(model.caret)) {
                        history.push_back({before, deletedSelectionAt});
                        deletedSelectionAt = model.caret;
                        before = model.text;
                    }
                }
                model.overwrite(s);
            }
            break;
        }
        case 2:
            name = "enter";
            ed.edit.NewLine();
            model.insert("\r\n");
            break;
        case 3:
            name = "tab";
            ed.edit.InsertTab();
            model.insert("\t");
            break;
        case 4:
            name = "delete";
            ed.edit.DeleteChar();
            model.deleteRight();
            break;
        case 5:
            name = "backspace";
            ed.edit.DeleteCharLeft();
            model.deleteLeft();
            break;
        case 6: {
            name = "select";
            const size_t a = starts[pick(starts.size())];
            const size_t b = starts[pick(starts.size())];
            TextPos anchor = displayOf(ed.edit.Lines(), a);
            const TextPos end = displayOf(ed.edit.Lines(), b);
            // An anchor at a row start may also be given after the terminator of the row
            // above, as a whole-line selection places it.
            const TVelStrings& rows = ed.edit.Lines();
            if (anchor.col == 0 && anchor.line > 0 && HasTerminator(rows.Get(anchor.line - 1)) &&
                pick(2) == 0) {
                anchor = {static_cast<int>(rows.Get(anchor.line - 1).size()), anchor.line - 1};
            }
            ed.edit.SetSelection(anchor.col, anchor.line, end.line, end.col);
            model.anchor = a;
            model.caret = b;
            model.selected = a != b;
            if (!model.selected) {
                ed.edit.ClearSelection();
            }
            // A selection is laid out anew with the text, its ends on their bytes.
            if (model.selected && pick(3) == 0) {
                name += "+wrap";
                ed.edit.SetWordWrap(!ed.edit.WordWrap());
            }
            break;
        }
        case 7: {
            name = "move";
            const size_t to = starts[pick(starts.size())];
            const TextPos pos = displayOf(ed.edit.Lines(), to);
            ed.edit.MoveCaretTo(pos.col, pos.line, 0);
            model.caret = model.anchor = to;
            model.selected = false;
            break;
        }
        case 8:
        case 9: {
            // Select, press on the selection's end and release at a place in view.
            const bool copy = pick(2) == 0;
            name = copy ? "drag-copy" : "drag-move";
            const size_t a = starts[pick(starts.size())];
            const size_t b = starts[pick(starts.size())];
            const TextPos anchor = displayOf(ed.edit.Lines(), a);
            const TextPos end = displayOf(ed.edit.Lines(), b);
            ed.edit.SetSelection(anchor.col, anchor.line, end.line, end.col);
            pressAt(ed.edit, pointAt(ed.edit, ed.edit.CaretLine, ed.edit.CaretCol));
            size_t drop = b;
            for (int tries = 0; tries < 20; ++tries) {
                const size_t d = starts[pick(starts.size())];
                const TextPos at = displayOf(ed.edit.Lines(), d);
                const QPoint p = pointAt(ed.edit, at.line, at.col);
                const bool rowShown =
                    at.line >= ed.edit.TopLine && at.line < ed.edit.TopLine + ed.edit.VisibleLines;
                const bool xShown = (p.x() > ed.edit.TextLeft || ed.edit.HorzOffset == 0) &&
                                    p.x() <= ed.edit.TextLeft + ed.edit.TextAreaWidth;
                if (rowShown && xShown) {
                    drop = d;
                    break;
                }
            }
            const TextPos at = displayOf(ed.edit.Lines(), drop);
            moveTo(ed.edit, pointAt(ed.edit, at.line, at.col));
            releaseAt(ed.edit, pointAt(ed.edit, at.line, at.col),
                      copy ? Qt::ControlModifier : Qt::NoModifier);
            name += "." + std::to_string(std::min(a, b)) + "-" + std::to_string(std::max(a, b)) +
                    ">" + std::to_string(drop);
            const size_t from = std::min(a, b);
            const size_t length = std::max(a, b) - from;
            const std::string dragged = model.text.substr(from, length);
            model.selected = false;
            model.caret = drop;
            if (length == 0) {
                // Nothing to drag: the press started a selection instead.
                model.anchor = a;
                model.selected = a != drop;
                break;
            }
            if (drop >= from && drop <= from + length) {
                break; // dropped on itself: nothing changes
            }
            if (copy) {
                if (deletedSelectionAt != drop) {
                    history.push_back({before, deletedSelectionAt});
                }
            } else {
                // Two undo steps: the removal, then the insertion.
                history.push_back({before, deletedSelectionAt});
                model.text.erase(from, length);
                history.push_back({model.text, std::nullopt});
                drop = drop < from ? drop : drop - length;
            }
            deletedSelectionAt.reset();
            model.text.insert(drop, dragged);
            model.placeCaret(drop + length);
            break;
        }
        // Laying the text out anew changes no byte, caret or selection; the history
        // stays valid.
        case 10:
            name = "wrap";
            ed.edit.SetWordWrap(!ed.edit.WordWrap());
            break;
        case 11:
            name = "column" + std::to_string(10 + step % 7);
            ed.edit.SetColumn(10 + step % 7);
            break;
        case 12: {
            // Each replacement is an undo step of its own: the deleted match and the
            // insertion at its place go back together.
            const std::string find = kPieces[pick(kPieces.size())];
            std::string change = pick(4) == 0 ? "" : randomText(1 + pick(2));
            if (pick(3) == 0) {
                change += "\r\n" + find;
            }
            name = "replace." + std::to_string(find.size()) + "." + std::to_string(change.size());
            ed.edit.ReplaceAll(find, change, false, true);
            const auto replaced = model.replaceAll(find, change);
            for (const auto& [text, at] : replaced) {
                history.push_back({text, deletedSelectionAt});
                // Without an insertion the deleted match is the newest record.
                deletedSelectionAt.reset();
                if (change.empty()) {
                    deletedSelectionAt = at;
                }
            }
            break;
        }
        default:
            name = "undo";
            if (!history.empty()) {
                ed.edit.Undo();
                model.text = history.back().text;
                deletedSelectionAt = history.back().deletedSelectionAt;
                history.pop_back();
                model.caret = offsetOf(ed.edit.Lines(), ed.edit.CaretCol, ed.edit.CaretLine);
                model.selected = false;
            }
            break;
        }
        QCoreApplication::processEvents();
        trace += name + "@" + std::to_string(model.caret) + " ";
        const std::string where = "step " + std::to_string(step) + " (" + name + "): " + trace;
        inserts = name.starts_with("type") || name == "enter" || name == "tab";
        // Typing over the same bytes changes nothing but is still an undo step.
        const bool dragged = name.starts_with("drag");
        if (name != "undo" && !dragged && !name.starts_with("replace") &&
            (inserts || model.text != before)) {
            // Inserting where a selection was just deleted is one step with the deletion.
            const size_t insertedAt = hadSelection ? selectionStart : caretBefore;
            // Overwriting records the bytes typed over, and the insertion joins that.
            const bool overwrote = name.starts_with("type") && !run.insertMode &&
                                   rowAt(modelRows(before), insertedAt).textEnd != insertedAt;
            const bool joins =
                inserts && !hadSelection && !overwrote && deletedSelectionAt == insertedAt;
            if (!joins) {
                history.push_back({before, deletedSelectionAt});
            }
            deletedSelectionAt.reset();
            if (!inserts && hadSelection) {
                deletedSelectionAt = selectionStart;
            }
        }
        if (name.starts_with("type") || name == "enter" || name == "tab" || name == "delete" ||
            name == "backspace" || (dragged && !model.selected)) {
            model.selected = false;
            model.anchor = model.caret;
        }
        expectConsistent(ed.edit, model, where);
        if (HasFailure()) {
            return;
        }
        ASSERT_EQ(rowsOf(ed.edit), freshLayout(ed.edit, model.text)) << where << ": layout";
        // What the edit repainted (rows moved along, rows drawn anew) is the whole picture.
        const QImage shown = ed.image();
        ed.edit.RedrawAll();
        ASSERT_EQ(describeDifference(shown, ed.image()), "") << where << ": picture";
    }
    while (ed.edit.CanUndo()) {
        ed.edit.Undo();
    }
    EXPECT_EQ(ed.edit.Text(), original);
    EXPECT_FALSE(ed.edit.Modified);
}

// A prefix split by word wrap makes a link that starts on the row above the edited
// one: breaking or mending it from the lower row changes how the upper row looks.
TEST(EditRepaint, ALinkStartingOnTheRowAboveFollowsAnEditBelow) {
    // With line spacing rows behind an edit are moved; without it they are drawn again.
    for (const bool spaced : {true, false}) {
        SCOPED_TRACE(spaced);
        BlockEditor ed;
        ed.edit.SetColumn(12);
        ed.edit.SetWordWrap(true);
        ed.edit.SetColorPrintF(true);
        if (!spaced) {
            ed.edit.SetLineSpace(0);
        }
        ed.edit.RefreshLayout();
        ed.showText("0123456789http://ab.jp x\r\nend");
        ASSERT_EQ(ed.edit.Lines().Get(0), "0123456789ht");
        const auto expectFullPicture = [&](const char* after) {
            QCoreApplication::processEvents();
            const QImage shown = ed.image();
            ed.edit.RedrawAll();
            EXPECT_EQ(describeDifference(shown, ed.image()), "") << after;
        };
        ed.edit.MoveCaretTo(1, 1, 0); // after "t" of "tp://"
        ed.edit.DeleteCharLeft();     // "htp://": no link any more
        expectFullPicture("breaking the prefix");
        ed.edit.TypeText("t"); // the link again
        expectFullPicture("mending the prefix");
        ed.edit.MoveCaretTo(8, 1, 0);
        ed.edit.TypeText(" "); // ends the link early; the row above stays a link
        expectFullPicture("shortening the link");
    }
}

// A line break that adds display rows: the repaint asks the link cache about rows it
// has not seen yet.
TEST(EditRepaint, RowsAddedByABreakAreDrawnWithTheirLinks) {
    BlockEditor ed;
    ed.edit.SetColumn(20);
    ed.edit.SetWordWrap(true);
    ed.edit.SetColorPrintF(true);
    ed.showText(std::string(21, 'a'));
    ed.edit.MoveCaretTo(0, 0, 0);
    ed.edit.ReplaceSelText("\r\n");
    QCoreApplication::processEvents();
    EXPECT_EQ(ed.edit.Text(), "\r\n" + std::string(21, 'a'));
    const QImage shown = ed.image();
    ed.edit.RedrawAll();
    EXPECT_EQ(describeDifference(shown, ed.image()), "");
}

// A text of many runs of rows opened with word wrap on (cut while it is read): every
// edit, anywhere in the text, gives the text, layout, caret and undo of the model, as
// for a text that was set and wrapped afterwards.
TEST(EditModel, EditsAfterAWrappedOpenOfALongTextMatchTheModel) {
    std::mt19937 random(11);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    TextModel model;
    for (int line = 0; line < 1500; ++line) {
        // Now and then a line of hundreds of rows, longer than a run.
        const size_t pieces = line % 400 == 9 ? 4000 : pick(40);
        for (size_t i = 0; i < pieces; ++i) {
            model.text += kPieces[pick(kPieces.size())];
        }
        model.text += "\r\n";
    }
    model.text += "end";
    const TempDir dir;
    BlockEditor ed;
    ed.edit.SetColumn(12);
    ed.edit.SetWordWrap(true);
    ed.edit.SetUndoBuf(1 << 20);
    ASSERT_TRUE(ed.edit.LoadFromFile(dir.write("long.txt", model.text)));
    ASSERT_GT(ed.edit.Lines().Count(), 10000);
    ASSERT_EQ(rowsOf(ed.edit.Lines()), freshLayout(ed.edit, model.text));

    std::vector<std::string> history;
    for (int step = 0; step < 40; ++step) {
        const std::vector<size_t> starts = caretPlaces(model.text);
        const size_t at = starts[pick(starts.size())];
        const TextPos pos = displayOf(ed.edit.Lines(), at);
        ed.edit.MoveCaretTo(pos.col, pos.line, 0);
        model.caret = model.anchor = at;
        history.push_back(model.text);
        std::string name;
        switch (pick(4)) {
        case 0:
            name = "type";
            ed.edit.TypeText("\x88\x9F"
                             "ab");
            model.insert("\x88\x9F"
                         "ab");
            break;
        case 1:
            name = "enter";
            ed.edit.NewLine();
            model.insert("\r\n");
            break;
        case 2:
            name = "delete";
            ed.edit.DeleteChar();
            model.deleteRight();
            break;
        default:
            name = "backspace";
            ed.edit.DeleteCharLeft();
            model.deleteLeft();
            break;
        }
        if (model.text == history.back()) {
            history.pop_back(); // nothing to undo
        }
        QCoreApplication::processEvents();
        const std::string where = "step " + std::to_string(step) + " (" + name + ")";
        expectConsistent(ed.edit, model, where);
        if (HasFailure()) {
            return;
        }
        ASSERT_EQ(rowsOf(ed.edit.Lines()), freshLayout(ed.edit, model.text)) << where;
    }
    while (!history.empty()) {
        ASSERT_TRUE(ed.edit.CanUndo());
        ed.edit.Undo();
        ASSERT_EQ(ed.edit.Text(), history.back()) << history.size() << " undos left";
        history.pop_back();
    }
    EXPECT_EQ(rowsOf(ed.edit.Lines()), freshLayout(ed.edit, ed.edit.Text()));
}

INSTANTIATE_TEST_SUITE_P(Runs, EditModelTest,
                         ::testing::Values(EditRun{true, true, 1}, EditRun{false, true, 2},
                                           EditRun{true, false, 3}, EditRun{false, false, 4},
                                           EditRun{true, true, 5}, EditRun{true, false, 6},
                                           // Edits that change the row in front of them.
                                           EditRun{true, true, 107}, EditRun{true, false, 120}));

} // namespace
