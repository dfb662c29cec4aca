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

// The rows of a file, in order, in blocks that are filled and never moved.
struct FileRows {
    std::vector<std::vector<std::string>> blocks;
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
