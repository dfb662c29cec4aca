#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "editor/LogicalLineIndex.h"
#include "editor/Velstrings.h"
#include "editor/WrapCut.h"

// Word wrap over the whole line store: wrapping, unwrapping, and laying out again the
// logical lines an edit touched. With word wrap on, the store's rows are the display
// lines; a row without terminator (HasTerminator) continues on the next row.
namespace lumarik::editor {

// Appends the display lines of every row of the store, in order. The store must hold
// whole logical lines.
void WrapAll(const TVelStrings& store, const WrapParams& params, std::vector<std::string>& rows);

// Loads a file as TVelStrings::LoadFromFile does and wraps it in the same pass: the
// store ends up with the rows RewrapAll(wrap true) makes of the plain load. A failure
// is reported as LoadFromFile reports it.
bool LoadWrapped(TVelStrings& store, const std::filesystem::path& fileName,
                 const WrapParams& params);

// The logical line that begins at row `first`: that row and the following ones up to
// and including the first with a terminator (or the last row of the store).
struct JoinedRows {
    std::string text;
    int lastRow = 0;
};
JoinedRows JoinRows(const TVelStrings& store, int first);

// Caret and selection anchor after a whole-store conversion.
struct RewrapAllResult {
    TextPos caret;
    TextPos anchor;
};

// Converts the whole store to wrapped (wrap true) or unwrapped form, from either form:
// each logical line is joined, then cut at params when wrapping. The store is laid out
// again in place, line by line (TVelStrings::RecutLines), so it never holds both
// layouts whole. On failure (an exception) the lines already converted are converted
// back (unwrapped again, or wrapped at params) before the exception is passed on, so
// that the store holds one layout and every byte. Caret and anchor are display
// positions; they come back on the same bytes of the text.
RewrapAllResult RewrapAll(TVelStrings& store, LogicalLineIndex& index, bool wrap,
                          const WrapParams& params, TextPos caret, TextPos anchor);

// What RewrapLines changed, for repainting.
struct RewrapLinesResult {
    int startRow = 0;   // first row laid out again whose bytes changed or were edited
    int oldLastRow = 0; // last row of the old layout that was replaced
    int newLastRow = 0; // last row of its replacement
    bool rowCountChanged = false;
    TextPos caret; // the caret on the same byte as before
};

// Lays out again the logical lines that contain rows firstLine .. lastLine, after an
// edit changed (only) those rows of a wrapped store. Cutting starts one row in front
// of firstLine when that row continues into it, and stops at the first new cut behind
// lastLine that falls on an old one; the store then holds exactly the layout a full
// wrap would give. Rows are replaced in place, and only surplus rows are deleted or
// missing ones inserted. The caret, a display position in the edited store, comes back
// on the same byte; a caret at a cut at column 0 of the next row. The row in front of
// firstLine is left alone when it keeps its cut.
RewrapLinesResult RewrapLines(TVelStrings& store, const WrapParams& params, int firstLine,
                              int lastLine, TextPos caret);

} // namespace lumarik::editor
