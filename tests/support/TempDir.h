#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lumarik::test {

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of a file in the folder (not created).
    std::filesystem::path file(std::string_view name) const { return path_ / name; }
    // Writes bytes to a new file in the folder (replacing one of that name) and answers
    // its path.
    std::filesystem::path write(std::string_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// Whole files as bytes. readBytes fails the current test when the file cannot be read.
void writeBytes(const std::filesystem::path& file, std::string_view bytes);
std::string readBytes(const std::filesystem::path& file);

} // namespace lumarik::test
