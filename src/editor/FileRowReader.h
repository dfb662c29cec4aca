#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "editor/Velstrings.h"

namespace lumarik::editor {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Opens a file for reading in binary mode, unbuffered: readers fetch whole blocks.
FileHandle OpenForReading(const std::filesystem::path& fileName);

// Rows of a file in the order read, with their byte count and which of them end with
// LF: at most TVelStrings::kFilledChunkRows, so that the store takes them as one chunk.
struct LoadedRun {
    std::vector<std::string> rows;
    int64_t bytes = 0;
    LfRowBits lfRows;
    bool operator==(const LoadedRun&) const = default;
};

// The rows of a file, in order.
struct FileRows {
    std::vector<LoadedRun> runs;
    int64_t bytes = 0;
};

// Bytes per part of a file read on two threads.
inline constexpr int64_t kReadPartSize = int64_t{4} << 20;

// Reads a text file into line-store rows: with the given break rule, or with the one
// the file's first break implies. Each line becomes one row, or the rows `cutter`
// makes of it. A file bigger than partSize is read in parts of about that size, on
// two threads, unless the cutter may only run on one; the rows are the same. Answers
// false with a short reason in `error` when the file cannot be read or is too large;
// rows are then unspecified.
bool ReadFileRows(const std::filesystem::path& fileName, std::optional<LineBreakKind> kind,
                  const LineCutter* cutter, FileRows& rows, std::string& error,
                  int64_t partSize = kReadPartSize);

} // namespace lumarik::editor
