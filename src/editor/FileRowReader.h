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

// Reads a text file into line-store rows in one pass: with the given break rule, or
// with the one the file's first break implies. Answers false with a short reason in
// `error` when the file cannot be read or is too large; rows are then unspecified.
bool ReadFileRows(const std::filesystem::path& fileName, std::optional<LineBreakKind> kind,
                  std::vector<std::string>& rows, int64_t& bytes, std::string& error);

} // namespace lumarik::editor
